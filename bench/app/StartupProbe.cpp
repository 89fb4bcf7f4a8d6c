// Starts either the real main window (built through the program's libraries, exactly as the
// program does) or a bare Qt window with a few buttons, and quits right after the first paint.
//   vantoro_startup_probe vantoro <program folder>
//   vantoro_startup_probe bare
#include "app/TForm1.h"
#include "app/VantoroApplication.h"
#include "platform/MpvLibrary.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>
#include <cstring>

namespace {

class QuitAfterFirstPaint final : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_painted) {
            m_painted = true;
            // The benchmark's clock stops at this line, before the program winds down.
            std::fputs("painted\n", stdout);
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_painted = false;
};

} // namespace

int main(int argc, char** argv)
{
    const bool bare = argc > 1 && std::strcmp(argv[1], "bare") == 0;
    if (!bare && argc > 2)
        qputenv("XDG_RUNTIME_DIR", argv[2]); // a private lock, so runs never see each other
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantoro"));
    QuitAfterFirstPaint quitter;
    if (bare) {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        for (const char* caption : {"New", "Load", "Edit", "Delete", "Close"})
            layout->addWidget(new QPushButton(QString::fromLatin1(caption)));
        window.installEventFilter(&quitter);
        window.show();
        return QApplication::exec();
    }
    vantoro::MpvLibrary::useCNumericLocale();
    vantoro::VantoroProgram program;
    program.mainWindow().installEventFilter(&quitter);
    if (!program.start())
        return 1;
    return QApplication::exec();
}
