// Times `vaultine-cli merge` of two copies of one program folder, each with one record in a
// hundred changed apart (edits, removals, adds), beside reading both folders in the same run:
// `vaultine-cli list` of each, printing nothing, and the floor's read and decode of each file
// (the least any merge must do). Every merge is checked against the records that should come
// and go.
// Run: QT_QPA_PLATFORM=offscreen build/bench/bench_merge [--floor FLOOR] [count ...]

#include "SampleRecords.h"
#include "records/RecordEditor.h"
#include "records/ServiceListModel.h"
#include "vault/Database.h"
#include "vault/RecordLine.h"
#include "vault/VaultAccess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <optional>

#include <sys/resource.h>

namespace {

constexpr int runs = 5;
const QString cli = QStringLiteral(VAULTINE_CLI);

// What a merge of a changed copy into the other copy tells: "Added: N, removed: M."
struct Told
{
    int added = 0;
    int removed = 0;
    bool operator==(const Told &) const = default;
};

// The program folder's Data files copied into a new program folder.
void copyFolder(const QString &from, const QString &to)
{
    VaultAccess access;
    Database(to, access).EnsureDataFolder();
    for (const QString &name : {Database::fileName(Database::Source::Coded), RemovalList::fileName})
        QFile::copy(from + QStringLiteral("/Data/") + name, to + QStringLiteral("/Data/") + name);
}

// A folder of the records in use: written whole, then one record removed, so that its list of
// removals exists and travels with its copies.
void writeFolder(const QString &folder, const QStringList &records)
{
    VaultAccess access;
    Database database(folder, access);
    database.EnsureDataFolder();
    const QString gone = QStringLiteral("Removed before the copies:!me:!secret:!:!");
    ServiceListModel model;
    model.load(records + QStringList {gone});
    database.RewriteDatabase(model.book().records());
    RecordEditor(model, database).removeRecord(model.book().indexOf(gone));
}

// One record in a hundred of the copy changed, from the offset on: of every ten, eight edited
// (a new password), one removed and one added. The edits and removals are written as Replace and
// Remove write them, in one rewrite; each add is appended as Add appends it.
Told changeCopy(const QString &folder, int offset, const QString &side)
{
    VaultAccess access;
    Database database(folder, access);
    ServiceListModel model;
    model.setBook(database.LoadRecords(Database::Source::Coded).book);
    RecordEditor editor(model, database);
    const QStringList before = model.book().records();
    QStringList after, added;
    Told told;
    for (qsizetype i = 0; i < before.size(); ++i) {
        const qsizetype change = i % 100 == offset ? i / 100 % 10 : -1;
        QStringList fields = RecordLine::recordFields(before[i]);
        if (change == 0) {
            ++told.removed;
            continue;
        }
        if (change == 1)
            added.append(RecordLine::join({fields[RecordLine::Service] + QStringLiteral(" too"),
                QStringLiteral("added on ") + side, QStringLiteral("new"), {}, {}}));
        if (change > 1) {
            fields[RecordLine::Password] += QStringLiteral(" changed on ") + side;
            ++told.added;
            ++told.removed;
        }
        after.append(RecordLine::join(fields));
    }
    const RecordBook next(after);
    const auto [removed, addedAgain] = RecordBook::difference(RecordBook(before), next);
    database.RewriteDatabase(next,
        [&](RemovalList &removals, qint64 today) { removals.rewrite(removed, addedAgain, today); });
    model.setBook(next);
    for (const QString &line : std::as_const(added)) {
        editor.addRecord(RecordLine::recordFields(line));
        ++told.added;
    }
    return told;
}

// The milliseconds of a run: on the clock, and of processor time (the process's, user and
// system).
struct Time
{
    double wall = 0;
    double processor = 0;
    Time operator+(const Time &other) const
    {
        return {wall + other.wall, processor + other.processor};
    }
};

// The processor time of the child processes waited for so far.
double childrenMilliseconds()
{
    rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto ms = [](const timeval &time) { return time.tv_sec * 1e3 + time.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// The time of a run of the program, none when it failed; its standard output in out.
std::optional<Time> timedRun(const QString &program, const QStringList &arguments, QByteArray &out)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    const double processor = childrenMilliseconds();
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    process.waitForFinished(-1);
    const Time time {timer.nsecsElapsed() / 1e6, childrenMilliseconds() - processor};
    out = process.readAllStandardOutput();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        QTextStream(stderr) << program << ' ' << arguments.join(u' ')
                            << " failed: " << process.readAllStandardError();
        return std::nullopt;
    }
    return time;
}

// The floor's milliseconds reading and decoding the coded file of the folder.
std::optional<double> floorRead(const QString &floor, int count, const QString &folder)
{
    QByteArray out;
    if (!timedRun(floor,
            {QString::number(count),
                folder + QStringLiteral("/Data/") + Database::fileName(Database::Source::Coded)},
            out))
        return std::nullopt;
    static const QRegularExpression steps(QStringLiteral("read (\\d+), decode (\\d+)"));
    const QRegularExpressionMatch match = steps.match(QString::fromLocal8Bit(out));
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toDouble() + match.captured(2).toDouble();
}

double median(QList<double> times)
{
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

Time median(const QList<Time> &times)
{
    QList<double> wall, processor;
    for (const Time &time : times) {
        wall.append(time.wall);
        processor.append(time.processor);
    }
    return {median(wall), median(processor)};
}

QString number(double value, int decimals = 0)
{
    return QString::number(value, 'f', decimals);
}

// Runs of the merge into a fresh copy of ours, each beside a list of each folder and the floor's
// read of each file; false when the merge did not tell what was expected.
bool measureRuns(const QString &ours, const QString &theirs, int count, const Told &told,
    const QString &floor, QList<Time> &merges, QList<Time> &lists, QList<double> &floors)
{
    // A text that no service name holds: the list reads the folder and prints nothing.
    const QString nothing = QStringLiteral("no service holds this");
    for (int run = 0; run < runs; ++run) {
        QTemporaryDir merged;
        copyFolder(ours, merged.path());
        QByteArray out;
        const std::optional<Time> list = timedRun(cli, {"--folder", ours, "list", nothing}, out);
        const std::optional<Time> theirList
            = timedRun(cli, {"--folder", theirs, "list", nothing}, out);
        const std::optional<Time> merge
            = timedRun(cli, {"--folder", merged.path(), "merge", theirs}, out);
        static const QRegularExpression result(QStringLiteral("Added: (\\d+), removed: (\\d+)"));
        const QRegularExpressionMatch match = result.match(QString::fromLocal8Bit(out));
        if (!list || !theirList || !merge || !match.hasMatch()
            || Told {match.captured(1).toInt(), match.captured(2).toInt()} != told) {
            QTextStream(stderr) << "the merge did not do what was expected (added " << told.added
                                << ", removed " << told.removed << "): " << out;
            return false;
        }
        merges.append(*merge);
        lists.append(*list + *theirList);
        const std::optional<double> ourRead
            = floor.isEmpty() ? std::nullopt : floorRead(floor, count, ours);
        const std::optional<double> theirRead
            = floor.isEmpty() ? std::nullopt : floorRead(floor, count, theirs);
        if (ourRead && theirRead)
            floors.append(*ourRead + *theirRead);
    }
    return true;
}

// `vaultine-cli edit` beside `show` of the same record (the start, read and decode they
// share), and the rest beside writing, syncing and renaming the same bytes.
void measureEdit(int count)
{
    QTemporaryDir folder;
    writeFolder(folder.path(), makeRecords(count));
    const QString service = QStringLiteral("Service %1 of the list").arg(count / 2);
    QList<Time> shows, edits;
    QByteArray out;
    for (int run = 0; run < runs; ++run) {
        const std::optional<Time> show
            = timedRun(cli, {"--folder", folder.path(), "show", service}, out);
        const std::optional<Time> edit = timedRun(
            cli, {"--folder", folder.path(), "edit", service, "--info", QString::number(run)}, out);
        if (!show || !edit)
            return;
        shows.append(*show);
        edits.append(*edit);
    }
    const QString data = folder.path() + QStringLiteral("/Data");
    QFile file(data + u'/' + Database::fileName(Database::Source::Coded));
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    const double beyond = median(edits).wall - median(shows).wall;
    const double write = writeMilliseconds(data, bytes);
    QTextStream(stdout) << "vaultine-cli edit, " << count << " records, median of " << runs << ": "
                        << number(median(edits).wall, 1) << " ms, beyond show " << number(beyond, 1)
                        << " ms; writing, syncing and renaming the same " << bytes.size()
                        << " bytes: " << number(write, 1) << " ms, ratio "
                        << number(beyond / write, 2) << "\n";
}

void measure(int count, const QString &floor)
{
    const QStringList records = makeRecords(count);
    QTemporaryDir ours, theirs;
    writeFolder(ours.path(), records);
    copyFolder(ours.path(), theirs.path());
    changeCopy(ours.path(), 0, QStringLiteral("ours"));
    const Told told = changeCopy(theirs.path(), 50, QStringLiteral("theirs"));
    QList<Time> merges, lists;
    QList<double> floors;
    if (!measureRuns(ours.path(), theirs.path(), count, told, floor, merges, lists, floors))
        return;
    const Time merge = median(merges), list = median(lists);
    QTextStream(stdout) << "vaultine-cli merge of two copies, " << count
                        << " records, one in a hundred changed on each side (" << told.added
                        << " records come in, " << told.removed << " go), median of " << runs
                        << ", wall / processor time: " << number(merge.wall) << " / "
                        << number(merge.processor) << " ms\n"
                        << "  reading both folders, vaultine-cli list TEXT of each (start, read, "
                           "decode, sort; no name holds TEXT): "
                        << number(list.wall) << " / " << number(list.processor) << " ms, ratio "
                        << number(merge.wall / list.wall, 2) << " / "
                        << number(merge.processor / list.processor, 2) << "\n";
    if (!floors.isEmpty())
        QTextStream(stdout) << "  the floor reading and decoding both files (wall): "
                            << number(median(floors)) << " ms, ratio "
                            << number(merge.wall / median(floors), 1) << "\n";
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const BenchArguments arguments = benchArguments(QCoreApplication::arguments().mid(1));
    for (const int count : arguments.counts) {
        measureEdit(count);
        measure(count, arguments.floor);
    }
    return 0;
}
