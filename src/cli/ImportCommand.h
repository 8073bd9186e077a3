#pragma once

#include "Command.h"

// Records from a CSV file of this program or of another password store, in one rewrite.
class ImportCommand : public Command
{
public:
    ImportCommand();
    QString usageError(const QCommandLineParser &parser) const override;
    int execute(const Invocation &invocation) override;
};
