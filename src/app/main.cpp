#include "app/Splash.h"
#include "app/Startup.h"
#include "intl/Dictionary.h"
#include "intl/LangSelect.h"
#include "intl/LanguageChoice.h"
#include "platform/CoreDumps.h"
#include "platform/DetachedProcessStarter.h"
#include "platform/EventLoopProgramEnd.h"
#include "platform/Platform.h"
#include "platform/PrivateTemporaryFolder.h"
#include "platform/ProgramFolders.h"
#include "platform/QtClipboard.h"
#include "platform/QtMessageBoxes.h"
#include "platform/QtShell.h"
#include "platform/QtTopMostSwitch.h"
#include "platform/SessionSignals.h"
#include "platform/SystemClock.h"
#include "records/Coffrel.h"

#include <QApplication>
#include <QProcessEnvironment>
#include <QScreen>

int main(int argc, char *argv[])
{
    CoreDumps::forbid();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vaultine"));
    QGuiApplication::setDesktopFileName(QStringLiteral("vaultine"));

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

    const ProgramFolders folders = ProgramFolders::locate(
        QCoreApplication::applicationDirPath(), QProcessEnvironment::systemEnvironment());
    if (!folders.prepare()) {
        messages.showMessage(
            QStringLiteral("Vaultine"), folders.failureText(), MessageBoxes::Icon::Stop);
        return 1;
    }
    Dictionary dictionary;
    const LanguageChoice languageChoice(folders);
    const bool languageRead = languageChoice.LoadLanguageChoice(dictionary);

    Startup startup(folders, platform, dictionary);
    if (!startup.lockProgramFolder())
        return 1;
    startup.preloadRecords();

    // The screen locked or the machine asleep: the window locks.
    SessionSignals session;
    Splash splash(dictionary, shell, [&startup, &session] {
        Coffrel &window = startup.loadMainWindow();
        QObject::connect(
            &session, &SessionSignals::locking, &window.browser().windowLock(), &WindowLock::lock);
    });
    splash.centreOn(QGuiApplication::primaryScreen());
    splash.show();
    // The chosen language's file could not be read: the user may pick another.
    if (!languageRead) {
        (new LangSelect(LanguageSelection(languageChoice, processStarter, programEnd,
                            QCoreApplication::applicationFilePath()),
             dictionary))
            ->show();
    }
    return app.exec();
}
