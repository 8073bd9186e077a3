#pragma once

#include <QString>

#include <functional>

class MessageBoxes;
class ProgramEnd;

// The master password asked at start-up: three tries. A wrong one empties the entry; the
// third wrong one is told and ends the program.
class PasswordCheck
{
public:
    enum class Result { Accepted, TryAgain, Refused };
    // Whether an entry is the master password.
    using Test = std::function<bool(const QString &entry)>;

    // The entry compared whole and case-sensitively with the expected password.
    static Test equalTo(const QString &expected);

    PasswordCheck(Test test, MessageBoxes &messages, ProgramEnd &programEnd);
    PasswordCheck(const QString &expected, MessageBoxes &messages, ProgramEnd &programEnd)
        : PasswordCheck(equalTo(expected), messages, programEnd)
    { }

    // The "Ok" button.
    Result Command2_Click(const QString &entry);

private:
    Test m_test;
    MessageBoxes &m_messages;
    ProgramEnd &m_programEnd;
    int m_attempt = 1;
};
