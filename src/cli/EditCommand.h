#pragma once

#include "Command.h"

// Changes the record of a service, under the window's rules for Replace.
class EditCommand : public Command
{
public:
    EditCommand();
    int execute(const Invocation &invocation) override;
};
