#pragma once

#include <QString>

// The expiry date of the master password, "mm-dd-yyyy" as the clock gives today.
namespace ExpiryDate {

// What "Do Not Expire" unticked proposes: next month's number (13 in December) and today's
// "-dd-yyyy".
QString proposal(const QString &today);

struct Normalised
{
    enum Outcome {
        Done, // the date box shows text
        NoExpiry, // too short: "Do Not Expire" is ticked, the box emptied
        Failed, // a part that must be padded is no number: the box is emptied and disabled
    };
    Outcome outcome;
    QString text;
};

// The date box's text made month-day-year when it is left: other separators replaced, month
// and day padded to two digits, month at most 12, day within 1 to 31 ("01" else), year not
// before this year.
Normalised normalise(QString text, const QString &today);

enum class Notice { None, ExpiresToday, Expired };

// Whether start-up tells that the password expires today or has expired; the dates are
// compared as year, month and day texts, so "xx-xx-xxxx" never expires.
Notice notice(const QString &expiry, const QString &today);

} // namespace ExpiryDate
