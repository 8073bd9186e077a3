#include "CaptureMode.h"

#include "platform/Clipboard.h"

namespace {

using State = CaptureMode::State;
using Event = CaptureMode::Event;

struct Transition
{
    State from;
    Event event;
    State to;
    bool clearsClipboard;
};

// Every pair not listed leaves the state as it is.
constexpr Transition transitions[] = {
    {State::Off, Event::MenuClick, State::Capturing, true},
    {State::Capturing, Event::MenuClick, State::Off, false},
    {State::MarkedOnly, Event::MenuClick, State::Off, false},
    {State::Off, Event::CtrlReleased, State::MarkedOnly, false},
    {State::Capturing, Event::Reset, State::Off, true},
    {State::MarkedOnly, Event::Reset, State::Off, true},
};

} // namespace

CaptureMode::CaptureMode(Clipboard &clipboard, QObject *parent)
    : QObject(parent)
    , m_clipboard(clipboard)
{
    m_timer2.setInterval(10);
    connect(&m_timer2, &QTimer::timeout, this, &CaptureMode::tick);
}

void CaptureMode::handle(Event event)
{
    for (const Transition &transition : transitions) {
        if (transition.from != m_state || transition.event != event)
            continue;
        const bool wasMarked = isMarked();
        m_state = transition.to;
        if (m_state == State::Capturing)
            m_timer2.start();
        else
            m_timer2.stop();
        if (transition.clearsClipboard)
            m_clipboard.clear();
        if (isMarked() != wasMarked)
            emit markChanged(isMarked());
        return;
    }
}

void CaptureMode::enterField(int index)
{
    if (!isMarked())
        return;
    m_captureIndex = index;
    m_clipboard.clear();
}
