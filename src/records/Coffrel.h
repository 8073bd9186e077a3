#pragma once

#include "RecordBrowser.h"
#include "ServiceListModel.h"
#include "intl/Dictionary.h"
#include "intl/Twips.h"
#include "platform/FileChangeWatch.h"
#include "platform/ProgramFolders.h"
#include "security/ConfigFile.h"
#include "security/SecurityChange.h"
#include "security/SecurityForm.h"
#include "vault/Database.h"

#include <QHash>
#include <QMainWindow>

#include <memory>

class ClickLabel;
class Config;
class FieldEdit;
class GeneratorDialog;
class QAction;
class QCheckBox;
class QLineEdit;
class QListView;
class Toolbar;
struct Platform;

// The main window: the toolbar, the five fields of one record, the service list and the
// menus. It shows what its RecordBrowser says and forwards its events there.
class Coffrel : public QMainWindow
{
    Q_OBJECT

public:
    Coffrel(Platform &platform, Database &database, const ProgramFolders &folders,
        const Dictionary &dictionary = Dictionary::builtIn(), QWidget *parent = nullptr);
    ~Coffrel() override;

    // Start-up: tick "&Hide", show the loaded records, offer the import, and name the conflict
    // copies in Data and offer their merge.
    void maskPassword();
    void showRecords(Database::Records records);
    void offerImport(bool offered);
    void offerMerge();
    // The captions of the language in use, and the fields moved beside the labels' new widths.
    void RelabelMainWindow();
    // The undo items 1 to 5, named after the fields' labels as they stand.
    void BuildUndoMenu();
    // The security settings dialog, with the key in force in its password box.
    void openSecuritySettings();

    RecordBrowser &browser() { return m_browser; }
    const RecordBook &records() const { return m_records.book(); }
    qsizetype selectedIndex() const { return m_browser.selectedIndex(); }
    QAction *menuItem(const QString &name) const { return m_menuItems.value(name); }
    // Every control and menu item by its name.
    QObject *control(const QString &name) const { return m_controls.value(name); }

signals:
    // "About": the program shows its About box.
    void aboutRequested();

protected:
    void closeEvent(QCloseEvent *event) override;
    // Coming back to the window lists again the records another program changed meanwhile.
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void registerControl(QObject *control);
    void buildMenus();
    void buildWindow();
    void buildFields(QWidget *client);
    void buildList(QWidget *client);
    void buildSearch(QWidget *client);
    void setTabOrder();
    void placeControls();
    void connectBrowser();
    void showCommands();
    void showField(int index, const QString &text);
    void showCursor(int index, int start, int length);
    void showCopiedField(int index);
    void showPasswordMask(bool masked);
    void clearListSelection();
    void showRow(int row);
    QString toolbarTooltip(int index) const;
    void Command1_Click(int index);
    // The language dialog, the window hidden until it closes.
    void mnuLang_Click();
    // Asks for the About box, "On Top" cleared first.
    void mnuAbout_Click();
    // The help page, when it is there.
    void mnuHelp_Click();
    // Locked, the window shows no record and no text box holds any text.
    void showLock(WindowLock::State state);
    void mnuPreferences_Click();
    void savePreferences(const Preferences::Values &values);
    // "Generate password": the password shaped there goes into the Password field.
    void openGenerator();
    bool forwardKey(int control, QKeyEvent *event);
    // Another program wrote the records' file: the list shows its records at once, unless the
    // window is hidden, locked or under a dialog (it reads them when it comes back then).
    void recordsWrittenElsewhere();

    Platform &m_platform;
    Database &m_database;
    ProgramFolders m_folders;
    const Dictionary &m_dictionary;
    ServiceListModel m_records;
    RecordBrowser m_browser;
    ConfigFile m_configFile;
    Preferences m_preferences;
    SecurityChange m_securityChange;
    SecurityForm m_securityForm;
    FileChangeWatch m_databaseWatch;
    // A window of its own, made when first opened: its controls have names of the main
    // window's too.
    std::unique_ptr<Config> m_config;
    GeneratorDialog *m_generator = nullptr; // made when first opened

    FieldEdit *m_fields[RecordLine::fieldCount]; // Text1(0..4)
    ClickLabel *m_labels[RecordLine::fieldCount]; // the fields' labels
    QCheckBox *m_check1; // "Hi&de": masks the Password field
    QCheckBox *m_check2; // "On Top"
    QListView *m_list2; // the service list
    QLineEdit *m_search; // above the list: the list shows the records it finds
    Toolbar *m_toolbar;
    QHash<QString, QAction *> m_menuItems;
    QHash<QString, QObject *> m_controls;
    // The layout's places, the fields and boxes moved after a translation.
    QHash<QString, Twips> m_places;
};
