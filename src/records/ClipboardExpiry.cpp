#include "ClipboardExpiry.h"

#include "platform/Clipboard.h"

ClipboardExpiry::ClipboardExpiry(Clipboard &clipboard, const Clock &clock, QObject *parent)
    : QObject(parent)
    , m_clipboard(clipboard)
    , m_countdown(clock)
{
    connect(&m_countdown, &Countdown::expired, this, &ClipboardExpiry::expire);
}

ClipboardExpiry::~ClipboardExpiry()
{
    // Those told are being destroyed too.
    blockSignals(true);
    if (isTimed())
        expire();
}

void ClipboardExpiry::hold(const QString &text, bool timed)
{
    m_text = text;
    m_countdown.start(timed ? qint64(m_seconds) * 1000 : 0);
}

void ClipboardExpiry::expire()
{
    m_countdown.stop();
    const bool held = !m_text.isEmpty() && m_clipboard.holds(m_text);
    m_text.clear();
    if (!held)
        return;
    m_clipboard.clear();
    emit cleared();
}
