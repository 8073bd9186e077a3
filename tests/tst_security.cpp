#include "fakes/FakeDialogue.h"
#include "fakes/FileSizeLimit.h"
#include "fakes/ProgramFolder.h"
#include "intl/Dictionary.h"
#include "security/ConfigFile.h"
#include "security/ExpiryDate.h"
#include "security/PasswordCheck.h"
#include "security/PasswordGenerator.h"
#include "security/PasswordSuggestion.h"
#include "security/Secret.h"
#include "security/SecurityChange.h"
#include "security/SecurityForm.h"
#include "vault/CipherText.h"
#include "vault/Database.h"
#include "vault/LineFile.h"
#include "vault/ProgramLock.h"
#include "vault/RecordLine.h"
#include "vault/VaultAccess.h"

#include <QDir>
#include <QDirIterator>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <functional>
#include <future>
#include <memory>
#include <thread>

namespace {

const QString today = QStringLiteral("01-15-2026");
const QString cnf = QStringLiteral("Coffrel.cnf");
const QString edb = QStringLiteral("CF2DB.edb");
const QString coded = QStringLiteral("CF2DB.pdb Coffrel.cnf");
const QString enciphered = QStringLiteral("CF2DB.edb Coffrel.cnf");
const QString sealed = QStringLiteral("CF2DB.sdb Coffrel.cnf");
const QString codedCopyLeft = QStringLiteral(
    "Vaultine|The settings are stored, but Data/CF2DB.pdb, a copy of the records that is only "
    "coded, could not be removed. Nothing can be added or changed until the program starts "
    "again, which removes it.|stop");
// Strong enough for the sealed level: no warning at Accept.
const QString strong = QStringLiteral("Nw4Tq8Zr2Kp6Ys");
const QString weakSealed = QStringLiteral(
    "Vaultine|This master password is easy to guess. Anyone with a copy of Data/CF2DB.sdb can "
    "try passwords against it on their own computers, without limit. A password of 11 or more "
    "letters and digits mixed at random (\"Sugest Password\" makes one) stands up to that.\n\n"
    "Press \"Accept\" again to keep this password, or type another one.|information");
const QString setAside = QStringLiteral("CF2DB.[ps]db.kept-[-\\d]+ ?");
const QStringList threeRecords
    = inBookOrder({QChar(0xFEFF) + QStringLiteral("a@b:!jo:!p, \"w\":!:!"),
        QStringLiteral("Bank:!bu:!bp:!note:!http://b"),
        QString::fromUtf8("Caf\xc3\xa9:!\xc3\xbc:!\xe2\x82\xac x:!:!")});

// A program folder holding records at a reach level, and the settings rules on it after a
// start-up like the program's.
struct Program : ProgramFolder
{
    Program(const QString &reach, const QString &key, const QStringList &lines)
        : access {reach, key}
        , master(key)
        , config(dir.filePath(QStringLiteral("Data")))
    {
        Database(dir.path(), access).EnsureDataFolder();
        if (!lines.isEmpty() || access.sealed()) // an empty database is sealed too
            store(lines, reach, key);
        clock.date = today;
    }

    // Opens the folder as a start does; what it tells goes to the message boxes.
    void start()
    {
        database = std::make_unique<Database>(dir.path(), access);
        FakeDialogue dialogue;
        // The master password the folder was made with, then the one typed in the settings (a
        // change cut short may leave either in force).
        dialogue.typed = {master, strong};
        records = VaultOpening(*database, config, access).open(dialogue)->book.records();
        for (const QString &told : dialogue.told)
            messages.showMessage(
                told.section(u'|', 0, 0), told.section(u'|', 1), MessageBoxes::Icon::Stop);
        change = std::make_unique<SecurityChange>(*database, access, config);
        form = std::make_unique<SecurityForm>(*change, clock, messages, Dictionary::builtIn());
        // Typed: characters of their own, which the form overwrites once used.
        form->setPasswordQuestion([this]() -> std::optional<QString> {
            ++asked;
            return answer ? std::optional(Secret::ownCopy(*answer)) : std::nullopt;
        });
    }
    // The reach and what guards the records in force: the key below the sealed level, there
    // the salt of the key derived from the password.
    QString inForce() const
    {
        const std::optional<SealedFile::Key> &key = database->sealKey();
        return access.reach + u'|'
            + (access.sealed() && key
                    ? QByteArray(reinterpret_cast<const char *>(key->salt().data()),
                        qsizetype(key->salt().size()))
                          .toHex()
                    : access.databaseKey);
    }

    // Settings of the reach and key, as a change stores them.
    bool configure(const QString &reach, const QString &key) const
    {
        return config.write(ConfigFile::composeLine(
            {}, reach == "3" ? ConfigFile::unsetMark : key, "01-01-2026", reach));
    }
    QString data(const QString &name) const { return dir.filePath(QStringLiteral("Data/") + name); }
    QString files() const
    {
        QStringList names = QDir(data({})).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        names.removeOne(ProgramLock::fileName); // holds nothing
        names.removeOne(RemovalList::fileName); // checked on its own
        return names.join(u' ');
    }
    // The files but those set aside.
    QString inUse() const { return files().remove(QRegularExpression(setAside)).trimmed(); }
    // Every entry of the program folder with its bytes.
    QMap<QString, QByteArray> snapshot() const
    {
        QMap<QString, QByteArray> entries;
        QDirIterator it(
            dir.path(), QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            entries[file.fileName()] = file.open(QIODevice::ReadOnly) ? file.readAll() : "<dir>";
        }
        return entries;
    }
    // The configuration line in plain text.
    QString storedLine() const
    {
        const LineFile::Content stored = LineFile::readContent(data(cnf));
        if (stored.status != LineFile::ReadStatus::Read)
            return QStringLiteral("<none>");
        const QByteArray line = LineFile::soleLine(stored.bytes);
        // The key stream, read back from a line of known text as long.
        QTemporaryDir scratch;
        const QByteArray known = "xx-xx-xxxx" + QByteArray(line.size() - 21, 'a') + "01-01-20260";
        ConfigFile(scratch.path()).write(QString::fromLatin1(known));
        const QByteArray key = *CipherText(
            LineFile::soleLine(LineFile::readContent(scratch.filePath(cnf)).bytes), known);
        return RecordLine::fromBytes(*CipherText(line, key));
    }
    // One user action: "verb|text".
    void perform(const QString &step)
    {
        using Action = std::function<void(SecurityForm &, const QString &)>;
        static const QHash<QString, Action> actions {
            {"type", [](SecurityForm &f, const QString &t) { f.Text1_Change(t); }},
            {"suggest", [](SecurityForm &f, const QString &t) { f.Check1_Click(t == "1"); }},
            {"level", [](SecurityForm &f, const QString &t) { f.selectLevel(t.toInt()); }},
            {"reach", [](SecurityForm &f, const QString &t) { f.selectReach(t.toInt()); }},
            {"no expiry", [](SecurityForm &f, const QString &t) { f.Check2_Click(t == "1"); }},
            {"date", [](SecurityForm &f, const QString &t) { f.Text2_Change(t); }},
            {"leave date", [](SecurityForm &f, const QString &) { f.NormaliseExpiryDate(); }},
            {"length", [](SecurityForm &f, const QString &t) { f.Text3_Change(t); }},
            {"go", [](SecurityForm &f, const QString &) { f.SuggestPassword(); }},
            {"reset", [](SecurityForm &f, const QString &) { f.Command3_Click(); }},
            {"accept", [](SecurityForm &f, const QString &) { f.Command2_Click(); }},
        };
        const QString verb = step.section(u'|', 0, 0), text = step.section(u'|', 1);
        if (verb == "dir") // a folder in the file's place: writes to it fail
            QFile::remove(data(text)), QDir().mkdir(data(text));
        else
            actions.value(verb)(*form, text);
    }

    VaultAccess access;
    QString master; // typed at start-up
    std::optional<QString> answer; // to the settings' question for the master password in force
    int asked = 0;
    ConfigFile config;
    FakeClock clock;
    FakeMessageBoxes messages;
    std::unique_ptr<Database> database;
    std::unique_ptr<SecurityChange> change;
    std::unique_ptr<SecurityForm> form;
    QStringList records;
};

// Stored as the row says; with steps failing, only the files are compared, when given.
void kept(const QString &name, const QString &opened, const QString &setup, const QString &steps,
    const QString &line, const QString &files, const QString &access, const char *state = "",
    const QSet<SecurityChange::Step> &failing = {}, const QString &message = {})
{
    QTest::newRow(qPrintable(name))
        << opened << setup << steps << line << files << access << message << state << failing;
}

// Nothing may change: every file, the reach and the key stay.
void refused(const QString &name, const QString &opened, const QString &setup, const QString &steps,
    const QString &message)
{
    QTest::newRow(qPrintable(name)) << opened << setup << steps << QString() << QString() << opened
                                    << message << "" << QSet<SecurityChange::Step>();
}

// Opened at level levels[0] (password "old", none at reach 0), a strong new password typed and
// level levels[1] chosen: the change kept, refused with the message, or made with steps
// failing.
void convert(const char *levels, const QString &setup = {}, const QString &message = {},
    const QSet<SecurityChange::Step> &failing = {})
{
    const QString from {QLatin1Char(levels[0])}, to {QLatin1Char(levels[1])};
    const QString opened = from == "0" ? "0|" : from + "|old";
    const QString steps = to == "0" ? "reset" : "type|" + strong + ";reach|" + to;
    const QString name = from + " to " + to + (setup.isEmpty() ? QString() : ", " + setup);
    const QString password = to == "0" || to == "3" ? "UNSETMARK" : strong;
    const QString files = to == "1" ? enciphered : (to == "3" ? sealed : coded);
    if (!message.isEmpty())
        refused(name, opened, setup, steps, message);
    else if (failing.isEmpty())
        kept(name, opened, setup, steps, "xx-xx-xxxx" + password + "01-15-2026" + to, files,
            to == "0" ? "0|" : to + u'|' + strong);
    else // a new password at reach 3 makes no coded copy of the records
        kept(name, opened, setup, steps, {}, from + to == "33" ? sealed : QString(), {}, "",
            failing);
}

void acceptSettings()
{
    QFETCH(QString, opened);
    QFETCH(QString, setup);
    QFETCH(QString, steps);
    QFETCH(QString, line);
    QFETCH(QString, files);
    QFETCH(QString, access);
    QFETCH(QString, message);
    QFETCH(QString, state);
    QFETCH(QSet<SecurityChange::Step>, failing);
    const QString reach = opened.section(u'|', 0, 0), key = opened.section(u'|', 1);
    const QStringList records
        = setup == "no records" || setup == "stray sealed" ? QStringList() : threeRecords;
    Program program(reach, key, records);
    QVERIFY(program.configure(reach, key));
    if (setup == "bad line") // start-up cannot read the enciphered file
        QVERIFY(LineFile::writeContent(
            program.data(edb), LineFile::readContent(program.data(edb)).bytes + "\x10?\r\n"));
    if (setup.startsWith("stray")) // a database file that the configuration does not name
        QVERIFY(program.store(threeRecords, setup == "stray" ? "1" : "3", QStringLiteral("k")));
    program.start();
    // A removal made before the change is remembered after it, or after its failure.
    const QString gone = QStringLiteral("Gone:!g:!p:!:!");
    const auto removalKept = [&] { return program.database->removals()->isRemoved(gone); };
    QVERIFY(!program.database->rewriteAllowed()
        || program.database->RewriteDatabase(
            records, [&](RemovalList &removals, qint64 day) { removals.remove(gone, day); }));
    if (setup.startsWith("current|")) // the answer when asked for the master password in force
        program.answer = setup.section(u'|', 1).isEmpty() ? std::nullopt
                                                          : std::optional(setup.section(u'|', 1));
    else
        program.answer = key;
    // As the window opens it: at the sealed level the box is empty, no password is kept.
    program.form->open(program.access.reach, program.access.databaseKey);
    QVERIFY(reach != "3" || program.form->state().password.isEmpty());
    for (const QString &step : steps.split(u';', Qt::SkipEmptyParts))
        program.perform(step);
    const SecurityForm::State &s = program.form->state();
    QString shown = QString::number(s.reach) + u':';
    for (const bool enabled : s.reachEnabled)
        shown += QLatin1Char(enabled ? '1' : '0');
    shown += QStringLiteral("/%1%2/").arg(int(s.doNotExpire)).arg(int(s.doNotExpireEnabled));
    shown += s.expiry + u'/' + s.length + u'/' + s.lengthLabel;
    QCOMPARE(shown.left(state.size()), state);
    if (setup.startsWith("dir|"))
        program.perform(setup);
    const QMap<QString, QByteArray> before = program.snapshot();
    std::optional<FileSizeLimit> limit;
    if (setup == "limit") { // room for the coded file only
        rlim_t room = 0;
        for (const QString &record : records)
            room += RecordLine::toBytes(record).size() + 2;
        limit.emplace(room);
    }
    program.change->setFailingSteps(failing);
    const QString inForce = program.inForce();
    program.form->Command2_Click();
    limit.reset();
    // Opened at the sealed level, every Accept asks the master password in force.
    QCOMPARE(program.asked, reach == "3" ? 1 + int(steps.split(u';').count("accept")) : 0);
    if (!failing.isEmpty()) { // a record added afterwards is refused, or the next start finds it
        QVERIFY(files.isEmpty() || program.inUse() == files);
        // A refusal is told exactly when the settings in force stay as they were; a change, only
        // when it leaves the coded copy beside the new level's file.
        const QString told = described(program.messages);
        const bool changed = program.inForce() != inForce;
        QCOMPARE(told.contains(" - i6"), !changed);
        if (changed && (program.access.enciphered() || program.access.sealed()))
            QCOMPARE(told, QFile::exists(program.data("CF2DB.pdb")) ? codedCopyLeft : QString());
        const QString added = QStringLiteral("Zed:!z:!p:!:!");
        const bool stored = program.database->AppendRecord(added);
        program.start();
        QCOMPARE(
            program.records, inBookOrder(records + (stored ? QStringList {added} : QStringList())));
        QVERIFY(!program.database->conversionUnfinished());
        QVERIFY(removalKept());
        return;
    }

    QCOMPARE(described(program.messages), message);
    QVERIFY(!program.database->rewriteAllowed() || removalKept());
    if (line.isEmpty()) {
        QCOMPARE(program.snapshot(), before);
        QCOMPARE(program.inForce(), inForce);
        return;
    }
    const QString box = program.form->state().password;
    const QString suggested = box.section(u' ', 0, 0);
    if (line.contains("<box>"))
        QCOMPARE(box, suggested + "         (  " + suggested.toLower() + "  )");
    QCOMPARE(program.storedLine(), line.replace("<box>", suggested));
    QCOMPARE(program.inUse(), files);
    // The master password in force, which the sealed level does not keep.
    const QString password = access.replace("<box>", suggested).section(u'|', 1);
    QCOMPARE(program.access.reach + u'|' + program.access.databaseKey,
        access.section(u'|', 0, 0) + u'|' + (program.access.sealed() ? QString() : password));
    QCOMPARE(program.stored(program.access.reach, password), records);
    // Sealed, no file holds a name, a password or the master password.
    const QMap<QString, QByteArray> after = program.snapshot();
    for (const QByteArray &known :
        {QByteArray("Bank"), QByteArray("p, \"w\""), RecordLine::toBytes(password)}) {
        for (const QByteArray &bytes : after)
            QVERIFY(!program.access.sealed() || !bytes.contains(known));
    }
    if (program.access.enciphered() && program.access.databaseKey != key && !records.isEmpty())
        QVERIFY(program.stored(QStringLiteral("1"), key.isEmpty() ? "other" : key) != records);
}

} // namespace

class SecurityTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { SealedFile::Cost::setStandardForTests({1, 8}); }
    void configurationLine_data()
    {
        QTest::addColumn<QString>("how"); // write, refused, raw, lower case, random
        QTest::addColumn<QByteArray>("content"); // the line, or the file's bytes
        QTest::addColumn<QString>("settings"); // reach|key|expiry, "~" for no key

        const auto row
            = [](const char *name, const char *how, const QString &content, const char *settings) {
                  QTest::newRow(name) << QString::fromLatin1(how) << content.toUtf8()
                                      << QString::fromUtf8(settings);
              };
        const auto line = [](const QString &expiry, const QString &password, const char *reach) {
            return ConfigFile::composeLine(expiry, password, today, reach);
        };
        row("digits", "write", line({}, "20261231", "2"), "2|20261231|xx-xx-xxxx");
        row("dashes and x", "write", line({}, "x-xx-x-", "1"), "1|x-xx-x-|xx-xx-xxxx");
        row("commas, quotes", "write", line({}, "a,\"b\",'c'", "2"), "2|a,\"b\",'c'|xx-xx-xxxx");
        row("non-ASCII", "write", line({}, "Päss€", "1"), "1|Päss€|xx-xx-xxxx");
        row("signs", "write", line({}, "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{}~", "1"),
            "1|!\"#$%&'()*+,-./:;<=>?@[\\]^_`{}~|xx-xx-xxxx");
        row("mark first, beyond the plane", "write",
            line({}, QChar(0xFEFF) + QString::fromUtf8("\U0001F600\u200b\u2028\uffff\u00a0"), "1"),
            "1|\ufeff\U0001F600\u200b\u2028\uffff\u00a0|xx-xx-xxxx");
        row("unset mark, reach 2", "write", line({}, "UNSETMARK", "2"), "2|UNSETMARK|xx-xx-xxxx");
        row("empty password, reach 1", "write", line({}, "", "1"), "1||xx-xx-xxxx");
        row("password at reach 0", "write", line({}, "pw", "0"), "0|~|xx-xx-xxxx");
        row("expiry date", "write", line("12-31-2027", "pw", "1"), "1|pw|12-31-2027");
        row("lower-case name", "lower case", line({}, "pw", "2"), "2|pw|xx-xx-xxxx");
        // A line that would not read back as written is never written.
        row("too short", "refused", "xx-xx-xxxx01-15-2021", "none");
        row("no digit last", "refused", "xx-xx-xxxxpw01-15-2026?", "none");
        row("full-width digit", "refused", line("\uff15-05-2027", "pw", "1"), "none");
        row("empty file", "raw", "", "none");
        row("line end only", "raw", "\r\n", "none");
        row("random bytes", "random", {}, "");
    }
    void configurationLine()
    {
        QFETCH(QString, how);
        QFETCH(QByteArray, content);
        QFETCH(QString, settings);
        QTemporaryDir dir;
        const ConfigFile config(dir.path());
        if (how == "random") {
            QRandomGenerator random(7);
            for (int i = 0; i < 400; ++i) {
                QByteArray bytes(random.bounded(1, 80), '\0');
                for (char &c : bytes)
                    c = char(random.bounded(256));
                if (i % 2) // mostly refused
                    config.write(QString::fromLatin1(bytes));
                else
                    QVERIFY(LineFile::writeContent(dir.filePath(cnf), bytes));
                const std::optional<ConfigFile::Settings> read = config.read();
                QVERIFY(!read || (read->reach.size() == 1 && read->reach[0].isDigit()));
                QVERIFY(!read || read->reach != "0" || !read->key);
            }
            return;
        }
        const QString name = how == "lower case" ? QStringLiteral("coffrel.cnf") : cnf;
        if (how == "lower case") {
            QVERIFY(config.write(QStringLiteral("12-31-2027old01-15-20251")));
            QVERIFY(QDir(dir.path()).rename(cnf, name));
        }
        if (how == "raw") {
            QVERIFY(LineFile::writeContent(dir.filePath(cnf), content));
        } else if (how == "refused") {
            QVERIFY(!config.write(QString::fromUtf8(content)));
        } else {
            QVERIFY(config.write(QString::fromUtf8(content)));
            QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                QStringList {name});
            QCOMPARE(QFile::permissions(dir.filePath(name)),
                QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        }

        VaultAccess access {QStringLiteral("2"), QStringLiteral("before")};
        const std::optional<ConfigFile::Settings> read = config.loadInto(access);
        QCOMPARE(read ? read->reach + u'|' + read->key.value_or("~") + u'|' + read->expiry : "none",
            settings);
        const QStringList parts = (read ? settings : "2|before").split(u'|');
        QCOMPARE(access.reach + u'|' + access.databaseKey,
            parts[0] + u'|' + (parts[1] == "~" ? "before" : parts[1]));
    }
    void passwordPrompt_data()
    {
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("entries"); // separated by ';'
        QTest::addColumn<QString>("results"); // A accepted, T try again, R refused

        const auto row
            = [](const char *name, const char *expected, const char *entries, const char *results) {
                  QTest::newRow(name) << expected << entries << results;
              };
        row("letter case", "Secret", "secret;SECRET;Secret ", "TTR");
        row("empty entries", "Secret", ";;", "TTR");
        row("typed, none set", "", "a;b;", "TTA");
    }
    void passwordPrompt()
    {
        QFETCH(QString, expected);
        QFETCH(QString, entries);
        QFETCH(QString, results);
        FakeMessageBoxes messages;
        FakeProgramEnd programEnd;
        PasswordCheck check(expected, messages, programEnd);
        QString got;
        for (const QString &entry : entries.split(u';'))
            got += QLatin1Char("ATR"[int(check.Command2_Click(entry))]);
        QCOMPARE(got, results);
        const bool refused = results.endsWith(u'R');
        QCOMPARE(described(messages),
            refused ? "Access Error|You are not allowed to use this application|stop" : "");
        QCOMPARE(programEnd.calls, refused ? 1 : 0);
    }
    void accept_data()
    {
        QTest::addColumn<QString>("opened"); // reach|key in force
        // no records, bad line, limit, stray (sealed), dir|name, current|the answer when asked
        // for the master password in force (none when empty; else the one typed at start-up)
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("line"); // stored, <box> the suggested password; empty: refused
        QTest::addColumn<QString>("files"); // after failing steps: compared when given
        QTest::addColumn<QString>("access"); // reach|key
        QTest::addColumn<QString>("message");
        // Before accepting: reach:enabled ones/"Do Not Expire" ticked, enabled/expiry/length/label
        QTest::addColumn<QString>("state"); // compared as far as given
        QTest::addColumn<QSet<SecurityChange::Step>>("failing");
        const QString unset = QStringLiteral("xx-xx-xxxxUNSETMARK01-15-20260");
        const QString badDate = QStringLiteral(
            "Vaultine|The expiry date must read month-day-year, such as 12-31-2027, or \"Do Not "
            "Expire\" be ticked.|information");
        kept("empty box", "0|", "", "", unset, coded, "0|");
        kept("empty box, opened at reach 2", "2|", "", "", unset, coded, "0|");
        kept("level 2 suggestion", "0|", "", "suggest|1;level|2;go", "xx-xx-xxxx<box>01-15-20262",
            coded, "2|<box>", "2:1111/11///Length:  8");
        kept("level 3 of 12", "0|", "", "suggest|1;level|3;length|12;go",
            "xx-xx-xxxx<box>01-15-20262", coded, "2|<box>", "2:1111/11//12/Length:  12");
        kept("level 3 of 40000", "0|", "", "suggest|1;level|3;length|40000;go",
            "xx-xx-xxxx<box>01-15-20262", coded, "2|<box>", "2:1111/11//40000/Length:  32767");
        kept("level 3 of none", "0|", "", "suggest|1;level|3;go", "xx-xx-xxxx01-15-20262", coded,
            "2|", "2:1111/11///Length:  0");
        kept("level without suggestion", "0|", "", "level|3;length|12;go", unset, coded, "0|",
            "0:1000/11//12/");
        kept(
            "length keeps digits", "0|", "", "length|1a2-3", unset, coded, "0|", "0:1000/11//123/");
        kept("leading space, suggestion on", "0|", "", "suggest|1;type| ab",
            "xx-xx-xxxx01-15-20262", coded, "2|");
        // Characters the line cannot hold are refused and named; the box keeps what it held.
        const QString unheld = QStringLiteral(
            "Vaultine|A master password cannot hold these characters: %1. They were not put into "
            "the box.|information");
        kept("refused space", "0|", "", "type|a b!c", unset, coded, "0|", "0:1000/11//", {},
            unheld.arg("space"));
        kept("refused controls and half a pair", "0|", "",
            "type|a!;type|a!\tb\r\nc" + QString(QChar(0xD800)) + "d", "xx-xx-xxxxa!01-15-20262",
            coded, "2|a!", "2:1111/11//", {}, unheld.arg("tab, line end, U+D800"));
        kept("emptied", "0|", "", "type|abc;no expiry|0;type|", unset, coded, "0|", "0:1000/10//");
        kept("reach 1 untouched", "1|k", "", "", "xx-xx-xxxxk01-15-20261", enciphered, "1|k");
        kept("expiry date", "0|", "", "type|pw;no expiry|0;date|3-5-2026;leave date",
            "03-05-2026pw01-15-20262", coded, "2|pw");
        refused("space in date", "0|", "", "type|pw;no expiry|0;date|01-15-20 6",
            "Error - i77|There can not be spaces on a password|stop");
        const QString noPassword = QStringLiteral(
            "Vaultine|\"Program and DBase\" guards the database with the master password: type a "
            "password first.|information");
        refused("empty password at reach 1", "0|", "", "suggest|1;type| x;reach|1", noPassword);
        refused(
            "three-digit month", "2|pw", "", "no expiry|0;date|011-05-2026;leave date", badDate);
        refused("proposal not normalised", "0|", "", "type|pw;no expiry|0", badDate);
        const QString database
            = QStringLiteral("Disk Error - i66|Can not access the DataBase.|stop");
        const QString unreadable = QStringLiteral(
            "Error - i67|The database seem to be corrupt or it does not exist.|stop\n");
        // "ò" enciphers "@" at an odd place to CR: the enciphered file is the longer.
        kept("1 to 1, new password", "1|old", "", "suggest|1;type|ò;reach|1",
            "xx-xx-xxxxò01-15-20261", enciphered, "1|ò");
        refused(
            "1 to 1, enciphered too long", "1|old", "limit", "suggest|1;type|ò;reach|1", database);
        // Opened at the sealed level, the box is empty and keeps the password in force; nothing
        // changes unless the master password in force is given again.
        kept("3 untouched", "3|" + strong, "", "", "xx-xx-xxxxUNSETMARK01-15-20263", sealed,
            "3|" + strong, "3:1111/11//");
        kept("3, expiry date", "3|" + strong, "", "no expiry|0;date|3-5-2026;leave date",
            "03-05-2026UNSETMARK01-15-20263", sealed, "3|" + strong, "3:1111/01/03-05-2026/");
        kept("3 to 2, password kept", "3|" + strong, "", "reach|2",
            "xx-xx-xxxx" + strong + "01-15-20262", coded, "2|" + strong, "2:1111/");
        kept("3 to 0, none chosen", "3|" + strong, "", "reach|0", unset, coded, "0|", "0:1111/");
        const QString notInForce = QStringLiteral(
            "Vaultine|That is not the current master password. Nothing was changed.|information");
        refused("3 untouched, wrong password", "3|" + strong, "current|" + strong.toLower(), "",
            notInForce);
        refused("3 to 0, password not given", "3|" + strong, "current|", "reset", "");
        refused("3 kept, new password typed, wrong password", "3|" + strong, "current|old",
            "type|Xy7Wq3Lm9Rt2Hs", notInForce);
        // A new password keeps the sealed level, typed or suggested; a suggestion there is long.
        kept("3 kept, new password typed", "3|" + strong, "", "type|Xy7Wq3Lm9Rt2Hs",
            "xx-xx-xxxxUNSETMARK01-15-20263", sealed, "3|Xy7Wq3Lm9Rt2Hs", "3:1111/");
        kept("3 kept, emptied and typed", "3|" + strong, "", "type|;type|Xy7Wq3Lm9Rt2Hs",
            "xx-xx-xxxxUNSETMARK01-15-20263", sealed, "3|Xy7Wq3Lm9Rt2Hs", "3:1111/");
        kept("3 kept, level 1 suggestion", "3|" + strong, "", "suggest|1;go",
            "xx-xx-xxxxUNSETMARK01-15-20263", sealed, "3|<box>", "3:1111/11///Length:  14");
        kept("3 chosen, level 2 suggestion", "0|", "", "type|a;reach|3;suggest|1;level|2;go",
            "xx-xx-xxxxUNSETMARK01-15-20263", sealed, "3|<box>", "3:1111/11///Length:  16");
        kept("3 to 2, chosen after typing", "3|" + strong, "", "type|Xy7Wq3Lm9Rt2Hs;reach|2",
            "xx-xx-xxxxXy7Wq3Lm9Rt2Hs01-15-20262", coded, "2|Xy7Wq3Lm9Rt2Hs", "2:1111/");
        // A weak password at the sealed level is told; Accept again keeps it.
        refused("weak at 3", "0|", "", "type|Secr3t;reach|3", weakSealed);
        refused("weak at 3, kept at 3", "3|" + strong, "", "type|Secr3tPw", weakSealed);
        refused("weak at 3, another weak one", "0|", "", "type|Secr3t;reach|3;accept;type|abc",
            weakSealed + u'\n' + weakSealed);
        refused("runs at 3", "0|", "", "type|abcdefghijklmnopqrstuvw;reach|3", weakSealed);
        kept("weak at 3, accepted again", "0|", "", "type|Secr3t;reach|3;accept",
            "xx-xx-xxxxUNSETMARK01-15-20263", sealed, "3|Secr3t", "", {}, weakSealed);
        kept("weak at 2", "0|", "", "type|abc", "xx-xx-xxxxabc01-15-20262", coded, "2|abc");
        for (const char *row : {"21", "20", "10", "12", "02", "03", "13", "23", "33", "30", "31",
                 "32", "01no records", "03no records"}) // levels, then the set-up
            convert(row, row + 2);
        for (const char *row :
            {"01dir|CF2DB.edb", "10dir|CF2DB.pdb", "03dir|CF2DB.sdb", "30dir|CF2DB.pdb", "33limit"})
            convert(row, row + 2, database);
        // Between the enciphered and the sealed file the records go through memory only: no
        // coded file is written on the way (a folder in its place does not stop them).
        for (const char *levels : {"13", "31"}) {
            const QString to {QLatin1Char(levels[1])};
            kept(QStringLiteral("%1 to %2, no coded copy").arg(levels[0]).arg(to),
                QStringLiteral("%1|old").arg(levels[0]), "dir|CF2DB.pdb",
                "type|" + strong + ";reach|" + to,
                "xx-xx-xxxx" + (to == "3" ? "UNSETMARK" : strong) + "01-15-2026" + to,
                to == "3" ? "CF2DB.pdb " + sealed : "CF2DB.edb CF2DB.pdb Coffrel.cnf",
                to + u'|' + strong);
        }
        for (const char *levels : {"01", "10", "11", "33"})
            convert(levels, "dir|Coffrel.cnf",
                "Disk Error - i64|Failed to access configuration file|stop");
        convert("12", "bad line", unreadable + database);
        refused("full-width digit in date", "2|pw", "",
            "no expiry|0;date|\uff15-05-2027;leave date", badDate);
        refused("mark typed as password", "0|", "", "type|UNSETMARK",
            "Vaultine|\"UNSETMARK\" is the mark of no password and cannot be the master "
            "password.|information");
        refused("empty password at reach 3", "0|", "", "suggest|1;type| x;reach|3", noPassword);
        // A sealed file left by a conversion into reach 3 cut short before the configuration
        // was written is set aside at start-up: the level can be chosen again.
        kept("0 to 3, stray sealed", "0|", "stray sealed", "type|" + strong + ";reach|3",
            "xx-xx-xxxxUNSETMARK01-15-20263", sealed, "3|" + strong, "", {},
            "Vaultine|Data/CF2DB.sdb held sealed records that the settings in Data/Coffrel.cnf "
            "do not name. The file was kept in Data under the name CF2DB.sdb.kept- followed by "
            "the date and time; nothing was removed.|stop");
        convert("01", "stray",
            "Vaultine|Data/CF2DB.edb holds enciphered records that the settings in "
            "Data/Coffrel.cnf do not name (the file is missing, unreadable or names another "
            "level). They are not listed, and the file is kept as it is: it is not changed or "
            "removed while the program runs, and no new database file is made beside it.|stop\n"
            "Vaultine|Data/CF2DB.edb holds records that were not read at start-up. Move it out of "
            "the Data folder before choosing \"Program and DBase\".|stop");
        // Each step of a conversion failing alone and in pairs: a record added afterwards in
        // the same run is refused, or the next start finds it with every record before it.
        for (const char *levels : {"11", "01", "10", "12", "03", "33", "30", "13", "31"})
            for (int a = 0; a < SecurityChange::stepCount; ++a)
                for (int b = a; b < SecurityChange::stepCount; ++b)
                    convert(levels, QStringLiteral("steps %1 %2").arg(a).arg(b), {},
                        {SecurityChange::Step(a), SecurityChange::Step(b)});
    }
    void accept() { acceptSettings(); }
    void interruptedConversion_data()
    {
        QTest::addColumn<QString>("reach"); // of the settings, none when empty
        // Of the file left beside the coded one (enciphered at reach 1, else sealed), none
        // when empty.
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("count"); // of its records
        QTest::addColumn<QByteArray>("appended");
        const auto row = [](const char *name, const char *reach, const char *key, int count,
                             const QByteArray &appended = {}) {
            QTest::newRow(name) << reach << key << count << appended;
        };
        row("enciphered file not written", "1", "", 0);
        row("enciphered, same records", "1", "k", 3);
        row("enciphered, one record, coded file with others", "1", "k", 1);
        row("enciphered, bad line", "1", "k", 3, "\x10?\r\n");
        row("sealed under the new key", "3", "new", 3);
        row("sealed, one record, coded file with others", "3", "k", 1);
        row("sealed left at reach 0", "0", "k", 3);
        row("sealed left at reach 2", "2", "k", 1);
        row("sealed left without settings", "", "k", 1);
    }
    // A start that finds the coded file beside the file its level reads: the records of the
    // file the level names when it reads whole, the coded file removed when it holds the same
    // records and else set aside and told; the coded file's records when that file is missing.
    void interruptedConversion()
    {
        QFETCH(QString, reach);
        QFETCH(QString, key);
        QFETCH(int, count);
        QFETCH(QByteArray, appended);
        Program program(QStringLiteral("0"), {}, threeRecords);
        const QString left = program.data(reach == "1" ? edb : QStringLiteral("CF2DB.sdb"));
        if (!key.isEmpty()) {
            QVERIFY(program.store(threeRecords.mid(0, count), reach == "1" ? "1" : "3", key));
            QVERIFY(LineFile::writeContent(left, LineFile::readContent(left).bytes + appended));
        }
        if (!reach.isEmpty())
            QVERIFY(program.configure(reach, "k"));
        // Typed at start-up: at reach 3 the password of the sealed file left behind.
        program.master = reach == "3" ? key : QStringLiteral("k");
        program.start();
        const bool levelFile = (reach == "1" || reach == "3") && !key.isEmpty();
        const bool unreadable = !appended.isEmpty();
        const QStringList records
            = unreadable ? QStringList() : (levelFile ? threeRecords.mid(0, count) : threeRecords);
        QCOMPARE(program.records, records);
        const QString files = reach == "1" ? enciphered : (reach == "3" ? sealed : coded);
        QCOMPARE(program.inUse(),
            unreadable ? "CF2DB.edb CF2DB.pdb Coffrel.cnf"
                       : (reach.isEmpty() ? QStringLiteral("CF2DB.pdb") : files));
        // A sealed file left at another level is set aside, never removed: it may hold records
        // the coded file lacks.
        QCOMPARE(program.files().contains("CF2DB.sdb.kept-"), reach != "1" && reach != "3");
        const bool codedKept = levelFile && count < 3;
        QCOMPARE(program.files().contains("CF2DB.pdb.kept-"), codedKept);
        QCOMPARE(described(program.messages).contains("CF2DB.pdb held records"), codedKept);
        if (unreadable) { // told, and nothing replaced
            QCOMPARE(described(program.messages),
                "Error - i67|The database seem to be corrupt or it does not exist.|stop");
            QCOMPARE(program.stored(), threeRecords);
            QVERIFY(!program.database->RewriteDatabase(threeRecords));
            return;
        }
        QCOMPARE(program.stored(reach.isEmpty() ? "0" : reach, program.master), records);
        // The next write keeps every record listed.
        QVERIFY(program.database->AppendRecord(QStringLiteral("Zed:!z:!p:!:!")));
        QCOMPARE(program.stored(reach.isEmpty() ? "0" : reach, program.master),
            inBookOrder(records + QStringList {QStringLiteral("Zed:!z:!p:!:!")}));
    }
    void anotherProgramsRecordIsListed_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("whileAccepted");
        for (const bool whileAccepted : {false, true})
            for (const char *levels : {"01", "03", "10", "11", "13", "30", "31", "33"})
                QTest::addRow("%c to %c%s", levels[0], levels[1],
                    whileAccepted ? ", added while Accept is pressed" : "")
                    << QString(QLatin1Char(levels[0])) << QString(QLatin1Char(levels[1]))
                    << whileAccepted;
    }
    // A record another program added while the window was open moves with the others, and the
    // window lists it again before it rewrites the new level's file from its list. A change
    // waits for another program's write under way.
    void anotherProgramsRecordIsListed()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(bool, whileAccepted);
        const QString key = from == "0" ? QString() : QStringLiteral("old");
        Program program(from, key, threeRecords);
        QVERIFY(program.configure(from, key));
        program.start();
        VaultAccess otherAccess {from, key};
        Database other(program.dir.path(), otherAccess);
        if (otherAccess.sealed())
            QCOMPARE(other.openSealed(key), SealedFile::Status::Opened);
        const QString added = QStringLiteral("Zed:!z:!p:!:!");
        std::promise<void> locked;
        std::thread writer([&] {
            other.whileLocked([&] {
                if (whileAccepted) {
                    locked.set_value();
                    QThread::msleep(300);
                }
                return other.AppendRecord(added);
            });
            if (!whileAccepted)
                locked.set_value();
        });
        locked.get_future().wait();
        program.form->open(from, key);
        program.answer = key; // asked again at the sealed level
        const QString steps
            = to == "0" ? QStringLiteral("reset") : "type|" + strong + ";reach|" + to;
        for (const QString &step : steps.split(u';'))
            program.perform(step);
        program.form->Command2_Click();
        writer.join();
        QCOMPARE(program.access.reach, to);
        const std::optional<Database::Records> listed = program.database->recordsChangedElsewhere();
        QVERIFY(listed);
        QCOMPARE(listed->book.records().size(), threeRecords.size() + 1);
        QVERIFY(listed->book.records().contains(added));
    }
    void sealedCostRaised_data()
    {
        QTest::addColumn<bool>("mayWrite");
        QTest::newRow("files may be written") << true;
        QTest::newRow("read only") << false;
    }
    // A sealed file of a lower cost than the standard is sealed again at the standard cost when
    // files may be written; it opens with the same password either way, its removals kept.
    void sealedCostRaised()
    {
        QFETCH(bool, mayWrite);
        Program program(QStringLiteral("0"), {}, {});
        VaultAccess sealing {QStringLiteral("3"), QStringLiteral("pw")};
        Database writer(program.dir.path(), sealing);
        writer.setSealKey(SealedFile::Key::create(QStringLiteral("pw"), {2, 8}));
        const QString gone = QStringLiteral("Gone:!g:!p:!:!");
        QVERIFY(writer.RewriteDatabase(threeRecords, [&](RemovalList &removals, qint64 day) {
            removals.remove(gone, day);
        }) && program.configure("3", "pw"));
        const auto restore = qScopeGuard([] { SealedFile::Cost::setStandardForTests({1, 8}); });
        SealedFile::Cost::setStandardForTests({3, 8});
        Database database(program.dir.path(), program.access);
        FakeDialogue dialogue;
        dialogue.typed = {QStringLiteral("pw")};
        const std::optional<Database::Records> records
            = VaultOpening(database, program.config, program.access).open(dialogue, mayWrite);
        QVERIFY(records && dialogue.told.isEmpty());
        QCOMPARE(records->book.records(), threeRecords);
        const std::optional<SealedFile::Header> header
            = SealedFile::readHeader(LineFile::readContent(program.data("CF2DB.sdb")).bytes);
        QVERIFY(header);
        QCOMPARE(header->cost.passes, mayWrite ? 3u : 2u);
        QCOMPARE(program.stored("3", "pw"), threeRecords);
        QVERIFY(database.removals()->isRemoved(gone));
    }
    void expiryDates_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("today");
        QTest::addColumn<QString>("expected");

        const auto row = [](const char *name, const char *what, const QString &text,
                             const char *expected, const QString &date = today) {
            QTest::newRow(name) << what << text << date << expected;
        };
        row("one-digit month and day", "normalise", "3-5-2026", "03-05-2026");
        row("slashes", "normalise", "12/31/2026", "12-31-2026");
        row("month 13", "normalise", "13-10-2026", "12-10-2026");
        row("December proposal", "normalise", "13-15-2026", "12-15-2026", "12-15-2026");
        row("past year", "normalise", "05-05-2020", "05-05-2026");
        row("later year", "normalise", "05-05-2031", "05-05-2031");
        row("day 32", "normalise", "05-32-2026", "05-01-2026");
        row("day 00", "normalise", "05-00-2026", "05-01-2026");
        row("month 00", "normalise", "00-31-2026", "00-31-2026");
        row("February 31", "normalise", "02-31-2026", "02-31-2026");
        row("seven characters", "normalise", "1-1-26", "<no expiry>");
        row("letter month", "normalise", "x-05-2026", "<failed>");
        row("letter day", "normalise", "05-y-2026", "<failed>");
        row("empty parts", "normalise", "--123456", "<failed>");
        row("March", "proposal", {}, "4-15-2026", "03-15-2026");
        row("December", "proposal", {}, "13-15-2026", "12-15-2026");
    }
    void expiryDates()
    {
        QFETCH(QString, what);
        QFETCH(QString, text);
        QFETCH(QString, today);
        QFETCH(QString, expected);
        const ExpiryDate::Normalised date = ExpiryDate::normalise(text, today);
        const QString outcome = QStringList {"", "<no expiry>", "<failed>"}.at(date.outcome);
        QCOMPARE(what == "proposal" ? ExpiryDate::proposal(today) : outcome + date.text, expected);
    }
    void suggestion_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("sealed");
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("characters");
        const QString capitals = QStringLiteral("123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ");
        const QString all = capitals + "abcdefghijklmnopqrstuvwxyz";
        QTest::newRow("level 1") << 1 << 0 << false << 6 << capitals;
        QTest::newRow("level 1 ignores the length") << 1 << 12 << false << 6 << capitals;
        QTest::newRow("level 2") << 2 << 0 << false << 8 << capitals;
        QTest::newRow("level 3, 12") << 3 << 12 << false << 12 << all;
        QTest::newRow("level 3, 0") << 3 << 0 << false << 0 << QString();
        QTest::newRow("level 1, sealed") << 1 << 0 << true << 14 << all;
        QTest::newRow("level 2, sealed") << 2 << 12 << true << 16 << all;
        QTest::newRow("level 3, 12, sealed") << 3 << 12 << true << 12 << all;
    }
    // Every drawn password has the length, draws from the set and is strong enough at the
    // sealed level.
    void suggestion()
    {
        QFETCH(int, level);
        QFETCH(int, length);
        QFETCH(bool, sealed);
        QFETCH(int, size);
        QFETCH(QString, characters);
        QSet<QChar> seen;
        for (int i = 0; i < 2000; ++i) {
            const QString password = PasswordSuggestion::suggest(level, length, sealed);
            QCOMPARE(password.size(), size);
            for (const QChar c : password) {
                QVERIFY2(characters.contains(c), qPrintable(password));
                seen.insert(c);
            }
            QVERIFY2(!sealed || level == 3
                    || PasswordSuggestion::estimatedBits(password)
                        >= PasswordSuggestion::sealedMinimumBits,
                qPrintable(password));
        }
        QCOMPARE(seen.size(), characters.size());
    }
    void generator_data()
    {
        using namespace PasswordGenerator;
        QTest::addColumn<int>("length"); // 0: a passphrase
        QTest::addColumn<int>("kinds");
        QTest::addColumn<int>("words");
        QTest::addColumn<int>("size"); // characters, or words
        QTest::addColumn<double>("bits");
        QTest::newRow("defaults") << 20 << (Letters | Digits | Signs) << 0 << 20 << 130.6;
        QTest::newRow("letters, shortest") << 8 << int(Letters) << 0 << 8 << 45.6;
        QTest::newRow("digits, below the shortest") << 3 << int(Digits) << 0 << 8 << 26.6;
        QTest::newRow("digits and signs") << 12 << (Digits | Signs) << 0 << 12 << 64.2;
        QTest::newRow("letters and digits, beyond the longest")
            << 500 << (Letters | Digits) << 0 << 128 << 762.1;
        QTest::newRow("no kind") << 20 << 0 << 0 << 0 << 0.0;
        QTest::newRow("six words") << 0 << 0 << 6 << 6 << 77.5;
        QTest::newRow("one word asked") << 0 << 0 << 1 << 4 << 51.7;
    }
    // Every drawn password has its length or words from the list, each chosen kind and nothing
    // else, and every character of the chosen kinds comes up.
    void generator()
    {
        QFETCH(int, length);
        QFETCH(int, kinds);
        QFETCH(int, words);
        QFETCH(int, size);
        QFETCH(double, bits);
        using namespace PasswordGenerator;
        const QStringList &list = wordList();
        const QSet<QString> distinct(list.begin(), list.end());
        QCOMPARE(list.size(), 7776);
        QCOMPARE(distinct.size(), list.size());
        // No slur, obscenity or sexual crime is drawn into a passphrase.
        for (const char *word : {"nigga", "gypsy", "fuck", "pussy", "rape", "molest", "lynch"})
            QVERIFY2(!distinct.contains(QLatin1String(word)), word);
        const Shape shape {length == 0, length, kinds, words};
        QCOMPARE(qRound(entropyBits(shape) * 10) / 10.0, bits);
        QSet<QString> seen;
        for (int i = 0; i < 3000; ++i) {
            const QString password = generate(shape);
            const QStringList parts = shape.passphrase
                ? password.split(u'-')
                : password.split(QString(), Qt::SkipEmptyParts);
            QCOMPARE(parts.size(), size);
            for (const Kind kind : {Letters, Digits, Signs})
                QCOMPARE(std::any_of(parts.begin(), parts.end(),
                             [&](const QString &c) { return characters(kind).contains(c); }),
                    bool(kinds & kind));
            for (const QString &part : parts) {
                QVERIFY2(!shape.passphrase || distinct.contains(part), qPrintable(part));
                seen.insert(part);
            }
        }
        const int set
            = (kinds & Letters ? 52 : 0) + (kinds & Digits ? 10 : 0) + (kinds & Signs ? 31 : 0);
        QVERIFY(shape.passphrase || seen.size() == set);
    }
    void strength_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("bits"); // rounded
        const auto row = [](const char *name, const QString &password, int bits) {
            QTest::newRow(name) << password << bits;
        };
        row("empty", "", 0);
        row("level 1 suggestion", "K3J9QZ", 31);
        row("level 2 suggestion", "K3J9QZ7M", 41);
        row("six of all sets", "Secr3t", 36);
        row("word and run of digits", "password1234", 52);
        row("ten digits", "4839201756", 33);
        row("other characters", QString::fromUtf8("p\xc3\xa4sswo!d"), 47);
        row("one letter", "aaaaaaaaaaaaaaaaaaaa", 9);
        row("run up", "abcdefghijklmnopqrstuvwxyz", 9);
        row("run down", "zyxwvuts", 9);
        row("back and forth", "1212121212121212", 53);
        row("fourteen of all sets", strong, 83);
    }
    void strength()
    {
        QFETCH(QString, password);
        QFETCH(int, bits);
        QCOMPARE(qRound(PasswordSuggestion::estimatedBits(password)), bits);
    }
};

QTEST_GUILESS_MAIN(SecurityTest)
#include "tst_security.moc"
