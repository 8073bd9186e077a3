#pragma once

#include "Command.h"

// git's merge driver for a database file: a three-way merge of the records written into OURS.
class MergeDriverCommand : public Command
{
public:
    MergeDriverCommand();
    int execute(const Invocation &invocation) override;
};
