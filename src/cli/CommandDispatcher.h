#pragma once

#include "Command.h"

#include <QCommandLineParser>

#include <memory>
#include <vector>

class Console;

// Finds the command named on the command line, parses its options (those before the name
// too), answers --help and wrong usage, makes the application object and runs the command.
class CommandDispatcher
{
public:
    CommandDispatcher(std::vector<std::unique_ptr<Command>> commands, Console &console);

    int run(int &argc, char **argv);

private:
    // The first argument that is neither an option nor an option's value; -1 when none.
    qsizetype commandIndex(const QStringList &arguments) const;
    Command *find(const QString &name) const;
    void prepare(QCommandLineParser &parser, const Command &command) const;
    // Positional arguments and required options.
    bool complete(const QCommandLineParser &parser, const Command &command) const;
    // The commands; on standard error after the error when there is one.
    int overview(const QString &error) const;
    int execute(int &argc, char **argv, const QCommandLineParser &parser, Command &command);

    std::vector<std::unique_ptr<Command>> m_commands;
    Console &m_console;
    QList<QCommandLineOption> m_common;
};
