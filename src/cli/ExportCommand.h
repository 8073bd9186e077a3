#pragma once

#include "Command.h"

// Every record into a CSV file (mode 0600) that other password stores can import.
class ExportCommand : public Command
{
public:
    ExportCommand();
    int execute(const Invocation &invocation) override;
};
