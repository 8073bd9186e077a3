#include "RecordBrowser.h"

#include "ServiceListModel.h"

#include <utility>

// The preferences in force, and what a lock hides and an unlock gives back.

void RecordBrowser::applyPreferences(const Preferences::Values &values)
{
    m_preferences = values;
    m_clipboardExpiry.setSeconds(values.clipboardSeconds);
    m_lock.setIdleMinutes(values.idleLockMinutes);
}

void RecordBrowser::showLock(WindowLock::State state)
{
    if (state == WindowLock::State::Open) {
        readAgainWhenChanged();
        // What was typed and not yet stored comes back.
        if (const std::optional<QStringList> typed = std::exchange(m_unstoredFields, {})) {
            for (int i = 0; i < RecordLine::fieldCount; ++i)
                setField(i, typed->at(i));
        }
        return;
    }
    if (state != WindowLock::State::Locked)
        return;
    m_capture.handle(CaptureMode::Event::Reset);
    m_clipboardExpiry.expire();
    showCopiedField(noField);
    const QStringList shownRecord = m_editor.isSelection(m_selectedIndex)
        ? RecordLine::recordFields(m_records.book().record(m_selectedIndex))
        : QStringList(RecordLine::fieldCount);
    if (m_fields != shownRecord)
        m_unstoredFields = m_fields;
    emptyFields();
    clearSelection();
    apply(CommandStates::Event::ResetDone);
}
