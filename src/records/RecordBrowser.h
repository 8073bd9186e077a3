#pragma once

#include "CaptureMode.h"
#include "ClipboardExpiry.h"
#include "CommandStates.h"
#include "Preferences.h"
#include "RecordEditor.h"
#include "security/WindowLock.h"
#include "vault/RecordLine.h"

#include <QHash>
#include <QObject>
#include <QStringList>

#include <functional>
#include <optional>

class Dictionary;
class ServiceListModel;
struct Platform;

// The main window's state and rules without the window: the five fields, the selection in
// the service list, the enabled record commands, the keys, the copy labels and the record
// commands themselves. The window forwards its events here and shows what the signals say.
class RecordBrowser : public QObject
{
    Q_OBJECT

public:
    // The controls that take keys: the five fields by index, the service list, the search box.
    static constexpr int serviceList = RecordLine::fieldCount;
    static constexpr int searchBox = serviceList + 1;
    static constexpr int noHover = 9;
    static constexpr int noField = -1;

    RecordBrowser(ServiceListModel &records, Database &database, Platform &platform,
        const Dictionary &dictionary, QObject *parent = nullptr);

    const QStringList &fieldTexts() const { return m_fields; }
    bool isEnabled(CommandStates::Command command) const { return m_commands.isEnabled(command); }
    qsizetype selectedIndex() const { return m_selectedIndex; }
    const QStringList &savedFields() const { return m_savedFields; }
    int hoverIndex() const { return m_hoverIndex; }
    // The field whose label copied it last, shown red until the field is emptied; noField
    // when none.
    int copiedField() const { return m_copiedField; }
    bool isPasswordMasked() const { return m_passwordMasked; }
    const CaptureMode &capture() const { return m_capture; }
    // A copied password or username leaves the clipboard after a while.
    ClipboardExpiry &clipboardExpiry() { return m_clipboardExpiry; }
    // Locked, the fields and the selection are empty, and a copy left on the clipboard is
    // gone; opened again, the records are read again if another program changed them
    // meanwhile, and the fields take back a text typed and not yet stored.
    WindowLock &windowLock() { return m_lock; }
    void applyPreferences(const Preferences::Values &values);
    const Preferences::Values &preferences() const { return m_preferences; }
    bool isCaptureMarked() const { return m_capture.isMarked(); }

    // A key pressed or released in a control; true from keyPressed() when the key must not
    // reach the control (a field jump letter). A key released in another control than the
    // one it was pressed in (the Return that closed a message box) does not act. A key that
    // a shortcut takes is told as pressed too.
    bool keyPressed(int control, int key);
    void keyReleased(int control, int key);
    // A mouse button pressed or the wheel turned: a key held meanwhile is not alone.
    void pointerUsed() { m_lastPressed = 0; }

    void Text1_Change(int index, const QString &text);
    void Text1_GotFocus(int index, Qt::FocusReason reason);
    // A click into a field: in capture mode the field takes the clipboard's text.
    void Text1_Click(int index);
    // Returns the field's tooltip: its whole text, none for the password.
    QString Text1_MouseMove(int index);
    // The row of the service list selected (-1: none), by a click or a key.
    void List2_Click(qsizetype row);
    void List2_MouseUp(Qt::MouseButton button);
    // The search box's text: the list shows the records it finds.
    void Search_Change(const QString &text);
    // Entering the search box readies the search, so that the first key finds at once.
    void Search_GotFocus();
    void Image1_MouseMove(int index);
    // The mouse over the service list, the "On Top" box or the window's background.
    void leaveToolbar();
    void Check1_Click(bool checked);
    void copyField(int index);
    void Label5_DblClick();
    void Form_Click();

    // Lists the records again when another program changed their file since this one read it.
    void readAgainWhenChanged();
    void AddRecord();
    void mnuReplace_Click();
    void mnuRemove_Click();
    void mnuReset_Click();
    void mnuCapture_Click();
    // Imports the former version's database of the program folder.
    void mnuImport_Click();
    // Merges every conflict copy that a sync tool left in Data into the records and sets it
    // aside; tells what came in and went, and what could not be merged.
    void mergeConflictCopies();
    // Undo: item 0 puts back all five saved fields, item k the field k - 1.
    void GrandOops_Click(int index);
    // One capture tick: the clipboard's text into the capture target.
    void Timer2_Timer();
    void endProgram();

signals:
    void fieldTextChanged(int index, const QString &text);
    // Selects length characters from start (a caret at start when length is 0).
    void fieldCursorChanged(int index, int start, int length);
    void focusRequested(int index);
    void commandsChanged();
    void selectionCleared();
    // The list selects the row (none when -1): the record in the fields, shown there.
    void rowShown(int row);
    void searchEmptied();
    void hoverIndexChanged(int index);
    void copiedFieldChanged(int index);
    void passwordMaskChanged(bool masked);
    void captureMarkChanged(bool marked);

private:
    // alone: no other key was pressed since this one.
    void Text1_KeyUp(int index, int key, bool pressedHere, bool alone);
    void List2_KeyUp(int key, bool pressedHere);
    void Search_KeyUp(int key, bool pressedHere);
    // Chooses the row as a click does.
    void chooseRow(qsizetype row);
    void showSelectedRow();
    // Puts the text into the field, its line breaks made spaces; true when that changed it.
    bool store(int index, const QString &text);
    void setField(int index, const QString &text);
    void emptyFields();
    void apply(CommandStates::Event event);
    void clearSelection();
    // Selects the record again at its place in the list, or nothing when it is gone.
    void followSelection(const QString &line);
    void showCopiedField(int index);
    void showLock(WindowLock::State state);
    bool fieldsComplete() const;
    // Runs a record command and shows its message, if any; true when it was done.
    bool run(const std::function<RecordEditor::Result()> &command);

    ServiceListModel &m_records;
    RecordEditor m_editor;
    Platform &m_platform;
    const Dictionary &m_dictionary;
    QString m_programFolder;
    CommandStates m_commands;

    QStringList m_fields;
    QStringList m_savedFields;
    // Typed, not stored: kept out of the fields while locked.
    std::optional<QStringList> m_unstoredFields;
    qsizetype m_selectedIndex = -1;
    int m_hoverIndex = 0;
    int m_copiedField = noField;
    bool m_altArmed = false;
    bool m_passwordMasked = false;
    CaptureMode m_capture;
    ClipboardExpiry m_clipboardExpiry;
    WindowLock m_lock;
    Preferences::Values m_preferences; // in force
    // Set while the program itself moves the list's selection: that is not the user selecting.
    bool m_movingSelection = false;
    // A row was selected that the fields do not show yet (the button or key is still down).
    bool m_rowChosen = false;
    QHash<int, int> m_keyPressedIn; // key -> control
    int m_lastPressed = 0; // the key pressed last, until a key is released
};
