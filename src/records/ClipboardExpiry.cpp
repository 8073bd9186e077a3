#include "ClipboardExpiry.h"

#include "platform/Clipboard.h"

ClipboardExpiry::ClipboardExpiry(Clipboard &clipboard, QObject *parent)
    : QObject(parent)
    , m_clipboard(clipboard)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(holdMilliseconds);
    connect(&m_timer, &QTimer::timeout, this, &ClipboardExpiry::expire);
}

ClipboardExpiry::~ClipboardExpiry()
{
    if (isHolding())
        expire();
}

void ClipboardExpiry::hold(const QString &text)
{
    m_text = text;
    m_timer.start();
}

void ClipboardExpiry::expire()
{
    m_timer.stop();
    if (!m_text.isEmpty() && m_clipboard.holds(m_text))
        m_clipboard.clear();
    m_text.clear();
}
