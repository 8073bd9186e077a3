#pragma once

#include <QString>

// The folder that holds the short-lived working copy of the database.
class TemporaryFolder
{
public:
    virtual ~TemporaryFolder() = default;
    // The folder's path, or an empty text when there is no usable folder.
    virtual QString LocateSpecialFolder() const = 0;
};
