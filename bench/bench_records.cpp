// Times start-up, Add, Replace and Remove on large databases, at reach 0 and 1.
// Run: QT_QPA_PLATFORM=offscreen build/bench/bench_records [count ...]

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
#include "security/ConfigFile.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTextStream>

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
    void open(const QString &) override { }
    void setTopMost(QWidget *, bool) override { }
    QString LocateSpecialFolder() const override { return folder; }
    bool startProgram(const QString &) override { return true; }
    QString today() const override { return QStringLiteral("01-01-2024"); }
    QTime timeOfDay() const override { return {}; }
    void showMessage(const QString &title, const QString &text, Icon) override
    {
        QTextStream(stderr) << "message: " << title << ": " << text << '\n';
    }
    void endProgram() override { }

    QString folder;
    Platform platform {*this, *this, *this, *this, *this, *this, *this, *this};
};

QStringList makeRecords(int count)
{
    QStringList records;
    records.reserve(count);
    for (int i = 0; i < count; ++i) {
        records.append(QStringLiteral("Service %1 of the list:!user%1@mail.example:!p4ss-%1-word:!"
                                      "note %1, \"quoted\":!https://s%1.example/login")
                           .arg((i * 7919) % count));
    }
    return records;
}

void report(const char *what, int count, const QString &reach, qint64 nanoseconds)
{
    QTextStream(stdout) << what << ", " << count << " records, reach " << reach << ": "
                        << QString::number(nanoseconds / 1e6, 'f', 1) << " ms\n";
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

void measure(int count, const QString &reach)
{
    QTemporaryDir folder;
    QDir(folder.path()).mkdir(QStringLiteral("tmp"));
    QuietPlatform quiet(folder.path() + QStringLiteral("/tmp"));
    {
        VaultAccess access {reach, QStringLiteral("master password")};
        Database database(folder.path(), quiet, access);
        database.EnsureDataFolder();
        database.RewriteDatabase(makeRecords(count));
    }

    Startup startup(folder.path(), quiet.platform);
    ConfigFile(startup.database().dataFolder())
        .write(ConfigFile::composeLine(
            ConfigFile::noExpiry, QStringLiteral("master password"), quiet.today(), reach));
    if (reach == QLatin1String("1"))
        answerPasswordPrompt({QStringLiteral("master password")});
    QElapsedTimer timer;
    timer.start();
    Coffrel &window = startup.loadMainWindow();
    QApplication::processEvents();
    report("start-up to a shown window", count, reach, timer.nsecsElapsed());

    fill(window, {"New service", "me", "secret", "", ""});
    timer.restart();
    window.menuItem(QStringLiteral("mnuAdd"))->trigger();
    report("Add", count, reach, timer.nsecsElapsed());

    select(window, count / 2);
    fill(window, {"Another name", "me", "changed", "", ""});
    timer.restart();
    window.menuItem(QStringLiteral("mnuReplace"))->trigger();
    report("Replace", count, reach, timer.nsecsElapsed());

    select(window, count / 3);
    timer.restart();
    window.menuItem(QStringLiteral("mnuRemove"))->trigger();
    report("Remove", count, reach, timer.nsecsElapsed());
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QList<int> counts;
    for (int i = 1; i < argc; ++i)
        counts.append(QString::fromLocal8Bit(argv[i]).toInt());
    if (counts.isEmpty())
        counts = {32767, 100000};
    for (const int count : counts) {
        for (const QString &reach : {QStringLiteral("0"), QStringLiteral("1")})
            measure(count, reach);
    }
    return 0;
}
