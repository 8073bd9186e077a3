#include "CrashStates.h"
#include "PowerCuts.h"
#include "fakes/FakeDialogue.h"
#include "vault/Database.h"
#include "vault/RecordCodec.h"
#include "vault/RecordLine.h"
#include "vault/VaultAccess.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <map>
#include <sys/stat.h>

// What a power cut may leave of each write: its file operations are recorded (recording_calls
// preloaded into the program that writes), then replayed on the folder as it was, cut after
// every operation, and each state a cut may leave is opened as a start opens it.

namespace {

const QString oldPassword = QStringLiteral("old-Pw1"), newPassword = QStringLiteral("new-Pw2");
// The least cost a sealed file may ask: below the standard one, so that vaultine-cli seals a
// folder again at the standard cost when it opens it to write.
const SealedFile::Cost leastCost {2, 19 * 1024};

// Types the passwords of before and after; at the sealed level first gives the file's key as
// one kept by unlock, derived once for each password, salt and cost.
struct Dialogue : FakeDialogue
{
    explicit Dialogue(const QString &data)
        : m_data(data)
    {
        typed = {oldPassword, newPassword};
    }
    std::optional<SealedFile::Key> keptKey() override
    {
        const QByteArray bytes
            = DataFolder(m_data).read(Database::fileName(Database::Source::Sealed)).bytes;
        const std::optional<SealedFile::Header> header = SealedFile::readHeader(bytes);
        for (const QString &password : header ? typed : QStringList()) {
            const std::optional<SealedFile::Key> &key = derived(password, *header);
            QByteArray content;
            if (key && SealedFile::openBytes(bytes, *key, content) == SealedFile::Status::Opened) {
                accepted = password;
                return SealedFile::Key::fromKept(key->kept().view());
            }
        }
        return std::nullopt;
    }
    static const std::optional<SealedFile::Key> &derived(
        const QString &password, const SealedFile::Header &header)
    {
        static std::map<QByteArray, std::optional<SealedFile::Key>> keys;
        const auto [key, added] = keys.try_emplace(password.toUtf8()
            + QByteArray::number(header.cost.kibibytes)
            + QByteArray(reinterpret_cast<const char *>(header.salt.data()), header.salt.size()));
        if (added)
            key->second = SealedFile::Key::derive(password, header.salt, header.cost);
        return key->second;
    }

private:
    QString m_data;
};

// A program folder at the reach level with the records, the former database beside it.
bool prepare(const QString &folder, const QString &reach, int records)
{
    QDir().mkpath(folder + QStringLiteral("/tmp"));
    const QString key = reach == u'0' ? QString() : oldPassword;
    VaultAccess access {reach, key};
    Database database(folder, access);
    database.EnsureDataFolder();
    if (access.sealed())
        database.setSealKey(SealedFile::Key::create(key, leastCost));
    const QString line = ConfigFile::composeLine(ConfigFile::noExpiry,
        key.isEmpty() || access.sealed() ? ConfigFile::unsetMark : key, "01-15-2026", reach);
    return (reach == u'0' || ConfigFile(database.dataFolder()).write(line))
        && database.RewriteDatabase(CrashStates::numbered(records))
        && LineFile::writeContent(folder + QStringLiteral("/CFDB.pdb"),
            EncodeRecord(RecordLine::linesToBytes(CrashStates::oldLines)));
}

QList<std::tuple<QByteArray, qint64, QByteArray>> filesOf(const QString &data)
{
    QList<std::tuple<QByteArray, qint64, QByteArray>> files;
    for (const QString &name : QDir(data).entryList(QDir::Files | QDir::Hidden)) {
        QFile file(data + u'/' + name);
        struct stat info;
        if (file.open(QIODevice::ReadOnly) && stat(QFile::encodeName(file.fileName()), &info) == 0)
            files.append({QFile::encodeName(name), qint64(info.st_ino), file.readAll()});
    }
    return files;
}

bool putState(const QString &folder, const FolderModel::State &state)
{
    QDir(folder).removeRecursively();
    bool written = QDir().mkpath(folder + QStringLiteral("/Data"));
    for (auto [name, entry] : state.asKeyValueRange()) {
        QFile file(folder + QStringLiteral("/Data/") + QFile::decodeName(name));
        written = written && file.open(QIODevice::WriteOnly) && file.write(entry.content) >= 0;
    }
    return written;
}

struct Opened
{
    bool whole = false;
    QString reach, key;
    QStringList records;
    QStringList told;

    bool sameAs(const Opened &other) const
    {
        return whole && other.whole && reach == other.reach && key == other.key
            && records == other.records;
    }
    QString described() const
    {
        return QStringLiteral("%1reach %2, key %3, %4 records (%5) %6")
            .arg(whole ? "" : "NOT WHOLE: ", reach, key)
            .arg(records.size())
            .arg(records.join(u' ').left(200), told.join(u' '));
    }
};

// Opens the folder as a start that may write does (the command line's and the window's
// opening); the passwords of before and after are typed in turn. Whole: the records were read,
// nothing keeps adds and rewrites out, and no error was told.
Opened openFolder(const QString &folder)
{
    VaultAccess access;
    Database database(folder, access);
    database.prepareForWriting(folder + QStringLiteral("/tmp"));
    const ConfigFile config(database.dataFolder());
    Dialogue dialogue(database.dataFolder());
    const std::optional<Database::Records> records
        = VaultOpening(database, config, access).open(dialogue);
    Opened opened;
    opened.told = dialogue.told;
    if (!records)
        return opened;
    opened.whole = records->readWhole && dialogue.told.filter(QStringLiteral("Error")).isEmpty()
        && database.rewriteAllowed() && database.removals();
    opened.reach = access.reach;
    opened.key = access.sealed() ? dialogue.accepted : access.databaseKey;
    opened.records = records->book.records();
    std::ranges::sort(opened.records);
    return opened;
}

// Runs the program with its file operations in Data recorded into the trace.
QString recorded(const QString &program, const QStringList &arguments, const QByteArray &input,
    const QString &data, const QString &trace)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    environment.insert("LD_PRELOAD", RECORDING_CALLS);
    environment.insert("VAULTINE_TRACE", trace);
    environment.insert("VAULTINE_TRACE_IN", QDir(data).canonicalPath());
    const QString asan = environment.value("ASAN_OPTIONS");
    environment.insert(
        "ASAN_OPTIONS", asan + (asan.isEmpty() ? "" : ":") + "verify_asan_link_order=0");
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        return QStringLiteral("%1 failed: %2").arg(program, process.readAllStandardError());
    return {};
}

struct Figures
{
    int opened = 0, wrong = 0;
};

} // namespace

class TestCrashStates : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { SealedFile::Cost::setStandardForTests({1, 8}); }
    void writePaths_data();
    void writePaths();
    void cleanupTestCase()
    {
        qInfo("all write paths: %d states opened, %d wrong", m_total.opened, m_total.wrong);
    }

private:
    Figures m_total;
};

void TestCrashStates::writePaths_data()
{
    QTest::addColumn<QString>("reach");
    QTest::addColumn<QStringList>("command"); // "window" or "cli", then its arguments
    QTest::addColumn<QByteArray>("input");
    // A wrong write path: "file" leaves out the sync before every rename, "folder" the folder's.
    QTest::addColumn<QString>("syncsLeftOut");
    const QString levels = QStringLiteral("0123");
    for (const QChar reach : levels) {
        for (const char *command : {"add", "replace", "remove", "import"}) {
            QTest::addRow("window %s, level %c", command, reach.toLatin1())
                << QString(reach) << QStringList {"window", command, oldPassword} << QByteArray()
                << QString();
        }
        for (const QChar to : levels) {
            const bool again = to == reach;
            if (again && reach == u'0')
                continue;
            const QString password
                = to == u'0' ? "-" : (again || reach == u'0' ? newPassword : oldPassword);
            QTest::newRow(
                qPrintable(again ? QStringLiteral("window password change, level %1").arg(reach)
                                 : QStringLiteral("window level %1 to %2").arg(reach, to)))
                << QString(reach)
                << QStringList {"window", "change", oldPassword, QString(to), password}
                << QByteArray() << QString();
        }
    }
    for (const QString reach : {"0", "1", "3"}) {
        const auto cli = [&](const char *name, const QStringList &arguments, const char *input) {
            QTest::addRow("cli %s, level %s", name, qPrintable(reach))
                << reach << QStringList {"cli"} + arguments << QByteArray(input) << QString();
        };
        cli("add", {"add", "--stdin"}, "New\nn\xc3\xb2\npw, \"q\"\n\nhttp://n\n");
        cli("edit", {"edit", "Service 0002", "--info", "edited"}, "");
        cli("remove", {"remove", "Service 0003", "--force"}, "");
        cli("import", {"import", "--csv", "-"}, "Title,Password\nNew,pw\nOther,p2\n");
        cli("merge", {"merge", "{other}"}, "old-Pw1\n");
        cli("merge of a conflict copy", {"merge", "{copy}"}, "old-Pw1\n");
    }
    QTest::newRow("window replace, level 0, no sync before a rename")
        << "0" << QStringList {"window", "replace", oldPassword} << QByteArray() << "file";
    QTest::newRow("window level 0 to 1, no folder sync")
        << "0" << QStringList {"window", "change", oldPassword, "1", newPassword} << QByteArray()
        << "folder";
}

void TestCrashStates::writePaths()
{
    QFETCH(QString, reach);
    QFETCH(QStringList, command);
    QFETCH(QByteArray, input);
    QFETCH(QString, syncsLeftOut);
    QTemporaryDir dir;
    const QString folder = dir.filePath("vault"), data = folder + QStringLiteral("/Data");
    QVERIFY(prepare(folder, reach, 5));
    QStringList arguments = command.mid(1);
    // Merged: another folder at level 0, or a conflict copy of one at this level in Data.
    if (arguments.last().startsWith(u'{')) {
        const QString other = dir.filePath("other");
        const bool copy = arguments.last() == u"{copy}";
        const QString kind = reach == u'1' ? "edb" : (reach == u'3' ? "sdb" : "pdb");
        QVERIFY(prepare(other, copy ? reach : QStringLiteral("0"), 7));
        arguments.last()
            = copy ? data + "/CF2DB.sync-conflict-20260101-000000-ABCDEFG." + kind : other;
        QVERIFY(!copy || QFile::copy(other + "/Data/CF2DB." + kind, arguments.last()));
    }
    const bool window = command.first() == u"window";
    const QList<std::tuple<QByteArray, qint64, QByteArray>> files = filesOf(data);
    const QString failed = window
        ? recorded(
            WINDOW_WRITER, QStringList {folder} + arguments, input, data, dir.filePath("trace"))
        : recorded(CLI_PATH, QStringList {"--folder", folder, "--password-stdin"} + arguments,
            oldPassword.toUtf8() + '\n' + input, data, dir.filePath("trace"));
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
    const QList<Operation> trace = readTrace(dir.filePath("trace"));
    QVERIFY(!trace.isEmpty());

    // A first pass finds the files renamed, whose syncs a wrong write path leaves out, and
    // shows the trace whole: replayed, it leaves the files the program left.
    FolderModel whole(files);
    for (const Operation &op : trace)
        whole.apply(op);
    QCOMPARE(FolderModel::fingerprint(whole.kept()),
        FolderModel::fingerprint(FolderModel(filesOf(data)).kept()));
    FolderModel model(
        files, syncsLeftOut == u"file" ? whole.renamed() : QSet<int>(), syncsLeftOut == u"folder");
    const QString opened = dir.filePath("opened");
    QVERIFY(putState(opened, model.kept()));
    const Opened before = openFolder(opened);
    QVERIFY(putState(opened, whole.kept()));
    const Opened after = openFolder(opened);
    QVERIFY2(before.whole && after.whole && !before.sameAs(after),
        qPrintable(before.described() + u'\n' + after.described()));

    Figures figures;
    QSet<QByteArray> seen;
    for (qsizetype cut = 0; cut < trace.size(); ++cut) {
        model.apply(trace[cut]);
        for (const auto &[kind, state] : model.crashStates()) {
            const QByteArray fingerprint = FolderModel::fingerprint(state);
            if (seen.contains(fingerprint))
                continue;
            seen.insert(fingerprint);
            ++figures.opened;
            QVERIFY(putState(opened, state));
            const Opened found = openFolder(opened);
            const Opened again = openFolder(opened);
            if ((found.sameAs(before) || found.sameAs(after)) && again.sameAs(found))
                continue;
            if (++figures.wrong <= 3 && syncsLeftOut.isEmpty())
                qWarning("%s after operation %lld (%s): %s\nagain: %s\nbefore: %s\nafter: %s",
                    qPrintable(kind), cut + 1, trace[cut].kind.constData(),
                    qPrintable(found.described()), qPrintable(again.described()),
                    qPrintable(before.described()), qPrintable(after.described()));
        }
    }
    qInfo("%s: %d operations, %d states opened, %d wrong", QTest::currentDataTag(),
        int(trace.size()), figures.opened, figures.wrong);
    if (!syncsLeftOut.isEmpty()) {
        QVERIFY2(figures.wrong > 0, "a write path without its syncs went unnoticed");
        return;
    }
    m_total.opened += figures.opened;
    m_total.wrong += figures.wrong;
    QCOMPARE(figures.wrong, 0);
}

QTEST_GUILESS_MAIN(TestCrashStates)
#include "tst_crashstates.moc"
