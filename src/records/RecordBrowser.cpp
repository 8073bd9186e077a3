#include "RecordBrowser.h"

#include "PathTarget.h"
#include "ServiceListModel.h"
#include "import/OldDatabase.h"
#include "intl/Message.h"
#include "platform/Clipboard.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/ProgramEnd.h"
#include "platform/Shell.h"
#include "security/VaultOpening.h"
#include "vault/Database.h"

#include <QDir>
#include <QRegularExpression>
#include <QScopedValueRollback>

#include <utility>

namespace {

// The field that a letter released after Alt moves the focus to, or -1.
int jumpTarget(int key)
{
    static constexpr std::pair<int, int> jumps[] = {
        {Qt::Key_S, RecordLine::Service},
        {Qt::Key_U, RecordLine::Username},
        {Qt::Key_P, RecordLine::Password},
        {Qt::Key_O, RecordLine::OtherInfo},
        {Qt::Key_R, RecordLine::Path},
    };
    for (const auto &[letter, field] : jumps) {
        if (key == letter)
            return field;
    }
    return -1;
}

bool isReturn(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

RecordBrowser::RecordBrowser(ServiceListModel &records, Database &database, Platform &platform,
    const Dictionary &dictionary, QObject *parent)
    : QObject(parent)
    , m_records(records)
    , m_editor(records, database)
    , m_platform(platform)
    , m_dictionary(dictionary)
    , m_programFolder(database.programFolder())
    , m_fields(RecordLine::fieldCount)
    , m_savedFields(RecordLine::fieldCount)
    , m_capture(platform.clipboard)
    , m_clipboardExpiry(platform.clipboard, platform.clock)
    , m_lock(database, platform.clock)
{
    m_commands.apply(CommandStates::Event::WindowOpens, false);
    connect(&m_capture, &CaptureMode::markChanged, this, &RecordBrowser::captureMarkChanged);
    connect(&m_capture, &CaptureMode::tick, this, &RecordBrowser::Timer2_Timer);
    connect(
        &m_clipboardExpiry, &ClipboardExpiry::cleared, this, [this] { showCopiedField(noField); });
    connect(&m_lock, &WindowLock::stateChanged, this, &RecordBrowser::showLock);
    applyPreferences({});
}

bool RecordBrowser::keyPressed(int control, int key)
{
    m_keyPressedIn.insert(key, control);
    m_lastPressed = key;
    // Alt pressed again ends the jump it armed: Alt held with a letter is the menu bar's.
    if (key == Qt::Key_Alt)
        m_altArmed = false;
    return control < serviceList && m_altArmed && jumpTarget(key) >= 0;
}

void RecordBrowser::keyReleased(int control, int key)
{
    const bool pressedHere = m_keyPressedIn.value(key, -1) == control;
    m_keyPressedIn.remove(key);
    const bool alone = std::exchange(m_lastPressed, 0) == key;
    if (control == serviceList)
        List2_KeyUp(key, pressedHere);
    else if (control == searchBox)
        Search_KeyUp(key, pressedHere);
    else
        Text1_KeyUp(control, key, pressedHere, alone);
}

void RecordBrowser::Text1_KeyUp(int index, int key, bool pressedHere, bool alone)
{
    // Only a lone Ctrl marks capture: Ctrl+V, Ctrl+C, Ctrl+A and Ctrl+X edit the text.
    if (key == Qt::Key_Control) {
        if (alone)
            m_capture.handle(CaptureMode::Event::CtrlReleased);
        return;
    }
    // Alt released alone arms one jump: the letter after it moves the focus, and the letters
    // after that are text again. The letter of a menu's shortcut (Alt+R) reaches the field only
    // when it is released: no jump then.
    if (const int target = jumpTarget(key); m_altArmed && target >= 0 && pressedHere) {
        m_altArmed = false;
        emit focusRequested(target);
        return;
    }
    m_altArmed = key == Qt::Key_Alt && alone;
    if (!pressedHere)
        return;
    if (key == Qt::Key_Escape)
        endProgram();
    else if (isReturn(key) && index == RecordLine::OtherInfo && fieldsComplete())
        AddRecord();
}

void RecordBrowser::List2_KeyUp(int key, bool pressedHere)
{
    if (!pressedHere)
        return;
    if (key == Qt::Key_Escape)
        endProgram();
    else if (isReturn(key) && m_selectedIndex >= 0)
        copyField(RecordLine::Password);
    else if (m_rowChosen) // a row chosen with the keys shows its record as a click does
        List2_MouseUp(Qt::LeftButton);
}

void RecordBrowser::Text1_Change(int index, const QString &text)
{
    store(index, text);
    // A line break typed or pasted is shown as the space it became.
    if (m_fields[index] != text)
        emit fieldTextChanged(index, m_fields[index]);
}

bool RecordBrowser::store(int index, const QString &text)
{
    // A record is one line: line breaks become single spaces.
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QString joined = text;
    joined.replace(lineBreak, QStringLiteral(" "));
    if (m_fields[index] == joined)
        return false;
    m_fields[index] = joined;
    apply(CommandStates::Event::FieldChanged);
    // A field emptied leaves nothing for its red label to mark.
    if (index == m_copiedField && joined.isEmpty()) {
        m_copiedField = noField;
        emit copiedFieldChanged(noField);
    }
    return true;
}

void RecordBrowser::setField(int index, const QString &text)
{
    if (store(index, text))
        emit fieldTextChanged(index, m_fields[index]);
}

void RecordBrowser::emptyFields()
{
    for (int i = 0; i < RecordLine::fieldCount; ++i)
        setField(i, QString());
}

bool RecordBrowser::fieldsComplete() const
{
    return !m_fields[RecordLine::Service].isEmpty() && !m_fields[RecordLine::Username].isEmpty()
        && !m_fields[RecordLine::Password].isEmpty();
}

void RecordBrowser::apply(CommandStates::Event event)
{
    m_commands.apply(event, fieldsComplete());
    emit commandsChanged();
}

void RecordBrowser::Text1_GotFocus(int index, Qt::FocusReason reason)
{
    // Only a focus that comes from another control enters the field: not the window being
    // activated again, nor a menu closing.
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason
        || reason == Qt::MenuBarFocusReason)
        return;
    m_capture.enterField(index);
    emit fieldCursorChanged(index, int(m_fields[index].size()), 0);
    if (index == RecordLine::Path && m_fields[index].isEmpty()) {
        const QString prompt = QStringLiteral("http://");
        setField(index, prompt);
        emit fieldCursorChanged(index, 0, int(prompt.size()));
    }
}

void RecordBrowser::Text1_Click(int index)
{
    if (!m_capture.isMarked())
        return;
    setField(index, m_platform.clipboard.text());
    emit fieldCursorChanged(index, int(m_fields[index].size()), 0);
}

void RecordBrowser::Timer2_Timer()
{
    setField(m_capture.captureIndex(), m_platform.clipboard.text());
}

QString RecordBrowser::Text1_MouseMove(int index)
{
    leaveToolbar();
    return index == RecordLine::Password ? QString() : m_fields[index];
}

void RecordBrowser::Image1_MouseMove(int index)
{
    m_hoverIndex = index;
    emit hoverIndexChanged(index);
}

void RecordBrowser::leaveToolbar()
{
    Image1_MouseMove(noHover);
}

void RecordBrowser::Check1_Click(bool checked)
{
    m_passwordMasked = checked;
    emit passwordMaskChanged(checked);
}

void RecordBrowser::copyField(int index)
{
    const bool secret = index == RecordLine::Password || index == RecordLine::Username;
    const QString text = RecordLine::outputText(m_fields[index]);
    m_platform.clipboard.setText(text, secret);
    m_clipboardExpiry.hold(text, secret);
    showCopiedField(index);
}

void RecordBrowser::showCopiedField(int index)
{
    m_copiedField = index;
    emit copiedFieldChanged(index);
}

void RecordBrowser::Label5_DblClick()
{
    m_platform.shell.open(shellTarget(m_fields[RecordLine::Path], QDir::homePath()));
}

void RecordBrowser::Form_Click()
{
    m_platform.clipboard.clear();
    showCopiedField(noField);
}

bool RecordBrowser::run(const std::function<RecordEditor::Result()> &command)
{
    const QString selected = m_editor.isSelection(m_selectedIndex)
        ? m_records.book().record(m_selectedIndex)
        : QString();
    // While rows come and go the view moves its selection; that is not the user selecting.
    const RecordEditor::Result result = [&] {
        const QScopedValueRollback moving(m_movingSelection, true);
        return command();
    }();
    if (const Message *message = RecordEditor::messageFor(result))
        showMessage(m_platform.messages, m_dictionary, *message, m_editor.failure(result));
    // A write sets aside what another program's write cut short.
    for (const auto &[message, detail] : VaultOpening::cutTailReports(m_editor.database()))
        showMessage(m_platform.messages, m_dictionary, *message, detail);
    if (result == RecordEditor::Result::ChangedElsewhere)
        clearSelection();
    else if (!selected.isEmpty()) // the records listed again keep the record in the fields chosen
        followSelection(selected);
    return result == RecordEditor::Result::Done;
}

void RecordBrowser::followSelection(const QString &line)
{
    const qsizetype index = m_records.book().indexOf(line);
    if (index < 0) {
        clearSelection();
    } else if (index != m_selectedIndex) {
        m_selectedIndex = index;
        showSelectedRow();
    }
}

void RecordBrowser::readAgainWhenChanged()
{
    if (m_editor.readAgainWhenChanged())
        clearSelection();
}

void RecordBrowser::AddRecord()
{
    // An add that fails to write, or refuses a field, changes nothing: undo still puts back
    // what a Remove took.
    const bool done = run([this] {
        const RecordEditor::Result result = m_editor.addRecord(m_fields);
        if (result != RecordEditor::Result::WriteFailed
            && result != RecordEditor::Result::SeparatorInField)
            m_savedFields.fill(QString());
        return result;
    });
    if (!done)
        return;
    emptyFields();
    apply(CommandStates::Event::AddDone);
    clearSelection();
    emit focusRequested(RecordLine::Service);
}

void RecordBrowser::mnuReplace_Click()
{
    if (!run([this] { return m_editor.replaceRecord(m_selectedIndex, m_fields); }))
        return;
    apply(CommandStates::Event::ReplaceDone);
    clearSelection();
}

void RecordBrowser::mnuRemove_Click()
{
    // Undo puts back the removed record, also when the fields were edited since.
    const QStringList removed = m_editor.isSelection(m_selectedIndex)
        ? RecordLine::recordFields(m_records.book().record(m_selectedIndex))
        : m_fields;
    // A write that fails changes nothing: undo still puts back what an earlier Remove took.
    const bool done = run([&] {
        const RecordEditor::Result result = m_editor.removeRecord(m_selectedIndex);
        if (result != RecordEditor::Result::WriteFailed)
            m_savedFields = removed;
        return result;
    });
    if (!done)
        return;
    emptyFields();
    apply(CommandStates::Event::RemoveDone);
    clearSelection();
}

void RecordBrowser::mnuReset_Click()
{
    m_capture.handle(CaptureMode::Event::Reset);
    emptyFields();
    Check1_Click(true);
    clearSelection();
    apply(CommandStates::Event::ResetDone);
}

void RecordBrowser::mnuCapture_Click()
{
    m_capture.handle(CaptureMode::Event::MenuClick);
}

void RecordBrowser::mnuImport_Click()
{
    static constexpr Message imported
        = {"Vaultine", "Old Database Import Success", MessageBoxes::Icon::Information};
    const std::optional<QStringList> records = OldDatabase::readRecords(m_programFolder);
    if (!records || !run([&] { return m_editor.importRecords(*records); }))
        return;
    // The rows moved: the selection would name another record now.
    clearSelection();
    showMessage(m_platform.messages, m_dictionary, imported);
}

void RecordBrowser::GrandOops_Click(int index)
{
    for (int i = 0; i < RecordLine::fieldCount; ++i) {
        if (index == 0 || index == i + 1)
            setField(i, m_savedFields[i]);
    }
    emit fieldCursorChanged(RecordLine::Service, int(m_fields[RecordLine::Service].size()), 0);
    apply(CommandStates::Event::UndoDone);
}

void RecordBrowser::endProgram()
{
    m_platform.programEnd.endProgram();
}
