#include "VaultOpening.h"

#include "ConfigFile.h"
#include "intl/Message.h"
#include "vault/RecordLine.h"
#include "vault/VaultAccess.h"

#include <algorithm>

namespace {

constexpr Message unreadable = {"Error - i67",
    "The database seem to be corrupt or it does not exist.", MessageBoxes::Icon::Stop};
constexpr Message configurationUnreadable = {"Vaultine",
    "Data/Coffrel.cnf, the security settings, could not be read: the protection level and the "
    "master password are not known. The records of Data/CF2DB.pdb are listed, and nothing is "
    "written until the settings can be read.",
    MessageBoxes::Icon::Stop};
constexpr Message notAccessible
    = {"Disk Error - i66", "Can not access the DataBase.", MessageBoxes::Icon::Stop};
constexpr Message strayEnciphered = {"Vaultine",
    "Data/CF2DB.edb holds enciphered records that the settings in Data/Coffrel.cnf do not name "
    "(the file is missing, unreadable or names another level). They are not listed, and the "
    "file is kept as it is: it is not changed or removed while the program runs, and no new "
    "database file is made "
    "beside it.",
    MessageBoxes::Icon::Stop};
constexpr Message straySealed = {"Vaultine",
    "Data/CF2DB.sdb holds sealed records that the settings in Data/Coffrel.cnf do not name. "
    "They are not listed, and the file is kept as it is: it is not changed or removed while "
    "the program runs, and no new database file is made beside it.",
    MessageBoxes::Icon::Stop};
constexpr Message sealedSetAside = {"Vaultine",
    "Data/CF2DB.sdb held sealed records that the settings in Data/Coffrel.cnf do not name. The "
    "file was kept in Data under the name CF2DB.sdb.kept- followed by the date and time; nothing "
    "was removed.",
    MessageBoxes::Icon::Information};
constexpr Message codedSetAside = {"Vaultine",
    "Data/CF2DB.pdb held records other than those of the enciphered or sealed file that the "
    "settings in Data/Coffrel.cnf name. Those records are listed; the other file was kept in "
    "Data under the name CF2DB.pdb.kept- followed by the date and time; nothing was removed.",
    MessageBoxes::Icon::Information};
constexpr Message sealedMissing = {"Error - i67",
    "Data/CF2DB.sdb is missing. At \"Program and DBase, sealed\" it alone holds the records: "
    "nothing is listed and nothing is written. Put the file back and start again.",
    MessageBoxes::Icon::Stop};
constexpr Message sealedUnreadable = {"Error - i67",
    "Data/CF2DB.sdb could not be read, or there was no memory to open it. Nothing is listed and "
    "nothing is written; the file is kept as it is.",
    MessageBoxes::Icon::Stop};
constexpr Message sealedDamaged = {"Error - i67",
    "Data/CF2DB.sdb is damaged: it is not a sealed file of records that this program can open. "
    "Nothing is listed and nothing is written; the file is kept as it is.",
    MessageBoxes::Icon::Stop};
constexpr Message cutEndKept = {"Vaultine",
    "A database file ended with a record cut short, left by a write that a crash or a power cut "
    "stopped. Those bytes are not a record and are not listed: they were taken out of the file "
    "and kept in Data, in the file named below. The records before them are all listed.",
    MessageBoxes::Icon::Information};
constexpr Message cutEndLeft = {"Vaultine",
    "A database file ends with a record cut short, left by a write that a crash or a power cut "
    "stopped. Those bytes are not a record and are not listed; they stay at the end of the file "
    "named below until a write can keep them aside in Data.",
    MessageBoxes::Icon::Stop};

} // namespace

VaultOpening::VaultOpening(Database &database, const ConfigFile &config, VaultAccess &access)
    : m_database(database)
    , m_config(config)
    , m_access(access)
{ }

Database::Source VaultOpening::sourceFor(const QString &reach) const
{
    // A start at reach 1 that finds the coded file but no enciphered one meets a conversion cut
    // short: the coded file holds every record until the enciphered one is written.
    const VaultAccess access {reach, {}};
    if (access.sealed())
        return Database::Source::Sealed;
    if (!access.enciphered()
        || (!m_database.exists(Database::Source::Enciphered)
            && m_database.exists(Database::Source::Coded)))
        return Database::Source::Coded;
    return Database::Source::Enciphered;
}

void VaultOpening::preloadRecords()
{
    const std::optional<ConfigFile::Settings> settings = m_config.read();
    if (sourceFor(settings ? settings->reach : QStringLiteral("0")) == Database::Source::Coded)
        m_database.preloadRecords();
}

std::optional<Database::Records> VaultOpening::open(Dialogue &dialogue, bool mayWrite)
{
    std::optional<Database::Records> records = openLevel(dialogue, mayWrite);
    for (const auto &[message, detail] : cutTailReports(m_database))
        dialogue.tell(*message, detail);
    return records;
}

QList<std::pair<const Message *, QString>> VaultOpening::cutTailReports(Database &database)
{
    QList<std::pair<const Message *, QString>> reports;
    for (const auto &[source, cut] : database.takeCutTails())
        reports.append(
            {cut.kind == CutTail::Kind::SetAside ? &cutEndKept : &cutEndLeft, cut.detail});
    return reports;
}

std::optional<Database::Records> VaultOpening::openLevel(Dialogue &dialogue, bool mayWrite)
{
    // A missing or unreadable configuration leaves reach 0; one that is there and cannot be
    // read (another's, a link, a huge file) leaves the level unknown: nothing is written.
    m_access = VaultAccess();
    const std::optional<ConfigFile::Settings> settings = m_config.loadInto(m_access);
    if (!settings && m_config.content().status == DataFolder::Status::Failed) {
        dialogue.tell(configurationUnreadable, m_config.failure());
        m_database.markConversionUnfinished();
        mayWrite = false;
    }
    if (m_access.sealed())
        return openSealed(dialogue, settings->expiry, mayWrite);
    if (settings && settings->key && *settings->key != ConfigFile::unsetMark) {
        if (!dialogue.askPassword(PasswordCheck::equalTo(*settings->key)))
            return std::nullopt;
        dialogue.passwordAccepted(settings->expiry);
    }
    const Database::Source source = sourceFor(m_access.reach);
    const bool encipheredExists = m_database.exists(Database::Source::Enciphered);
    Database::Records records = m_database.LoadRecords(source);
    if (!records.readWhole || (source == Database::Source::Enciphered && !encipheredExists))
        dialogue.tell(unreadable, records.failure);
    // A file not read whole is not written at start-up: its cut end is only told.
    m_database.keepCutTail(source, mayWrite && records.readWhole);
    if (mayWrite && source == Database::Source::Coded && m_access.enciphered())
        finishConversion(dialogue, records);
    else if (mayWrite && source == Database::Source::Enciphered && encipheredExists
        && records.readWhole && m_database.exists(Database::Source::Coded))
        retireCodedFile(dialogue, source);
    // A missing configuration is reach 0 with its file read whole; one that is there but could
    // not be read says nothing of the files.
    keepStrayFiles(
        dialogue, mayWrite && records.readWhole && (settings || !m_database.configurationExists()));
    return records;
}

// Only a password that opens the sealed file (or a key kept from one) opens the folder. A sealed
// file that is missing, unreadable or damaged opens nothing: no conversion leaves the settings
// naming reach 3 before the sealed file is whole, so no other file may stand in for it.
std::optional<Database::Records> VaultOpening::openSealed(
    Dialogue &dialogue, const QString &expiry, bool mayWrite)
{
    // Only keys are kept, never the password: a file sealed when the standard cost was lower
    // gets its key at today's cost while the password is at hand.
    SealedFile::Status status = SealedFile::Status::Missing;
    std::optional<SealedFile::Key> raised;
    const auto opens = [&](const QString &entry) {
        status = m_database.openSealed(entry);
        if (status == SealedFile::Status::Opened && mayWrite
            && m_database.sealedBelowStandardCost())
            raised = SealedFile::Key::create(entry);
        return status != SealedFile::Status::Refused;
    };
    if (m_database.exists(Database::Source::Sealed)) {
        if (std::optional<SealedFile::Key> kept = dialogue.keptKey()) {
            status = m_database.openSealed(std::move(*kept));
            if (status != SealedFile::Status::Opened)
                dialogue.keptKeyRefused();
        }
        if (status != SealedFile::Status::Opened && !dialogue.askPassword(opens))
            return std::nullopt;
    }
    if (status != SealedFile::Status::Opened) {
        dialogue.failed(status == SealedFile::Status::Missing
                ? sealedMissing
                : (status == SealedFile::Status::Damaged ? sealedDamaged : sealedUnreadable),
            status == SealedFile::Status::Unreadable ? m_database.failure() : QString());
        return std::nullopt;
    }
    dialogue.passwordAccepted(expiry);
    Database::Records records = m_database.LoadRecords(Database::Source::Sealed);
    if (mayWrite && m_database.exists(Database::Source::Coded))
        retireCodedFile(dialogue, Database::Source::Sealed);
    // Sealed again at today's cost; while that fails, it keeps opening as it is.
    if (raised)
        m_database.sealAgain(std::move(*raised));
    keepStrayFiles(dialogue, mayWrite);
    return records;
}

// The enciphered file gets every record, then the coded one goes. When either fails, adds and
// rewrites are refused: the next start reads the coded file again.
void VaultOpening::finishConversion(Dialogue &dialogue, const Database::Records &records)
{
    if (records.readWhole && m_database.RewriteDatabase(records.book)
        && m_database.remove(Database::Source::Coded))
        return;
    m_database.markConversionUnfinished();
    dialogue.tell(notAccessible, m_database.failure());
}

// A coded file beside the enciphered or sealed file that was read goes when it holds the same
// records (the end of a conversion cut short); otherwise (a backup put back, a sync tool) it is
// set aside, never written over the records read. While it cannot be moved, adds and rewrites
// are refused.
void VaultOpening::retireCodedFile(Dialogue &dialogue, Database::Source source)
{
    LineFile::ReadResult coded = m_database.readCodedLines(Database::Source::Coded, {});
    LineFile::ReadResult read
        = m_database.readCodedLines(source, RecordLine::toBytes(m_access.databaseKey));
    std::sort(coded.lines.begin(), coded.lines.end());
    std::sort(read.lines.begin(), read.lines.end());
    if (coded.status == LineFile::ReadStatus::Read && read.status == LineFile::ReadStatus::Read
        && coded.lines == read.lines && m_database.remove(Database::Source::Coded))
        return;
    if (m_database.setAside(Database::Source::Coded)) {
        dialogue.tell(codedSetAside, {});
        return;
    }
    m_database.markConversionUnfinished();
    dialogue.tell(notAccessible, m_database.failure());
}

// A sealed file under settings of another level, beside the records of that level read whole,
// is most likely the end of a conversion out of reach 3 or of one into it cut short (the old
// level's file holds every record until the settings name the new level), but it may hold
// records the other lacks (a backup put back): it is set aside under a name that says when.
void VaultOpening::keepStrayFiles(Dialogue &dialogue, bool levelRead)
{
    if (!m_access.enciphered() && m_database.exists(Database::Source::Enciphered)) {
        m_database.keepEncipheredFile();
        dialogue.tell(strayEnciphered, {});
    }
    if (m_access.sealed() || !m_database.exists(Database::Source::Sealed))
        return;
    if (levelRead && m_database.setAside(Database::Source::Sealed)) {
        dialogue.tell(sealedSetAside, {});
        return;
    }
    m_database.keepSealedFile();
    dialogue.tell(straySealed, {});
}
