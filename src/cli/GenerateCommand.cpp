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
    QStringLiteral("The length at level 3, 1 to 32767 (default 20), with --symbols 8 to 128; "
                   "levels 1 and 2 fix theirs."),
    QStringLiteral("n"), QStringLiteral("20"));
const QCommandLineOption symbols(QStringLiteral("symbols"),
    QStringLiteral("At level 3, signs too (the printable ASCII ones but \":\"), at least one "
                   "letter, digit and sign."));
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

int lengthOf(const QCommandLineParser &parser)
{
    return parser.isSet(symbols)
        ? numberOf(parser, length, PasswordGenerator::longest, PasswordGenerator::shortest)
        : numberOf(parser, length, PasswordSuggestion::longest);
}

} // namespace

GenerateCommand::GenerateCommand()
    : Command({.name = "generate",
        .description = "Prints a random password drawn from the system's secure random source.",
        .options = {level, length, symbols, words, copy}})
{ }

QString GenerateCommand::usageError(const QCommandLineParser &parser) const
{
    const int chosenLevel = numberOf(parser, level, 3);
    if (chosenLevel == 0)
        return QStringLiteral("--level takes 1, 2 or 3.");
    for (const QCommandLineOption *option : {&length, &symbols}) {
        if (parser.isSet(*option) && (chosenLevel != 3 || parser.isSet(words)))
            return QStringLiteral("--%1 goes with level 3 only, not with --words: level 1 "
                                  "makes six characters, level 2 eight.")
                .arg(option->names().first());
    }
    if (lengthOf(parser) == 0)
        return parser.isSet(symbols)
            ? QStringLiteral("--length takes %1 to %2 with --symbols.")
                  .arg(PasswordGenerator::shortest)
                  .arg(PasswordGenerator::longest)
            : QStringLiteral("--length takes 1 to %1.").arg(PasswordSuggestion::longest);
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
        : parser.isSet(symbols)
        ? PasswordGenerator::generate({.length = lengthOf(parser)})
        : PasswordSuggestion::suggest(numberOf(parser, level, 3), lengthOf(parser));
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
