#pragma once

#include "Command.h"

// Adds the records another copy of the program folder holds and this one lacks.
class MergeCommand : public Command
{
public:
    MergeCommand();
    int execute(const Invocation &invocation) override;
};
