#pragma once

#include "Command.h"

// Every record of one service name; the password masked unless --reveal.
class ShowCommand : public Command
{
public:
    ShowCommand();
    int execute(const Invocation &invocation) override;
};
