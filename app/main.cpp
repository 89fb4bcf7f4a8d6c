#include "app/CommandLine.h"
#include "app/VantoroApplication.h"

#include <cstdio>

int main(int argc, char** argv)
{
    // --help and --version are answered before Qt looks for a window system: they work
    // without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const QString information = vantoro::informationRequested(arguments);
    if (!information.isEmpty()) {
        std::fputs(information.toLocal8Bit().constData(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    return vantoro::runVantoro(argc, argv);
}
