#pragma once

#include "vault/Database.h"
#include "vault/ProgramLock.h"
#include "vault/VaultAccess.h"

#include <functional>
#include <memory>

class Coffrel;
struct Platform;

// The program's start: the lock on the program folder and the loading of the main window.
class Startup
{
public:
    Startup(const QString &programFolder, Platform &platform);
    ~Startup();

    // One running program per program folder: waits for a program that is ending, else
    // tells the user and returns false. A folder that cannot be locked (read-only) is used
    // without the lock; once locked, left-overs of interrupted writes are removed.
    bool lockProgramFolder(int waitMilliseconds = 5000);

    // Loads the main window step by step and shows it.
    Coffrel &loadMainWindow();

    VaultAccess &access() { return m_access; }
    Database &database() { return m_database; }
    // Reads the security settings, asking for the master password when one guards the program.
    void setSecuritySettingsLoader(std::function<void()> loader)
    {
        m_loadSecuritySettings = loader;
    }

private:
    void showUnreadableDatabase();

    Platform &m_platform;
    VaultAccess m_access;
    Database m_database;
    ProgramLock m_lock;
    std::function<void()> m_loadSecuritySettings;
    std::unique_ptr<Coffrel> m_window;
};
