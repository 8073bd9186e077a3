#include "CrashStates.h"
#include "fakes/FakePlatform.h"
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

const QStringList operations {QStringLiteral("add0"), QStringLiteral("add1"),
    QStringLiteral("rewrite0"), QStringLiteral("rewrite1"), QStringLiteral("convert"),
    QStringLiteral("config"), QStringLiteral("import0"), QStringLiteral("import1")};

// VAULTINE_SEED replays the delays of a run, VAULTINE_KILLS sets its count of kills.
const quint32 seed = qEnvironmentVariableIsSet("VAULTINE_SEED")
    ? qEnvironmentVariable("VAULTINE_SEED").toUInt()
    : QRandomGenerator::global()->generate();
const int totalKills = qEnvironmentVariableIsSet("VAULTINE_KILLS")
    ? qEnvironmentVariableIntValue("VAULTINE_KILLS")
    : 200;

QString temporaryOf(const QString &folder)
{
    return folder + QStringLiteral("/tmp");
}

// Puts state 0 of the operation, and a former database to import, into a new program folder.
bool prepare(const QString &folder, const QString &operation)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(temporaryOf(folder));
    const State state = stateOf(operation, 0);
    VaultAccess access {state.reach, state.key};
    const FakeTemporaryFolder temporary(temporaryOf(folder));
    Database database(folder, temporary, access);
    database.EnsureDataFolder();
    QList<QByteArray> old;
    for (const QString &line : oldLines)
        old.append(EncodeRecord(RecordLine::toBytes(line)));
    return ConfigFile(database.dataFolder()).write(state.configLine())
        && database.RewriteDatabase(state.records)
        && LineFile::writeLines(folder + QStringLiteral("/CFDB.pdb"), old);
}

struct Found
{
    State state;
    bool whole = false;
    QStringList files; // in Data and the temporary folder afterwards
};

// Reads the folder as a start does once it holds the lock, finishing a cut-short conversion.
Found start(const QString &folder)
{
    VaultAccess access;
    const FakeTemporaryFolder temporary(temporaryOf(folder));
    Database database(folder, temporary, access);
    database.EnsureDataFolder();
    database.removeWriteLeftovers();
    const auto settings = ConfigFile(database.dataFolder()).loadInto(access);
    const bool deciphered = !access.enciphered() || database.DecipherDatabase();
    const Database::Records records = database.LoadRecords();
    if (access.enciphered())
        database.deleteWorkingCopy();
    database.finishConversion(records.lines);

    Found found;
    found.whole = settings && deciphered && records.readWhole;
    if (settings)
        found.state
            = {settings->reach, settings->key.value_or(QString()), settings->expiry, records.lines};
    found.files = QDir(database.dataFolder()).entryList(QDir::Files);
    for (const QString &name : QDir(temporaryOf(folder)).entryList(QDir::Files))
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
// change to a level without enciphering that was cut short after the configuration write
// also leaves the enciphered file, which no start at that level reads.
bool expectedFiles(const Found &found)
{
    const bool enciphered = found.state.reach == QLatin1String("1");
    QStringList files = found.files;
    if (!enciphered)
        files.removeOne(QStringLiteral("CF2DB.edb"));
    const QString database = enciphered ? QStringLiteral("CF2DB.edb") : QStringLiteral("CF2DB.pdb");
    return files == QStringList {database, QStringLiteral("Coffrel.cnf")};
}

} // namespace

class TestCrash : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qInfo("seed %u (VAULTINE_SEED=%u replays the delays)", seed, seed); }
    void kills_data();
    void kills();
};

void TestCrash::kills_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("kills");
    const qsizetype count = operations.size();
    for (qsizetype i = 0; i < count; ++i) {
        QTest::newRow(qPrintable(operations[i]))
            << operations[i] << int(totalKills * (i + 1) / count - totalKills * i / count);
    }
}

// Kills the writer 0 to 30 ms after its first write began; after each kill a start must find the
// complete state before the write that was under way or the complete state after it, then the
// writer goes on from there. The folder starts anew when its state has grown large.
void TestCrash::kills()
{
    QFETCH(QString, operation);
    QFETCH(int, kills);
    QRandomGenerator random(seed + quint32(operations.indexOf(operation)));
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("program"));
    int state = 0;
    int cutShort = 0;
    for (int kill = 0; kill < kills; ++kill) {
        if (kill == 0 || state > 300) {
            QVERIFY(prepare(folder, operation));
            state = 0;
        }
        const auto delay = std::chrono::microseconds(random.bounded(30001));
        QProcess writer;
        writer.start(QStringLiteral(CRASH_WRITER), {folder, operation, QString::number(state)});
        writer.waitForReadyRead(-1);
        std::this_thread::sleep_for(delay);
        writer.kill();
        writer.waitForFinished(-1);
        const QString where = QStringLiteral("seed %1, %2, kill %3 after %4 us, from state %5")
                                  .arg(seed)
                                  .arg(operation)
                                  .arg(kill)
                                  .arg(delay.count())
                                  .arg(state);
        QVERIFY2(writer.exitStatus() == QProcess::CrashExit,
            qPrintable(where + u' ' + QString::fromLocal8Bit(writer.readAllStandardError())));
        const QList<QByteArray> announced = writer.readAllStandardOutput().trimmed().split('\n');
        const int next = announced.last().toInt();
        QVERIFY2(next > state, qPrintable(where));

        const Found found = start(folder);
        const State before = stateOf(operation, next - 1);
        const State after = stateOf(operation, next);
        QVERIFY2(found.whole && (found.state == before || found.state == after),
            qPrintable(QStringLiteral("%1, writing state %2: found %3%4\nbefore: %5\nafter: %6")
                           .arg(where)
                           .arg(next)
                           .arg(found.whole ? QString() : QStringLiteral("(not read whole) "),
                               described(found.state), described(before), described(after))));
        QVERIFY2(expectedFiles(found), qPrintable(where + u' ' + found.files.join(u' ')));
        const Found again = start(folder);
        QVERIFY2(again.whole && again.state == found.state, qPrintable(where));
        state = found.state == after ? next : next - 1;
        cutShort += state < next;
    }
    qInfo("%d kills, %d of them before the write under way was whole", kills, cutShort);
}

QTEST_GUILESS_MAIN(TestCrash)
#include "tst_crash.moc"
