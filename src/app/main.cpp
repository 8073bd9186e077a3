#include "app/Splash.h"
#include "app/Startup.h"
#include "platform/DetachedProcessStarter.h"
#include "platform/EventLoopProgramEnd.h"
#include "platform/Platform.h"
#include "platform/PrivateTemporaryFolder.h"
#include "platform/QtClipboard.h"
#include "platform/QtMessageBoxes.h"
#include "platform/QtShell.h"
#include "platform/QtTopMostSwitch.h"
#include "platform/SystemClock.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vaultine"));

    QtClipboard clipboard;
    QtShell shell;
    QtTopMostSwitch topMost;
    PrivateTemporaryFolder temporaryFolder;
    DetachedProcessStarter processStarter;
    SystemClock clock;
    QtMessageBoxes messages;
    EventLoopProgramEnd programEnd;
    Platform platform {
        clipboard, shell, topMost, temporaryFolder, processStarter, clock, messages, programEnd};

    Startup startup(QCoreApplication::applicationDirPath(), platform);
    if (!startup.lockProgramFolder())
        return 1;

    // The language choice is read here, before any window exists.
    Splash splash([&startup] { startup.loadMainWindow(); });
    splash.show();
    return app.exec();
}
