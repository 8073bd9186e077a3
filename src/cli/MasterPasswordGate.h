#pragma once

#include "platform/ProgramEnd.h"
#include "security/PasswordCheck.h"

#include <QString>

#include <functional>
#include <optional>

class Console;

// The master password under the window's rules: three tries, then "You are not allowed to use
// this application". Entries that run out count as wrong ones.
class MasterPasswordGate : private ProgramEnd
{
public:
    using Entries = std::function<std::optional<QString>()>;

    explicit MasterPasswordGate(Console &console);

    bool pass(const PasswordCheck::Test &isPassword, const Entries &nextEntry);

private:
    // The refusal is told by the check; the caller ends with its status.
    void endProgram() override { }

    Console &m_console;
};
