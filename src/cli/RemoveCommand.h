#pragma once

#include "Command.h"

// Removes the record of a service, under the window's rules for Remove.
class RemoveCommand : public Command
{
public:
    RemoveCommand();
    int execute(const Invocation &invocation) override;
};
