#include "CsvImport.h"
#include "CsvTable.h"
#include "platform/PrivateTemporaryFolder.h"
#include "security/ConfigFile.h"
#include "vault/Database.h"
#include "vault/ProgramLock.h"
#include "vault/RecordBook.h"
#include "vault/VaultAccess.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

const QString master = QStringLiteral("Key-99");
const QStringList seeds
    = {QStringLiteral("Mail:!me@example.org:!Pw-4711:!note, with comma:!https://mail.example"),
        QStringLiteral("bank:!jo:!x\"y:!:!"),
        QString::fromUtf8("Caf\xc3\xa9:!zo\xc3\xa9:!p\xc3\xa4ss:!\xc3\xbc:!")};

struct Run
{
    int status;
    QString out;
    QString err;
};

// The real program, without a display, its standard input closed after the input.
Run runCli(const QStringList &arguments, const QByteArray &input = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(CLI_PATH), arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(20000) || process.exitStatus() != QProcess::NormalExit)
        return {-1, {}, QStringLiteral("did not end")};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
        QString::fromUtf8(process.readAllStandardError())};
}

// A program folder at the reach level, guarded by the master password at levels 1 and 2.
void makeFolder(const QString &folder, const QString &reach, const QStringList &records,
    const QString &expiry = ConfigFile::noExpiry)
{
    QDir().mkpath(folder + QStringLiteral("/Data"));
    if (reach != QLatin1String("0")) {
        const ConfigFile config(folder + QStringLiteral("/Data"));
        QVERIFY(config.write(ConfigFile::composeLine(expiry, master, "01-01-2024", reach)));
    }
    VaultAccess access {reach, master};
    QVERIFY(Database(folder, access).RewriteDatabase(records));
}

// The records as the window reads them, in its order.
QStringList stored(const QString &folder, const QString &reach)
{
    VaultAccess access {reach, master};
    const Database::Records records
        = Database(folder, access)
              .LoadRecords(
                  access.enciphered() ? Database::Source::Enciphered : Database::Source::Coded);
    if (!records.readWhole)
        return {QStringLiteral("<unreadable>")};
    RecordBook book;
    book.load(records.lines);
    return book.records();
}

QStringList sorted(const QStringList &lines)
{
    RecordBook book;
    book.load(lines);
    return book.records();
}

int modeOf(const QString &path)
{
    struct stat info;
    return stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

} // namespace

class CliTest : public QObject
{
    Q_OBJECT

private slots:
    void csvRowsReadBackAsWritten_data()
    {
        QTest::addColumn<QStringList>("row");
        QTest::newRow("plain") << QStringList {"a", "b", "c"};
        QTest::newRow("comma, quotes, empty") << QStringList {"a,b", "say \"hi\"", "", "\""};
        QTest::newRow("line breaks") << QStringList {"one\ntwo", "three\r\nfour", "x"};
        QTest::newRow("non-ascii") << QStringList {QString::fromUtf8("Caf\xc3\xa9"),
            QString::fromUtf8("\xe6\x97\xa5\xe6\x9c\xac"), QString::fromUtf8("\xe2\x82\xac")};
        QTest::newRow("spaces kept") << QStringList {" x ", "  "};
    }
    void csvRowsReadBackAsWritten()
    {
        QFETCH(QStringList, row);
        const QByteArray file
            = (CsvTable::formatRow(row) + "\r\n" + CsvTable::formatRow({"end"})).toUtf8();
        QCOMPARE(CsvTable::parse(file), (QList<QStringList> {row, {"end"}}));
    }
    void csvReadsOtherWriters_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::newRow("LF rows") << QByteArray("a,b\nc,d\n")
                                 << QList<QStringList> {{"a", "b"}, {"c", "d"}};
        QTest::newRow("CR LF, no last break")
            << QByteArray("a,b\r\nc,d") << QList<QStringList> {{"a", "b"}, {"c", "d"}};
        QTest::newRow("byte-order mark")
            << QByteArray("\xef\xbb\xbfTitle\nx\n") << QList<QStringList> {{"Title"}, {"x"}};
        QTest::newRow("doubled quote, comma inside")
            << QByteArray("\"a \"\"q\"\", b\",c\n") << QList<QStringList> {{"a \"q\", b", "c"}};
        QTest::newRow("short row, empty last field") << QByteArray(
            "a,b,c\nd\ne,\n") << QList<QStringList> {{"a", "b", "c"}, {"d"}, {"e", ""}};
        QTest::newRow("windows-1252") << QByteArray(
            "Caf\xe9,x\n") << QList<QStringList> {{QString::fromUtf8("Caf\xc3\xa9"), "x"}};
    }
    void csvReadsOtherWriters()
    {
        QFETCH(QByteArray, file);
        QFETCH(QList<QStringList>, rows);
        QCOMPARE(CsvTable::parse(file), rows);
    }
    void importFindsColumnsByHeader_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("duplicates");
        QTest::addColumn<int>("skipped");
        const auto row = [](const char *name, const QByteArray &file, const QStringList &lines,
                             int duplicates = 0, int skipped = 0) {
            QTest::newRow(name) << file << lines << duplicates << skipped;
        };
        row("own export", "Title,Username,Password,URL,Notes\r\nMail,me,pw,https://m,note\r\n",
            {"Mail:!me:!pw:!note:!https://m"});
        row("lower case, any order, extra column",
            "name,url,username,password,extra,grouping\nSite,https://s,u,p,n,G\n",
            {"Site:!u:!p:!n:!https://s"});
        row("login_ names",
            "folder,type,name,notes,login_uri,login_username,login_password\n"
            ",login,Web,a note,https://w,wu,wp\n",
            {"Web:!wu:!wp:!a note:!https://w"});
        row("quoted, byte-order mark",
            "\xef\xbb\xbf\"Account\",\"Login Name\",\"Password\",\"Web Site\",\"Comments\"\r\n"
            "\"Shop\",\"s\",\"x\",\"http://s\",\"c\"\r\n",
            {"Shop:!s:!x:!c:!http://s"});
        row("missing cells", "Title,Username,Password,URL,Notes\nShort,u,p\n", {"Short:!u:!p:!:!"});
        row("line break becomes a space", "TITLE,Password,Notes\nT,p,\"two\r\nlines\"\n",
            {"T:!:!p:!two lines:!"});
        row("no service, no password, separator", "Title,Password\n,p\nA,\nA:!x,p\nB,p\n\n",
            {"B:!:!p:!:!"}, 0, 3);
        row("stored and repeated", "Title,Username,Password\nOld,u,p\nN,u,p\nN,u,p\n",
            {"N:!u:!p:!:!"}, 2);
        row("no password column", "Title,Username\nA,b\n", {}, -1, -1);
    }
    void importFindsColumnsByHeader()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, lines);
        QFETCH(int, duplicates);
        QFETCH(int, skipped);
        RecordBook book;
        book.load({"Old:!u:!p:!:!"});
        const CsvImport import(CsvTable::parse(file));
        QCOMPARE(import.hasColumns(), duplicates >= 0);
        if (!import.hasColumns())
            return;
        const CsvImport::Outcome outcome = import.newRecords(book);
        QCOMPARE(outcome.lines, lines);
        QCOMPARE(outcome.duplicates, duplicates);
        QCOMPARE(outcome.skipped.size(), skipped);
    }
    void usageIsAnswered_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const auto row = [](const char *name, const QStringList &arguments, int status,
                             const char *out, const char *err) {
            QTest::newRow(name) << arguments << status << QString(out) << QString(err);
        };
        row("help", {"--help"}, 0, "Usage: vaultine-cli [--folder", "");
        row("command help", {"--folder", "x", "show", "-h"}, 0,
            "Usage: vaultine-cli show [options] service", "");
        row("no command", {}, 2, "", "No command given.");
        row("unknown command", {"frob"}, 2, "", "Unknown command");
        row("unknown option", {"list", "--frob"}, 2, "", "frob");
        row("extra argument", {"list", "a", "b"}, 2, "", "arguments");
        row("service missing", {"show"}, 2, "", "arguments");
        row("file missing", {"export"}, 2, "", "--csv");
        row("unknown field", {"copy", "Mail", "--field", "pin"}, 2, "", "--field");
        row("copy without display", {"copy", "Mail"}, 1, "", "needs a display");
    }
    void usageIsAnswered()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const QString folder = m_root.filePath(QTest::currentDataTag());
        makeFolder(folder, "0", seeds);
        const Run run = runCli(QStringList {"--folder", folder} + arguments);
        QCOMPARE(run.status, status);
        QVERIFY2(out.isEmpty() ? run.out.isEmpty() : run.out.startsWith(out), qPrintable(run.out));
        QVERIFY2(run.err.contains(err), qPrintable(run.err));
    }
    void commandsWorkAtEveryReach_data()
    {
        QTest::addColumn<QString>("reach");
        QTest::addColumn<QString>("expiry");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QString>("added");
        const QString shown
            = "Username: me@example.org\nPassword: %1\nOther Info: note, with comma\n"
              "Path: https://mail.example\n";
        const QString all = QString::fromUtf8("bank\nCaf\xc3\xa9\nMail\n");
        const QString refused = "You are not allowed to use this application";
        // The first line of standard input is the master password's, even where none is asked.
        const QByteArray pw = master.toUtf8() + '\n';
        const QString viaStdin = "--password-stdin";
        for (const QString reach : {"0", "1", "2"}) {
            const auto row
                = [&](const char *name, const QStringList &arguments, const QByteArray &input,
                      int status, const QString &out, const QString &err, const QString &added = {},
                      const QString &expiry = ConfigFile::noExpiry) {
                      QTest::addRow("%s: %s", qPrintable(reach), name)
                          << reach << expiry << arguments << input << status << out << err << added;
                  };
            row("list", {viaStdin, "list"}, pw, 0, all, "");
            row("list, letter case ignored", {viaStdin, "list", "AI"}, pw, 0, "Mail\n", "");
            row("show masked", {viaStdin, "show", "Mail"}, pw, 0, shown.arg("****"), "");
            row("show revealed", {viaStdin, "show", "--reveal", "Mail"}, pw, 0,
                shown.arg("Pw-4711"), "");
            row("show, exact name only", {viaStdin, "show", "mail"}, pw, 1, "", "no record");
            row("add", {viaStdin, "add", "--stdin"}, pw + "New\nu\nNew-pw\no\np\n", 0,
                "Added the record of New.\n", "", "New:!u:!New-pw:!o:!p");
            row("add, duplicate", {viaStdin, "add", "--stdin"},
                pw + seeds[0].split(":!").join('\n').toUtf8(), 1, "",
                "There is an identical record already filed");
            row("add, separator", {viaStdin, "add", "--stdin"}, pw + "S\nu:!x\np\n", 1, "",
                "\":!\"");
            row("add, no password", {viaStdin, "add", "--stdin"}, pw + "S\nu\n\n", 1, "",
                "needs a Service");
            row("add, line break", {viaStdin, "add", "--stdin"}, pw + "S\nu\np\na\rb\n", 1, "",
                "line break");
            if (reach == QLatin1String("0"))
                continue;
            row("three wrong passwords", {"list"}, "a\nb\nc\n" + pw, 1, "", refused);
            row("second try", {"list"}, "a\n" + pw, 0, all, "Wrong password.");
            row("wrong password on stdin", {viaStdin, "add", "--stdin"}, "Key-98\nNew\nu\nNew-pw\n",
                1, "", refused);
            row("no input", {"show", "Mail"}, {}, 1, "", refused);
            row("expired", {viaStdin, "list", "bank"}, pw, 0, "bank\n", "The Password has expired",
                {}, "01-01-2000");
        }
    }
    void commandsWorkAtEveryReach()
    {
        QFETCH(QString, reach);
        QFETCH(QString, expiry);
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, input);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(QString, added);
        const QString folder = m_root.filePath(QTest::currentDataTag());
        makeFolder(folder, reach, seeds, expiry);
        const Run run = runCli(QStringList {"--folder", folder} + arguments, input);
        QCOMPARE(run.status, status);
        QCOMPARE(run.out, out);
        QVERIFY2(run.err.contains(err), qPrintable(run.err));
        // Nothing lost, nothing wrong, no secret printed unless asked for.
        QCOMPARE(
            stored(folder, reach), sorted(added.isEmpty() ? seeds : seeds + QStringList {added}));
        const bool revealed = arguments.contains("--reveal");
        for (const QString secret : {"Key-99", "New-pw", "Pw-4711"})
            QVERIFY(!run.err.contains(secret) && (revealed || !run.out.contains(secret)));
        QVERIFY(!QFile::exists(PrivateTemporaryFolder().LocateSpecialFolder() + "/mdb.tmp"));
    }
    void exportThenImportKeepsEveryRecord_data()
    {
        QTest::addColumn<QString>("reach");
        QTest::newRow("none") << "0";
        QTest::newRow("program and database") << "1";
        QTest::newRow("program only") << "2";
    }
    void exportThenImportKeepsEveryRecord()
    {
        QFETCH(QString, reach);
        const QString from = m_root.filePath("from-" + reach);
        const QString into = m_root.filePath("into-" + reach);
        const QString csv = m_root.filePath("export-" + reach + ".csv");
        const QStringList records
            = seeds + QStringList {"a,b:!\"q\":!p w:!  lead  :!http://x/?a=1,2"};
        makeFolder(from, reach, records);
        makeFolder(into, reach, {});
        const QByteArray pw = master.toUtf8() + '\n';
        const auto cli = [&](const QString &folder, const QStringList &arguments) {
            return runCli(QStringList {"--folder", folder, "--password-stdin"} + arguments, pw);
        };

        QFile file(csv);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("keep") == 4);
        file.close();
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        QCOMPARE(cli(from, {"export", "--csv", csv}).status, 1);
        QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll() == "keep");
        file.close();

        const Run exported = cli(from, {"export", "--csv", csv, "--force"});
        QCOMPARE(exported.status, 0);
        QVERIFY(exported.err.contains("clear"));
        QCOMPARE(modeOf(csv), 0600);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith("Title,Username,Password,URL,Notes\r\n"));

        QCOMPARE(cli(into, {"import", "--csv", csv}).out, "Added: 4, duplicates: 0, skipped: 0.\n");
        QCOMPARE(stored(into, reach), sorted(records));
        QCOMPARE(cli(into, {"import", "--csv", csv}).out, "Added: 0, duplicates: 4, skipped: 0.\n");
        QCOMPARE(stored(into, reach), sorted(records));
    }
    void writesWaitForTheWindow_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("status");
        QTest::newRow("add") << QStringList {"add", "--stdin"} << QByteArray("S\nu\np\n") << 1;
        QTest::newRow("import") << QStringList {"import", "--csv", CLI_PATH ".csv"} << QByteArray()
                                << 1;
        QTest::newRow("list reads without the lock") << QStringList {"list"} << QByteArray() << 0;
        // A stray folder at the lock file's name locks as well.
        QTest::newRow("add, lock is a folder")
            << QStringList {"add", "--stdin"} << QByteArray("S\nu\np\n") << 1;
    }
    void writesWaitForTheWindow()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, input);
        QFETCH(int, status);
        const QString folder = m_root.filePath(QTest::currentDataTag());
        makeFolder(folder, "0", seeds);
        if (folder.endsWith("folder"))
            QVERIFY(QDir(folder).mkpath("Data/vaultine.lock"));
        QFile csv(CLI_PATH ".csv");
        QVERIFY(csv.open(QIODevice::WriteOnly) && csv.write("Title,Password\nS,p\n") > 0);
        csv.close();
        ProgramLock window(folder + "/Data");
        QCOMPARE(window.acquire(0), ProgramLock::Result::Acquired);
        const Run run = runCli(QStringList {"--folder", folder} + arguments, input);
        QCOMPARE(run.status, status);
        QCOMPARE(run.err.contains("close it first"), status != 0);
        QCOMPARE(stored(folder, "0"), sorted(seeds));
    }

private:
    QTemporaryDir m_root;
};

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
