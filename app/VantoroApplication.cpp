#include "app/VantoroApplication.h"

#include "app/TForm1.h"
#include "app/TXJustOne.h"
#include "app/TerminationSignals.h"
#include "platform/ModalRunner.h"
#include "platform/ProgramFolder.h"
#include "platform/QtMessageBoxes.h"
#include "platform/QtShellOpener.h"
#include "platform/Services.h"

#include <QApplication>

#include <clocale>

namespace vantoro {

int runVantoro(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantoro"));
    // The playback engine reads numbers with the C library: keep the decimal point a dot.
    std::setlocale(LC_NUMERIC, "C");

    QtMessageBoxes messages;
    QtShellOpener shell;
    ExecModalRunner modal;

    Services services;
    services.messages = &messages;
    services.shell = &shell;
    services.modal = &modal;
    services.executableFolder = QCoreApplication::applicationDirPath();
    services.programFolder = resolveProgramFolder(services.executableFolder);

    TForm1 form(services);
    // A second copy brings the running one forward and ends before touching anything.
    if (!form.XJustOne1->Loaded(QApplication::applicationName()))
        return 0;
    form.FormCreate();
    form.show();

    TerminationSignals signalsWatch;
    QObject::connect(&signalsWatch, &TerminationSignals::terminationRequested, &form,
                     &QWidget::close);
    return QApplication::exec();
}

} // namespace vantoro
