#include "MasterPasswordGate.h"

#include "Console.h"
#include "security/PasswordCheck.h"

MasterPasswordGate::MasterPasswordGate(Console &console)
    : m_console(console)
{ }

bool MasterPasswordGate::pass(const QString &expected, const Entries &nextEntry)
{
    PasswordCheck check(expected, m_console, *this);
    // An entry is one line: it never ends with a line break.
    const QString noEntry = expected + u'\n';
    for (;;) {
        const std::optional<QString> entry = nextEntry();
        switch (check.Command2_Click(entry.value_or(noEntry))) {
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
