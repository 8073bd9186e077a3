#include "VaultSession.h"

#include "Console.h"
#include "Invocation.h"
#include "RecordFields.h"
#include "intl/Message.h"
#include "platform/SystemClock.h"
#include "security/ExpiryDate.h"
#include "vault/RecordCodec.h"
#include "vault/RecordLine.h"

#include <QFileInfo>

#include <memory>
#include <utility>

VaultSession::VaultSession(const Invocation &invocation)
    : m_console(invocation.console)
    , m_passwordFromStdin(invocation.passwordFromStdin)
    , m_database(invocation.programFolder, m_temporaryFolder, m_access)
    , m_config(m_database.dataFolder())
    , m_lock(m_database.dataFolder())
    , m_editor(m_records, m_database)
{ }

bool VaultSession::open(Mode mode)
{
    if (!QFileInfo(m_database.programFolder()).isDir()) {
        m_console.warn(QStringLiteral("There is no folder %1.").arg(m_database.programFolder()));
        return false;
    }
    if (mode == Mode::Write && !lockFolder())
        return false;
    if (!unlock() || !load())
        return false;
    return mode == Mode::Read || finishConversion();
}

bool VaultSession::lockFolder()
{
    m_database.EnsureDataFolder();
    switch (m_lock.acquire(0)) {
    case ProgramLock::Result::Acquired:
        m_database.removeWriteLeftovers();
        return true;
    case ProgramLock::Result::HeldByLiveProgram:
        m_console.warn(
            QStringLiteral("Vaultine is running with the files of this folder; close it first."));
        return false;
    case ProgramLock::Result::Unavailable:
        // A read-only folder, as the window uses it: the write itself will fail.
        return true;
    }
    return false;
}

bool VaultSession::unlock()
{
    const MasterPasswordGate::Entries entries = passwordEntries();
    const std::optional<ConfigFile::Settings> settings = m_config.loadInto(m_access);
    if (!settings || !settings->key || *settings->key == ConfigFile::unsetMark)
        return true;
    if (!MasterPasswordGate(m_console).pass(*settings->key, entries))
        return false;
    tellExpiry(settings->expiry);
    return true;
}

MasterPasswordGate::Entries VaultSession::passwordEntries()
{
    if (!m_passwordFromStdin)
        return [this] { return m_console.askSecret(QStringLiteral("Master password: ")); };
    // The first line is the password's even when none is asked, so that the lines after it
    // mean the same in every folder.
    auto given = std::make_shared<std::optional<QString>>(m_console.readLine());
    return [given] { return std::exchange(*given, std::nullopt); };
}

void VaultSession::tellExpiry(const QString &expiry) const
{
    switch (ExpiryDate::notice(expiry, SystemClock().today())) {
    case ExpiryDate::Notice::None:
        break;
    case ExpiryDate::Notice::ExpiresToday:
        m_console.warn(QStringLiteral("The Password expires today"));
        break;
    case ExpiryDate::Notice::Expired:
        m_console.warn(QStringLiteral("The Password has expired"));
        break;
    }
}

bool VaultSession::load()
{
    // Deciphered in memory. Both files at once: a conversion was cut short, and the coded
    // file holds every record.
    const bool enciphered = m_access.enciphered() && !QFileInfo::exists(m_database.codedPath());
    const LineFile::ReadResult file
        = m_database.readCodedLines(enciphered, RecordLine::toBytes(m_access.databaseKey));
    if (file.status == LineFile::ReadStatus::Failed) {
        m_console.warn(QStringLiteral("The database seem to be corrupt or it does not exist."));
        return false;
    }
    QStringList lines;
    lines.reserve(file.lines.size());
    for (const QByteArray &coded : file.lines) {
        if (!coded.isEmpty())
            lines.append(RecordLine::fromBytes(DecodeRecord(coded)));
    }
    m_records.load(lines);
    return true;
}

bool VaultSession::finishConversion()
{
    // As the window's start does: the enciphered file gets every record, the coded one goes.
    if (!m_access.enciphered() || !QFileInfo::exists(m_database.codedPath()))
        return true;
    if (m_database.RewriteDatabase(book().records()) && QFile::remove(m_database.codedPath()))
        return true;
    m_console.warn(
        QString::fromLatin1(RecordEditor::messageFor(RecordEditor::Result::WriteFailed)->text));
    return false;
}

QList<QStringList> VaultSession::recordsOf(const QString &service) const
{
    QList<QStringList> found;
    for (qsizetype i = 0; i < book().count(); ++i) {
        if (book().services().at(i) == service)
            found.append(recordFields(book().records().at(i)));
    }
    if (found.isEmpty())
        m_console.warn(QStringLiteral("There is no record of the service \"%1\".").arg(service));
    return found;
}
