#pragma once

#include "Command.h"

// The service names in the window's order, one a line.
class ListCommand : public Command
{
public:
    ListCommand();
    int execute(const Invocation &invocation) override;
};
