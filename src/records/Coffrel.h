#pragma once

#include "RecordEditor.h"
#include "ServiceListModel.h"

#include <QHash>
#include <QMainWindow>

#include <functional>

class ClickLabel;
class Database;
class FieldEdit;
class QAction;
class QCheckBox;
class QListView;
class Toolbar;
struct Platform;

// The main window: the toolbar, the five fields of one record, the service list and the
// record commands.
class Coffrel : public QMainWindow
{
    Q_OBJECT

public:
    // The record commands whose menu item and toolbar icon are enabled together.
    enum class Command { Add, Replace, Remove, Reset };

    Coffrel(Platform &platform, Database &database, QWidget *parent = nullptr);
    ~Coffrel() override;

    // Start-up: tick "&Hide", show the loaded records, offer the import.
    void maskPassword();
    void showRecords(const QStringList &lines);
    void offerImport(bool offered);

    const RecordBook &records() const { return m_records.book(); }
    qsizetype selectedIndex() const { return m_selectedIndex; }
    QAction *menuItem(const QString &name) const { return m_menuItems.value(name); }

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    void buildMenus();
    void buildFields(QWidget *client);
    void buildLists(QWidget *client);
    void connectCommands();
    bool isCommandEnabled(Command command) const;
    void setCommandEnabled(Command command, bool enabled);
    QStringList fieldTexts() const;
    void emptyFields();
    void clearSelection();
    bool runRecordCommand(const std::function<RecordEditor::Result()> &command);
    QString toolbarTooltip(int index) const;
    void endProgram();

    void AddRecord();
    void mnuAdd_Click();
    void mnuReplace_Click();
    void mnuRemove_Click();
    void mnuExit_Click();
    void Command1_Click(int index);
    void Text1_Change();
    void Text1_KeyUp(int index, int key, bool pressedHere);
    void Text1_GotFocus(int index);
    void Text1_MouseMove(int index);
    void List2_Click(const QModelIndex &current);
    void List2_MouseUp(Qt::MouseButton button);
    void Check1_Click(bool checked);
    void Check2_Click(bool checked);
    void copyField(int index);
    void Label5_DblClick();
    void Form_Click();

    Platform &m_platform;
    ServiceListModel m_records;
    RecordEditor m_editor;

    FieldEdit *m_fields[5]; // Text1(0..4): Service, Username, Password, Other Info, Path
    ClickLabel *m_labels[5]; // the fields' labels: Label4, Label1, Label2, Label3, Label5
    QCheckBox *m_check1; // "&Hide": masks the Password field
    QCheckBox *m_check2; // "On Top"
    QListView *m_list2; // the service list
    Toolbar *m_toolbar;
    QHash<QString, QAction *> m_menuItems;

    qsizetype m_selectedIndex = -1;
    QStringList m_savedFields;
    bool m_altArmed = false;
    bool m_changingRecords = false;
    bool m_escapePressedInList = false;
};
