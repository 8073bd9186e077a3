#include "CrashStates.h"
#include "fakes/FakeDialogue.h"
#include "vault/Database.h"
#include "vault/RecordCodec.h"
#include "vault/RecordLine.h"
#include "vault/VaultAccess.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <thread>

using namespace CrashStates;

namespace {

// "twice": two program folders written at the same moments, each killed at its own.
const QStringList operations {"add0", "add1", "add3", "rewrite0", "rewrite1", "rewrite3", "convert",
    "config", "import0", "import1", "add1 twice", "rewrite1 twice", "convert twice"};

// VAULTINE_SEED replays the delays of a run, VAULTINE_KILLS sets its count of kills.
const quint32 seed = qEnvironmentVariableIsSet("VAULTINE_SEED")
    ? qEnvironmentVariable("VAULTINE_SEED").toUInt()
    : QRandomGenerator::global()->generate();
const int totalKills = qEnvironmentVariable("VAULTINE_KILLS", QStringLiteral("200")).toInt();

// Puts state 0 of the operation, and a former database to import, into a new program folder.
bool prepare(const QString &folder, const QString &operation)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder + QStringLiteral("/tmp"));
    const State state = stateOf(operation, 0);
    VaultAccess access {state.reach, state.key};
    Database database(folder, access);
    database.EnsureDataFolder();
    database.setSealKey(SealedFile::Key::create(state.key));
    return ConfigFile(database.dataFolder()).write(state.configLine())
        && database.RewriteDatabase(state.records)
        && LineFile::writeContent(
            folder + QStringLiteral("/CFDB.pdb"), EncodeRecord(RecordLine::linesToBytes(oldLines)));
}

struct Found
{
    State state;
    bool whole = false;
    QStringList files; // in Data and the temporary folder afterwards
};

// Opens the folder as a start does once it holds the lock, finishing a cut-short conversion;
// the passwords are typed in turn.
Found start(const QString &folder, const QStringList &typed)
{
    VaultAccess access;
    Database database(folder, access);
    database.EnsureDataFolder();
    database.removeWriteLeftovers({}); // the temporary folder is checked as it is
    const ConfigFile config(database.dataFolder());
    FakeDialogue dialogue;
    dialogue.typed = typed;
    const Database::Records records = *VaultOpening(database, config, access).open(dialogue);
    const auto settings = config.read();

    Found found;
    // A stray enciphered file (a change to reach 0 or 2 cut short) is told, not a failure.
    found.whole
        = settings && records.readWhole && dialogue.told.filter(QStringLiteral("Error")).isEmpty();
    if (settings)
        found.state = {settings->reach, access.sealed() ? dialogue.accepted : access.databaseKey,
            settings->expiry, records.book.records()};
    found.files = QDir(database.dataFolder()).entryList(QDir::Files);
    for (const QString &name : QDir(folder + QStringLiteral("/tmp")).entryList(QDir::Files))
        found.files.append(QStringLiteral("tmp/") + name);
    return found;
}

QString described(const State &state)
{
    return QStringLiteral("reach %1, key %2, expiry %3, %4 records: %5")
        .arg(state.reach, state.key, state.expiry)
        .arg(state.records.size())
        .arg(state.records.join(u' ').left(300));
}

// The files a start leaves: the configuration and the database file of the reach level. A
// change to another level that was cut short after the configuration write also leaves the
// enciphered file, which no start at that level reads, or a sealed one, which is set aside.
bool expectedFiles(const Found &found)
{
    const QString reach = found.state.reach;
    QStringList files = found.files;
    files.removeIf([&](const QString &name) {
        return name.startsWith("CF2DB.sdb.kept-") || (reach != "1" && name == "CF2DB.edb")
            || name == "vaultine.lock";
    });
    const QString database
        = reach == "1" ? "CF2DB.edb" : (reach == "3" ? "CF2DB.sdb" : "CF2DB.pdb");
    return files == QStringList {database, QStringLiteral("Coffrel.cnf")};
}

} // namespace

class TestCrash : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        SealedFile::Cost::setStandardForTests({1, 8});
        qInfo("seed %u (VAULTINE_SEED=%u replays the delays)", seed, seed);
    }
    void kills_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("kills");
        const qsizetype count = operations.size();
        for (qsizetype i = 0; i < count; ++i) {
            QTest::newRow(qPrintable(operations[i]))
                << operations[i] << int(totalKills * (i + 1) / count - totalKills * i / count);
        }
    }
    void kills();
};

// Kills the writer 0 to 30 ms after its first write began; after each kill a start must find the
// complete state before the write that was under way or the complete state after it, then the
// writer goes on from there. The folder starts anew when its state has grown large.
void TestCrash::kills()
{
    QFETCH(QString, operation);
    QFETCH(int, kills);
    QRandomGenerator random(seed + quint32(operations.indexOf(operation)));
    QTemporaryDir dir;
    const QString write = operation.section(u' ', 0, 0);
    const int count = operation.endsWith(u"twice") ? 2 : 1;
    const QString folders[2] = {dir.filePath("a"), dir.filePath("b")};
    int state[2] = {};
    int cutShort = 0;
    for (int kill = 0; kill < kills; ++kill) {
        QProcess writers[2];
        std::chrono::microseconds delays[2];
        for (int w = 0; w < count; ++w) {
            if (kill == 0 || state[w] > 300) {
                QVERIFY(prepare(folders[w], write));
                state[w] = 0;
            }
            delays[w] = std::chrono::microseconds(random.bounded(30001));
            writers[w].start(
                QStringLiteral(CRASH_WRITER), {folders[w], write, QString::number(state[w])});
        }
        for (int w = 0; w < count; ++w)
            writers[w].waitForReadyRead(-1);
        const auto started = std::chrono::steady_clock::now();
        for (int w = 0; w < count; ++w) {
            std::this_thread::sleep_until(started + delays[w]);
            writers[w].kill();
        }
        for (int w = 0; w < count; ++w) {
            QProcess &writer = writers[w];
            writer.waitForFinished(-1);
            const QString where
                = QStringLiteral("seed %1, %2, kill %3 after %4 us, from state %5")
                      .arg(QString::number(seed), operation, QString::number(kill),
                          QString::number(delays[w].count()), QString::number(state[w]));
            QVERIFY2(writer.exitStatus() == QProcess::CrashExit,
                qPrintable(where + u' ' + QString::fromLocal8Bit(writer.readAllStandardError())));
            const int next = writer.readAllStandardOutput().trimmed().split('\n').last().toInt();
            QVERIFY2(next > state[w], qPrintable(where));

            const State before = stateOf(write, next - 1);
            const State after = stateOf(write, next);
            const Found found = start(folders[w], {before.key, after.key});
            QVERIFY2(found.whole && (found.state == before || found.state == after),
                qPrintable(QStringLiteral("%1, writing state %2: found %3%4\nbefore: %5\nafter: %6")
                               .arg(where, QString::number(next),
                                   found.whole ? QString() : QStringLiteral("(not read whole) "),
                                   described(found.state), described(before), described(after))));
            QVERIFY2(expectedFiles(found), qPrintable(where + u' ' + found.files.join(u' ')));
            const Found again = start(folders[w], {found.state.key});
            QVERIFY2(again.whole && again.state == found.state, qPrintable(where));
            state[w] = found.state == after ? next : next - 1;
            cutShort += state[w] < next;
        }
    }
    qInfo("%d kills, %d of them before the write under way was whole", kills, cutShort);
}

QTEST_GUILESS_MAIN(TestCrash)
#include "tst_crash.moc"
