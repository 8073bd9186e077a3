#pragma once

#include "Command.h"

// Every record of one service name (or the one of --which's username), the password masked
// unless --reveal; one field alone, or JSON for scripts.
class ShowCommand : public Command
{
public:
    ShowCommand();
    QString usageError(const QCommandLineParser &parser) const override;
    int execute(const Invocation &invocation) override;
};
