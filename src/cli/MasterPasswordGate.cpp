#include "MasterPasswordGate.h"

#include "Console.h"
#include "security/PasswordCheck.h"
#include "security/Secret.h"

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
        const PasswordCheck::Result result = check.Command2_Click(entry.value_or(QString()));
        // Once tried, an entry is overwritten: the key derived from it is all that is kept.
        if (entry)
            Secret::wipe(*entry);
        switch (result) {
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
