#pragma once

#include <QObject>
#include <QTimer>

class Clipboard;

// A copied password that leaves the clipboard after a while, if the clipboard still holds it
// then (the reach level that seals the records keeps no secret there longer than needed).
class ClipboardExpiry : public QObject
{
    Q_OBJECT

public:
    static constexpr int holdMilliseconds = 30'000;

    explicit ClipboardExpiry(Clipboard &clipboard, QObject *parent = nullptr);
    // A program that ends leaves no held password for a clipboard manager to keep.
    ~ClipboardExpiry() override;

    // The text just copied: it goes when the time is up.
    void hold(const QString &text);
    bool isHolding() const { return m_timer.isActive(); }
    // The time is up: the clipboard is emptied if it still holds the text.
    void expire();

private:
    Clipboard &m_clipboard;
    QTimer m_timer;
    QString m_text;
};
