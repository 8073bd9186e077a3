#pragma once

#include "TemporaryFolder.h"

// $XDG_RUNTIME_DIR when it is a folder of this user, else a "vaultine-<uid>" folder
// with mode 0700 in the system's temporary folder, created when missing.
class PrivateTemporaryFolder : public TemporaryFolder
{
public:
    QString LocateSpecialFolder() const override;
};
