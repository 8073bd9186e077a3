#pragma once

#include "intl/Dictionary.h"
#include "platform/ProgramFolders.h"
#include "security/ConfigFile.h"
#include "vault/Database.h"
#include "vault/ProgramLock.h"
#include "vault/VaultAccess.h"

#include <memory>

class Coffrel;
struct Platform;

// The program's start: the lock on the program folder and the loading of the main window.
class Startup
{
public:
    Startup(const ProgramFolders &folders, Platform &platform,
        const Dictionary &dictionary = Dictionary::builtIn());
    ~Startup();

    // One running program per program folder: waits for a program that is ending, else
    // tells the user and returns false. A folder that cannot be locked (read-only) is used
    // without the lock; once locked, left-overs of interrupted writes are removed.
    bool lockProgramFolder(int waitMilliseconds = 5000);

    // Reads the records of an unenciphered database while the splash shows.
    void preloadRecords();
    // Loads the main window step by step and shows it.
    Coffrel &loadMainWindow();

    Database &database() { return m_database; }

private:
    // Puts the stored reach level and key in force; when a master password guards the
    // program, asks for it, shows the window and tells of its expiry. False when the program
    // ended (three wrong passwords).
    bool LoadSecuritySettings(Coffrel &window);
    // Waits for the master password prompt, the other windows working meanwhile.
    bool askPassword(const QString &expected);
    void showExpiryNotice(Coffrel &window, const QString &expiry);
    void showUnreadableDatabase();

    Platform &m_platform;
    const Dictionary &m_dictionary;
    VaultAccess m_access;
    ProgramFolders m_folders;
    Database m_database;
    ConfigFile m_config;
    ProgramLock m_lock;
    std::unique_ptr<Coffrel> m_window;
};
