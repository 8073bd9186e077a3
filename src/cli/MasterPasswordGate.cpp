#include "MasterPasswordGate.h"

#include "Console.h"
#include "security/PasswordCheck.h"

MasterPasswordGate::MasterPasswordGate(Console &console)
    : m_console(console)
{ }

bool MasterPasswordGate::pass(const PasswordCheck::Test &isPassword, const Entries &nextEntry)
{
    std::optional<QString> entry;
    PasswordCheck check(
        [&](const QString &) { return entry && isPassword(*entry); }, m_console, *this);
    for (;;) {
        entry = nextEntry();
        switch (check.Command2_Click(entry.value_or(QString()))) {
        case PasswordCheck::Result::Accepted:
            return true;
        case PasswordCheck::Result::Refused:
            return false;
        case PasswordCheck::Result::TryAgain:
            if (entry)
                m_console.warn(QStringLiteral("Wrong password."));
            break;
        }
    }
}
