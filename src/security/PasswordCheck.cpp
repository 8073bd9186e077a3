#include "PasswordCheck.h"

#include "platform/MessageBoxes.h"
#include "platform/ProgramEnd.h"

PasswordCheck::PasswordCheck(
    const QString &expected, MessageBoxes &messages, ProgramEnd &programEnd)
    : m_expected(expected)
    , m_messages(messages)
    , m_programEnd(programEnd)
{ }

PasswordCheck::Result PasswordCheck::Command2_Click(const QString &entry)
{
    if (entry == m_expected)
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
