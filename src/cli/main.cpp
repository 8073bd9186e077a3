#include "AddCommand.h"
#include "ClipboardHold.h"
#include "CommandDispatcher.h"
#include "Console.h"
#include "CopyCommand.h"
#include "EditCommand.h"
#include "ExportCommand.h"
#include "GenerateCommand.h"
#include "ImportCommand.h"
#include "ListCommand.h"
#include "LockCommand.h"
#include "MergeCommand.h"
#include "MergeDriverCommand.h"
#include "RemoveCommand.h"
#include "ShowCommand.h"
#include "UnlockCommand.h"
#include "platform/CoreDumps.h"
#include "platform/KeyAgent.h"

#include <cstring>

int main(int argc, char *argv[])
{
    CoreDumps::forbid();
    if (argc == 3 && std::strcmp(argv[1], ClipboardHold::marker) == 0)
        return ClipboardHold::serve(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], KeyAgent::marker) == 0)
        return KeyAgent::serve(argv);
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<ListCommand>());
    commands.push_back(std::make_unique<ShowCommand>());
    commands.push_back(std::make_unique<CopyCommand>());
    commands.push_back(std::make_unique<AddCommand>());
    commands.push_back(std::make_unique<EditCommand>());
    commands.push_back(std::make_unique<RemoveCommand>());
    commands.push_back(std::make_unique<GenerateCommand>());
    commands.push_back(std::make_unique<ExportCommand>());
    commands.push_back(std::make_unique<ImportCommand>());
    commands.push_back(std::make_unique<MergeCommand>());
    commands.push_back(std::make_unique<MergeDriverCommand>());
    commands.push_back(std::make_unique<UnlockCommand>());
    commands.push_back(std::make_unique<LockCommand>());
    Console console;
    return CommandDispatcher(std::move(commands), console).run(argc, argv);
}
