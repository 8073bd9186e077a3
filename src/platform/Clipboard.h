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
    // Whether it holds the text; another program's text is read without a leading U+FEFF.
    bool holds(const QString &text) const
    {
        const QString held = this->text();
        return held == text || (text.startsWith(QChar::ByteOrderMark) && held == text.mid(1));
    }
};
