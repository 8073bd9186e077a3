#pragma once

#include "Command.h"

// A random password by the suggestion rules of the settings dialog.
class GenerateCommand : public Command
{
public:
    GenerateCommand();
    QString usageError(const QCommandLineParser &parser) const override;
    int execute(const Invocation &invocation) override;
};
