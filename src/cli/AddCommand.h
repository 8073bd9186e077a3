#pragma once

#include "Command.h"

// Appends one record, under the window's rules for Add.
class AddCommand : public Command
{
public:
    AddCommand();
    int execute(const Invocation &invocation) override;
};
