// Times start-up, Add, Replace and Remove on large databases, at reach 0, 1 and 3 (sealed),
// beside the floor (the least work that shows the same records) run on the same records, and
// each rewrite beside writing, syncing and renaming the same bytes; a key typed into the search
// box; the unlock of a sealed file; the codec and cipher throughput; the heap that the records
// take beside their file.
// Run: QT_QPA_PLATFORM=offscreen build/bench/bench_records [--floor FLOOR] [count ...]

#include "SampleRecords.h"
#include "app/Startup.h"
#include "fakes/PromptAnswers.h"
#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/ProcessStarter.h"
#include "platform/ProgramEnd.h"
#include "platform/Shell.h"
#include "platform/TemporaryFolder.h"
#include "platform/TopMostSwitch.h"
#include "records/Coffrel.h"
#include "records/RecordFilter.h"
#include "security/ConfigFile.h"
#include "vault/CipherText.h"
#include "vault/RecordCodec.h"
#include "vault/RecordLine.h"
#include "vault/SealedFile.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <ctime>
#include <functional>
#include <malloc.h>
#include <numeric>

namespace {

struct QuietPlatform : Clipboard,
                       Shell,
                       TopMostSwitch,
                       TemporaryFolder,
                       ProcessStarter,
                       Clock,
                       MessageBoxes,
                       ProgramEnd
{
    explicit QuietPlatform(const QString &folder)
        : folder(folder)
    { }
    void clear() override { }
    void setText(const QString &, bool) override { }
    QString text() const override { return {}; }
    bool open(const QString &) override { return true; }
    void setTopMost(QWidget *, bool) override { }
    QString LocateSpecialFolder() const override { return folder; }
    bool startProgram(const QString &) override { return true; }
    QString today() const override { return QStringLiteral("01-01-2024"); }
    QTime timeOfDay() const override { return {}; }
    qint64 milliseconds() const override { return 0; }
    using MessageBoxes::showMessage;
    void showMessage(const QString &title, const QString &text, Icon, const QString &) override
    {
        QTextStream(stderr) << "message: " << title << ": " << text << '\n';
    }
    void endProgram() override { }

    QString folder;
    Platform platform {*this, *this, *this, *this, *this, *this, *this, *this};
};

void report(const char *what, int count, const QString &reach, qint64 nanoseconds)
{
    QTextStream(stdout) << what << ", " << count << " records, reach " << reach << ": "
                        << QString::number(nanoseconds / 1e6, 'f', 1) << " ms\n";
}

// Five rewrites, each beside writing, syncing and renaming the bytes it wrote: the first
// (which also makes the list of removals) and the median of the other four.
void measureRewrites(const char *what, int count, const QString &reach, const QString &folder,
    const QString &path, const std::function<void(int)> &rewrite)
{
    QList<double> times, writes;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        rewrite(run);
        times.append(timer.nsecsElapsed() / 1e6);
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        writes.append(writeMilliseconds(folder, file.readAll()));
    }
    const auto median = [](QList<double> values) {
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    const double time = median(times.mid(1)), write = median(writes.mid(1));
    QTextStream(stdout) << what << ", " << count << " records, reach " << reach << ": first "
                        << QString::number(times.first(), 'f', 1) << " ms, then "
                        << QString::number(time, 'f', 1)
                        << " ms; writing, syncing and renaming the same bytes "
                        << QString::number(write, 'f', 1) << " ms, ratio "
                        << QString::number(time / write, 'f', 2) << "\n";
}

qint64 heapBytes()
{
    return qint64(mallinfo2().uordblks);
}

void fill(Coffrel &window, const QStringList &fields)
{
    for (int i = 0; i < fields.size(); ++i)
        window.findChild<QLineEdit *>(QStringLiteral("Text1(%1)").arg(i))->setText(fields[i]);
}

void select(Coffrel &window, int row)
{
    auto *list = window.findChild<QListView *>(QStringLiteral("List2"));
    const QModelIndex index = list->model()->index(row, 0);
    list->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    list->scrollTo(index);
    const QPointF point = list->visualRect(index).center();
    QMouseEvent release(QEvent::MouseButtonRelease, point, list->viewport()->mapToGlobal(point),
        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &release);
}

// The floor's milliseconds on a coded file of the records; -1 when it did not run.
double floorMilliseconds(const QString &floor, int count, const QStringList &records)
{
    QTemporaryDir folder;
    VaultAccess access;
    Database database(folder.path(), access);
    database.EnsureDataFolder();
    database.RewriteDatabase(records);
    QProcess process;
    process.start(floor, {QString::number(count), database.codedPath()});
    process.waitForFinished(-1);
    static const QRegularExpression shown(QStringLiteral("shown in (\\d+) ms"));
    const QRegularExpressionMatch match = shown.match(QString::fromLocal8Bit(process.readAll()));
    return match.hasMatch() ? match.captured(1).toDouble() : -1;
}

qint64 residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// The milliseconds of each key typed, then of each key erased, on average and the slowest.
QString keyTimes(const std::function<void(const QString &)> &search)
{
    const QString typed = QStringLiteral("user4711");
    QList<qint64> times;
    QElapsedTimer timer;
    const auto key = [&](qsizetype length) {
        timer.start();
        search(typed.left(length));
        times.append(timer.nsecsElapsed());
    };
    for (qsizetype length = 1; length <= typed.size(); ++length)
        key(length);
    for (qsizetype length = typed.size() - 1; length >= 0; --length)
        key(length);
    const qint64 slowest = *std::max_element(times.begin(), times.end());
    const qint64 mean = std::accumulate(times.begin(), times.end(), qint64(0)) / times.size();
    return QString::number(mean / 1e6, 'f', 1) + QStringLiteral(" / ")
        + QString::number(slowest / 1e6, 'f', 1) + QStringLiteral(" ms");
}

// A search: entering the search box (which folds every record's text), then each key typed
// and erased, the filter alone and until the list shows the records found.
void measureSearch(Coffrel &window, int count, double floorTime)
{
    RecordFilter filter;
    filter.setRecords(window.records());
    filter.prepare();
    const QString filterTimes = keyTimes([&](const QString &text) { filter.setText(text); });

    auto *search = window.findChild<QLineEdit *>(QStringLiteral("Search"));
    QElapsedTimer timer;
    timer.start();
    window.activateWindow();
    search->setFocus();
    QApplication::processEvents();
    const qint64 entered = timer.nsecsElapsed();
    const QString listTimes = keyTimes([&](const QString &text) {
        search->setText(text);
        QApplication::processEvents();
    });
    QTextStream(stdout) << "search, one key (\"user4711\" typed, then erased), " << count
                        << " records, average / slowest: the filter " << filterTimes
                        << ", until the list shows the records found " << listTimes
                        << "; entering the search box " << QString::number(entered / 1e6, 'f', 1)
                        << " ms\n";
    if (floorTime > 0)
        QTextStream(stdout) << "  the floor on the same records: " << floorTime << " ms\n";
}

void measureThroughput()
{
    const QByteArray text(64 << 20, 'x');
    const QByteArray key("master password");
    const auto throughput = [&](const char *what, const auto &work) {
        QElapsedTimer timer;
        timer.start();
        const QByteArray out = work();
        QTextStream(stdout) << what << ": "
                            << QString::number(
                                   text.size() / 1e6 / (timer.nsecsElapsed() / 1e9), 'f', 0)
                            << " MB/s (" << out.size() / (1 << 20) << " MiB)\n";
    };
    throughput("EncodeRecord", [&] { return EncodeRecord(text); });
    throughput("DecodeRecord", [&] { return DecodeRecord(text); });
    throughput("CipherText", [&] { return *CipherText(text, key); });
}

void measure(int count, const QString &reach, const QString &floor)
{
    QTemporaryDir folder;
    QDir(folder.path()).mkdir(QStringLiteral("tmp"));
    QuietPlatform quiet(folder.path() + QStringLiteral("/tmp"));
    const QStringList records = makeRecords(count);
    {
        VaultAccess access {reach, QStringLiteral("master password")};
        Database database(folder.path(), access);
        database.EnsureDataFolder();
        if (access.sealed())
            database.setSealKey(SealedFile::Key::create(access.databaseKey));
        database.RewriteDatabase(records);
    }
    const double floorTime = floor.isEmpty() ? -1 : floorMilliseconds(floor, count, records);

    Startup startup(folder.path(), quiet.platform);
    ConfigFile(startup.database().dataFolder())
        .write(ConfigFile::composeLine(ConfigFile::noExpiry,
            reach == QLatin1String("3") ? ConfigFile::unsetMark : QStringLiteral("master password"),
            quiet.today(), reach));
    if (reach != QLatin1String("0"))
        answerPasswordPrompt({QStringLiteral("master password")});
    const Database &database = startup.database();
    const QString path = reach == QLatin1String("3") ? database.sealedPath()
        : reach == QLatin1String("1")                ? database.encipheredPath()
                                                     : database.codedPath();
    const qint64 heapBefore = heapBytes();
    QElapsedTimer timer;
    timer.start();
    Coffrel &window = startup.loadMainWindow();
    QApplication::processEvents();
    const qint64 startTime = timer.nsecsElapsed();
    report("start-up to a shown window", count, reach, startTime);
    if (floorTime > 0) {
        QTextStream(stdout) << "  the floor on the same records: " << floorTime << " ms, ratio "
                            << QString::number(startTime / 1e6 / floorTime, 'f', 2) << "\n";
    }
    const qint64 fileSize = QFileInfo(path).size();
    QTextStream(stdout) << "  the heap the window took, records listed: "
                        << QString::number((heapBytes() - heapBefore) / 1048576.0, 'f', 1)
                        << " MiB, ratio "
                        << QString::number(double(heapBytes() - heapBefore) / fileSize, 'f', 2)
                        << " to the file (" << QString::number(fileSize / 1048576.0, 'f', 1)
                        << " MiB); resident memory " << residentKilobytes() / 1024 << " MiB\n";
    if (reach == QLatin1String("0"))
        measureSearch(window, count, floorTime);

    fill(window, {"New service", "me", "secret", "", ""});
    timer.restart();
    window.menuItem(QStringLiteral("mnuAdd"))->trigger();
    report("Add", count, reach, timer.nsecsElapsed());

    measureRewrites("Replace", count, reach, database.dataFolder(), path, [&](int run) {
        select(window, count / 2 + run);
        fill(window, {QStringLiteral("Another name %1").arg(run), "me", "changed", "", ""});
        window.menuItem(QStringLiteral("mnuReplace"))->trigger();
    });
    measureRewrites("Remove", count, reach, database.dataFolder(), path, [&](int run) {
        select(window, count / 3 + run);
        window.menuItem(QStringLiteral("mnuRemove"))->trigger();
    });
}

// A sealed file of the records: the unlock (deriving the key at the standard cost, reading and
// opening). Add, Replace and Remove are measured in the window at reach 3.
void measureSealed(int count)
{
    QTemporaryDir folder;
    const DataFolder data(folder.path());
    const SealedFile file(data, QStringLiteral("sealed"));
    const QString password = QStringLiteral("master password");
    if (!file.seal(*SealedFile::Key::create(password),
            EncodeRecord(RecordLine::linesToBytes(makeRecords(count)))))
        return;
    const QString reach = QStringLiteral("sealed");
    QElapsedTimer timer;
    timer.start();
    const std::clock_t processor = std::clock();
    const SealedFile::Opened opened = file.open(password);
    const double processorTime = double(std::clock() - processor) * 1000 / CLOCKS_PER_SEC;
    report("unlock (derive the key, read, open)", count, reach, timer.nsecsElapsed());
    const SealedFile::Cost cost = SealedFile::Cost::standard();
    QTextStream(stdout) << "  Argon2id, " << cost.passes << " passes over " << cost.kibibytes / 1024
                        << " MiB; processor time " << QString::number(processorTime, 'f', 0)
                        << " ms\n";
    if (opened.status != SealedFile::Status::Opened)
        QTextStream(stderr) << "the sealed file did not open\n";
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const BenchArguments arguments = benchArguments(QApplication::arguments().mid(1));
    measureThroughput();
    for (const int count : arguments.counts) {
        for (const QString &reach : {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("3")})
            measure(count, reach, arguments.floor);
        measureSealed(count);
    }
    return 0;
}
