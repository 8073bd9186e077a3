#pragma once

#include "Command.h"

// Asks the master password once and keeps the sealed file's key for a while, so that the
// commands of the folder open it without asking.
class UnlockCommand : public Command
{
public:
    UnlockCommand();
    QString usageError(const QCommandLineParser &parser) const override;
    int execute(const Invocation &invocation) override;
};
