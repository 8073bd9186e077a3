#pragma once

#include "Command.h"

// Brings another copy of the program folder into this one: the records of both, without those
// either removed.
class MergeCommand : public Command
{
public:
    MergeCommand();
    int execute(const Invocation &invocation) override;
};
