#include "fakes/FakePlatform.h"
#include "security/ConfigFile.h"
#include "security/ExpiryDate.h"
#include "security/PasswordCheck.h"
#include "security/PasswordSuggestion.h"
#include "security/SecurityChange.h"
#include "security/SecurityForm.h"
#include "vault/CipherText.h"
#include "vault/Database.h"
#include "vault/LineFile.h"
#include "vault/RecordLine.h"
#include "vault/VaultAccess.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

const QString today = QStringLiteral("01-15-2026");
const QString cnf = QStringLiteral("Coffrel.cnf");
const QString pdb = QStringLiteral("CF2DB.pdb");
const QString edb = QStringLiteral("CF2DB.edb");
const QString capitals = QStringLiteral("123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ");
// "@" at an odd place enciphers to CR under this key, so its enciphered file is the longer.
const QString keyWithLineBreaks = QString::fromUtf8("\xc3\xb2");
const QStringList threeRecords {QStringLiteral("a@b:!jo:!p, \"w\":!:!"),
    QStringLiteral("Bank:!bu:!bp:!note:!http://b"),
    QString::fromUtf8("Caf\xc3\xa9:!\xc3\xbc:!\xe2\x82\xac x:!:!")};

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

int modeOf(const QString &path)
{
    struct stat info;
    return stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

// The configuration's key stream, read back from a file of known text.
QByteArray configurationKey()
{
    static const QByteArray key = [] {
        QTemporaryDir scratch;
        const QByteArray known(256, 'a');
        ConfigFile(scratch.path()).write(QString::fromLatin1(known));
        return *CipherText(*LineFile::readLine(scratch.filePath(cnf)), known);
    }();
    return key;
}

QString described(const FakeMessageBoxes &messages)
{
    const char *icons[] = {"none", "information", "stop"};
    QStringList all;
    for (const ShownMessage &m : messages.shown)
        all.append(m.title + u'|' + m.text + u'|' + QLatin1String(icons[int(m.icon)]));
    return all.join(u'\n');
}

// Limits the size of files this process may write, so that writes fail even for root.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    rlimit m_old;
};

// A program folder holding records at a reach level, and the settings rules on it after a
// start-up like the program's.
struct Program
{
    Program(const QString &reach, const QString &key, const QStringList &lines)
        : temporary(dir.filePath(QStringLiteral("tmp")))
        , access {reach, key}
        , config(dir.filePath(QStringLiteral("Data")))
    {
        QDir(dir.path()).mkdir(QStringLiteral("tmp"));
        Database first(dir.path(), temporary, access);
        first.EnsureDataFolder();
        if (!lines.isEmpty())
            first.RewriteDatabase(lines);
        clock.date = today;
    }

    void start()
    {
        database = std::make_unique<Database>(dir.path(), temporary, access);
        if (access.enciphered())
            database->DecipherDatabase();
        records = database->LoadRecords().lines;
        database->deleteWorkingCopy();
        database->finishConversion(records);
        change = std::make_unique<SecurityChange>(*database, access, config);
        form = std::make_unique<SecurityForm>(*change, clock, messages);
    }

    QString data(const QString &name) const { return dir.filePath(QStringLiteral("Data/") + name); }
    QStringList files() const
    {
        return QDir(data({})).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    // Every entry of the program folder with its bytes.
    QMap<QString, QByteArray> snapshot() const
    {
        QMap<QString, QByteArray> entries;
        QDirIterator it(dir.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
            QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            entries[path] = it.fileInfo().isDir() ? "<dir>" : bytesOf(path);
        }
        return entries;
    }
    // The configuration line in plain text.
    QString storedLine() const
    {
        const std::optional<QByteArray> line = LineFile::readLine(data(cnf));
        return line
            ? RecordLine::fromBytes(*CipherText(*line, configurationKey().left(line->size())))
            : QStringLiteral("<none>");
    }
    // The records as a fresh start at this reach and key reads them.
    QStringList stored(const QString &reach, const QString &key) const
    {
        VaultAccess fresh {reach, key};
        Database restarted(dir.path(), temporary, fresh);
        if (fresh.enciphered() && !restarted.DecipherDatabase())
            return {QStringLiteral("<unreadable>")};
        const Database::Records read = restarted.LoadRecords();
        restarted.deleteWorkingCopy();
        return read.readWhole ? read.lines : QStringList {QStringLiteral("<unreadable>")};
    }

    void perform(const QString &step)
    {
        const QString verb = step.section(u'|', 0, 0);
        const QString text = step.section(u'|', 1);
        if (verb == "type")
            form->Text1_Change(text);
        else if (verb == "suggest")
            form->Check1_Click(text == "1");
        else if (verb == "level")
            form->selectLevel(text.toInt());
        else if (verb == "reach")
            form->selectReach(text.toInt());
        else if (verb == "no expiry")
            form->Check2_Click(text == "1");
        else if (verb == "date")
            form->Text2_Change(text);
        else if (verb == "leave date")
            form->NormaliseExpiryDate();
        else if (verb == "length")
            form->Text3_Change(text);
        else if (verb == "go")
            form->SuggestPassword();
        else if (verb == "reset")
            form->Command3_Click();
        else if (verb == "dir") // the file's name taken by a folder: its writes fail
            QDir().mkdir(data(text));
        else
            QFAIL(qPrintable("unknown step " + step));
    }

    QTemporaryDir dir;
    FakeTemporaryFolder temporary;
    VaultAccess access;
    ConfigFile config;
    FakeClock clock;
    FakeMessageBoxes messages;
    std::unique_ptr<Database> database;
    std::unique_ptr<SecurityChange> change;
    std::unique_ptr<SecurityForm> form;
    QStringList records;
};

} // namespace

class SecurityTest : public QObject
{
    Q_OBJECT

private slots:
    void configurationLine_data();
    void configurationLine();
    void passwordPrompt_data();
    void passwordPrompt();
    void accept_data();
    void accept();
    void passwordBox_data();
    void passwordBox();
    void conversion_data();
    void conversion();
    void interruptedConversion_data();
    void interruptedConversion();
    void normalise_data();
    void normalise();
    void proposal_data();
    void proposal();
    void notice_data();
    void notice();
    void suggestion_data();
    void suggestion();
    void boxTexts_data();
    void boxTexts();
};

void SecurityTest::configurationLine_data()
{
    QTest::addColumn<QString>("how"); // write, raw, lower-case name, missing, random
    QTest::addColumn<QByteArray>("content"); // the line as UTF-8, or the bytes themselves
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("reach");
    QTest::addColumn<bool>("hasKey");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expiry");

    const auto row = [](const char *name, const char *how, const QString &expiry,
                         const QString &password, const char *reach, bool hasKey) {
        QTest::newRow(name) << QString::fromLatin1(how)
                            << ConfigFile::composeLine(expiry, password, today, reach).toUtf8()
                            << true << QString::fromLatin1(reach) << hasKey << password
                            << (expiry.isEmpty() ? ConfigFile::noExpiry : expiry);
    };
    row("digits", "write", {}, "20261231", "2", true);
    row("dashes and x", "write", {}, "x-xx-x-", "1", true);
    row("commas and quotes", "write", {}, "a,\"b\",'c'", "2", true);
    row("non-ASCII", "write", {}, QString::fromUtf8("P\xc3\xa4ss\xe2\x82\xac"), "1", true);
    row("unset mark, reach 0", "write", {}, ConfigFile::unsetMark, "0", false);
    row("unset mark, reach 2", "write", {}, ConfigFile::unsetMark, "2", true);
    row("empty password, reach 1", "write", {}, "", "1", true);
    row("empty password, reach 2", "write", {}, "", "2", true);
    row("password at reach 0", "write", {}, "pw", "0", false);
    row("expiry date", "write", "12-31-2027", "pw", "1", true);
    row("lower-case name", "lower-case name", {}, "pw", "2", true);
    QTest::newRow("too short") << "write" << QByteArray("xx-xx-xxxx01-15-2021") << true << "1"
                               << false << "" << ConfigFile::noExpiry;
    QTest::newRow("no digit last") << "write" << QByteArray("xx-xx-xxxxpw01-15-2026?") << true
                                   << "0" << false << "" << ConfigFile::noExpiry;
    QTest::newRow("empty file") << "raw" << QByteArray("") << false << "" << false << ""
                                << "";
    QTest::newRow("line end only") << "raw" << QByteArray("\r\n") << false << "" << false << ""
                                   << "";
    QTest::newRow("missing") << "missing" << QByteArray() << false << "" << false << ""
                             << "";
    QTest::newRow("random bytes") << "random" << QByteArray() << false << "" << false << ""
                                  << "";
}

void SecurityTest::configurationLine()
{
    QFETCH(QString, how);
    QFETCH(QByteArray, content);
    QFETCH(bool, found);
    QFETCH(QString, reach);
    QFETCH(bool, hasKey);
    QFETCH(QString, key);
    QFETCH(QString, expiry);
    QTemporaryDir dir;
    const ConfigFile config(dir.path());
    const QString name = how == "lower-case name" ? QStringLiteral("coffrel.cnf") : cnf;
    if (how == "random") {
        QRandomGenerator random(7);
        for (int i = 0; i < 400; ++i) {
            QByteArray bytes(random.bounded(1, 80), Qt::Uninitialized);
            for (char &c : bytes)
                c = char(random.bounded(256));
            QFile file(dir.filePath(cnf));
            if (i % 2 == 0) // straight into the file
                QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
            else
                QVERIFY(config.write(QString::fromLatin1(bytes)));
            file.close();
            const std::optional<ConfigFile::Settings> settings = config.read();
            QVERIFY(settings);
            QVERIFY(settings->reach.size() == 1 && settings->reach[0].isDigit());
            QVERIFY(settings->reach != "0" || !settings->key);
        }
        return;
    }
    if (how == "lower-case name") {
        QVERIFY(config.write(QStringLiteral("12-31-2027old01-15-20251")));
        QVERIFY(QDir(dir.path()).rename(cnf, name));
    }
    if (how == "raw") {
        QFile file(dir.filePath(cnf));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    } else if (how != "missing") {
        QVERIFY(config.write(QString::fromUtf8(content)));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList {name});
        QCOMPARE(modeOf(dir.filePath(name)), 0600);
    }

    VaultAccess access {QStringLiteral("2"), QStringLiteral("before")};
    const std::optional<ConfigFile::Settings> settings = config.loadInto(access);
    QCOMPARE(settings.has_value(), found);
    QCOMPARE(access.reach, found ? reach : QStringLiteral("2"));
    QCOMPARE(access.databaseKey, hasKey ? key : QStringLiteral("before"));
    if (!found)
        return;
    QCOMPARE(settings->reach, reach);
    QCOMPARE(settings->key.has_value(), hasKey);
    QCOMPARE(settings->key.value_or(QString()), key);
    QCOMPARE(settings->expiry, expiry);
}

void SecurityTest::passwordPrompt_data()
{
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("results"); // A accepted, T try again, R refused

    QTest::newRow("right first") << "Secret" << QStringList {"Secret"} << "A";
    QTest::newRow("right second") << "Secret" << QStringList {"x", "Secret"} << "TA";
    QTest::newRow("right third") << "Secret" << QStringList {"x", "", "Secret"} << "TTA";
    QTest::newRow("three wrong") << "Secret" << QStringList {"x", "y", "z"} << "TTR";
    QTest::newRow("letter case") << "Secret" << QStringList {"secret", "SECRET", "Secret "}
                                 << "TTR";
    QTest::newRow("empty entries") << "Secret" << QStringList {"", "", ""} << "TTR";
    QTest::newRow("empty, none set") << "" << QStringList {""} << "A";
    QTest::newRow("typed, none set") << "" << QStringList {"a", "b", ""} << "TTA";
    QTest::newRow("typed thrice, none set") << "" << QStringList {"a", " ", "c"} << "TTR";
}

void SecurityTest::passwordPrompt()
{
    QFETCH(QString, expected);
    QFETCH(QStringList, entries);
    QFETCH(QString, results);
    FakeMessageBoxes messages;
    FakeProgramEnd programEnd;
    PasswordCheck check(expected, messages, programEnd);
    QString got;
    for (const QString &entry : entries)
        got += "ATR"[int(check.Command2_Click(entry))];
    QCOMPARE(got, results);
    const bool refused = results.endsWith(u'R');
    QCOMPARE(described(messages),
        refused ? QStringLiteral("Access Error|You are not allowed to use this application|stop")
                : QString());
    QCOMPARE(programEnd.calls, refused ? 1 : 0);
}

void SecurityTest::accept_data()
{
    QTest::addColumn<QString>("reach"); // as opened
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("line"); // stored; "<box>" the suggestion's password
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("access"); // reach|key
    QTest::addColumn<QString>("message");

    const QStringList coded {pdb, cnf}, enciphered {edb, cnf};
    const QString unset = QStringLiteral("xx-xx-xxxxUNSETMARK01-15-20260");
    const QString bad
        = QStringLiteral("Vaultine|The expiry date must read month-day-year, such "
                         "as 12-31-2027, or \"Do Not Expire\" be ticked.|information");
    QTest::newRow("empty box") << "0"
                               << "" << QStringList {} << unset << coded << "0|"
                               << "";
    QTest::newRow("empty box, opened at reach 2") << "2"
                                                  << "" << QStringList {} << unset << coded << "0|"
                                                  << "";
    QTest::newRow("level 2 suggestion") << "0"
                                        << "" << QStringList {"suggest|1", "level|2", "go"}
                                        << "xx-xx-xxxx<box>01-15-20262" << coded << "2|<box>"
                                        << "";
    QTest::newRow("leading space, suggestion on")
        << "0"
        << "" << QStringList {"suggest|1", "type| ab"} << "xx-xx-xxxx01-15-20262" << coded << "2|"
        << "";
    QTest::newRow("filtered typing")
        << "0"
        << "" << QStringList {"type|a b!c"} << "xx-xx-xxxxabc01-15-20262" << coded << "2|abc"
        << "";
    QTest::newRow("reach 1 untouched")
        << "1"
        << "k" << QStringList {} << "xx-xx-xxxxk01-15-20261" << enciphered << "1|k"
        << "";
    QTest::newRow("reach 1 reset") << "1"
                                   << "k" << QStringList {"reset"} << unset << coded << "0|"
                                   << "";
    QTest::newRow("expiry date") << "0"
                                 << ""
                                 << QStringList {"type|pw", "no expiry|0", "date|3-5-2026",
                                        "leave date", "reach|1"}
                                 << "03-05-2026pw01-15-20261" << enciphered << "1|pw"
                                 << "";
    QTest::newRow("space in date")
        << "0"
        << "" << QStringList {"type|pw", "no expiry|0", "date|01-15-20 6"} << "<none>"
        << QStringList {pdb} << "0|"
        << "Error - i77|There can not be spaces on a password|stop";
    QTest::newRow("empty password at reach 1")
        << "0"
        << "" << QStringList {"suggest|1", "type| x", "reach|1"} << "<none>" << QStringList {pdb}
        << "0|"
        << "Vaultine|\"Program and DBase\" guards the database with the master password: type a "
           "password first.|information";
    QTest::newRow("three-digit month")
        << "2"
        << "pw" << QStringList {"no expiry|0", "date|011-05-2026", "leave date"} << "<none>"
        << QStringList {pdb} << "2|pw" << bad;
    QTest::newRow("proposal left unnormalised") << "0"
                                                << "" << QStringList {"type|pw", "no expiry|0"}
                                                << "<none>" << QStringList {pdb} << "0|" << bad;
    QTest::newRow("database not writable") << "0"
                                           << "" << QStringList {"dir|" + edb, "type|pw", "reach|1"}
                                           << "<none>" << QStringList {edb, pdb} << "0|"
                                           << "Disk Error - i66|Can not access the DataBase.|stop";
    QTest::newRow("configuration not writable")
        << "0"
        << "" << QStringList {"dir|" + cnf, "type|pw"} << "<none>" << QStringList {pdb, cnf} << "0|"
        << "Disk Error - i64|Failed to access configuration file|stop";
}

void SecurityTest::accept()
{
    QFETCH(QString, reach);
    QFETCH(QString, key);
    QFETCH(QStringList, steps);
    QFETCH(QString, line);
    QFETCH(QStringList, files);
    QFETCH(QString, access);
    QFETCH(QString, message);
    Program program(reach, key, threeRecords);
    program.start();
    program.form->open(reach, key);
    for (const QString &step : steps)
        program.perform(step);
    program.form->Command2_Click();

    const QString box = program.form->state().password;
    const QString suggested = box.section(u' ', 0, 0);
    if (line.contains("<box>"))
        QCOMPARE(box, PasswordSuggestion::boxText(suggested));
    QCOMPARE(program.storedLine(), QString(line).replace("<box>", suggested));
    QCOMPARE(program.files(), files);
    QCOMPARE(program.access.reach + u'|' + program.access.databaseKey,
        QString(access).replace("<box>", suggested));
    QCOMPARE(described(program.messages), message);
    QCOMPARE(program.stored(program.access.reach, program.access.databaseKey), threeRecords);
}

void SecurityTest::passwordBox_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("reaches"); // the selected one, then 1 for each enabled option
    QTest::addColumn<QString>("noExpiry"); // ticked, enabled
    QTest::addColumn<QString>("label"); // unchecked when empty
    QTest::addColumn<QString>("length");

    QTest::newRow("typed") << QStringList {"type|abc"} << "2:111"
                           << "11"
                           << ""
                           << "";
    QTest::newRow("emptied") << QStringList {"type|abc", "no expiry|0", "type|"} << "0:100"
                             << "10"
                             << ""
                             << "";
    QTest::newRow("level 2 suggestion") << QStringList {"suggest|1", "level|2", "go"} << "2:111"
                                        << "11"
                                        << "Length:  8"
                                        << "";
    QTest::newRow("level 3, length 12")
        << QStringList {"suggest|1", "level|3", "length|12", "go"} << "2:111"
        << "11"
        << "Length:  12"
        << "12";
    QTest::newRow("levels need the suggestion ticked")
        << QStringList {"level|3", "length|12", "go"} << "0:100"
        << "11"
        << "Length: 0"
        << "12";
    QTest::newRow("length keeps digits") << QStringList {"length|1a2-3"} << "0:100"
                                         << "11"
                                         << ""
                                         << "123";
}

void SecurityTest::passwordBox()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, reaches);
    QFETCH(QString, noExpiry);
    QFETCH(QString, label);
    QFETCH(QString, length);
    Program program(QStringLiteral("0"), {}, {});
    program.start();
    program.form->open(QStringLiteral("0"), {});
    for (const QString &step : steps)
        program.perform(step);
    const SecurityForm::State &state = program.form->state();
    QString got = QString::number(state.reach) + u':';
    for (const bool enabled : state.reachEnabled)
        got += enabled ? u'1' : u'0';
    QCOMPARE(got, reaches);
    QCOMPARE(
        QString::number(state.doNotExpire) + QString::number(state.doNotExpireEnabled), noExpiry);
    if (noExpiry.startsWith(u'1'))
        QCOMPARE(state.expiry, QString());
    if (!label.isEmpty())
        QCOMPARE(state.lengthLabel, label);
    QCOMPARE(state.length, length);
}

void SecurityTest::conversion_data()
{
    QTest::addColumn<QString>("from"); // reach|key
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("to"); // reach|password
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("files");

    const int stored = int(SecurityChange::Result::Stored);
    const int database = int(SecurityChange::Result::DatabaseFailed);
    const int configuration = int(SecurityChange::Result::ConfigurationFailed);
    const QStringList coded {pdb, cnf}, enciphered {edb, cnf};
    const auto row = [&](const char *name, const char *from, const QStringList &records,
                         const char *damage, const QString &to, int result) {
        QTest::newRow(name) << QString::fromLatin1(from) << records << QString::fromLatin1(damage)
                            << to << result << (to.startsWith(u'1') ? enciphered : coded);
    };
    row("2 to 1", "2|old", threeRecords, "", "1|new", stored);
    row("1 to 0", "1|old", threeRecords, "", "0|UNSETMARK", stored);
    row("1 to 2", "1|old", threeRecords, "", "2|new", stored);
    row("1 to 1, new password", "1|old", threeRecords, "", "1|" + keyWithLineBreaks, stored);
    row("0 to 1, first time", "0|", {}, "", "1|new", stored);
    row("0 to 2", "0|", threeRecords, "", "2|new", stored);
    row("0 to 1, enciphered file not writable", "0|", threeRecords, "dir|CF2DB.edb", "1|new",
        database);
    row("1 to 0, coded file not writable", "1|old", threeRecords, "dir|CF2DB.pdb", "0|UNSETMARK",
        database);
    row("1 to 1, enciphered file too long", "1|old", threeRecords, "limit",
        "1|" + keyWithLineBreaks, database);
    row("0 to 1, configuration not writable", "0|", threeRecords, "dir|Coffrel.cnf", "1|new",
        configuration);
    row("1 to 0, configuration not writable", "1|old", threeRecords, "dir|Coffrel.cnf",
        "0|UNSETMARK", configuration);
    row("1 to 1, configuration not writable", "1|old", threeRecords, "dir|Coffrel.cnf", "1|new",
        configuration);
    row("1 to 2 after a bad line at start-up", "1|old", threeRecords, "bad line", "2|new",
        database);
    row("1 to 0 after no working copy at start-up", "1|old", threeRecords, "no working copy",
        "0|UNSETMARK", database);
}

void SecurityTest::conversion()
{
    QFETCH(QString, from);
    QFETCH(QStringList, records);
    QFETCH(QString, damage);
    QFETCH(QString, to);
    QFETCH(int, result);
    QFETCH(QStringList, files);
    const QString oldReach = from.section(u'|', 0, 0), oldKey = from.section(u'|', 1);
    const QString reach = to.section(u'|', 0, 0), password = to.section(u'|', 1);
    Program program(oldReach, oldKey, records);
    if (damage.startsWith("dir|"))
        program.perform(damage);
    else
        program.config.write(ConfigFile::composeLine({}, oldKey, "01-01-2026", oldReach));
    if (damage == "bad line") {
        QFile file(program.data(edb));
        QVERIFY(file.open(QIODevice::Append) && file.write("\x10?\r\n") == 4);
    }
    if (damage == "no working copy")
        program.temporary.path.clear();
    program.start();
    program.temporary.path = program.dir.filePath(QStringLiteral("tmp"));
    const QMap<QString, QByteArray> before = program.snapshot();
    const QString line = ConfigFile::composeLine({}, password, today, reach);

    std::optional<FileSizeLimit> limit;
    if (damage == "limit") { // room for the coded file only
        qsizetype size = 0;
        for (const QString &record : records)
            size += RecordLine::toBytes(record).size() + 2;
        limit.emplace(size);
    }
    const SecurityChange::Result got = program.change->store(line, reach, password);
    limit.reset();

    QCOMPARE(int(got), result);
    if (got != SecurityChange::Result::Stored) {
        QCOMPARE(program.snapshot(), before);
        QCOMPARE(program.access.reach, oldReach);
        QCOMPARE(program.access.databaseKey, oldKey);
        return;
    }
    const QString key = reach == "0" ? QString() : password;
    QCOMPARE(program.files(), files);
    QCOMPARE(program.storedLine(), line);
    QCOMPARE(program.access.reach, reach);
    QCOMPARE(program.access.databaseKey, key);
    QCOMPARE(program.stored(reach, key), records);
    if (reach == "1" && !records.isEmpty())
        QVERIFY(program.stored(reach, oldKey.isEmpty() ? "other" : oldKey) != records);
    QCOMPARE(QDir(program.temporary.path).isEmpty(), true);
}

void SecurityTest::interruptedConversion_data()
{
    QTest::addColumn<QString>("key"); // of the enciphered file left behind
    QTest::addColumn<QStringList>("left"); // its records
    QTest::addColumn<QByteArray>("appended");

    QTest::newRow("enciphered under the new key") << "new" << threeRecords << QByteArray();
    QTest::newRow("enciphered with one record") << "k" << threeRecords.mid(0, 1) << QByteArray();
    QTest::newRow("enciphered with a bad line") << "k" << threeRecords << QByteArray("\x10?\r\n");
    QTest::newRow("enciphered empty") << "k" << QStringList {} << QByteArray();
}

void SecurityTest::interruptedConversion()
{
    QFETCH(QString, key);
    QFETCH(QStringList, left);
    QFETCH(QByteArray, appended);
    Program program(QStringLiteral("0"), {}, threeRecords);
    VaultAccess other {QStringLiteral("1"), key};
    QVERIFY(Database(program.dir.path(), program.temporary, other).RewriteDatabase(left));
    QFile file(program.data(edb));
    QVERIFY(file.open(QIODevice::Append) && file.write(appended) == appended.size());
    file.close();

    program.access = VaultAccess {QStringLiteral("1"), QStringLiteral("k")};
    program.start(); // reads the coded file and finishes the conversion
    QCOMPARE(program.records, threeRecords);
    QCOMPARE(program.files(), QStringList {edb});
    QCOMPARE(program.stored(QStringLiteral("1"), QStringLiteral("k")), threeRecords);
    QCOMPARE(QDir(program.temporary.path).isEmpty(), true);
}

void SecurityTest::normalise_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("today");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("date");

    using N = ExpiryDate::Normalised;
    QTest::newRow("one-digit month and day") << "3-5-2026" << today << int(N::Done) << "03-05-2026";
    QTest::newRow("slashes") << "12/31/2026" << today << int(N::Done) << "12-31-2026";
    QTest::newRow("dots, one-digit day") << "04.5.2027" << today << int(N::Done) << "04-05-2027";
    QTest::newRow("month 13") << "13-10-2026" << today << int(N::Done) << "12-10-2026";
    QTest::newRow("December proposal") << "13-15-2026"
                                       << "12-15-2026" << int(N::Done) << "12-15-2026";
    QTest::newRow("past year") << "05-05-2020" << today << int(N::Done) << "05-05-2026";
    QTest::newRow("later year") << "05-05-2031" << today << int(N::Done) << "05-05-2031";
    QTest::newRow("day 5") << "05-5-2026" << today << int(N::Done) << "05-05-2026";
    QTest::newRow("day 32") << "05-32-2026" << today << int(N::Done) << "05-01-2026";
    QTest::newRow("day 00") << "05-00-2026" << today << int(N::Done) << "05-01-2026";
    QTest::newRow("month 00 stays") << "00-31-2026" << today << int(N::Done) << "00-31-2026";
    QTest::newRow("February 31 stays") << "02-31-2026" << today << int(N::Done) << "02-31-2026";
    QTest::newRow("seven characters") << "1-1-26" << today << int(N::NoExpiry) << "";
    QTest::newRow("empty") << "" << today << int(N::NoExpiry) << "";
    QTest::newRow("letter month") << "x-05-2026" << today << int(N::Failed) << "";
    QTest::newRow("letter day") << "05-y-2026" << today << int(N::Failed) << "";
    QTest::newRow("empty parts") << "--123456" << today << int(N::Failed) << "";
}

void SecurityTest::normalise()
{
    QFETCH(QString, text);
    QFETCH(QString, today);
    QFETCH(int, outcome);
    QFETCH(QString, date);
    const ExpiryDate::Normalised got = ExpiryDate::normalise(text, today);
    QCOMPARE(int(got.outcome), outcome);
    QCOMPARE(got.text, date);
}

void SecurityTest::proposal_data()
{
    QTest::addColumn<QString>("today");
    QTest::addColumn<QString>("proposal");
    QTest::addColumn<QString>("normalised");
    QTest::newRow("March") << "03-15-2026"
                           << "4-15-2026"
                           << "04-15-2026";
    QTest::newRow("October") << "10-31-2026"
                             << "11-31-2026"
                             << "11-31-2026";
    QTest::newRow("December") << "12-15-2026"
                              << "13-15-2026"
                              << "12-15-2026";
}

void SecurityTest::proposal()
{
    QFETCH(QString, today);
    QFETCH(QString, proposal);
    QFETCH(QString, normalised);
    QCOMPARE(ExpiryDate::proposal(today), proposal);
    QCOMPARE(ExpiryDate::normalise(proposal, today).text, normalised);
}

void SecurityTest::notice_data()
{
    QTest::addColumn<QString>("expiry");
    QTest::addColumn<QString>("today");
    QTest::addColumn<int>("notice");
    using N = ExpiryDate::Notice;
    QTest::newRow("today") << today << today << int(N::ExpiresToday);
    QTest::newRow("last year") << "12-31-2025" << today << int(N::Expired);
    QTest::newRow("yesterday") << "01-14-2026" << today << int(N::Expired);
    QTest::newRow("tomorrow") << "01-16-2026" << today << int(N::None);
    QTest::newRow("next year") << "01-15-2027"
                               << "12-31-2026" << int(N::None);
    QTest::newRow("no expiry") << ConfigFile::noExpiry << today << int(N::None);
}

void SecurityTest::notice()
{
    QFETCH(QString, expiry);
    QFETCH(QString, today);
    QFETCH(int, notice);
    QCOMPARE(int(ExpiryDate::notice(expiry, today)), notice);
}

void SecurityTest::suggestion_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("characters");
    const QString all = capitals + QStringLiteral("abcdefghijklmnopqrstuvwxyz");
    QTest::newRow("level 1") << 1 << 0 << 6 << capitals;
    QTest::newRow("level 1 ignores the length") << 1 << 12 << 6 << capitals;
    QTest::newRow("level 2") << 2 << 0 << 8 << capitals;
    QTest::newRow("level 3, 12") << 3 << 12 << 12 << all;
    QTest::newRow("level 3, 0") << 3 << 0 << 0 << QString();
}

void SecurityTest::suggestion()
{
    QFETCH(int, level);
    QFETCH(int, length);
    QFETCH(int, size);
    QFETCH(QString, characters);
    QSet<QChar> seen;
    for (int i = 0; i < 2000; ++i) {
        const QString password = PasswordSuggestion::suggest(level, length);
        QCOMPARE(password.size(), size);
        for (const QChar c : password) {
            QVERIFY2(characters.contains(c), qPrintable(password));
            seen.insert(c);
        }
    }
    QCOMPARE(seen.size(), characters.size());
}

void SecurityTest::boxTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("length");
    QTest::newRow("suggestion") << "AB12"
                                << "AB12         (  ab12  )" << 0;
    QTest::newRow("empty") << ""
                           << "         (    )" << 0;
    QTest::newRow("digits then letters") << "12ab"
                                         << "12ab         (  12ab  )" << 12;
    QTest::newRow("too long") << "40000"
                              << "40000         (  40000  )" << 32767;
    QTest::newRow("far too long") << "99999999999999999999999"
                                  << "99999999999999999999999         (  99999999999999999999999  )"
                                  << 32767;
}

void SecurityTest::boxTexts()
{
    QFETCH(QString, text);
    QFETCH(QString, box);
    QFETCH(int, length);
    QCOMPARE(PasswordSuggestion::boxText(text), box);
    QCOMPARE(PasswordSuggestion::lengthOf(text), length);
}

QTEST_GUILESS_MAIN(SecurityTest)
#include "tst_security.moc"
