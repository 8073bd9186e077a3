#include "PasswordSuggestion.h"

#include <QRandomGenerator>

namespace PasswordSuggestion {

namespace {

constexpr QLatin1StringView capitalsAndDigits("123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ");
constexpr QLatin1StringView allCharacters(
    "123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");

} // namespace

QString suggest(int level, int length)
{
    static constexpr int fixedLengths[] = {6, 8};
    if (level < 1 || level > 3)
        return {};
    const QLatin1StringView characters = level == 3 ? allCharacters : capitalsAndDigits;
    const int count = level == 3 ? qBound(0, length, longest) : fixedLengths[level - 1];
    QString password;
    password.reserve(count);
    for (int i = 0; i < count; ++i)
        password += characters[QRandomGenerator::system()->bounded(int(characters.size()))];
    return password;
}

QString boxText(const QString &password)
{
    return password + QStringLiteral("         (  ") + password.toLower() + QStringLiteral("  )");
}

int lengthOf(const QString &text)
{
    qint64 value = 0;
    for (const QChar c : text) {
        if (!c.isDigit())
            break;
        value = qMin<qint64>(value * 10 + c.digitValue(), longest);
    }
    return int(value);
}

} // namespace PasswordSuggestion
