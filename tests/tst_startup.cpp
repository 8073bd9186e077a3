#include "app/PassReq.h"
#include "app/Splash.h"
#include "app/Startup.h"
#include "fakes/ProgramFolder.h"
#include "fakes/PromptAnswers.h"
#include "records/Coffrel.h"
#include "vault/LineFile.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// Answers of a start that shows no prompt.
const char *const noPrompt = "<no prompt>";

// A stored line without ":!" is its own service name.
const QStringList someRecords = {QStringLiteral("Bank:!me:!pw:!:!"),
    QStringLiteral("alpha:!a:!b:!c:!http://a.example"), QStringLiteral("Bank without fields")};

} // namespace

class StartupTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { SealedFile::Cost::setStandardForTests({1, 8}); }
    void init() { m_program = std::make_unique<ProgramFolder>(); }
    void cleanup()
    {
        m_startup.reset();
        m_program.reset();
    }

    // A start on settings at a reach (none: a first start) and the records stored there, the
    // prompt answered: the window, the records in order, the import offer and what is told;
    // an expiry notice opens the settings with the key.
    void startShowsTheRecords_data()
    {
        QTest::addColumn<QString>("reach");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expiry"); // today is 01-15-2024
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("told"); // title|text|icon
        // Done to the sealed file once stored: missing, damaged, a folder in its place; "coded":
        // missing, and a coded file of other records put in the folder.
        QTest::addColumn<QString>("sealedFile");
        const auto row = [](const char *name, const char *reach, const QStringList &answers,
                             bool opens, const char *told = "", const char *expiry = "xx-xx-xxxx",
                             const char *key = "k", const char *sealedFile = "") {
            QTest::newRow(name) << QString(reach) << QString(key) << QString(expiry) << answers
                                << opens << QString(told) << QString(sealedFile);
        };
        const char *today = "Vaultine Notification|The Password expires today|none";
        const char *expired = "Vaultine Notification|The Password has expired|none";
        row("first start", "", {}, true);
        row("coded", "0", {}, true);
        row("enciphered", "1", {"k"}, true);
        row("right at the third try", "1", {"x", "", "k"}, true);
        row("program only", "2", {"y", "k"}, true);
        row("empty password, empty entry", "2", {""}, true, "", "xx-xx-xxxx", "");
        row("three wrong", "1", {"K", "x", "y"}, false,
            "Access Error|You are not allowed to use this application|stop");
        row("expires today", "2", {"k"}, true, today, "01-15-2024");
        row("expired last year", "2", {"k"}, true, expired, "12-31-2023");
        row("expired yesterday", "2", {"k"}, true, expired, "01-14-2024");
        row("expires tomorrow", "2", {"k"}, true, "", "01-16-2024");
        row("sealed, right at the third try", "3", {"x", "", "k"}, true);
        row("sealed, three wrong", "3", {"K", "x", "y"}, false,
            "Access Error|You are not allowed to use this application|stop");
        // The dialog does not show the password typed at start-up: no one keeps it.
        row("sealed, expired", "3", {"k"}, true, expired, "01-14-2024");
        // At reach 3 only a password that opens the sealed file opens the folder: nothing is
        // listed or written without it, and the window ends after the message.
        const char *missing = "Error - i67|Data/CF2DB.sdb is missing. At \"Program and DBase, "
                              "sealed\" it alone holds the records: nothing is listed and "
                              "nothing is written. Put the file back and start again.|stop";
        row("sealed file missing", "3", {noPrompt}, false, missing, "xx-xx-xxxx", "k", "missing");
        row("sealed file missing, coded file put there", "3", {noPrompt}, false, missing,
            "xx-xx-xxxx", "k", "coded");
        row("sealed file damaged", "3", {"k"}, false,
            "Error - i67|Data/CF2DB.sdb is damaged: it is not a sealed file of records that this "
            "program can open. Nothing is listed and nothing is written; the file is kept as it "
            "is.|stop",
            "xx-xx-xxxx", "k", "damaged");
        row("sealed file unreadable", "3", {"k"}, false,
            "Error - i67|Data/CF2DB.sdb could not be read, or there was no memory to open it. "
            "Nothing is listed and nothing is written; the file is kept as it is.|stop",
            "xx-xx-xxxx", "k", "folder");
    }
    void startShowsTheRecords()
    {
        QFETCH(QString, reach);
        QFETCH(QString, key);
        QFETCH(QString, expiry);
        QFETCH(QStringList, answers);
        QFETCH(bool, opens);
        QFETCH(QString, told);
        QFETCH(QString, sealedFile);
        if (!reach.isEmpty()) {
            QVERIFY(m_program->store(someRecords, reach, key));
            storeSettings(reach, key, expiry, answers);
        }
        const QString sealedPath = m_program->dir.filePath(QStringLiteral("Data/CF2DB.sdb"));
        if (!sealedFile.isEmpty())
            QVERIFY(QFile::remove(sealedPath));
        if (sealedFile == "damaged") // a header of another version
            QVERIFY(LineFile::writeContent(sealedPath, "Vaultine sealed\n\x03"));
        if (sealedFile == "folder")
            QVERIFY(QDir().mkdir(sealedPath));
        if (sealedFile == "coded")
            QVERIFY(m_program->store({QStringLiteral("planted:!x:!y:!:!")}));
        const auto data = [&] { // every file of Data, one after the other
            QByteArray bytes;
            const QDir folder(m_program->dir.filePath(QStringLiteral("Data")));
            for (const QString &name : folder.entryList(QDir::Files))
                bytes += name.toUtf8() + LineFile::readContent(folder.filePath(name)).bytes;
            return bytes;
        };
        const QByteArray before = data();
        Coffrel &window = startup().loadMainWindow();
        QCoreApplication::processEvents(); // no prompt left to answer
        QVERIFY(QFileInfo(m_program->dir.filePath(QStringLiteral("Data"))).isDir());
        QVERIFY(opens || data() == before);
        QCOMPARE(window.isVisible(), opens);
        const bool listed = opens && !reach.isEmpty();
        QCOMPARE(window.records().records(),
            listed ? QStringList({someRecords[1], someRecords[0], someRecords[2]}) : QStringList());
        QCOMPARE(window.records().services(),
            listed ? QStringList({"alpha", "Bank", "Bank without fields"}) : QStringList());
        QCOMPARE(window.menuItem(QStringLiteral("mnuImport"))->isEnabled(), reach.isEmpty());
        QCOMPARE(window.findChild<QCheckBox *>(QStringLiteral("Check1"))->isChecked(), opens);
        QCOMPARE(described(m_program->fake.messages), told);
        QCOMPARE(m_program->fake.programEnd.calls, opens ? 0 : 1);
        QVERIFY(m_program->noClearCopy());
        QWidget *dialog = nullptr;
        for (QWidget *shown : QApplication::topLevelWidgets()) {
            if (shown->objectName() == QLatin1String("Config") && shown->isVisible())
                dialog = shown;
        }
        QCOMPARE(dialog != nullptr, told.startsWith(QLatin1String("Vaultine Notification")));
        const bool sealed = reach == QLatin1String("3");
        if (auto *box
            = dialog ? dialog->findChild<QLineEdit *>(QStringLiteral("Text1")) : nullptr) {
            QCOMPARE(box->text(), sealed ? QString() : key);
            // Masked: a password text to screen readers.
            QVERIFY(QAccessible::queryAccessibleInterface(box)->state().passwordEdit);
        }
        if (sealed) // the key derived from it is kept instead
            QVERIFY(startup().database().access().databaseKey.isEmpty()
                && startup().database().sealKey().has_value() == opens);
    }
    void promptForgetsEveryEntry_data()
    {
        QTest::addColumn<QStringList>("entries"); // the password is "k"
        QTest::newRow("wrong, then right") << QStringList {"x", "k"};
        QTest::newRow("three wrong") << QStringList {"x", "y", "z"};
    }
    // Once tried, an entry is overwritten where the box held it, and the box is empty; every
    // wrong try but the third, which ends the program, is said below the box.
    void promptForgetsEveryEntry()
    {
        QFETCH(QStringList, entries);
        PassReq prompt(PasswordCheck::equalTo(QStringLiteral("k")), m_program->fake.platform,
            Dictionary::builtIn());
        prompt.show();
        auto *box = prompt.findChild<QLineEdit *>(QStringLiteral("Text1"));
        const auto *said = prompt.findChild<QLabel *>(QStringLiteral("wrongPassword"));
        QVERIFY(said && said->text().isEmpty());
        for (qsizetype i = 0; i < entries.size(); ++i) {
            QTest::keyClicks(box, entries[i]);
            const QString held = box->text(); // the box's own characters
            QTest::mouseClick(
                prompt.findChild<QPushButton *>(QStringLiteral("Command2")), Qt::LeftButton);
            QCOMPARE(box->text(), QString());
            QCOMPARE(held, QString(entries[i].size(), QChar(0)));
            if (entries[i] != "k" && i < 2)
                QCOMPARE(said->text(), QStringLiteral("Wrong password"));
        }
        QCOMPARE(m_program->fake.programEnd.calls, entries.last() == "k" ? 0 : 1);
    }
    void unreadableDatabaseIsReported_data()
    {
        QTest::addColumn<QString>("reach"); // of the configuration; empty: none
        // To the enciphered file, over the start of the sealed one; none: no file.
        QTest::addColumn<QByteArray>("appended");
        QTest::addColumn<QString>("told"); // title|text, as far as given
        const QString unreadable
            = QStringLiteral("Error - i67|The database seem to be corrupt or it does not exist.");
        const QString stray = QStringLiteral("Vaultine|Data/CF2DB.edb holds enciphered records");
        QTest::newRow("missing enciphered file") << "1" << QByteArray() << unreadable;
        QTest::newRow("bad line") << "1" << QByteArray("\x10?\r\n") << unreadable;
        QTest::newRow("stray, no configuration") << "" << QByteArray("") << stray;
        QTest::newRow("stray, program only") << "2" << QByteArray("") << stray;
        // A configuration that is there but cannot be read says nothing of the sealed file.
        QTest::newRow("stray sealed file, empty configuration")
            << "empty" << QByteArray("") << "Vaultine|Data/CF2DB.sdb holds sealed records";
    }
    // Told once; a damaged or stray file is kept as it is, a missing one may be written.
    void unreadableDatabaseIsReported()
    {
        QFETCH(QString, reach);
        QFETCH(QByteArray, appended);
        QFETCH(QString, told);
        const bool sealed = told.contains(u"CF2DB.sdb");
        const QString level = sealed ? QStringLiteral("3") : QStringLiteral("1");
        const QString path
            = m_program->dir.path() + QStringLiteral("/Data/CF2DB.") + (sealed ? "sdb" : "edb");
        const bool stored = !appended.isNull();
        if (stored) {
            QVERIFY(m_program->store(someRecords, level, QStringLiteral("k")));
            QFile file(path);
            QVERIFY(file.open(sealed ? QIODevice::ReadWrite : QIODevice::Append)
                && file.write(appended) == appended.size());
        }
        const auto bytes = [&] { return LineFile::readContent(path).bytes; };
        const QByteArray before = bytes();
        if (reach == "empty")
            QVERIFY(LineFile::writeContent(m_program->dir.filePath("Data/Coffrel.cnf"), {}));
        else if (!reach.isEmpty())
            storeSettings(reach, QStringLiteral("k"));
        Coffrel &window = startup().loadMainWindow();
        QCOMPARE(m_program->fake.messages.shown.size(), 1);
        const ShownMessage &shown = m_program->fake.messages.shown[0];
        QVERIFY2((shown.title + u'|' + shown.text).startsWith(told), qPrintable(shown.text));
        QCOMPARE(shown.icon, MessageBoxes::Icon::Stop);
        QCOMPARE(window.records().count(), 0);
        QVERIFY(m_program->noClearCopy());
        const bool damaged = !appended.isEmpty();
        const bool stray = reach != "1";
        QCOMPARE(startup().database().rewriteAllowed(), !damaged);
        if (!stored)
            return;
        // No coded file beside a kept one: a start with the settings put back would take it
        // for a cut-short conversion and replace the enciphered records with it.
        QCOMPARE(startup().database().RewriteDatabase(someRecords), !damaged && !stray);
        QCOMPARE(startup().database().AppendRecord(someRecords[0]), !stray);
        QCOMPARE(bytes().left(before.size()), before);
        if (stray) {
            m_startup.reset();
            storeSettings(level, QStringLiteral("k"));
            QCOMPARE(startup().loadMainWindow().records().count(), 3);
        }
    }
    void cutAppendIsToldOnce_data()
    {
        QTest::addColumn<QString>("reach");
        QTest::newRow("coded") << "0";
        QTest::newRow("enciphered") << "1";
    }
    // Once set aside, the end of a record cut short is not told again.
    void cutAppendIsToldOnce()
    {
        QFETCH(QString, reach);
        const QString path
            = m_program->dir.filePath(reach == "1" ? "Data/CF2DB.edb" : "Data/CF2DB.pdb");
        QVERIFY(m_program->store(someRecords, reach, QStringLiteral("k")));
        const QByteArray cut("\xA0\0\0", 3);
        QVERIFY(LineFile::writeContent(path, LineFile::readContent(path).bytes + cut));
        const QString told = "Vaultine|A database file ended with a record cut short, left by a "
                             "write that a crash or a power cut stopped. Those bytes are not a "
                             "record and are not listed: they were taken out of the file and kept "
                             "in Data, in the file named below. The records before them are all "
                             "listed.|information";
        for (const bool first : {true, false}) {
            m_startup.reset();
            m_program->fake.messages.shown.clear();
            storeSettings(reach, QStringLiteral("k"));
            QCOMPARE(startup().loadMainWindow().records().count(), 3);
            QCOMPARE(described(m_program->fake.messages), first ? told : QString());
        }
        QCOMPARE(LineFile::readContent(path + ".cut-20240115-120000-000").bytes, cut);
    }
    // A second program on one folder ends; a folder that cannot be locked does not stop a start.
    void onlyOneProgramPerFolder_data()
    {
        QTest::addColumn<QString>("programFolder");
        QTest::addColumn<QString>("plainFile");
        QTest::addColumn<bool>("held"); // by a running program
        QTest::newRow("held by another program") << QString() << QString() << true;
        QTest::newRow("Data is a file") << QString() << QStringLiteral("/Data") << false;
        QTest::newRow("program folder missing") << QStringLiteral("/missing") << QString() << false;
    }
    void onlyOneProgramPerFolder()
    {
        QFETCH(QString, programFolder);
        QFETCH(QString, plainFile);
        QFETCH(bool, held);
        // The running program may be renaming it right now.
        const QString inFlight = m_program->dir.filePath("Data/CF2DB.pdb.vaultine-new");
        if (held)
            QVERIFY(startup().lockProgramFolder(0) && LineFile::writeLines(inFlight, {}));
        if (!plainFile.isEmpty())
            QVERIFY(LineFile::writeLines(m_program->dir.path() + plainFile, {}));
        FakePlatform otherFake(m_program->dir.path() + QStringLiteral("/tmp"));
        Startup second(m_program->dir.path() + programFolder, otherFake.platform);
        QCOMPARE(second.lockProgramFolder(0), !held);
        QCOMPARE(described(otherFake.messages).endsWith(QLatin1String("|stop")), held);
        QCOMPARE(otherFake.messages.shown.size(), held ? 1 : 0);
        QVERIFY(m_program->fake.messages.shown.isEmpty());
        QCOMPARE(QFile::exists(inFlight), held);
    }
    // Leftovers of cut-short writes go; so do the clear working copy that earlier versions kept
    // and what a kill during its write left. Names that only look alike stay.
    void leftoversOfWritesAreRemoved()
    {
        const QStringList removed {"Data/CF2DB.pdb.vaultine-new.EXAJYx",
            "Data/Coffrel.cnf.vaultine-new", "tmp/mdb.tmp", "tmp/mdb.tmp.Ab12Cd"};
        const QStringList kept {"Data/CF2DB.pdb", "Data/CF2DB.pdb.backup",
            "Data/Coffrel.cnf.QWERTY", "Data/CF2DB.pdb.vaultine-new.ABC-EF",
            "Data/other.vaultine-new", "tmp/other.tmp"};
        QVERIFY(QDir(m_program->dir.path()).mkdir(QStringLiteral("Data")));
        for (const QString &name : removed + kept)
            QVERIFY(LineFile::writeLines(m_program->dir.filePath(name), {"x"}));
        QVERIFY(startup().lockProgramFolder(0));
        for (const QString &name : removed + kept)
            QVERIFY2(QFile::exists(m_program->dir.filePath(name)) == kept.contains(name),
                qPrintable(name));
        QVERIFY(m_program->fake.messages.shown.isEmpty());
    }
    void splashHandsOverOnce_data()
    {
        QTest::addColumn<bool>("click");
        QTest::newRow("timer") << false;
        QTest::newRow("mouse release") << true;
    }
    void splashHandsOverOnce()
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

private:
    Startup &startup()
    {
        if (!m_startup)
            m_startup = std::make_unique<Startup>(m_program->dir.path(), m_program->fake.platform);
        return *m_startup;
    }
    // The configuration of a master password at the reach level, and the prompt answered.
    void storeSettings(const QString &reach, const QString &key,
        const QString &expiry = ConfigFile::noExpiry, const QStringList &answers = {})
    {
        QDir(m_program->dir.path()).mkdir(QStringLiteral("Data"));
        const QString stored = reach == QLatin1String("3") ? ConfigFile::unsetMark : key;
        const QString line
            = ConfigFile::composeLine(expiry, stored, m_program->fake.clock.today(), reach);
        QVERIFY(ConfigFile(m_program->dir.path() + QStringLiteral("/Data")).write(line));
        // A prompt that should not show is answered all the same when it does.
        if (reach != QLatin1String("0"))
            answerPasswordPrompt(answers.isEmpty() || answers == QStringList {noPrompt}
                    ? QStringList {key}
                    : answers,
                answers != QStringList {noPrompt});
    }

    std::unique_ptr<ProgramFolder> m_program;
    std::unique_ptr<Startup> m_startup;
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
