#include "Startup.h"

#include "PassReq.h"
#include "Splash.h"
#include "intl/Message.h"
#include "platform/Clock.h"
#include "platform/LiteralText.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/ProgramEnd.h"
#include "platform/TemporaryFolder.h"
#include "records/Coffrel.h"
#include "security/ExpiryDate.h"

#include <QEventLoop>

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcStartup, "vaultine.startup", QtWarningMsg)

Startup::Startup(const ProgramFolders &folders, Platform &platform, const Dictionary &dictionary)
    : m_platform(platform)
    , m_dictionary(dictionary)
    , m_folders(folders)
    , m_database(folders.userFolder(), m_access)
    , m_config(m_database.dataFolder())
    , m_opening(m_database, m_config, m_access)
    , m_lock(m_database.dataFolder(), ProgramLock::Scope::Run)
{
    LiteralText::install();
    // A write at reach 1 that finds no key reads it from the configuration, without asking.
    m_database.setKeyLoader([this] { m_config.loadInto(m_access); });
    m_database.setClock(platform.clock);
}

Startup::~Startup() = default;

bool Startup::lockProgramFolder(int waitMilliseconds)
{
    if (m_database.lockDataFolder(
            m_lock, waitMilliseconds, m_platform.temporaryFolder.LocateSpecialFolder())
        != ProgramLock::Result::HeldByLiveProgram)
        return true;
    static constexpr Message alreadyRunning = {"Vaultine",
        "Vaultine is already running with the files of this folder. Use that window.",
        MessageBoxes::Icon::Stop};
    showMessage(m_platform.messages, m_dictionary, alreadyRunning);
    return false;
}

bool Startup::askPassword(const PasswordCheck::Test &isPassword)
{
    PassReq prompt(isPassword, m_platform, m_dictionary);
    QEventLoop waiting;
    bool accepted = false;
    QObject::connect(&prompt, &PassReq::accepted, &waiting, [&] {
        accepted = true;
        waiting.quit();
    });
    QObject::connect(&prompt, &PassReq::refused, &waiting, &QEventLoop::quit);
    prompt.show();
    prompt.activateWindow();
    // An end of the program ends this loop too.
    waiting.exec();
    return accepted;
}

void Startup::passwordAccepted(const QString &expiry)
{
    m_window->show();
    static constexpr Message expiresToday
        = {"Vaultine Notification", "The Password expires today", MessageBoxes::Icon::None, 73};
    static constexpr Message expired
        = {"Vaultine Notification", "The Password has expired", MessageBoxes::Icon::None, 74};
    switch (ExpiryDate::notice(expiry, m_platform.clock.today())) {
    case ExpiryDate::Notice::None:
        return;
    case ExpiryDate::Notice::ExpiresToday:
        showMessage(m_platform.messages, m_dictionary, expiresToday);
        break;
    case ExpiryDate::Notice::Expired:
        showMessage(m_platform.messages, m_dictionary, expired);
        break;
    }
    m_window->openSecuritySettings();
}

void Startup::tell(const Message &message, const QString &detail)
{
    showMessage(m_platform.messages, m_dictionary, message, detail);
}

void Startup::failed(const Message &message, const QString &detail)
{
    tell(message, detail);
    m_platform.programEnd.endProgram();
}

void Startup::showAbout()
{
    auto *about = new Splash(
        m_dictionary, m_platform.shell, [] {}, Splash::Role::About);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->centreOn(m_window->screen());
    about->show();
}

void Startup::askUnlock()
{
    WindowLock &lock = m_window->browser().windowLock();
    auto *prompt = new PassReq(lock.passwordTest(), m_platform, m_dictionary, m_window.get());
    prompt->setWindowModality(Qt::ApplicationModal);
    QObject::connect(prompt, &PassReq::accepted, &lock, [&lock, prompt] {
        prompt->deleteLater();
        lock.unlock();
    });
    QObject::connect(prompt, &PassReq::refused, prompt, &QObject::deleteLater);
    prompt->show();
    prompt->activateWindow();
}

void Startup::preloadRecords()
{
    m_opening.preloadRecords();
}

Coffrel &Startup::loadMainWindow()
{
    qCDebug(lcStartup) << "L1 window size";
    m_window = std::make_unique<Coffrel>(m_platform, m_database, m_folders, m_dictionary);
    Coffrel &window = *m_window;
    QObject::connect(&window, &Coffrel::aboutRequested, &window, [this] { showAbout(); });
    QObject::connect(&window.browser().windowLock(), &WindowLock::stateChanged, &window,
        [this](WindowLock::State state) {
            if (state == WindowLock::State::Locked)
                askUnlock();
        });

    qCDebug(lcStartup) << "L2 captions";
    if (!m_dictionary.isEnglish())
        window.RelabelMainWindow();
    qCDebug(lcStartup) << "L3 undo menu";
    window.BuildUndoMenu();

    qCDebug(lcStartup) << "L5 EnsureDataFolder";
    m_database.EnsureDataFolder();

    qCDebug(lcStartup) << "L6 settings, password, records";
    std::optional<Database::Records> records = m_opening.open(*this);
    if (!records)
        return window;

    qCDebug(lcStartup) << "L7 Check1";
    window.maskPassword();

    qCDebug(lcStartup) << "L10 List2";
    window.showRecords(std::move(*records));

    qCDebug(lcStartup) << "L11 UpdateImportOffer";
    window.offerImport(m_database.UpdateImportOffer());
    window.offerMerge();

    qCDebug(lcStartup) << "L12 shown";
    window.show();
    return window;
}
