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
    // The MIME type of a copy's own stamp: a holder of an earlier copy of the same text tells
    // a newer copy by it.
    static constexpr char copyStamp[] = "application/x-vaultine-copy";

    QtClipboard();
    ~QtClipboard() override;

    void clear() override;
    void setText(const QString &text, bool secret = false) override;
    QString text() const override;
    // A secret that carries the stamp.
    void setStampedText(const QString &text, const QByteArray &stamp);

private:
    void setData(const QString &text, bool secret, const QByteArray &stamp);

    QMetaObject::Connection m_changed;
    mutable std::optional<QString> m_text;
};
