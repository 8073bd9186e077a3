#include "Startup.h"

#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "records/Coffrel.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcStartup, "vaultine.startup", QtWarningMsg)

Startup::Startup(const QString &programFolder, Platform &platform)
    : m_platform(platform)
    , m_database(programFolder, platform.temporaryFolder, m_access)
    , m_lock(m_database.dataFolder())
{ }

Startup::~Startup() = default;

bool Startup::lockProgramFolder(int waitMilliseconds)
{
    m_database.EnsureDataFolder();
    const ProgramLock::Result lock = m_lock.acquire(waitMilliseconds);
    if (lock == ProgramLock::Result::Acquired)
        m_database.removeWriteLeftovers();
    if (lock != ProgramLock::Result::HeldByLiveProgram)
        return true;
    m_platform.messages.showMessage(QStringLiteral("Vaultine"),
        QStringLiteral("Vaultine is already running with the files of "
                       "this folder. Use that window."),
        MessageBoxes::Icon::Stop);
    return false;
}

void Startup::showUnreadableDatabase()
{
    m_platform.messages.showMessage(QStringLiteral("Error - i67"),
        QStringLiteral("The database seem to be corrupt or it does "
                       "not exist."),
        MessageBoxes::Icon::Stop);
}

Coffrel &Startup::loadMainWindow()
{
    qCDebug(lcStartup) << "L1 window size";
    m_window = std::make_unique<Coffrel>(m_platform, m_database);
    Coffrel &window = *m_window;

    qCDebug(lcStartup) << "L2 captions";
    // The captions of another language are applied here.
    qCDebug(lcStartup) << "L3 undo menu";
    // The undo menu is built here.

    qCDebug(lcStartup) << "L4 reach 0";
    m_access.reach = QStringLiteral("0");

    qCDebug(lcStartup) << "L5 EnsureDataFolder";
    m_database.EnsureDataFolder();

    qCDebug(lcStartup) << "L6 LoadSecuritySettings";
    if (m_loadSecuritySettings)
        m_loadSecuritySettings();
    if (m_access.enciphered() && !m_database.DecipherDatabase())
        showUnreadableDatabase();

    qCDebug(lcStartup) << "L7 Check1";
    window.maskPassword();

    qCDebug(lcStartup) << "L8 LoadRecords";
    const Database::Records records = m_database.LoadRecords();
    if (!records.readWhole)
        showUnreadableDatabase();

    qCDebug(lcStartup) << "L9 working copy";
    if (m_access.reach == QStringLiteral("1"))
        m_database.deleteWorkingCopy();

    qCDebug(lcStartup) << "L10 List2";
    window.showRecords(records.lines);

    qCDebug(lcStartup) << "L11 UpdateImportOffer";
    window.offerImport(m_database.UpdateImportOffer());

    qCDebug(lcStartup) << "L12 shown";
    window.show();
    return window;
}
