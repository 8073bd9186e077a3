#include "CommandDispatcher.h"

#include "Console.h"
#include "DisplayConnection.h"
#include "Invocation.h"
#include "platform/ProgramFolders.h"

#include <QDir>
#include <QProcessEnvironment>

#include <algorithm>
#include <utility>

namespace {

const QCommandLineOption folder(QStringLiteral("folder"),
    QStringLiteral("The program folder whose records are used (default: the folder of this "
                   "program; when installed, $XDG_DATA_HOME/vaultine, by default "
                   "~/.local/share/vaultine)."),
    QStringLiteral("dir"));
const QCommandLineOption passwordStdin(QStringLiteral("password-stdin"),
    QStringLiteral("Reads the master password from the first line of standard input."));
const QCommandLineOption help(
    {QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Shows this help."));

const QString program = QStringLiteral("vaultine-cli");

// The text in lines of at most 79 characters, long lines broken at spaces.
QString wrapped(const QString &text)
{
    QStringList lines;
    for (const QString &paragraph : text.split(u'\n')) {
        if (paragraph.size() <= 79) {
            lines.append(paragraph);
            continue;
        }
        QString line;
        for (const QString &word : paragraph.split(u' ', Qt::SkipEmptyParts)) {
            if (!line.isEmpty() && line.size() + 1 + word.size() > 79)
                lines.append(std::exchange(line, QString()));
            line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
        }
        lines.append(line);
    }
    return lines.join(u'\n');
}

} // namespace

CommandDispatcher::CommandDispatcher(
    std::vector<std::unique_ptr<Command>> commands, Console &console)
    : m_commands(std::move(commands))
    , m_console(console)
    , m_common({folder, passwordStdin, help})
{ }

int CommandDispatcher::run(int &argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    qsizetype index = commandIndex(arguments);
    if (index < 0 && arguments.contains(QStringLiteral("--version"))) {
        m_console.print(QStringLiteral("%1 " VAULTINE_VERSION).arg(program));
        return Command::Success;
    }
    // help COMMAND is COMMAND --help; help alone the overview.
    if (index >= 0 && arguments[index] == QLatin1String("help")) {
        if (index + 1 >= arguments.size())
            return overview({});
        arguments = {arguments.first(), arguments[index + 1], QStringLiteral("--help")};
        index = 1;
    }
    Command *command = index < 0 ? nullptr : find(arguments[index]);
    if (!command) {
        const bool asked = index < 0
            && (arguments.contains(QStringLiteral("--help"))
                || arguments.contains(QStringLiteral("-h")));
        return overview(asked ? QString()
                : index < 0   ? QStringLiteral("No command given.")
                              : QStringLiteral("Unknown command \"%1\".").arg(arguments[index]));
    }

    QCommandLineParser parser;
    prepare(parser, *command);
    const bool parsed = parser.parse(arguments);
    if (parsed && !parser.isSet(help) && complete(parser, *command))
        return execute(argc, argv, parser, *command);

    // The help text names the program as its application object was started.
    QByteArray usage = QStringLiteral("%1 %2").arg(program, command->syntax().name).toLocal8Bit();
    int usageCount = 1;
    char *usageName[] = {usage.data(), nullptr};
    const QCoreApplication application(usageCount, usageName);
    if (parsed && parser.isSet(help)) {
        m_console.print(parser.helpText());
        return Command::Success;
    }
    if (!parsed)
        m_console.warn(parser.errorText());
    m_console.warn(QStringLiteral("See: %1 %2 --help").arg(program, command->syntax().name));
    return Command::WrongUsage;
}

qsizetype CommandDispatcher::commandIndex(const QStringList &arguments) const
{
    QStringList valued;
    for (const auto &command : m_commands) {
        for (const QCommandLineOption &option : m_common + command->syntax().options) {
            if (!option.valueName().isEmpty())
                valued += option.names();
        }
    }
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == QLatin1String("--"))
            return i + 1 < arguments.size() ? i + 1 : -1;
        if (!argument.startsWith(u'-'))
            return i;
        const QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
        if (valued.contains(name))
            ++i;
    }
    return -1;
}

Command *CommandDispatcher::find(const QString &name) const
{
    for (const auto &command : m_commands) {
        if (command->syntax().name == name)
            return command.get();
    }
    return nullptr;
}

void CommandDispatcher::prepare(QCommandLineParser &parser, const Command &command) const
{
    const Command::Syntax &syntax = command.syntax();
    parser.setApplicationDescription(
        wrapped(syntax.details.isEmpty() ? syntax.description
                                         : syntax.description + u'\n' + syntax.details));
    parser.addOptions(m_common + syntax.options);
    for (const Command::Argument &argument : syntax.arguments) {
        parser.addPositionalArgument(argument.name, argument.description,
            argument.optional ? u'[' + argument.name + u']' : argument.name);
    }
}

bool CommandDispatcher::complete(const QCommandLineParser &parser, const Command &command) const
{
    const Command::Syntax &syntax = command.syntax();
    // The first positional argument is the command's name.
    const qsizetype count = parser.positionalArguments().size() - 1;
    const qsizetype required = std::count_if(syntax.arguments.begin(), syntax.arguments.end(),
        [](const Command::Argument &argument) { return !argument.optional; });
    if (count < required || count > syntax.arguments.size()) {
        m_console.warn(QStringLiteral("Wrong number of arguments."));
        return false;
    }
    for (const QString &name : syntax.requiredOptions) {
        if (!parser.isSet(name)) {
            m_console.warn(QStringLiteral("--%1 is needed.").arg(name));
            return false;
        }
    }
    const QString error = command.usageError(parser);
    if (!error.isEmpty())
        m_console.warn(error);
    return error.isEmpty();
}

int CommandDispatcher::overview(const QString &error) const
{
    QStringList lines {
        QStringLiteral("Usage: %1 [--folder DIR] [--password-stdin] COMMAND [options]")
            .arg(program),
        QString(),
        wrapped(QStringLiteral("The records of Vaultine's program folder from a terminal. The "
                               "master password is asked on the terminal, never taken as an "
                               "argument.")),
        QString(), QStringLiteral("Commands:")};
    for (const auto &command : m_commands) {
        lines.append(QStringLiteral("  %1  %2")
                         .arg(command->syntax().name, -8)
                         .arg(command->syntax().description));
    }
    lines.append(QStringLiteral("  %1  %2")
                     .arg(QStringLiteral("help"), -8)
                     .arg(QStringLiteral("Tells what a command does: help COMMAND.")));
    lines.append(QString());
    lines.append(QStringLiteral("See %1 help COMMAND for a command's options; %1 --version "
                                "tells the version.")
                     .arg(program));
    if (error.isEmpty()) {
        m_console.print(lines.join(u'\n'));
        return Command::Success;
    }
    m_console.warn(error);
    m_console.warn(lines.join(u'\n'));
    return Command::WrongUsage;
}

int CommandDispatcher::execute(
    int &argc, char **argv, const QCommandLineParser &parser, Command &command)
{
    const QCoreApplication application(argc, argv);
    if (command.syntax().needsDisplay && !DisplayConnection::named()) {
        m_console.warn(QStringLiteral("%1 %2 needs a display (DISPLAY or WAYLAND_DISPLAY), and "
                                      "none could be reached.")
                           .arg(program, command.syntax().name));
        return Command::Refused;
    }
    const ProgramFolders folders = ProgramFolders::locate(
        QCoreApplication::applicationDirPath(), QProcessEnvironment::systemEnvironment());
    if (!parser.isSet(folder) && !folders.prepare()) {
        m_console.warn(folders.failureText());
        return Command::Refused;
    }
    const QString folderPath = parser.isSet(folder) ? parser.value(folder) : folders.userFolder();
    const Invocation invocation {parser, parser.positionalArguments().mid(1), m_console,
        QDir(folderPath).absolutePath(), parser.isSet(passwordStdin)};
    const int status = command.execute(invocation);
    if (!m_console.outputFailed())
        return status;
    m_console.warn(QStringLiteral("Can not write to standard output."));
    return Command::Refused;
}
