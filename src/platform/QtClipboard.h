#pragma once

#include "Clipboard.h"

#include <QMetaObject>

#include <optional>

// The desktop's clipboard. Its text is asked of the program that holds it only after the
// clipboard changed, not at every read: capture reads it a hundred times a second.
class QtClipboard : public Clipboard
{
public:
    // The MIME type that tells clipboard managers to keep no history of a text ("secret").
    static constexpr char secretHint[] = "x-kde-passwordManagerHint";

    QtClipboard();
    ~QtClipboard() override;

    void clear() override;
    void setText(const QString &text, bool secret = false) override;
    QString text() const override;

private:
    QMetaObject::Connection m_changed;
    mutable std::optional<QString> m_text;
};
