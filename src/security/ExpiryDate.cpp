#include "ExpiryDate.h"

#include <optional>

namespace ExpiryDate {

namespace {

// "0" and the digit of a one-character part; none when it is not a digit.
std::optional<QString> padded(const QString &part)
{
    if (part.size() != 1 || !part[0].isDigit())
        return std::nullopt;
    return QLatin1Char('0') + part;
}

// The value of the leading digits, 0 when there are none.
int leadingNumber(const QString &text)
{
    int value = 0;
    for (const QChar c : text) {
        if (!c.isDigit() || value > 100)
            break;
        value = value * 10 + c.digitValue();
    }
    return value;
}

QString yearMonthDay(const QString &date)
{
    return date.mid(6, 4) + date.left(2) + date.mid(3, 2);
}

} // namespace

QString proposal(const QString &today)
{
    return QString::number(today.left(2).toInt() + 1) + today.mid(2);
}

Normalised normalise(QString text, const QString &today)
{
    if (text.size() < 8)
        return {Normalised::NoExpiry, {}};
    if (text.count(u'-') < 2)
        text = text.left(2) + u'-' + text.mid(3, 2) + u'-' + text.right(4);

    const qsizetype first = text.indexOf(u'-');
    const qsizetype second = text.indexOf(u'-', first + 1);
    QString month = text.left(first);
    QString day = text.mid(first + 1, second - first - 1);
    QString year = text.right(4);
    const QString original = month + u'-' + day + u'-' + year;

    if (month.size() < 2) {
        const std::optional<QString> two = padded(month);
        if (!two)
            return {Normalised::Failed, {}};
        month = *two;
    }
    if (month > QLatin1String("12"))
        month = QStringLiteral("12");
    if (const QString thisYear = today.right(4); year < thisYear)
        year = thisYear;
    if (day.size() < 2) {
        const std::optional<QString> two = padded(day);
        if (!two)
            return {Normalised::Failed, {}};
        day = *two;
    }
    if (const int value = leadingNumber(day); value < 1 || value > 31)
        day = QStringLiteral("01");

    const QString rewritten = month + u'-' + day + u'-' + year;
    return {Normalised::Done, rewritten == original ? text : rewritten};
}

Notice notice(const QString &expiry, const QString &today)
{
    if (expiry == today)
        return Notice::ExpiresToday;
    return yearMonthDay(expiry) < yearMonthDay(today) ? Notice::Expired : Notice::None;
}

} // namespace ExpiryDate
