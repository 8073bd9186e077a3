#include "CsvTable.h"
#include "fakes/ProgramFolder.h"
#include "platform/PrivateTemporaryFolder.h"
#include "platform/SystemClock.h"
#include "security/ConfigFile.h"
#include "security/SecurityChange.h"
#include "security/WindowLock.h"
#include "vault/Database.h"
#include "vault/ProgramLock.h"
#include "vault/RecordBook.h"
#include "vault/RecordLine.h"
#include "vault/VaultAccess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <functional>
#include <vector>

#include <linux/filter.h>
#include <linux/keyctl.h>
#include <linux/seccomp.h>
#include <poll.h>
#include <pty.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString master = QStringLiteral("Key-99");
const QByteArray masterLine = master.toUtf8() + '\n';
const QStringList seeds
    = {QStringLiteral("Mail:!me@example.org:!Pw-4711:!note, with comma:!https://mail.example"),
        QStringLiteral("bank:!jo:!x\"y:!:!"),
        QString::fromUtf8("Caf\xc3\xa9:!zo\xc3\xa9:!p\xc3\xa4ss:!\xc3\xbc:!")};

// Another program's hold on the folder's lock while the command runs.
enum Lock { Free, Held, Released /* a second after the start */, FolderAtItsName };

// While set, the system calls of the kernel's keyring fail in the programs started, as a
// sandbox's filter (a container's) makes them fail.
bool keyringFiltered = false;

void filterKeyring()
{
    sock_filter calls[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_add_key, 3, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_keyctl, 2, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_request_key, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM),
    };
    const sock_fprog program {sizeof calls / sizeof *calls, calls};
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0
        || prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0)
        _exit(126);
}

struct Run
{
    int status;
    QString out;
    QString err;
};

// The real program, without a display or a terminal, its standard input closed after the
// input; meanwhile() runs while it does. A shell runs the prelude first if one is given.
Run runCli(const QStringList &arguments, const QByteArray &input = {}, const QString &output = {},
    const std::function<void()> &meanwhile = {}, const QString &prelude = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(environment);
    process.setChildProcessModifier([] {
        setsid();
        if (keyringFiltered)
            filterKeyring();
    });
    if (!output.isEmpty())
        process.setStandardOutputFile(output);
    if (prelude.isEmpty())
        process.start(QStringLiteral(CLI_PATH), arguments);
    else
        process.start(
            "bash", QStringList {"-c", prelude + "; exec \"$0\" \"$@\"", CLI_PATH} + arguments);
    process.write(input);
    process.closeWriteChannel();
    if (meanwhile)
        meanwhile();
    if (!process.waitForFinished(20000) || process.exitStatus() != QProcess::NormalExit)
        return {-1, {}, QStringLiteral("did not end")};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
        QString::fromUtf8(process.readAllStandardError())};
}

// The strings as an argument or environment vector for exec.
QByteArrayList utf8(const QStringList &strings)
{
    QByteArrayList bytes;
    for (const QString &string : strings)
        bytes.append(string.toUtf8());
    return bytes;
}
std::vector<char *> pointersTo(QByteArrayList &strings)
{
    std::vector<char *> pointers;
    for (QByteArray &string : strings)
        pointers.push_back(string.data());
    pointers.push_back(nullptr);
    return pointers;
}

// The real program on a terminal of its own, standard input a pipe holding two lines: each
// time the terminal shows a prompt, the next of typed is typed. Gives the status and what the
// terminal showed.
Run runOnTerminal(const QStringList &arguments, QByteArrayList typed)
{
    QByteArrayList argv = utf8(QStringList {CLI_PATH} + arguments);
    const std::vector<char *> pointers = pointersTo(argv);
    int pipeFds[2];
    int terminal = -1;
    if (pipe(pipeFds) != 0 || write(pipeFds[1], "Key-1\nKey-2\n", 12) != 12)
        return {-1, {}, {}};
    close(pipeFds[1]);
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child == 0 && dup2(pipeFds[0], STDIN_FILENO) == STDIN_FILENO)
        execv(CLI_PATH, pointers.data());
    if (child == 0)
        _exit(127);
    close(pipeFds[0]);
    QByteArray shown;
    char buffer[4096];
    for (ssize_t count; (count = read(terminal, buffer, sizeof buffer)) > 0;) {
        shown.append(buffer, count);
        if (!typed.isEmpty() && shown.endsWith(": ")
            && write(terminal, typed.first().constData(), size_t(typed.first().size())) > 0)
            typed.removeFirst();
    }
    close(terminal);
    int status = -1;
    waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, QString::fromUtf8(shown), {}};
}

// A program folder at the reach level, guarded by the master password at levels 1 to 3 (at 3
// sealed at the least cost the program opens, below its standard one).
void makeFolder(const QString &folder, const QString &reach, const QStringList &records,
    const QString &expiry = ConfigFile::noExpiry, const QString &password = master)
{
    QDir().mkpath(folder + QStringLiteral("/Data"));
    VaultAccess access {reach, password};
    if (reach != QLatin1String("0")) {
        const ConfigFile config(folder + QStringLiteral("/Data"));
        QVERIFY(config.write(ConfigFile::composeLine(
            expiry, access.sealed() ? ConfigFile::unsetMark : password, "01-01-2024", reach)));
    }
    Database database(folder, access);
    if (access.sealed())
        database.setSealKey(SealedFile::Key::create(password, {2, 19 * 1024}));
    QVERIFY(database.RewriteDatabase(records));
}

QStringList sorted(const QStringList &lines)
{
    RecordBook book;
    book.load(lines);
    return book.records();
}

// The records as the window reads them, in its order.
QStringList stored(const QString &folder, const QString &reach, const QString &password = master)
{
    return sorted(storedIn(folder, reach, password));
}

// Service names that a shell would run, split or expand when given unquoted.
const QString markName = QStringLiteral("x$(touch MARK)");
const QString oddName = QStringLiteral("it's \"q\" \\ *; `id` !x");
const QString tabName = QStringLiteral("tab\tbed");

struct Completion
{
    QString line; // the command line after the Tab
    bool ranAtTab = false; // MARK was made by then
    QStringList words; // its words as the shell read them on Return
};

// Each shell's start-up file under its HOME: the completion for vaultine-cli (from %1),
// Ctrl-T writes the command line into "line" and puts printwords in place of the command's
// name, printwords writes its words into "words", one a line.
struct ShellSetup
{
    const char *shell;
    const char *file;
    const char *script;
    QStringList options;
};
const ShellSetup shellSetups[] = {
    {"bash", ".bashrc", R"(PS1='ready> '
source '%1/vaultine-cli.bash'
printwords() { printf '%s\n' "$@" >words.part && mv words.part words; }
bind -x '"\C-t": printf %s "$READLINE_LINE" >line.part && mv line.part line; READLINE_LINE=printwords${READLINE_LINE#vaultine-cli}'
)",
        {"--noprofile", "--rcfile", ".bashrc", "-i"}},
    {"zsh", ".zshrc", R"(PROMPT='ready> '
fpath=('%1' $fpath)
autoload -Uz compinit && compinit -u -D
printwords() { print -rl -- "$@" >words.part && mv words.part words }
save() { print -rn -- "$BUFFER" >line.part && mv line.part line; BUFFER=printwords${BUFFER#vaultine-cli} }
zle -N save && bindkey '^T' save
)",
        {"-d", "-i"}},
    {"fish", ".config/fish/config.fish", R"(set -g fish_greeting
function fish_prompt; echo -n 'ready> '; end
source '%1/vaultine-cli.fish'
function printwords; printf '%s\n' $argv >words.part; and mv words.part words; end
function save
    commandline >line.part; and mv line.part line
    commandline -r (string replace -r '^vaultine-cli' printwords -- (commandline))
end
bind \ct save
)",
        {"-i"}},
};

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The shell on a terminal of its own in home, also its HOME, with the built vaultine-cli first
// on its PATH: typed is typed and completed with one Tab, Ctrl-T saves the line and Return runs
// it as printwords.
Completion complete(const QString &shell, const QString &home, const QString &typed)
{
    const ShellSetup &setup = *std::find_if(std::begin(shellSetups), std::end(shellSetups),
        [&](const ShellSetup &each) { return shell == QLatin1String(each.shell); });
    const QString startup = home + '/' + setup.file;
    QDir().mkpath(QFileInfo(startup).path());
    // Not made, fish would parse every manual page in the background to make completions.
    QDir().mkpath(home + "/.local/share/fish/generated_completions");
    QFile file(startup);
    if (!file.open(QIODevice::WriteOnly)
        || file.write(QString::fromUtf8(setup.script)
                          .arg(QFileInfo(BASH_COMPLETION).absolutePath())
                          .toUtf8())
            < 0)
        return {};
    file.close();

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"ZDOTDIR", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "BASH_ENV", "ENV"})
        environment.remove(QString::fromLatin1(name));
    environment.insert("HOME", home);
    environment.insert("TERM", "dumb");
    environment.insert("LC_ALL", "C.UTF-8");
    environment.insert(
        "PATH", QFileInfo(CLI_PATH).absolutePath() + ':' + environment.value("PATH"));
    QByteArrayList arguments
        = utf8(QStringList {QStandardPaths::findExecutable(shell)} + setup.options);
    QByteArrayList variables = utf8(environment.toStringList());
    const std::vector<char *> argv = pointersTo(arguments);
    const std::vector<char *> envp = pointersTo(variables);
    const QByteArray directory = QFile::encodeName(home);

    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child == 0 && chdir(directory.constData()) == 0)
        execve(argv[0], argv.data(), envp.data());
    if (child == 0)
        _exit(127);
    QByteArray shown;
    // Reads what the terminal shows until done, for 15 s at most.
    const auto until = [&](const std::function<bool()> &done) {
        const QDeadlineTimer deadline(15000);
        char buffer[4096];
        while (!done() && !deadline.hasExpired()) {
            pollfd output {terminal, POLLIN, 0};
            if (poll(&output, 1, 50) <= 0)
                continue;
            const ssize_t count = read(terminal, buffer, sizeof buffer);
            if (count <= 0)
                break;
            shown.append(buffer, count);
        }
        return done();
    };
    const auto typing = [&](const QByteArray &keys) {
        return write(terminal, keys.constData(), size_t(keys.size())) == keys.size();
    };
    const auto made = [&](const char *name) { return [=] { return QFile::exists(home + name); }; };
    Completion completion;
    if (until([&] { return shown.contains("ready> "); }) && typing(typed.toUtf8() + "\t\x14")
        && until(made("/line"))) {
        // Without the line end that fish's commandline adds, or printwords.
        const auto lines = [&](const char *name) {
            const QByteArray text = contentOf(home + name);
            return QString::fromUtf8(text.endsWith('\n') ? text.chopped(1) : text);
        };
        completion.line = lines("/line");
        completion.ranAtTab = QFile::exists(home + "/MARK");
        if (typing("\r") && until(made("/words")))
            completion.words = lines("/words").split('\n');
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(terminal);
    return completion;
}

// Every file and folder below the folders, hidden ones too.
QStringList filesIn(const QStringList &folders)
{
    QStringList found;
    for (const QString &folder : folders) {
        QDirIterator each(folder,
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
            QDirIterator::Subdirectories);
        while (each.hasNext())
            found.append(each.next());
    }
    found.sort();
    return found;
}

// What happens after unlock, before a command runs without the password.
enum After {
    Kept,
    Locked,
    TimeUp,
    WindowLocked,
    PasswordChanged, // and the files of before brought back
    SealedAnew, // the same folder and password, another salt
    OtherFolder, // a copy of the folder
    OtherUser,
};

// The process sleeps in a read of its standard input; none when that cannot be seen.
std::optional<bool> readsStandardInput(qint64 pid)
{
    QFile syscall(QStringLiteral("/proc/%1/syscall").arg(pid));
    if (!syscall.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QList<QByteArray> fields = syscall.readAll().split(' ');
    return fields.size() > 2 && fields[0] == QByteArray::number(SYS_read) && fields[1] == "0x0";
}

// Whether any of the byte strings lies in the readable memory of the process; none when its
// memory cannot be read.
std::optional<bool> memoryHolds(qint64 pid, const QByteArrayList &needles)
{
    QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
    QFile memory(QStringLiteral("/proc/%1/mem").arg(pid));
    if (!maps.open(QIODevice::ReadOnly) || !memory.open(QIODevice::ReadOnly))
        return std::nullopt;
    bool anyRead = false;
    for (const QByteArray &line : maps.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 2 || !fields[1].startsWith('r'))
            continue;
        const QList<QByteArray> range = fields[0].split('-');
        const qint64 start = range[0].toLongLong(nullptr, 16),
                     end = range[1].toLongLong(nullptr, 16);
        if (!memory.seek(start))
            continue;
        const QByteArray bytes = memory.read(end - start);
        anyRead = anyRead || !bytes.isEmpty();
        for (const QByteArray &needle : needles) {
            if (bytes.contains(needle))
                return true;
        }
    }
    return anyRead ? std::optional(false) : std::nullopt;
}

} // namespace

class CliTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The keys that unlock keeps go into a session keyring of the tests' own, which a
        // program run as another user inherits too.
        m_keyring = syscall(SYS_keyctl, KEYCTL_JOIN_SESSION_KEYRING, "vaultine tests") >= 0;
        // For the keys a change of password derives here.
        SealedFile::Cost::setStandardForTests({2, 19 * 1024});
    }
    void shellsComplete_data()
    {
        QTest::addColumn<QString>("shell");
        // The folder: {F} in quotes, {B} with backslashes, {P} another one that needs neither.
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("word"); // the last word of the line, as the shell reads it
        const QString cafe = QString::fromUtf8("Caf\xc3\xa9");
        for (const QString shell : {"bash", "zsh", "fish"}) {
            const auto row = [&](const char *name, const char *typed, const QString &word) {
                QTest::addRow("%s: %s", qPrintable(shell), name)
                    << shell << QString::fromUtf8(typed) << word;
            };
            row("command", "vaultine-cli --folder {F} ed", "edit");
            row("option", "vaultine-cli copy --wa", "--wait");
            row("new option", "vaultine-cli show Mail --wh", "--which");
            row("command unlock", "vaultine-cli unl", "unlock");
            row("duration", "vaultine-cli unlock --for 9", "90s");
            row("field", "vaultine-cli copy Mail --field pas", "password");
            row("name, not ASCII", "vaultine-cli --folder {F} show Ca", cafe);
            row("name, command substitution", "vaultine-cli --folder {P} show x", markName);
            row("folder with backslashes", "vaultine-cli --folder {B} show x", markName);
            row("name, space", "vaultine-cli --folder ~/completion\\ folder show My", "My Bank");
            row("name typed in single quotes", "vaultine-cli --folder {F} show 'My", "My Bank");
            row("name, quotes, backslash, star", "vaultine-cli --folder {F} show it", oddName);
            row("name typed in double quotes", "vaultine-cli --folder {F} show \"it", oddName);
            // fish takes what follows a tab for a description: its completion leaves it out.
            row("name, tab", "vaultine-cli --folder {F} show tab",
                shell == "fish" ? "tab" : tabName);
            row("name, leading dash, after --", "vaultine-cli --folder {F} show -- -", "-dash");
            row("name, leading dash, before --", "vaultine-cli --folder {F} show -d", "-d");
            row("--folder after the command", "vaultine-cli show --folder {F} Ca", cafe);
        }
    }
    // No name is run or expanded: each reaches the command line as one word, the stored name.
    void shellsComplete()
    {
        QFETCH(QString, shell);
        QFETCH(QString, typed);
        QFETCH(QString, word);
        if (QStandardPaths::findExecutable(shell).isEmpty())
            QSKIP("the shell is not installed");
        QTemporaryDir home(m_root.filePath("home-XXXXXX"));
        const QString folder = home.filePath("completion folder");
        const QString plain = home.filePath("plain");
        for (const QString &each : {folder, plain})
            makeFolder(each, "0",
                seeds
                    + QStringList {markName + ":!u:!p:!:!", "My Bank:!u:!p:!:!",
                        oddName + ":!u:!p:!:!", "-dash:!u:!p:!:!", tabName + ":!u:!p:!:!"});
        typed.replace("{F}", '\'' + folder + '\'')
            .replace("{B}", QString(folder).replace(' ', QStringLiteral("\\ ")))
            .replace("{P}", plain);
        const Completion done = complete(shell, home.path(), typed);
        QVERIFY2(!done.line.isEmpty(), "the shell did not complete");
        QVERIFY2(!done.ranAtTab, "the completion ran a command held in a name");
        QVERIFY2(!QFile::exists(home.filePath("MARK")), qPrintable("a name ran: " + done.line));
        QCOMPARE(done.words.value(done.words.size() - 1), word);
        // Where nothing is to be completed, no other name was.
        if (typed.endsWith(' ' + word))
            QCOMPARE(done.line, typed);
    }
    // Each command at each reach on a folder holding the seeds: its status, all of standard
    // output (a pattern), what standard error says, and the records it leaves.
    void commandsAreAnswered_data()
    {
        QTest::addColumn<QString>("reach");
        QTest::addColumn<QString>("expiry");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("output"); // standard output's file; none: a pipe
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QStringList>("changes"); // +line added, -line removed
        QTest::addColumn<int>("lock");
        const auto row
            = [](const QString &tag, const QString &reach, const QStringList &arguments,
                  const QByteArray &input, int status, const QString &out, const QString &err,
                  const QStringList &changes = {}, const QString &expiry = ConfigFile::noExpiry,
                  const QString &output = {}, int lock = Free) {
                  QTest::newRow(qPrintable(tag)) << reach << expiry << arguments << input << output
                                                 << status << out << err << changes << lock;
              };
        const auto exactly
            = [](const QString &out) { return QRegularExpression::escape(out) + "\\z"; };
        // What standard output starts with; nothing when none is given.
        const auto usage = [&](const char *name, const QStringList &arguments, int status,
                               const char *out, const char *err, const char *output = "") {
            row(name, "0", arguments, {}, status,
                *out ? QRegularExpression::escape(out) : QStringLiteral("\\z"), err, {},
                ConfigFile::noExpiry, output);
        };
        const auto generated
            = [&](const char *name, const QStringList &arguments, const char *drawn) {
                  row(name, "0", QStringList {"generate"} + arguments, {}, 0,
                      drawn + QStringLiteral("\n\\z"), "");
              };
        generated("generate level 1", {"--level", "1"}, "[1-9A-Z]{6}");
        generated("generate level 2", {"--level", "2"}, "[1-9A-Z]{8}");
        generated("generate default", {}, "[1-9A-Za-z]{20}");
        generated("generate level 3, length", {"--length", "300"}, "[1-9A-Za-z]{300}");
        generated("generate words", {"--words", "4"}, "[a-z]{3,8}(-[a-z]{3,8}){3}");
        generated("generate symbols", {"--symbols", "--length", "128"},
            "(?=.*[^0-9A-Za-z\\n])[!-9;-~]{128}");
        generated(
            "generate level 3 named, length", {"--level", "3", "--length", "7"}, "[1-9A-Za-z]{7}");
        usage("help", {"--help"}, 0, "Usage: vaultine-cli [--folder", "");
        usage("command help", {"--folder", "x", "show", "-h"}, 0,
            "Usage: vaultine-cli show [options] service", "");
        usage("no command", {}, 2, "", "No command given.");
        usage("unknown command", {"frob"}, 2, "", "Unknown command");
        usage("unknown option", {"list", "--frob"}, 2, "", "frob");
        usage("extra argument", {"list", "a", "b"}, 2, "", "arguments");
        usage("service missing", {"show"}, 2, "", "arguments");
        usage("file missing", {"export"}, 2, "", "--csv");
        usage("unknown field", {"copy", "Mail", "--field", "pin"}, 2, "", "--field");
        usage("copy without display", {"copy", "Mail"}, 1, "", "needs a display");
        usage("version", {"--version"}, 0, "vaultine-cli 1.", "");
        usage("help COMMAND", {"help", "import"}, 0, "Usage: vaultine-cli import", "");
        usage("wrong level", {"generate", "--level", "4"}, 2, "", "--level");
        usage("too few words", {"generate", "--words", "3"}, 2, "", "--words takes 4 to 20.");
        usage("wrong timeout", {"copy", "Mail", "--timeout", "0"}, 2, "", "--timeout");
        usage("length at level 1", {"generate", "--level", "1", "--length", "9"}, 2, "",
            "--length goes with level 3 only");
        usage("symbols at level 2", {"generate", "--level", "2", "--symbols"}, 2, "",
            "--symbols goes with level 3 only");
        usage("length with words", {"generate", "--words", "5", "--length", "9"}, 2, "",
            "--length goes with level 3 only");
        usage("symbols, too short", {"generate", "--symbols", "--length", "7"}, 2, "",
            "--length takes 8 to 128 with --symbols.");
        usage("unknown show field", {"show", "Mail", "--field", "pin"}, 2, "", "--field takes");
        usage("show to a full disk", {"show", "Mail"}, 1, "", "standard output", "/dev/full");
        usage("unlock, no unit", {"unlock", "--for", "90"}, 2, "", "--for takes");
        usage("unlock, more than a day", {"unlock", "--for", "25h"}, 2, "", "--for takes");

        // A CSV file from another program on standard input: the records added, what is told.
        const QStringList import {"import", "--csv", "-"};
        const auto imports = [&](const char *name, const QByteArray &file, const QStringList &added,
                                 const char *told = "", int duplicates = 0, int skipped = 0) {
            QStringList changes;
            for (const QString &line : added)
                changes.append('+' + line);
            row(QStringLiteral("csv: ") + name, "0", import, file, 0,
                exactly(QStringLiteral("Added: %1, duplicates: %2, skipped: %3.\n")
                            .arg(added.size())
                            .arg(duplicates)
                            .arg(skipped)),
                told, changes);
        };
        const auto refused = [&](const char *name, const QByteArray &file, const char *told) {
            row(QStringLiteral("csv: ") + name, "0", import, file, 1, "\\z", told);
        };
        const QString cafe = QString::fromUtf8("Caf\xc3\xa9");
        imports("lower case, any order, extra columns",
            "name,url,username,password,extra,grouping,totp\nSite,https://s,u,p,n,G,t\n",
            {"Site:!u:!p:!n:!https://s"}, "Ignored columns: grouping, totp");
        imports("login_ names",
            "folder,type,name,notes,login_uri,login_username,login_password\n"
            ",login,Web,a note,https://w,wu,wp\n",
            {"Web:!wu:!wp:!a note:!https://w"}, "folder, type");
        imports("quoted, doubled quote, byte-order mark, no last line end",
            "\xef\xbb\xbf\"Account\" , \"Login Name\",\"Password\", \"Web Site\",\"Comments\"\r\n"
            "\"Sh \"\"o\"\", p\",\"s\",\"x\",\"http://s\",\"c\"",
            {"Sh \"o\", p:!s:!x:!c:!http://s"});
        imports("other names, CR alone, spaces around quotes",
            "SERVICE,User,Login_Password,Website,Other Info\rS,u,p,w,o\r\"c\rd\", \"e\" \r",
            {"S:!u:!p:!o:!w", u"c\u2028d:!e:!:!:!"_qs});
        imports("missing cells, no password column", "Title,Username,URL,Notes\nShort,u\n",
            {"Short:!u:!:!:!"});
        imports("a windows-1252 line among UTF-8 lines",
            "Title,Password\nCaf\xe9,1\nCaf\xc3\xa9,2\n", {cafe + ":!:!1:!:!", cafe + ":!:!2:!:!"});
        // Cells as the export writes them; line numbers go on past the breaks inside them.
        imports("line breaks kept",
            (CsvTable::formatRow({"Title", "Password", "Notes"}) + "\r\n"
                + CsvTable::formatRow({"one\ntwo", "x,\"y\"", "three\r\nfour"}) + "\r\nA:!,p\r\n")
                .toUtf8(),
            {u"one\u2028two:!:!x,\"y\":!three\u2028four:!"_qs}, "Line 5: a field holds", 0, 1);
        imports("empty fields kept, separator told by line",
            "Title,Password,Notes\n,p\nA,\n\"x\ny\",p,A:!x\nB,p\n\n",
            {":!:!p:!:!", "A:!:!:!:!", "B:!:!p:!:!"}, "Line 4: a field holds \":!\"", 0, 1);
        imports("comma not quoted, empty cells past the header",
            "Title,Password,Notes\nA,p,one, two\nB,p,n,,\n", {"B:!:!p:!n:!"}, "Line 2: more cells",
            0, 1);
        imports("stored and repeated",
            "Title,Username,Password\nbank,jo,\"x\"\"y\"\nN,u,p\nN,u,p\n", {"N:!u:!p:!:!"},
            "Line 4: the same record", 2);
        refused("no service column", "Username,Password\nu,p\n", "no column for the service");
        refused("no data row", "Title,Password\n\n,\n", "no record");
        refused("quote in a field", "Title\n\"x\ny\",b\"c\n", "Line 3 holds a quote");
        refused("text after a quote", "Title,Username\n\"a\"b,c\n", "Line 2 holds a quote");
        row("csv: a file argument, columns named", "0",
            {"import", "-", "--columns", "name,password"}, "S,p\n", 0,
            exactly("Added: 1, duplicates: 0, skipped: 0.\n"), "", {"+S:!:!p:!:!"});
        usage("import, two files", {"import", "a", "--csv", "b"}, 2, "", "Name one file");
        usage("import, no file", {"import"}, 2, "", "Name one file");

        const QString shown
            = "Username: me@example.org\nPassword: %1\nOther Info: note, with comma\n"
              "Path: https://mail.example\n";
        const QString all = QString::fromUtf8("bank\nCaf\xc3\xa9\nMail\n");
        const QString notAllowed = "You are not allowed to use this application";
        // The first line of standard input is the master password's, even where none is asked.
        const QStringList viaStdin {"--password-stdin"};
        for (const QString reach : {"0", "1", "2", "3"}) {
            const auto at = [&](const char *name, const QStringList &arguments,
                                const QByteArray &input, int status, const QString &out,
                                const QString &err, const QStringList &changes = {},
                                const QString &expiry = ConfigFile::noExpiry) {
                row(reach + ": " + name, reach, arguments, input, status, exactly(out), err,
                    changes, expiry);
            };
            // With the password on standard input first: done, or refused with a message.
            const auto done
                = [&](const char *name, const QStringList &arguments, const QByteArray &input,
                      const QString &out, const QStringList &changes = {}) {
                      at(name, viaStdin + arguments, masterLine + input, 0, out, "", changes);
                  };
            const auto fails = [&](const char *name, const QStringList &arguments,
                                   const QByteArray &input, const QString &err) {
                at(name, viaStdin + arguments, masterLine + input, 1, "", err);
            };
            const QStringList add {"add", "--stdin"};
            // At the sealed level too the lines after the password are read apart.
            done("list", {"list"}, "", all);
            done("add, U+FEFF first, windows-1252", add, "New\nu\n\xef\xbb\xbfNew-pw\no\nCaf\xe9\n",
                "Added the record of New.\n", {"+New:!u:!\xef\xbb\xbfNew-pw:!o:!" + cafe});
            done("import from standard input", import, "Title,Password\nNew,New-pw\n",
                "Added: 1, duplicates: 0, skipped: 0.\n", {"+New:!:!New-pw:!:!"});
            if (reach != QLatin1String("0"))
                at("wrong password on stdin", viaStdin + add, "Key-98\nNew\nu\nNew-pw\n", 1, "",
                    notAllowed);
            if (reach == QLatin1String("3"))
                continue;
            done("list, letter case ignored", {"list", "AI"}, "", "Mail\n");
            done("show masked", {"show", "Mail"}, "", shown.arg("****"));
            done("show revealed", {"show", "--reveal", "Mail"}, "", shown.arg("Pw-4711"));
            fails("show, exact name only", {"show", "mail"}, "", "no record");
            fails("add, duplicate", add, seeds[0].split(":!").join('\n').toUtf8(),
                "There is an identical record already filed");
            fails("add, separator", add, "S\nu:!x\np\n", "\":!\"");
            fails("add, no password", add, "S\nu\n\n", "needs a Service");
            fails("add, line break", add, "S\nu\np\na\rb\n", "line break");
            fails("add, two records", add, "A\nu\np\n\n\n\nB\nu\np\n", "one record");
            const QString bank = "-" + seeds[1];
            done("edit by options, renames",
                {"edit", "bank", "--username", "ann", "--service", "Bank"}, "",
                "Changed the record of Bank.\n", {bank, "+Bank:!ann:!x\"y:!:!"});
            done("edit, password from stdin", {"edit", "bank"}, "New-pw\n",
                "Changed the record of bank.\n", {bank, "+bank:!jo:!New-pw:!:!"});
            fails("edit, separator", {"edit", "bank", "--info", "a:!b"}, "", "\":!\"");
            fails(
                "edit, empty username", {"edit", "bank", "--username", ""}, "", "needs a Service");
            fails("edit, no change", {"edit", "bank", "--username", "jo"}, "", "no changes");
            fails("edit, missing", {"edit", "nope", "--info", "x"}, "", "no record");
            done("remove --force", {"remove", "bank", "--force"}, "",
                "Removed the record of bank.\n", {bank});
            fails("remove, not confirmed", {"remove", "bank"}, "n\n", "Nothing was removed");
            fails("remove, missing", {"remove", "nope", "--force"}, "", "no record");
            fails("import, open quote", import, "Title,Password\nA,pa\nB,\"pb,\nC,pc\n", "Line 3");
            // Below the sealed level there is no key but the password: unlock asks nothing.
            if (reach == QLatin1String("0"))
                row("0: unlock, nothing to keep", reach, {"unlock"}, {}, 0,
                    "No master password guards the records of .*: its commands ask none\\.\n\\z",
                    "");
            else
                at("unlock, the key is the password", {"unlock"}, {}, 1, "",
                    "Only \"Program and DBase, sealed\" has a key to keep");
            if (reach == QLatin1String("0")) {
                // Writers wait a while for the lock; readers do not.
                const auto locked = [&](const char *name, int lock, const QStringList &arguments,
                                        const QByteArray &input, int status, const QString &out,
                                        const QStringList &changes = {}) {
                    row(QStringLiteral("lock: ") + name, reach, arguments, input, status,
                        exactly(out), status ? "/Data/vaultine.lock: " : "", changes,
                        ConfigFile::noExpiry, {}, lock);
                };
                locked("add", Held, add, "S\nu\np\n", 1, "");
                locked("import", Held, import, "Title,Password\nS,p\n", 1, "");
                locked("add, released within the wait", Released, add, "S\nu\np\n", 0,
                    "Added the record of S.\n", {"+S:!u:!p:!:!"});
                locked("list reads without it", Held, {"list"}, "", 0, all);
                locked("add, a folder at its name", FolderAtItsName, add, "S\nu\np\n", 1, "");
                continue;
            }
            at("piped lines are no tries", {"list"}, "a\n" + masterLine, 1, "", "--password-stdin");
            at("no input", {"show", "Mail"}, {}, 1, "", notAllowed);
            at("expired", viaStdin + QStringList {"list", "bank"}, masterLine, 0, "bank\n",
                "The Password has expired", {}, "01-01-2000");
        }
    }
    void commandsAreAnswered()
    {
        QFETCH(QString, reach);
        QFETCH(QString, expiry);
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, input);
        QFETCH(QString, output);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(QStringList, changes);
        QFETCH(int, lock);
        const QString folder = m_root.filePath(QTest::currentDataTag());
        makeFolder(folder, reach, seeds, expiry);
        if (lock == FolderAtItsName)
            QVERIFY(QFile::remove(folder + "/Data/vaultine.lock")
                && QDir(folder).mkpath("Data/vaultine.lock"));
        // Another program's write under way.
        auto other = std::make_unique<ProgramLock>(folder + "/Data", ProgramLock::Scope::Write);
        QVERIFY(lock == Free || lock == FolderAtItsName
            || other->acquire(0) == ProgramLock::Result::Acquired);
        const Run run = runCli(QStringList {"--folder", folder} + arguments, input, output, [&] {
            if (lock == Released)
                QTest::qSleep(1000), other.reset();
        });
        QCOMPARE(run.status, status);
        QVERIFY2(QRegularExpression("\\A" + out).match(run.out).hasMatch(), qPrintable(run.out));
        QVERIFY2(run.err.contains(err), qPrintable(run.err));
        // Nothing lost, nothing wrong, no secret printed unless asked for.
        QStringList expected = seeds;
        for (const QString &change : changes) {
            if (change.startsWith('+'))
                expected.append(change.mid(1));
            else
                expected.removeOne(change.mid(1));
        }
        QCOMPARE(stored(folder, reach), sorted(expected));
        const bool revealed = arguments.contains("--reveal");
        for (const QString secret : {"Key-99", "New-pw", "Pw-4711"})
            QVERIFY(!run.err.contains(secret) && (revealed || !run.out.contains(secret)));
        QVERIFY(!QFile::exists(PrivateTemporaryFolder().LocateSpecialFolder() + "/mdb.tmp"));
    }
    // Each step of a write failing as a failing or full disk fails it, alone and with the steps
    // that fail with it: the write is refused, naming the file and the reason, and the records
    // are those of before (or, where even the cut back fails, the file is told damaged).
    void failingStepsKeepTheRecords_data()
    {
        QTest::addColumn<QString>("reach");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("calls");
        QTest::addColumn<QString>("told");
        QTest::addColumn<bool>("added"); // the record is in the file after all
        const QStringList add {"add", "--stdin"}, edit {"edit", "bank", "--username", "new"};
        const QStringList import {"import", "--csv", "-"};
        for (const QString reach : {"0", "1"}) {
            const QByteArray stdinKey = reach == "1" ? masterLine : QByteArray();
            const QStringList key = reach == "1" ? QStringList {"--password-stdin"} : QStringList();
            const auto row = [&](const char *name, const QStringList &arguments,
                                 const QByteArray &input, const char *calls,
                                 const QString &told = {}, bool added = false) {
                QTest::addRow("%s: %s", qPrintable(reach), name)
                    << reach << key + arguments << stdinKey + input << QString::fromLatin1(calls)
                    << (told.isEmpty() ? QStringLiteral("Input/output error") : told) << added;
            };
            for (const char *calls : {"open", "write", "fdatasync", "write,fdatasync"})
                row(qPrintable(QStringLiteral("add, ") + calls), add, "S\nu\np\n\n\n", calls);
            row("add, the cut back fails too", add, "S\nu\np\n\n\n", "fdatasync,ftruncate",
                "its last line may be cut short", true);
            for (const char *calls : {"open", "write", "fdatasync", "rename", "fsync",
                     "write,unlink", "fdatasync,fsync"})
                row(qPrintable(QStringLiteral("edit, ") + calls), edit, {}, calls);
            row("import, full disk", import, "Title,Password\nNew,pw\n", "write,fdatasync",
                "No space left on device");
        }
    }
    void failingStepsKeepTheRecords()
    {
        QFETCH(QString, reach);
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, input);
        QFETCH(QString, calls);
        QFETCH(QString, told);
        QFETCH(bool, added);
        const QString folder = m_root.filePath(QTest::currentDataTag()).replace(u' ', u'-');
        makeFolder(folder, reach, seeds);
        const QString data = QDir(folder).absoluteFilePath("Data");
        const QStringList files = QDir(data).entryList(QDir::Files);
        const QString error = told.startsWith("No space") ? "nospc" : "io";
        const Run run = runCli(QStringList {"--folder", folder} + arguments, input, {}, {},
            QStringLiteral("export LD_PRELOAD='%1' VAULTINE_FAIL=%2 VAULTINE_FAIL_IN='%3' "
                           "VAULTINE_FAIL_ERRNO=%4 "
                           "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0")
                .arg(FAILING_CALLS, calls, data, error));
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("Can not access the DataBase.") && run.err.contains(data)
                && run.err.contains(told),
            qPrintable(run.err));
        QStringList expected = sorted(seeds);
        if (added)
            expected = sorted(seeds + QStringList {"S:!u:!p:!:!"});
        QCOMPARE(stored(folder, reach), expected);
        // What a cut-short write leaves is removed by the next start; nothing else is left but
        // a list of removals whose folder was not synced, which names a removal that did not
        // happen (a merge reads it so).
        QStringList left = QDir(data).entryList(QDir::Files);
        left.removeIf([](const QString &name) {
            return name.endsWith(".vaultine-new") || name == ProgramLock::fileName
                || name == RemovalList::fileName;
        });
        QCOMPARE(left, QStringList(files).filter(QRegularExpression("^(?!vaultine.lock)")));
    }

    // Files in Data that a program must not follow, read whole or keep to itself: links, huge
    // files, root's leftovers. The shell lines run in the program folder before the command and
    // after it ($cli the program, $other the user who owns the folder).
    void filesAtTheEdgesAreRefused_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("asOwner"); // run as the folder's owner, not root
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QString>("after"); // exits 0 when all is as it should be
        const QString outside = "echo kept >../outside && chmod 644 ../outside && ";
        const QString untouched = "[ \"$(cat ../outside)\" = kept ] "
                                  "&& [ \"$(stat -c %a ../outside)\" = 644 ] && ";
        const QStringList add {"add", "--stdin"};
        QTest::newRow("database a link")
            << outside + "ln -sf ../../outside Data/CF2DB.pdb" << add << false << 1
            << "CF2DB.pdb: it is a symbolic link" << untouched + "[ -L Data/CF2DB.pdb ]";
        QTest::newRow("database a link, list")
            << outside + "ln -sf ../../outside Data/CF2DB.pdb" << QStringList {"list"} << false << 1
            << "CF2DB.pdb: it is a symbolic link" << untouched + "true";
        QTest::newRow("database a FIFO")
            << "rm Data/CF2DB.pdb && mkfifo -m 600 Data/CF2DB.pdb" << add << false << 1
            << "CF2DB.pdb: it is not a regular file"
            << "[ -p Data/CF2DB.pdb ]";
        // Settings that cannot be read leave the level unknown: nothing is written.
        for (const QString name : {"Coffrel.cnf", "CF2DB.edb", "CF2DB.sdb"}) {
            const bool settings = name == "Coffrel.cnf";
            QTest::addRow("a FIFO at %s", qPrintable(name))
                << "mkfifo -m 600 Data/" + name << add << false << int(settings)
                << (settings ? "Coffrel.cnf: it is not a regular file" : "")
                << "[ -n \"$(find Data -name '" + name + "*' -type p)\" ]";
        }
        QTest::newRow("database with a name elsewhere")
            << "ln Data/CF2DB.pdb ../backup && cp ../backup ../before" << add << false << 0 << ""
            << "cmp -s ../backup ../before && [ \"$(stat -c %h Data/CF2DB.pdb)\" = 1 ]";
        // A record cut short is set aside and told once; where nothing is writable it stays.
        const QString cut = "printf 'Cut' >>Data/CF2DB.pdb";
        const QString lines = "[ \"$($cli --folder . list | wc -l)\" = ";
        QTest::newRow("record cut short")
            << cut << add << false << 0 << "A database file ended with a record cut short"
            << "[ \"$(cat Data/CF2DB.pdb.cut-*)\" = Cut ] && [ \"$(stat -c %a Data/*.cut-*)\" = "
               "600 ] "
               "&& [ -z \"$($cli --folder . list 2>&1 >/dev/null)\" ] && "
                + lines + "4 ]";
        QTest::newRow("record cut short, nothing writable")
            << cut + " && chown -R $other: . && chmod 500 Data" << add << true << 1
            << "A database file ends with a record cut short"
            << "[ \"$(tail -c 3 Data/CF2DB.pdb)\" = Cut ] && ! ls Data | grep -q cut- && " + lines
                + "3 ]";
        // Only a write sets it aside: not a trial merge; a merge driver reads no cut end.
        QTest::newRow("record cut short, merge --dry-run")
            << "cp Data/CF2DB.pdb Data/CF2DB.sync-conflict-1.pdb && " + cut << QStringList {"list"}
            << false << 0 << "A database file ends with a record cut short"
            << "$cli --folder . merge --dry-run Data/CF2DB.sync-conflict-1.pdb && [ \"$(tail -c 3 "
               "Data/CF2DB.pdb)\" = Cut ] && ! ls Data | grep -q cut-";
        QTest::newRow("record cut short, merge driver")
            << "cp Data/CF2DB.pdb ../o && cp ../o ../a && cp ../o ../b && printf 'Cut' >>../b"
            << QStringList {"list"} << false << 0 << ""
            << "$cli merge-driver ../o ../a ../b && ! grep -q Cut ../a";
        QTest::newRow("database of 2 GiB")
            << "truncate -s 2G Data/CF2DB.pdb" << QStringList {"list"} << false << 1
            << "it holds 2048.0 MiB, more than the 256.0 MiB"
            << "[ \"$(stat -c %s Data/CF2DB.pdb)\" = 2147483648 ]";
        QTest::newRow("configuration of 2 GiB")
            << "truncate -s 2G Data/Coffrel.cnf" << add << false << 1
            << "Coffrel.cnf: it holds 2048.0 MiB"
            << "[ \"$(stat -c %s Data/Coffrel.cnf)\" = 2147483648 ]";
        QTest::newRow("root's files go to the owner")
            << "chown -R $other: ." << add << false << 0 << ""
            << "[ -z \"$(find Data ! -user $other)\" ] && printf 'T\\nu\\np\\n\\n\\n' | "
               "setpriv --reuid=$other --regid=nogroup --clear-groups $cli --folder . add --stdin";
        QTest::newRow("lock left by root")
            << "chown -R $other: . && chown root: Data/vaultine.lock && chmod 600 "
               "Data/vaultine.lock"
            << add << true << 1
            << "vaultine.lock: Permission denied. No Vaultine program can lock it"
            << "[ \"$(stat -c %U Data/vaultine.lock)\" = root ] "
               "&& [ \"$($cli --folder . list | wc -l)\" = 3 ]";
    }
    void filesAtTheEdgesAreRefused()
    {
        QFETCH(QString, before);
        QFETCH(QStringList, arguments);
        QFETCH(bool, asOwner);
        QFETCH(int, status);
        QFETCH(QString, err);
        QFETCH(QString, after);
        if (geteuid() != 0 && before.contains("chown"))
            QSKIP("needs root");
        const QString folder = m_root.filePath(QTest::currentDataTag()).replace(u' ', u'-');
        makeFolder(folder, "0", seeds);
        QFile::setPermissions(m_root.path(),
            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeGroup
                | QFile::ExeOther);
        const auto shell = [&](const QString &lines) {
            QProcess bash;
            bash.setWorkingDirectory(folder);
            bash.start("bash", {"-c", "other=nobody cli=" CLI_PATH "; " + lines});
            return bash.waitForFinished() && bash.exitCode() == 0;
        };
        QVERIFY(shell(before));
        const Run run
            = runCli(QStringList {"--folder", folder} + arguments, "S\nu\np\n\n\n", {}, {},
                asOwner ? QStringLiteral("exec setpriv --reuid=nobody --regid=nogroup "
                                         "--clear-groups \"$0\" \"$@\"")
                        : QString());
        QCOMPARE(run.status, status);
        QVERIFY2(run.err.contains(err), qPrintable(run.err));
        QVERIFY(shell(after));
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
        QStringList records = seeds
            + QStringList {
                "a,b:!\"q\":!p w:!  lead  :!http://x/?a=1,2", "No pw:!u:!:!:!", ":!:!:!i:!"};
        makeFolder(from, reach, records);
        makeFolder(into, reach, {});
        const auto cli = [&](const QString &folder, const QStringList &arguments,
                             const QByteArray &input = {}, const QString &prelude = {}) {
            return runCli(QStringList {"--folder", folder, "--password-stdin"} + arguments,
                masterLine + input, {}, {}, prelude);
        };

        // Another store's note of three lines (CR LF and LF inside its quotes) keeps them: one
        // line of the file, shown and exported with its line breaks.
        QCOMPARE(cli(from, {"import", "--csv", "-"},
                     "name,password,notes\r\nNotes,pw,\"one\r\ntwo\nthree\"\r\n")
                     .out,
            "Added: 1, duplicates: 0, skipped: 0.\n");
        records.append(u"Notes:!:!pw:!one\u2028two\u2028three:!"_qs);
        QCOMPARE(stored(from, reach), sorted(records));
        const auto source = VaultAccess {reach, master}.enciphered() ? Database::Source::Enciphered
                                                                     : Database::Source::Coded;
        QCOMPARE(
            contentOf(from + "/Data/" + Database::fileName(source)).count('\n'), records.size());
        QCOMPARE(cli(from, {"show", "Notes", "--field", "info"}).out, "one\ntwo\nthree\n");

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
        QCOMPARE(QFile::permissions(csv),
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray content = file.readAll();
        QVERIFY(content.startsWith("Title,Username,Password,URL,Notes\r\n"));
        QVERIFY(content.contains("\r\nNotes,,pw,,\"one\ntwo\nthree\"\r\n"));

        QCOMPARE(cli(into, {"import", "--csv", csv}).out, "Added: 7, duplicates: 0, skipped: 0.\n");
        QCOMPARE(stored(into, reach), sorted(records));
        const Run piped = cli(from, {"export", "--csv", "-"});
        QCOMPARE(piped.out.toUtf8(), (file.seek(0), file.readAll()));
        const Run again = cli(into, {"import", "--csv", "-"}, piped.out.toUtf8());
        QCOMPARE(again.out, "Added: 0, duplicates: 7, skipped: 0.\n");
        QCOMPARE(stored(into, reach), sorted(records));

        // A write that fails (files limited to 1 KiB) adds nothing, not even the rows that fit.
        const QByteArray big = "Title,Password\nSmall,p\nBig," + QByteArray(2000, 'x') + '\n';
        const Run limited = cli(into, {"import", "--csv", "-"}, big, "trap '' XFSZ; ulimit -f 1");
        QCOMPARE(limited.status, 1);
        QVERIFY(limited.err.contains("Nothing was imported"));
        QCOMPARE(stored(into, reach), sorted(records));
        // Killed while it holds the records and the master password, it leaves no core file.
        cli(into, {"add", "--stdin"}, {},
            "ulimit -c unlimited; cd " + into + "; (sleep 1; kill -ABRT $$) & exec < <(echo "
                + master + "; sleep 3)");
        QVERIFY(QDir(into).entryList({"core*"}).isEmpty());
    }
    // Two copies changed apart, at any two levels, come together both ways: a removal and an
    // edit here, an add and an edit there, one record edited on both sides kept in both
    // versions and named; --dry-run names the same and writes nothing; again, nothing changes.
    void mergeKeepsRemovalsAndEdits_data()
    {
        QTest::addColumn<QString>("here");
        QTest::addColumn<QString>("there");
        QTest::addColumn<QString>("dir");
        QTest::newRow("0 from 2") << "0"
                                  << "2"
                                  << "";
        QTest::newRow("1 from 0, its Data") << "1"
                                            << "0"
                                            << "/Data";
        QTest::newRow("3 from 1") << "3"
                                  << "1"
                                  << "";
        QTest::newRow("0 from 0, a copy") << "0"
                                          << "0"
                                          << "";
    }
    void mergeKeepsRemovalsAndEdits()
    {
        QFETCH(QString, here);
        QFETCH(QString, there);
        QFETCH(QString, dir);
        const QString ours = m_root.filePath("ours " + here + there);
        const QString theirs = m_root.filePath("theirs " + here + there);
        makeFolder(ours, here, seeds);
        if (here == there)
            QVERIFY(QProcess::execute("cp", {"-a", ours, theirs}) == 0);
        else
            makeFolder(theirs, there, seeds);
        const auto change = [&](const QString &folder, const QStringList &arguments,
                                const QByteArray &input = {}) {
            QCOMPARE(runCli(QStringList {"--folder", folder, "--password-stdin"} + arguments,
                         masterLine + input)
                         .status,
                0);
        };
        change(ours, {"remove", "Mail", "--force"});
        change(ours, {"edit", "bank", "--info", "ours"});
        change(theirs, {"add", "--stdin"}, "New\nn\np1\n\n\n");
        change(theirs, {"edit", "bank", "--info", "theirs"});
        change(theirs, {"edit", QString::fromUtf8("Caf\xc3\xa9"), "--info", "new"});
        const QStringList merged = sorted({"bank:!jo:!x\"y:!ours:!", "bank:!jo:!x\"y:!theirs:!",
            QString::fromUtf8("Caf\xc3\xa9:!zo\xc3\xa9:!p\xc3\xa4ss:!new:!"), "New:!n:!p1:!:!"});
        const QString told = QString::fromUtf8(
            "  + bank (jo)\n  + Caf\xc3\xa9 (zo\xc3\xa9)\n  + New (n)\n"
            "  - Caf\xc3\xa9 (zo\xc3\xa9)\nChanged on both sides, both versions kept:\n"
            "  bank (jo): 2 versions\n");
        const QStringList before = stored(ours, here);
        const QByteArray twice = masterLine + masterLine;
        const Run trial = runCli(
            {"--folder", ours, "--password-stdin", "merge", "--dry-run", theirs + dir}, twice);
        QCOMPARE(trial.out, "Would add: 3, remove: 1; nothing was written.\n" + told);
        QCOMPARE(stored(ours, here), before);
        const Run run
            = runCli({"--folder", ours, "--password-stdin", "merge", theirs + dir}, twice);
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, "Added: 3, removed: 1.\n" + told);
        QCOMPARE(stored(ours, here), merged);
        QCOMPARE(runCli({"--folder", theirs, "--password-stdin", "merge", ours}, twice).status, 0);
        QCOMPARE(stored(theirs, there), merged);
        QCOMPARE(runCli({"--folder", ours, "--password-stdin", "merge", theirs + dir}, twice).out,
            "Added: 0, removed: 0.\n");
        QVERIFY(!contentOf(ours + "/Data/CF2DB.removed").contains("Mail"));
        QCOMPARE(runCli({"--folder", ours, "merge", ours + "/x"}).status, 1);
    }
    // A conflict copy that a sync tool left beside the records, at each level: named by every
    // command, merged by merge FILE (what it holds that this folder removed stays removed), then
    // set aside and named no more.
    void conflictCopiesAreMerged_data()
    {
        QTest::addColumn<QString>("reach");
        QTest::addColumn<QString>("copy");
        QTest::newRow("0") << "0"
                           << "CF2DB.sync-conflict-20240115-120000-ABCDEFG.pdb";
        QTest::newRow("1") << "1"
                           << "CF2DB (laptop's conflicted copy 2024-01-15).edb";
        QTest::newRow("3") << "3"
                           << "CF2DB_conflict-20240115-120000.sdb";
    }
    void conflictCopiesAreMerged()
    {
        QFETCH(QString, reach);
        QFETCH(QString, copy);
        const QString folder = m_root.filePath("copies " + reach);
        makeFolder(folder, reach, seeds + QStringList {"Old:!o:!p:!:!"});
        const QString data = folder + "/Data/";
        const QString file = data + "CF2DB." + copy.section('.', -1);
        const auto run = [&](const QStringList &arguments, const QByteArray &input = {}) {
            return runCli(QStringList {"--folder", folder, "--password-stdin"} + arguments,
                masterLine + input);
        };
        // The other machine added "Theirs"; this one removed "Old" and added "New".
        QVERIFY(QFile::copy(file, file + ".mine"));
        QCOMPARE(run({"add", "--stdin"}, "Theirs\nt\np\n\n\n").status, 0);
        QVERIFY(QFile::rename(file, data + copy) && QFile::rename(file + ".mine", file));
        QCOMPARE(run({"remove", "Old", "--force"}).status, 0);
        const Run added = run({"add", "--stdin"}, "New\nn\np\n\n\n");
        QCOMPARE(added.status, 0);
        QVERIFY2(added.err.contains(data + copy + " is a conflict copy"), qPrintable(added.err));
        const Run merged = run({"merge", data + copy}, masterLine); // the copy's password
        QVERIFY2(merged.status == 0, qPrintable(merged.err));
        QCOMPARE(merged.out, "Added: 1, removed: 0.\n  + Theirs (t)\n");
        QCOMPARE(stored(folder, reach),
            sorted(seeds + QStringList {"New:!n:!p:!:!", "Theirs:!t:!p:!:!"}));
        QCOMPARE(QDir(data).entryList({"*.merged-*"}).size(), 1);
        QVERIFY(!run({"list"}).err.contains("conflict copy"));
        // The other machine's copy of the list of removals: its removal of "New" is merged.
        const QString list = data + "CF2DB.removed", listCopy = data + "CF2DB_conflict-2.removed";
        QVERIFY(QFile::copy(file, file + ".mine") && QFile::copy(list, list + ".mine"));
        QCOMPARE(run({"remove", "New", "--force"}).status, 0);
        QVERIFY(QFile::rename(list, listCopy) && QFile::rename(list + ".mine", list));
        QVERIFY(QFile::remove(file) && QFile::rename(file + ".mine", file));
        QCOMPARE(run({"merge", listCopy}).out, "Added: 0, removed: 1.\n  - New (n)\n");
        QCOMPARE(stored(folder, reach), sorted(seeds + QStringList {"Theirs:!t:!p:!:!"}));
        // Removed here, added again there: merging the other machine's records copy takes in
        // the copy of its list beside it, so "Theirs" is live again.
        QCOMPARE(run({"remove", "Theirs", "--force"}).status, 0);
        QVERIFY(QFile::copy(file, file + ".mine") && QFile::copy(list, list + ".mine"));
        QCOMPARE(run({"add", "--stdin"}, "Theirs\nt\np\n\n\n").status, 0);
        const QString copy5 = data + "CF2DB_conflict-5.";
        QVERIFY(QFile::rename(list, copy5 + "removed") && QFile::rename(list + ".mine", list));
        QVERIFY(QFile::rename(file, copy5 + file.section('.', -1)));
        QVERIFY(QFile::rename(file + ".mine", file));
        QCOMPARE(run({"merge", copy5 + file.section('.', -1)}).out,
            "Added: 1, removed: 0.\n  + Theirs (t)\n");
        QVERIFY(run({"list"}).err.isEmpty()); // both copies set aside
        // An edit whose records could not be written notes no removal of the old version, which
        // a copy of the list would carry elsewhere.
        const QByteArray listBefore = contentOf(list);
        QVERIFY(QDir().mkdir(file + ".vaultine-new"));
        QCOMPARE(run({"edit", "Theirs", "--username", "t2"}).status, 1);
        QCOMPARE(contentOf(list), listBefore);
    }
    // git merge with the driver set up as the README shows, for each file of records: a removal
    // on one branch, an add and an edit on the other; a record edited on both branches is kept
    // in both versions and the merge stops for a look, never with marker lines in the file, which
    // holds the records as the program writes them. A password that does not open the files
    // refuses the merge, and the file stays ours.
    void gitMergeDriverMergesRecords_data()
    {
        QTest::addColumn<QString>("reach");
        QTest::addColumn<QString>("file"); // in Data
        QTest::addColumn<bool>("bothEdit");
        QTest::addColumn<QByteArray>("password"); // the line given to the driver
        QTest::addColumn<QString>("refusal"); // on standard error when the merge is refused
        const QString coded("CF2DB.pdb"), enciphered("CF2DB.edb"), sealed("CF2DB.sdb");
        const QByteArray wrong("Key-98\n");
        QTest::newRow("0 clean") << "0" << coded << false << masterLine << QString();
        QTest::newRow("0 both sides edit") << "0" << coded << true << masterLine << QString();
        QTest::newRow("1 clean") << "1" << enciphered << false << masterLine << QString();
        QTest::newRow("1 both sides edit") << "1" << enciphered << true << masterLine << QString();
        QTest::newRow("1 wrong password") << "1" << enciphered << false << wrong
                                          << ": line 1 does not decipher with the master password";
        QTest::newRow("3 both sides edit") << "3" << sealed << true << masterLine << QString();
        QTest::newRow("3 wrong password") << "3" << sealed << false << wrong
                                          << ": it does not open with the master password given";
    }
    void gitMergeDriverMergesRecords()
    {
        QFETCH(QString, reach);
        QFETCH(QString, file);
        QFETCH(bool, bothEdit);
        QFETCH(QByteArray, password);
        QFETCH(QString, refusal);
        const QString repo = m_root.filePath(QTest::currentDataTag()).replace(' ', '-');
        makeFolder(repo, reach, seeds);
        const auto shell = [&](const QString &script) {
            QCOMPARE(QProcess::execute("bash", {"-c", "cd '" + repo + "' && " + script}), 0);
        };
        const auto change = [&](const QStringList &arguments, const QByteArray &input = {}) {
            QCOMPARE(runCli(QStringList {"--folder", repo, "--password-stdin"} + arguments,
                         masterLine + input)
                         .status,
                0);
        };
        shell("git init -q -b main && git config user.name t && git config user.email t@t && "
              "printf 'Data/CF2DB.pdb merge=vaultine\\nData/CF2DB.edb merge=vaultine\\n"
              "Data/CF2DB.sdb merge=vaultine\\n' >.gitattributes && "
              "printf 'Data/vaultine.lock\\nData/CF2DB.removed\\n' >.gitignore && "
              "git config merge.vaultine.driver \"'" CLI_PATH
              "' --password-stdin merge-driver %O %A %B\" && git add -A && git commit -qm start "
              "&& git checkout -q -b other");
        change({"remove", "Mail", "--force"});
        change({"edit", "bank", "--info", "theirs"});
        shell("git commit -qam theirs && git checkout -q main");
        change({"add", "--stdin"}, "New\nn\np1\n\n\n");
        if (bothEdit)
            change({"edit", "bank", "--info", "ours"});
        shell("git commit -qam ours");
        const QByteArray before = contentOf(repo + "/Data/" + file);
        const Run merged
            = runCli({}, password, {}, {}, "cd '" + repo + "' && git merge -q other; exit $?");
        QCOMPARE(merged.status, bothEdit || !refusal.isEmpty() ? 1 : 0);
        if (!refusal.isEmpty()) {
            QVERIFY2(merged.err.contains(refusal), qPrintable(merged.err));
            QCOMPARE(contentOf(repo + "/Data/" + file), before);
            return;
        }
        QCOMPARE(
            merged.err.contains("Changed on both sides, 2 versions kept: bank (jo)"), bothEdit);
        const QStringList ours = bothEdit ? QStringList {"bank:!jo:!x\"y:!ours:!"} : QStringList();
        QCOMPARE(stored(repo, reach),
            sorted(ours + QStringList {"bank:!jo:!x\"y:!theirs:!", seeds[2], "New:!n:!p1:!:!"}));
        if (reach == "3") // sealed under a fresh nonce every time
            return;
        makeFolder(repo + "-written", reach, stored(repo, reach));
        QCOMPARE(contentOf(repo + "/Data/" + file), contentOf(repo + "-written/Data/" + file));
    }
    // A line that a merge left as a conflict marker, in the records read at each level or in a
    // folder or file given to merge or import, refuses them, naming the file and the line; the
    // same text inside a field is a record like any other.
    void conflictMarkersAreRefused_data()
    {
        QTest::addColumn<QString>("reach");
        QTest::addColumn<QString>("command"); // list, merge or import
        QTest::addColumn<QByteArray>("line"); // written as it is after the first line
        QTest::addColumn<QString>("record"); // stored as a record: listed, imported, merged
        for (const char *marker : {"<<<<<<< HEAD", "=======", ">>>>>>> theirs", "||||||| base"}) {
            const QByteArray line(marker);
            for (const QString reach : {"0", "1"}) {
                for (const QString command : {"list", "merge"}) {
                    QTest::addRow("%s %s: %s", qPrintable(reach), qPrintable(command), marker)
                        << reach << command << line << QString();
                    QTest::addRow(
                        "%s %s: in a field, %s", qPrintable(reach), qPrintable(command), marker)
                        << reach << command << QByteArray()
                        << "x " + QString::fromUtf8(line) + ":!u:!p:!:!";
                }
            }
            const QString zero("0"), import("import"), text = QString::fromUtf8(line);
            QTest::addRow("import: %s", marker) << zero << import << line << QString();
            QTest::addRow("import: in a field, %s", marker)
                << zero << import << QByteArray() << "x " + text + ":!:!p:!:!";
        }
        QTest::newRow("0 list: a service that starts with a marker")
            << QString("0") << QString("list") << QByteArray() << QString("<<<<<<< x:!u:!p:!:!");
    }
    void conflictMarkersAreRefused()
    {
        QFETCH(QString, reach);
        QFETCH(QString, command);
        QFETCH(QByteArray, line);
        QFETCH(QString, record);
        const QString folder = m_root.filePath(QTest::currentDataTag()).replace(' ', '-');
        const QString other = folder + "-other";
        const QString file = (command == "merge" ? other : folder)
            + (command == "import" ? QStringLiteral(".csv")
                    : reach == "0" ? "/Data/CF2DB.pdb"
                                   : "/Data/CF2DB.edb");
        const QStringList records = record.isEmpty() ? seeds : seeds + QStringList {record};
        makeFolder(folder, reach, command == "list" ? records : seeds);
        makeFolder(other, reach, records);
        if (command == "import") {
            QFile csv(file);
            QVERIFY(csv.open(QIODevice::WriteOnly));
            csv.write("Title,Username,Password\n" + RecordLine::toBytes(record.section(":!", 0, 0))
                + ",," + (line.isEmpty() ? "p" : "p\n" + line) + "\n");
        } else if (!line.isEmpty()) {
            QFile data(file);
            QVERIFY(data.open(QIODevice::ReadWrite));
            QByteArray content = data.readAll();
            content.insert(content.indexOf('\n') + 1, line + "\r\n");
            QVERIFY(data.seek(0) && data.write(content) == content.size());
        }
        const QByteArray before
            = contentOf(folder + (reach == "0" ? "/Data/CF2DB.pdb" : "/Data/CF2DB.edb"));
        QStringList arguments {"--folder", folder, "--password-stdin", command};
        if (command != "list")
            arguments += command == "merge" ? QStringList {other} : QStringList {"--csv", file};
        const Run run = runCli(arguments, masterLine + masterLine);
        if (!line.isEmpty()) {
            QCOMPARE(run.status, 1);
            const QString told
                = file + ": line " + (command == "import" ? "3" : "2") + " is a conflict marker";
            QVERIFY2(run.err.contains(told), qPrintable(run.err));
            QCOMPARE(
                contentOf(folder + (reach == "0" ? "/Data/CF2DB.pdb" : "/Data/CF2DB.edb")), before);
            return;
        }
        QCOMPARE(run.status, 0);
        QCOMPARE(runCli({"--folder", folder, "--password-stdin", "list"}, masterLine)
                     .out.count(record.section(":!", 0, 0)),
            1);
    }
    // Two records of one service are chosen by their username; output for scripts.
    void scriptsChooseRecordsAndFields_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out"); // exactly; JSON compared as parsed
        QTest::addColumn<QString>("err");
        QTest::addColumn<QStringList>("changes"); // +line added, -line removed
        const auto row
            = [](const char *name, const QStringList &arguments, int status, const QString &out,
                  const QString &err = {}, const QStringList &changes = {}) {
                  QTest::newRow(name) << arguments << status << out << err << changes;
              };
        const QString several = "2 records have the service name \"bank\", of the usernames "
                                "\"ann\", \"jo\": --which USERNAME (or #N, the N-th as show "
                                "lists them) chooses one.";
        row("show a field, several", {"show", "bank", "--field", "password"}, 1, "", several);
        row("show a field, chosen", {"show", "bank", "--which", "ann", "--field", "password"}, 0,
            "y\n");
        row("show, none of that username", {"show", "bank", "--which", "al"}, 1, "",
            "with the username \"al\"");
        row("show info, empty username", {"show", "Solo", "--field", "info"}, 0, "i\n");
        row("show --json", {"show", "bank", "--json", "--which", "jo"}, 0,
            R"([{"service": "bank", "username": "jo", "info": "", "path": ""}])");
        row("show --json, revealed", {"show", "Solo", "--json", "--reveal"}, 0,
            R"([{"service": "Solo", "username": "", "password": "", "info": "i", "path": ""}])");
        // Line breaks given out as they are, taken back in a name.
        row("show, lines", {"show", "Two\nlines"}, 0,
            "Username: u\nPassword: ****\nOther Info: one\ntwo\nPath: \n");
        row("show --json, lines", {"show", "Two\nlines", "--json"}, 0,
            R"([{"service": "Two\nlines", "username": "u", "info": "one\ntwo", "path": ""}])");
        row("list --json", {"list", "--json"}, 0,
            QString::fromUtf8("[\"bank\", \"bank\", \"Caf\xc3\xa9\", \"Solo\", \"Two\\nlines\"]"));
        row("edit, several", {"edit", "bank", "--info", "z"}, 1, "", several);
        row("edit, chosen", {"edit", "bank", "--which", "ann", "--info", "z"}, 0,
            "Changed the record of bank.\n", "", {"-bank:!ann:!y:!:!", "+bank:!ann:!y:!z:!"});
        row("edit, empty username and password", {"edit", "Solo", "--which", "", "--path", "p"}, 0,
            "Changed the record of Solo.\n", "", {"-Solo:!:!:!i:!", "+Solo:!:!:!i:!p"});
        row("remove, several", {"remove", "bank", "--force"}, 1, "", several);
        row("remove, chosen", {"remove", "bank", "--which", "jo", "--force"}, 0,
            "Removed the record of bank.\n", "", {"-bank:!jo:!x:!:!"});
        row("remove, by position", {"remove", "bank", "--which", "#2", "--force"}, 0,
            "Removed the record of bank.\n", "", {"-bank:!jo:!x:!:!"});
        row("show, no such position", {"show", "bank", "--which", "#3"}, 1, "",
            "with the username \"#3\"");
        row("show, not a position", {"show", "bank", "--which", "#+1"}, 1, "",
            "with the username \"#+1\"");
        row("export into a pipe", {"export", "--csv", "/dev/stdout"}, 0,
            "Title,Username,Password,URL,Notes\r\nbank,ann,y,,\r\nbank,jo,x,,\r\n"
                + QString::fromUtf8("Caf\xc3\xa9,zo\xc3\xa9,p\xc3\xa4ss,,\xc3\xbc\r\n")
                + "Solo,,,,i\r\n\"Two\nlines\",u,,,\"one\ntwo\"\r\n");
    }
    void scriptsChooseRecordsAndFields()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(QStringList, changes);
        const QString folder = m_root.filePath(QTest::currentDataTag()).replace(' ', '-');
        QStringList records {"bank:!jo:!x:!:!", "bank:!ann:!y:!:!", seeds[2], "Solo:!:!:!i:!",
            u"Two\u2028lines:!u:!:!one\u2028two:!"_qs};
        makeFolder(folder, "0", records);
        const Run run = runCli(QStringList {"--folder", folder} + arguments);
        QCOMPARE(run.status, status);
        // JSON as UTF-8, not escaped.
        if (out.startsWith('['))
            QVERIFY(!run.out.contains("\\u")
                && QJsonDocument::fromJson(run.out.toUtf8())
                    == QJsonDocument::fromJson(out.toUtf8()));
        else
            QCOMPARE(run.out, out);
        QVERIFY2(err.isEmpty() ? run.err.isEmpty() : run.err.contains(err), qPrintable(run.err));
        for (const QString &change : changes) {
            if (change.startsWith('+'))
                records.append(change.mid(1));
            else
                records.removeOne(change.mid(1));
        }
        QCOMPARE(stored(folder, "0"), sorted(records));
    }
    void passwordIsAskedOnTheTerminal_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArrayList>("typed");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("shown");
        QTest::newRow("piped lines are no tries")
            << QStringList {"list", "bank"} << QByteArrayList {"a\n", masterLine} << 0 << "bank";
        QTest::newRow("Ctrl-D") << QStringList {"list"} << QByteArrayList {"\x04"} << 1
                                << "Master password: \r\nYou are not allowed";
        QTest::newRow("Ctrl-D while adding")
            << QStringList {"add"} << QByteArrayList {masterLine, "\x04"} << 1
            << "Password: \r\nThe input ended";
        // A stored escape sequence would retitle or clear the terminal; a direction override
        // would show what follows it reversed.
        QTest::newRow("control and format characters shown")
            << QStringList {"show", "Esc\x1b]0;x\x07"} << QByteArrayList {masterLine} << 0
            << "Username: ^[[2J<U+202E>gnp<U+E0041>";
        QTest::newRow("format characters shown in an export")
            << QStringList {"export", "--csv", "-"} << QByteArrayList {masterLine} << 0
            << "Esc^[]0;x^G,^[[2J<U+202E>gnp<U+E0041>,p,,\r\n";
    }
    void passwordIsAskedOnTheTerminal()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArrayList, typed);
        QFETCH(int, status);
        QFETCH(QString, shown);
        const QString folder = m_root.filePath(QTest::currentDataTag());
        const QStringList records
            = seeds + QStringList {"Esc\x1b]0;x\x07:!\x1b[2J\u202egnp\U000E0041:!p:!:!"};
        makeFolder(folder, "1", records);
        const Run run = runOnTerminal(QStringList {"--folder", folder} + arguments, typed);
        QCOMPARE(run.status, status);
        QVERIFY2(run.out.contains(shown) && !run.out.contains(master) && !run.out.contains('\x1b')
                && !run.out.contains("\u202e"),
            qPrintable(run.out));
        QCOMPARE(stored(folder, "1"), sorted(records));
    }

    // unlock keeps the sealed file's key in the kernel's keyring or, where a sandbox filters its
    // calls, with an agent: the folder's commands, reading and writing, then ask no password,
    // and nothing is written to disk. Each command after that runs without the password, and
    // asks it (and fails, with no terminal) unless the key is still kept for its folder and
    // user, the file the key was derived for in place.
    void unlockKeepsTheKeyForAWhile_data()
    {
        QTest::addColumn<bool>("filtered");
        QTest::addColumn<int>("after");
        for (const bool filtered : {false, true}) {
            const auto row = [&](const char *name, After after) {
                QTest::addRow("%s: %s", filtered ? "agent" : "keyring", name)
                    << filtered << int(after);
            };
            row("kept", Kept);
            row("lock", Locked);
            row("time up", TimeUp);
            row("the window locked", WindowLocked);
            row("new password, old files back", PasswordChanged);
            row("sealed anew", SealedAnew);
            row("another folder", OtherFolder);
            row("another user", OtherUser);
        }
    }
    void unlockKeepsTheKeyForAWhile()
    {
        QFETCH(bool, filtered);
        QFETCH(int, after);
        if (after == OtherUser && geteuid() != 0)
            QSKIP("Only root can run a program as another user.");
        const QString folder = m_root.filePath(QTest::currentDataTag()).replace(u' ', u'-');
        makeFolder(folder, "3", seeds);
        QTemporaryDir home(m_root.filePath("home-XXXXXX"));
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        keyringFiltered = filtered;
        const auto restore = qScopeGuard([&] {
            runCli({"--folder", folder, "lock"});
            keyringFiltered = false;
            qputenv("HOME", oldHome);
        });
        const QString asNobody = "exec setpriv --reuid=nobody --regid=nogroup --clear-groups "
                                 "\"$0\" \"$@\"";
        if (after == OtherUser) {
            QVERIFY(QProcess::execute("chown", {"-R", "nobody:", folder}) == 0);
            QFile::setPermissions(m_root.path(),
                QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther);
        }
        const QStringList files = filesIn({folder, home.path()});
        const Run unlock = runCli({"--folder", folder, "--password-stdin", "unlock", "--for",
                                      after == TimeUp ? "3s" : "1h"},
            masterLine);
        QElapsedTimer sinceUnlock;
        sinceUnlock.start();
        QCOMPARE(unlock.status, 0);
        const QString place
            = filtered || !m_keyring ? "by an agent process" : "in the kernel's keyring";
        QVERIFY2(QRegularExpression(place + ".* until \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d;")
                     .match(unlock.out)
                     .hasMatch(),
            qPrintable(unlock.out + unlock.err));
        QCOMPARE(filesIn({folder, home.path()}), files);
        const QString names = QString::fromUtf8("bank\nCaf\xc3\xa9\nMail\n");
        const auto list = [&](const QString &in, const QString &prelude = {}) {
            return runCli({"--folder", in, "list"}, {}, {}, {}, prelude);
        };
        QCOMPARE(list(folder).out, names);

        QString target = folder;
        QString prelude;
        const QString data = folder + "/Data";
        const QStringList sealedFiles {
            Database::fileName(Database::Source::Sealed), Database::configurationName};
        switch (After(after)) {
        case Kept: {
            QCOMPARE(runCli({"--folder", folder, "add", "--stdin"}, "New\nu\np\n\n\n").status, 0);
            QCOMPARE(stored(folder, "3"), sorted(seeds + QStringList {"New:!u:!p:!:!"}));
            return;
        }
        case Locked:
            QVERIFY(runCli({"--folder", folder, "lock"}).out.startsWith("Forgot the key of"));
            break;
        case TimeUp:
            QTest::qSleep(std::max(1, 4500 - int(sinceUnlock.elapsed())));
            break;
        case WindowLocked: {
            VaultAccess access {"3", {}};
            Database database(folder, access);
            const SystemClock clock;
            WindowLock lock(database, clock);
            lock.levelChanged();
            lock.lock();
            QVERIFY(lock.isLocked());
            break;
        }
        case PasswordChanged: {
            for (const QString &name : sealedFiles)
                QVERIFY(QFile::copy(data + '/' + name, folder + '/' + name));
            VaultAccess access {"3", {}};
            Database database(folder, access);
            QCOMPARE(database.openSealed(master), SealedFile::Status::Opened);
            const ConfigFile config(data);
            QCOMPARE(SecurityChange(database, access, config)
                         .store(ConfigFile::composeLine(
                                    ConfigFile::noExpiry, ConfigFile::unsetMark, "01-01-2024", "3"),
                             "3", "Key-77"),
                SecurityChange::Result::Stored);
            // A sync tool brings the files of before back.
            for (const QString &name : sealedFiles)
                QVERIFY(QFile::remove(data + '/' + name)
                    && QFile::rename(folder + '/' + name, data + '/' + name));
            break;
        }
        case SealedAnew:
            QVERIFY(QDir(folder).removeRecursively());
            makeFolder(folder, "3", seeds);
            break;
        case OtherFolder:
            target = folder + "-copy";
            QCOMPARE(QProcess::execute("cp", {"-a", folder, target}), 0);
            break;
        case OtherUser:
            prelude = asNobody;
            break;
        }
        const Run asked = list(target, prelude);
        QCOMPARE(asked.status, 1);
        QVERIFY2(asked.err.contains("There is no terminal to ask"), qPrintable(asked.err));
        // The key stays for its own folder and user; one that did not open its file is gone.
        if (after == OtherFolder || after == OtherUser)
            QCOMPARE(list(folder).out, names);
        if (after == SealedAnew)
            QVERIFY(runCli({"--folder", folder, "lock"}).out.startsWith("No key of"));
    }

    // At the sealed level, once the key is derived, no copy of the master password is left in
    // the program's memory, neither as typed (UTF-8) nor as text (UTF-16), nor in the form its
    // key is derived from (NFC): seen while it waits for the record's lines after the password's.
    void masterPasswordLeavesNoCopy_data()
    {
        QTest::addColumn<QString>("password");
        QTest::newRow("ASCII") << master;
        QTest::newRow("decomposed accents") << QStringLiteral("Zo\u00eb-\u00c5ngstr\u00f6m-Q7x9kP")
                                                   .normalized(QString::NormalizationForm_D);
    }
    void masterPasswordLeavesNoCopy()
    {
#ifdef __SANITIZE_ADDRESS__
        QSKIP(
            "The sanitizer's shadow memory is terabytes of mappings: scanned in the plain build.");
#endif
        QFETCH(QString, password);
        const QString folder
            = m_root.filePath(QStringLiteral("memory %1").arg(QTest::currentDataTag()));
        makeFolder(folder, "3", seeds, ConfigFile::noExpiry, password);
        QProcess process;
        process.start(
            QStringLiteral(CLI_PATH), {"--folder", folder, "--password-stdin", "add", "--stdin"});
        QVERIFY(process.waitForStarted());
        process.write(password.toUtf8() + '\n');
        QVERIFY(process.waitForBytesWritten());
        // Every byte written is read by then: a read that waits is one for the lines after it.
        QTRY_VERIFY_WITH_TIMEOUT(readsStandardInput(process.processId()).value_or(true)
                || process.state() != QProcess::Running,
            20000);
        QByteArrayList needles;
        for (const QString &form : {password, password.normalized(QString::NormalizationForm_C)}) {
            needles.append(form.toUtf8());
            needles.append(
                QByteArray(reinterpret_cast<const char *>(form.utf16()), form.size() * 2));
        }
        const std::optional<bool> held = memoryHolds(process.processId(), needles);
        process.write("New\nu\np\n");
        process.closeWriteChannel();
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.readAllStandardError(), QByteArray());
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(stored(folder, "3", password), sorted(seeds + QStringList {"New:!u:!p:!:!"}));
        if (!held)
            QSKIP("The memory of another process cannot be read here.");
        QVERIFY(!*held);
    }

private:
    QTemporaryDir m_root;
    bool m_keyring = false; // the kernel's keyring is there
};

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
