#pragma once

#include "Command.h"

// One field of a record on the clipboard for a while; the password by default.
class CopyCommand : public Command
{
public:
    CopyCommand();
    QString usageError(const QCommandLineParser &parser) const override;
    int execute(const Invocation &invocation) override;
};
