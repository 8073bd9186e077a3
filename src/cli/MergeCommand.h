#pragma once

#include "Command.h"

class QFileInfo;
class RecordMerge;
class VaultSession;

// Brings another copy of the program folder into this one: the records of both, without those
// either removed.
class MergeCommand : public Command
{
public:
    MergeCommand();
    int execute(const Invocation &invocation) override;

private:
    // A conflict copy in this folder's Data merged, then set aside.
    static int mergeCopy(const Invocation &invocation, const QFileInfo &file);
    // The merge written (unless --dry-run) and told; false when the write failed.
    static bool write(const Invocation &invocation, VaultSession &here, const RecordMerge &merge);
};
