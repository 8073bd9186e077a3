#include "PasswordSuggestion.h"

#include <QRandomGenerator>

#include <cmath>

namespace PasswordSuggestion {

namespace {

constexpr QLatin1StringView capitalsAndDigits("123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ");
constexpr QLatin1StringView allCharacters(
    "123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");

} // namespace

QString suggest(int level, int length, bool sealed)
{
    static constexpr int fixedLengths[2][2] = {{6, 8}, {14, 16}};
    if (level < 1 || level > 3)
        return {};
    const QLatin1StringView characters = level == 3 || sealed ? allCharacters : capitalsAndDigits;
    const int count = level == 3 ? qBound(0, length, longest) : fixedLengths[sealed][level - 1];
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

double estimatedBits(const QString &password)
{
    // Digits, small letters, capitals, any other character (the printable ASCII ones).
    static constexpr int setSizes[] = {10, 26, 26, 33};
    const auto setOf = [](QChar c) {
        return c.isDigit() && c.unicode() < 128 ? 0
            : (c >= u'a' && c <= u'z')          ? 1
            : (c >= u'A' && c <= u'Z')          ? 2
                                                : 3;
    };
    const auto step
        = [&](qsizetype i) { return password[i].unicode() - password[i - 1].unicode(); };
    bool used[4] = {};
    int counted = 0;
    for (qsizetype i = 0; i < password.size(); ++i) {
        used[setOf(password[i])] = true;
        if (i < 2 || step(i) != step(i - 1) || std::abs(step(i)) > 1)
            ++counted;
    }
    int size = 0;
    for (int set = 0; set < 4; ++set)
        size += used[set] ? setSizes[set] : 0;
    return counted == 0 ? 0 : counted * std::log2(size);
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
