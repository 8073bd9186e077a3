#include "PasswordCheck.h"

#include "platform/MessageBoxes.h"
#include "platform/ProgramEnd.h"

PasswordCheck::Test PasswordCheck::equalTo(const QString &expected)
{
    return [expected](const QString &entry) { return entry == expected; };
}

PasswordCheck::PasswordCheck(Test test, MessageBoxes &messages, ProgramEnd &programEnd)
    : m_test(std::move(test))
    , m_messages(messages)
    , m_programEnd(programEnd)
{ }

PasswordCheck::Result PasswordCheck::Command2_Click(const QString &entry)
{
    if (m_test(entry))
        return Result::Accepted;
    if (m_attempt < 3) {
        ++m_attempt;
        return Result::TryAgain;
    }
    m_messages.showMessage(QStringLiteral("Access Error"),
        QStringLiteral("You are not allowed to use this application"), MessageBoxes::Icon::Stop);
    m_programEnd.endProgram();
    return Result::Refused;
}
