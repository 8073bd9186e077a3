#include "GenerateCommand.h"

#include "ClipboardHold.h"
#include "Console.h"
#include "DisplayConnection.h"
#include "Invocation.h"
#include "security/PasswordGenerator.h"
#include "security/PasswordSuggestion.h"

namespace {

const QCommandLineOption level(QStringLiteral("level"),
    QStringLiteral("1: six characters of 1-9 and A-Z; 2: eight of them; 3 (the default): "
                   "--length characters of 1-9, A-Z and a-z."),
    QStringLiteral("level"), QStringLiteral("3"));
const QCommandLineOption length(QStringLiteral("length"),
    QStringLiteral("The length at level 3, 1 to 32767 (default 20)."), QStringLiteral("n"),
    QStringLiteral("20"));
const QCommandLineOption words(QStringLiteral("words"),
    QStringLiteral("A passphrase of n words (%1 to %2) from the shipped word list, joined with "
                   "\"-\", instead.")
        .arg(PasswordGenerator::fewestWords)
        .arg(PasswordGenerator::mostWords),
    QStringLiteral("n"));
const QCommandLineOption copy(QStringLiteral("copy"),
    QStringLiteral("Puts the password on the clipboard for a while (as copy does) instead of "
                   "printing it."));

int numberOf(
    const QCommandLineParser &parser, const QCommandLineOption &option, int most, int least = 1)
{
    bool number = false;
    const int value = parser.value(option).toInt(&number);
    return number && value >= least && value <= most ? value : 0;
}

int wordsOf(const QCommandLineParser &parser)
{
    return numberOf(parser, words, PasswordGenerator::mostWords, PasswordGenerator::fewestWords);
}

} // namespace

GenerateCommand::GenerateCommand()
    : Command({.name = "generate",
        .description = "Prints a random password drawn from the system's secure random source.",
        .options = {level, length, words, copy}})
{ }

QString GenerateCommand::usageError(const QCommandLineParser &parser) const
{
    if (numberOf(parser, level, 3) == 0)
        return QStringLiteral("--level takes 1, 2 or 3.");
    if (numberOf(parser, length, PasswordSuggestion::longest) == 0)
        return QStringLiteral("--length takes 1 to %1.").arg(PasswordSuggestion::longest);
    if (parser.isSet(words) && wordsOf(parser) == 0)
        return QStringLiteral("--words takes %1 to %2.")
            .arg(PasswordGenerator::fewestWords)
            .arg(PasswordGenerator::mostWords);
    return {};
}

int GenerateCommand::execute(const Invocation &invocation)
{
    const QCommandLineParser &parser = invocation.parser;
    const QString password = parser.isSet(words)
        ? PasswordGenerator::generate({.passphrase = true, .words = wordsOf(parser)})
        : PasswordSuggestion::suggest(
            numberOf(parser, level, 3), numberOf(parser, length, PasswordSuggestion::longest));
    if (!parser.isSet(copy)) {
        invocation.console.print(password);
        return Success;
    }
    if (!DisplayConnection::named()) {
        invocation.console.warn(QStringLiteral("--copy needs a display."));
        return Refused;
    }
    if (!ClipboardHold::start(
            password.toUtf8(), ClipboardHold::usualSeconds, false, invocation.console))
        return Refused;
    invocation.console.print(QStringLiteral("The password is on the clipboard for %1 seconds.")
                                 .arg(ClipboardHold::usualSeconds));
    return Success;
}
