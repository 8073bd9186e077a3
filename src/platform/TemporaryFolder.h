#pragma once

#include <QString>

// The user's private temporary folder, where earlier versions kept a clear working copy of the
// database (removed at start-up).
class TemporaryFolder
{
public:
    virtual ~TemporaryFolder() = default;
    // The folder's path, or an empty text when there is no usable folder.
    virtual QString LocateSpecialFolder() const = 0;
};
