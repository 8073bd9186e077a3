#pragma once

#include "Command.h"

// Forgets the key that unlock kept for the folder.
class LockCommand : public Command
{
public:
    LockCommand();
    int execute(const Invocation &invocation) override;
};
