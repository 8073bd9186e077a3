#pragma once

#include <QCommandLineParser>
#include <QList>
#include <QString>

struct Invocation;

// One command of vaultine-cli: its name, description, options and arguments are data that
// the dispatcher turns into a parser, --help and usage errors; execute() does the work.
class Command
{
public:
    enum Status { Success = 0, Refused = 1, WrongUsage = 2 };

    struct Argument
    {
        QString name;
        QString description;
        bool optional = false;
    };

    struct Syntax
    {
        QString name;
        QString description; // one line, in the command overview too
        QString details {}; // what --help tells after the description
        QList<QCommandLineOption> options {};
        QList<Argument> arguments {};
        QStringList requiredOptions {};
        bool needsDisplay = false;
    };

    explicit Command(Syntax syntax)
        : m_syntax(std::move(syntax))
    { }
    virtual ~Command() = default;
    Command(const Command &) = delete;
    Command &operator=(const Command &) = delete;

    const Syntax &syntax() const { return m_syntax; }
    // What is wrong with the options' values; empty when nothing is.
    virtual QString usageError(const QCommandLineParser &) const { return {}; }
    // Messages for people go to standard output, errors to standard error.
    virtual int execute(const Invocation &invocation) = 0;

private:
    Syntax m_syntax;
};
