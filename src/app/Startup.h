#pragma once

#include "intl/Dictionary.h"
#include "platform/ProgramFolders.h"
#include "security/ConfigFile.h"
#include "security/VaultOpening.h"
#include "vault/Database.h"
#include "vault/ProgramLock.h"
#include "vault/VaultAccess.h"

#include <memory>

class Coffrel;
struct Platform;

// The program's start: the lock on the program folder and the windows' order (splash, password
// prompt, main window) around the opening of the folder.
class Startup : private VaultOpening::Dialogue
{
public:
    Startup(const ProgramFolders &folders, Platform &platform,
        const Dictionary &dictionary = Dictionary::builtIn());
    ~Startup();

    // One running program per program folder: waits for a program that is ending, else
    // tells the user and returns false. A folder that cannot be locked (read-only) is used
    // without the lock; once locked, left-overs of interrupted writes are removed.
    bool lockProgramFolder(int waitMilliseconds = ProgramLock::usualWait);

    // Reads the records of an unenciphered database while the splash shows.
    void preloadRecords();
    // Loads the main window step by step and shows it.
    Coffrel &loadMainWindow();

    Database &database() { return m_database; }

private:
    // Waits for the master password prompt, the other windows working meanwhile.
    bool askPassword(const PasswordCheck::Test &isPassword) override;
    // Shows the main window and tells of the password's expiry.
    void passwordAccepted(const QString &expiry) override;
    void tell(const Message &message, const QString &detail) override;
    // Told, then the program ends: no window shows.
    void failed(const Message &message, const QString &detail) override;
    // The splash window as the About box, over the main window.
    void showAbout();
    // The locked window asks the master password with the start-up prompt, three tries.
    void askUnlock();

    Platform &m_platform;
    const Dictionary &m_dictionary;
    VaultAccess m_access;
    ProgramFolders m_folders;
    Database m_database;
    ConfigFile m_config;
    VaultOpening m_opening;
    ProgramLock m_lock;
    std::unique_ptr<Coffrel> m_window;
};
