#pragma once

#include <QString>

// The desktop's clipboard, text only.
class Clipboard
{
public:
    virtual ~Clipboard() = default;
    virtual void clear() = 0;
    // A secret is marked so that clipboard managers do not keep it.
    virtual void setText(const QString &text, bool secret = false) = 0;
    virtual QString text() const = 0;
};
