#pragma once

#include <QString>

class MessageBoxes;
class ProgramEnd;

// The master password asked at start-up: three tries. A wrong one empties the entry; the
// third wrong one is told and ends the program.
class PasswordCheck
{
public:
    enum class Result { Accepted, TryAgain, Refused };

    PasswordCheck(const QString &expected, MessageBoxes &messages, ProgramEnd &programEnd);

    // The "Ok" button: the entry compared whole and case-sensitively.
    Result Command2_Click(const QString &entry);

private:
    QString m_expected;
    MessageBoxes &m_messages;
    ProgramEnd &m_programEnd;
    int m_attempt = 1;
};
