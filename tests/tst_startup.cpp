#include "app/Splash.h"
#include "app/Startup.h"
#include "fakes/FakePlatform.h"
#include "fakes/PromptAnswers.h"
#include "records/Coffrel.h"
#include "vault/LineFile.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The start-up steps as they are logged, and whether the working copy existed at each.
struct StepLog
{
    QStringList steps;
    QList<bool> workingCopyThere;
    QString workingCopy;
};

StepLog *activeLog = nullptr;

void recordStep(QtMsgType, const QMessageLogContext &context, const QString &message)
{
    if (activeLog && QByteArray(context.category) == "vaultine.startup") {
        activeLog->steps.append(message.section(u' ', 0, 0));
        activeLog->workingCopyThere.append(QFile::exists(activeLog->workingCopy));
    }
}

// A stored line without ":!" is its own service name.
const QStringList someRecords = {QStringLiteral("Bank:!me:!pw:!:!"),
    QStringLiteral("alpha:!a:!b:!c:!http://a.example"), QStringLiteral("Bank without fields")};

} // namespace

class StartupTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstStartOffersImport();
    void storedRecordsAreListedInOrder_data();
    void storedRecordsAreListedInOrder();
    void loadingRunsItsStepsInOrder();
    void masterPasswordIsAsked_data();
    void masterPasswordIsAsked();
    void expiryIsTold_data();
    void expiryIsTold();
    void missingEncipheredFileIsReported();
    void unreadableDatabaseRefusesRewrites();
    void secondProgramOnOneFolderEnds();
    void unusableFolderStartsWithoutLock_data();
    void unusableFolderStartsWithoutLock();
    void leftoversOfWritesAreRemoved_data();
    void leftoversOfWritesAreRemoved();
    void splashHandsOverOnce_data();
    void splashHandsOverOnce();

private:
    Startup &startup();
    void storeEnciphered(const QStringList &records, const QString &key);
    // The configuration of a master password at the reach level, and the prompt answered.
    void storeSettings(const QString &reach, const QString &key,
        const QString &expiry = ConfigFile::noExpiry, const QStringList &answers = {});

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<FakePlatform> m_fake;
    std::unique_ptr<Startup> m_startup;
};

void StartupTest::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QDir(m_folder->path()).mkdir(QStringLiteral("tmp"));
    m_fake = std::make_unique<FakePlatform>(m_folder->path() + QStringLiteral("/tmp"));
}

void StartupTest::cleanup()
{
    m_startup.reset();
    m_fake.reset();
    m_folder.reset();
}

Startup &StartupTest::startup()
{
    if (!m_startup)
        m_startup = std::make_unique<Startup>(m_folder->path(), m_fake->platform);
    return *m_startup;
}

void StartupTest::storeEnciphered(const QStringList &records, const QString &key)
{
    VaultAccess access {QStringLiteral("1"), key};
    Database database(m_folder->path(), m_fake->temporaryFolder, access);
    database.EnsureDataFolder();
    QVERIFY(database.RewriteDatabase(records));
}

void StartupTest::storeSettings(
    const QString &reach, const QString &key, const QString &expiry, const QStringList &answers)
{
    QDir(m_folder->path()).mkdir(QStringLiteral("Data"));
    const QString line = ConfigFile::composeLine(expiry, key, m_fake->clock.today(), reach);
    QVERIFY(ConfigFile(m_folder->path() + QStringLiteral("/Data")).write(line));
    if (reach != QLatin1String("0"))
        answerPasswordPrompt(answers.isEmpty() ? QStringList {key} : answers);
}

void StartupTest::firstStartOffersImport()
{
    Coffrel &window = startup().loadMainWindow();
    QVERIFY(QFileInfo(m_folder->path() + QStringLiteral("/Data")).isDir());
    QCOMPARE(window.records().count(), 0);
    QVERIFY(window.menuItem(QStringLiteral("mnuImport"))->isEnabled());
    QVERIFY(window.findChild<QCheckBox *>(QStringLiteral("Check1"))->isChecked());
    QVERIFY(m_fake->messages.shown.isEmpty());
    QVERIFY(window.isVisible());
}

void StartupTest::storedRecordsAreListedInOrder_data()
{
    QTest::addColumn<QString>("reach");
    QTest::newRow("coded") << "0";
    QTest::newRow("enciphered") << "1";
}

void StartupTest::storedRecordsAreListedInOrder()
{
    QFETCH(QString, reach);
    const QString key = QStringLiteral("master");
    if (reach == "1") {
        storeEnciphered(someRecords, key);
    } else {
        VaultAccess access;
        Database database(m_folder->path(), m_fake->temporaryFolder, access);
        database.EnsureDataFolder();
        QVERIFY(database.RewriteDatabase(someRecords));
    }
    storeSettings(reach, key);
    const Coffrel &window = startup().loadMainWindow();
    QCOMPARE(
        window.records().records(), QStringList({someRecords[1], someRecords[0], someRecords[2]}));
    QCOMPARE(window.records().services(), QStringList({"alpha", "Bank", "Bank without fields"}));
    QVERIFY(!window.menuItem(QStringLiteral("mnuImport"))->isEnabled());
    QVERIFY(m_fake->messages.shown.isEmpty());
}

void StartupTest::loadingRunsItsStepsInOrder()
{
    storeEnciphered(someRecords, QStringLiteral("k"));
    StepLog log;
    log.workingCopy = startup().database().workingCopyPath();
    activeLog = &log;
    QLoggingCategory::setFilterRules(QStringLiteral("vaultine.startup.debug=true"));
    const QtMessageHandler previous = qInstallMessageHandler(recordStep);
    storeSettings(QStringLiteral("1"), QStringLiteral("k"));
    startup().loadMainWindow();
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());
    activeLog = nullptr;

    QCOMPARE(log.steps,
        QStringList({"L1", "L2", "L3", "L4", "L5", "L6", "L7", "L8", "L9", "L10", "L11", "L12"}));
    // The deciphered records lie on disk only from the password step to the deletion.
    QCOMPARE(log.workingCopyThere,
        QList<bool>(
            {false, false, false, false, false, false, true, true, true, false, false, false}));
}

void StartupTest::masterPasswordIsAsked_data()
{
    QTest::addColumn<QString>("reach");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<bool>("opens");
    QTest::newRow("right at once") << "1"
                                   << "k" << QStringList {"k"} << true;
    QTest::newRow("right at the third try") << "1"
                                            << "k" << QStringList {"x", "", "k"} << true;
    QTest::newRow("program only") << "2"
                                  << "k" << QStringList {"y", "k"} << true;
    QTest::newRow("three wrong") << "1"
                                 << "k" << QStringList {"K", "x", "y"} << false;
    QTest::newRow("empty password, empty entry") << "2"
                                                 << "" << QStringList {""} << true;
}

void StartupTest::masterPasswordIsAsked()
{
    QFETCH(QString, reach);
    QFETCH(QString, key);
    QFETCH(QStringList, answers);
    QFETCH(bool, opens);

    if (reach == QLatin1String("1"))
        storeEnciphered(someRecords, key);
    storeSettings(reach, key, ConfigFile::noExpiry, answers);
    Coffrel &window = startup().loadMainWindow();
    QCOMPARE(window.isVisible(), opens);
    QCOMPARE(window.records().count(), opens && reach == QLatin1String("1") ? 3 : 0);
    QCOMPARE(m_fake->programEnd.calls, opens ? 0 : 1);
    QCOMPARE(m_fake->messages.shown.size(), opens ? 0 : 1);
    if (!opens) {
        QCOMPARE(m_fake->messages.shown[0].title, QStringLiteral("Access Error"));
        QCOMPARE(m_fake->messages.shown[0].text,
            QStringLiteral("You are not allowed to use this application"));
        QVERIFY(!QFile::exists(startup().database().workingCopyPath()));
    }
}

void StartupTest::expiryIsTold_data()
{
    QTest::addColumn<QString>("expiry"); // today is 01-15-2024
    QTest::addColumn<QString>("notice");
    QTest::newRow("expires today") << "01-15-2024"
                                   << "The Password expires today";
    QTest::newRow("expired last year") << "12-31-2023"
                                       << "The Password has expired";
    QTest::newRow("expired yesterday") << "01-14-2024"
                                       << "The Password has expired";
    QTest::newRow("tomorrow") << "01-16-2024"
                              << "";
    QTest::newRow("no expiry") << "xx-xx-xxxx"
                               << "";
}

void StartupTest::expiryIsTold()
{
    QFETCH(QString, expiry);
    QFETCH(QString, notice);

    storeSettings(QStringLiteral("2"), QStringLiteral("secret"), expiry);
    startup().loadMainWindow();
    QWidget *dialog = nullptr;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String("Config") && window->isVisible())
            dialog = window;
    }
    QCOMPARE(m_fake->messages.shown.size(), notice.isEmpty() ? 0 : 1);
    QCOMPARE(dialog != nullptr, !notice.isEmpty());
    if (!notice.isEmpty()) {
        QCOMPARE(m_fake->messages.shown[0].title, QStringLiteral("Vaultine Notification"));
        QCOMPARE(m_fake->messages.shown[0].text, notice);
        QCOMPARE(m_fake->messages.shown[0].icon, MessageBoxes::Icon::None);
        QCOMPARE(dialog->findChild<QLineEdit *>(QStringLiteral("Text1"))->text(), "secret");
    }
}

void StartupTest::missingEncipheredFileIsReported()
{
    storeSettings(QStringLiteral("1"), QStringLiteral("k"));
    const Coffrel &window = startup().loadMainWindow();
    QCOMPARE(m_fake->messages.shown.size(), 1);
    QCOMPARE(m_fake->messages.shown[0].title, QStringLiteral("Error - i67"));
    QCOMPARE(m_fake->messages.shown[0].text,
        QStringLiteral("The database seem to be corrupt or it does not exist."));
    QCOMPARE(m_fake->messages.shown[0].icon, MessageBoxes::Icon::Stop);
    QCOMPARE(window.records().count(), 0);
    QVERIFY(!QFile::exists(startup().database().workingCopyPath()));
    QVERIFY(startup().database().rewriteAllowed());
}

void StartupTest::unreadableDatabaseRefusesRewrites()
{
    storeEnciphered(someRecords, QStringLiteral("right"));
    const QString path = m_folder->path() + QStringLiteral("/Data/CF2DB.edb");
    QFile file(path);
    QVERIFY(file.open(QIODevice::Append));
    file.write("\x10?\r\n");
    file.close();
    const QByteArray before = [&] {
        QFile stored(path);
        return stored.open(QIODevice::ReadOnly) ? stored.readAll() : QByteArray();
    }();

    storeSettings(QStringLiteral("1"), QStringLiteral("right"));
    Coffrel &window = startup().loadMainWindow();
    QCOMPARE(m_fake->messages.shown.size(), 1);
    QCOMPARE(m_fake->messages.shown[0].title, QStringLiteral("Error - i67"));

    QVERIFY(!startup().database().RewriteDatabase(window.records().records()));
    QFile stored(path);
    QVERIFY(stored.open(QIODevice::ReadOnly));
    QCOMPARE(stored.readAll(), before);
}

void StartupTest::secondProgramOnOneFolderEnds()
{
    QVERIFY(startup().lockProgramFolder(0));
    // The running program may be renaming it right now.
    const QString inFlight = m_folder->path() + QStringLiteral("/Data/CF2DB.pdb.EXAJYx");
    QVERIFY(LineFile::writeLines(inFlight, {}));
    FakePlatform otherFake(m_folder->path() + QStringLiteral("/tmp"));
    Startup second(m_folder->path(), otherFake.platform);
    QVERIFY(!second.lockProgramFolder(0));
    QCOMPARE(otherFake.messages.shown.size(), 1);
    QCOMPARE(otherFake.messages.shown[0].icon, MessageBoxes::Icon::Stop);
    QVERIFY(m_fake->messages.shown.isEmpty());
    QVERIFY(QFile::exists(inFlight));
}

void StartupTest::unusableFolderStartsWithoutLock_data()
{
    QTest::addColumn<QString>("programFolder");
    QTest::addColumn<QString>("plainFile");
    QTest::newRow("Data is a file") << ""
                                    << "/Data";
    QTest::newRow("program folder missing") << "/missing"
                                            << "";
}

void StartupTest::unusableFolderStartsWithoutLock()
{
    QFETCH(QString, programFolder);
    QFETCH(QString, plainFile);
    if (!plainFile.isEmpty())
        QVERIFY(LineFile::writeLines(m_folder->path() + plainFile, {}));
    Startup unlocked(m_folder->path() + programFolder, m_fake->platform);
    QVERIFY(unlocked.lockProgramFolder(0));
    QVERIFY(m_fake->messages.shown.isEmpty());
}

void StartupTest::leftoversOfWritesAreRemoved_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("removed");
    QTest::newRow("coded") << "CF2DB.pdb.EXAJYx" << true;
    QTest::newRow("enciphered") << "CF2DB.edb.a1B2c3" << true;
    QTest::newRow("configuration") << "Coffrel.cnf.QWERTY" << true;
    QTest::newRow("database") << "CF2DB.pdb" << false;
    QTest::newRow("backup") << "CF2DB.pdb.bak" << false;
    QTest::newRow("seven letters") << "CF2DB.pdb.ABCDEFG" << false;
    QTest::newRow("not a letter") << "CF2DB.pdb.ABC-EF" << false;
    QTest::newRow("other file") << "other.ABCDEF" << false;
    QTest::newRow("longer name") << "xCF2DB.pdb.ABCDEF" << false;
}

void StartupTest::leftoversOfWritesAreRemoved()
{
    QFETCH(QString, name);
    QFETCH(bool, removed);
    const QString path = m_folder->path() + QStringLiteral("/Data/") + name;
    QVERIFY(QDir(m_folder->path()).mkdir(QStringLiteral("Data")));
    QVERIFY(LineFile::writeLines(path, {"x"}));
    QVERIFY(startup().lockProgramFolder(0));
    QCOMPARE(QFile::exists(path), !removed);
    QVERIFY(m_fake->messages.shown.isEmpty());
}

void StartupTest::splashHandsOverOnce_data()
{
    QTest::addColumn<bool>("click");
    QTest::newRow("timer") << false;
    QTest::newRow("mouse release") << true;
}

void StartupTest::splashHandsOverOnce()
{
    QFETCH(bool, click);
    int handOvers = 0;
    FakeShell shell;
    auto *splash = new Splash(Dictionary::builtIn(), shell, [&] { ++handOvers; });
    splash->setAttribute(Qt::WA_DeleteOnClose, false);
    splash->show();
    QVERIFY(splash->isTimerActive());
    if (click) {
        QTest::mouseClick(splash, Qt::LeftButton);
        QCOMPARE(handOvers, 1);
        QVERIFY(!splash->isTimerActive());
        QTest::qWait(1200);
    } else {
        QTRY_COMPARE_WITH_TIMEOUT(handOvers, 1, 3000);
    }
    QTest::mouseClick(splash, Qt::LeftButton);
    QCOMPARE(handOvers, 1);
    QVERIFY(!splash->isVisible());
    delete splash;
}

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
