#include "VaultOpening.h"

#include "ConfigFile.h"
#include "intl/Message.h"
#include "vault/VaultAccess.h"

#include <QDateTime>

#include <algorithm>

namespace {

constexpr Message unreadable = {"Error - i67",
    "The database seem to be corrupt or it does not exist.", MessageBoxes::Icon::Stop};
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
    "Data/CF2DB.pdb held records other than those of the sealed file that the settings in "
    "Data/Coffrel.cnf name. The sealed records are listed; the other file was kept in Data "
    "under the name CF2DB.pdb.kept- followed by the date and time; nothing was removed.",
    MessageBoxes::Icon::Information};
constexpr Message sealedDamaged = {"Error - i67",
    "Data/CF2DB.sdb is damaged: it is not a sealed file of records that this program can open. "
    "No record is listed, and the file is kept as it is.",
    MessageBoxes::Icon::Stop};

} // namespace

VaultOpening::VaultOpening(Database &database, const ConfigFile &config, VaultAccess &access)
    : m_database(database)
    , m_config(config)
    , m_access(access)
{ }

Database::Source VaultOpening::sourceFor(const QString &reach) const
{
    // A start at reach 1 or 3 that finds the coded file meets a conversion cut short: the coded
    // file holds every record until the enciphered or sealed one does.
    const VaultAccess access {reach, {}};
    if (m_database.exists(Database::Source::Coded) || !(access.enciphered() || access.sealed()))
        return Database::Source::Coded;
    return access.sealed() ? Database::Source::Sealed : Database::Source::Enciphered;
}

void VaultOpening::preloadRecords()
{
    // At reach 3 a coded file is read only when the sealed file does not open: not ahead.
    const std::optional<ConfigFile::Settings> settings = m_config.read();
    const QString reach = settings ? settings->reach : QStringLiteral("0");
    if (reach != QLatin1String("3") && sourceFor(reach) == Database::Source::Coded)
        m_database.preloadRecords();
}

std::optional<Database::Records> VaultOpening::open(Dialogue &dialogue, bool mayWrite)
{
    // A missing or unreadable configuration leaves reach 0.
    m_access = VaultAccess();
    const std::optional<ConfigFile::Settings> settings = m_config.loadInto(m_access);
    SealedFile::Status sealed = SealedFile::Status::Opened;
    if (m_access.sealed()) {
        if (!askSealedPassword(dialogue, sealed))
            return std::nullopt;
        dialogue.passwordAccepted(settings->expiry);
    } else if (settings && settings->key && *settings->key != ConfigFile::unsetMark) {
        if (!dialogue.askPassword(PasswordCheck::equalTo(*settings->key)))
            return std::nullopt;
        dialogue.passwordAccepted(settings->expiry);
    }
    // Every conversion seals the whole file before the settings name reach 3: a sealed file
    // that opens is never older than a coded file beside it.
    const bool sealedOpened = m_access.sealed() && sealed == SealedFile::Status::Opened
        && m_database.exists(Database::Source::Sealed);
    const Database::Source source
        = sealedOpened ? Database::Source::Sealed : sourceFor(m_access.reach);
    const bool encipheredExists = m_database.exists(Database::Source::Enciphered);
    const bool codedExists = m_database.exists(Database::Source::Coded);
    Database::Records records = m_database.LoadRecords(source);
    if (sealed == SealedFile::Status::Damaged && source == Database::Source::Sealed)
        dialogue.tell(sealedDamaged);
    else if (!records.readWhole || (source == Database::Source::Enciphered && !encipheredExists))
        dialogue.tell(unreadable);
    if (source == Database::Source::Coded && (m_access.enciphered() || m_access.sealed())) {
        if (mayWrite)
            finishConversion(dialogue, records);
    } else if (sealedOpened && codedExists && mayWrite) {
        retireCodedFile(dialogue);
    }
    keepStrayFiles(dialogue, mayWrite && settings && codedExists && records.readWhole);
    return records;
}

bool VaultOpening::askSealedPassword(Dialogue &dialogue, SealedFile::Status &status)
{
    return dialogue.askPassword([&](const QString &entry) {
        status = m_database.openSealed(entry);
        if (status == SealedFile::Status::Refused)
            return false;
        m_access.databaseKey = entry; // what the settings dialog shows
        return true;
    });
}

// The enciphered or sealed file gets every record, then the coded one goes. When either fails,
// adds and rewrites are refused: the next start reads the coded file again.
void VaultOpening::finishConversion(Dialogue &dialogue, const Database::Records &records)
{
    if (records.readWhole && m_database.RewriteDatabase(records.lines)
        && m_database.removeFile(Database::Source::Coded))
        return;
    m_database.markConversionUnfinished();
    dialogue.tell(notAccessible);
}

// A coded file beside the sealed one at reach 3 goes when it holds the same records (the end
// of a conversion cut short); otherwise it is set aside, never sealed over the sealed records.
// While it cannot be moved, adds and rewrites are refused.
void VaultOpening::retireCodedFile(Dialogue &dialogue)
{
    LineFile::ReadResult coded = m_database.readCodedLines(Database::Source::Coded, {});
    LineFile::ReadResult sealed = m_database.readCodedLines(Database::Source::Sealed, {});
    std::sort(coded.lines.begin(), coded.lines.end());
    std::sort(sealed.lines.begin(), sealed.lines.end());
    if (coded.status == LineFile::ReadStatus::Read && sealed.status == LineFile::ReadStatus::Read
        && coded.lines == sealed.lines && m_database.removeFile(Database::Source::Coded))
        return;
    if (m_database.setAside(Database::Source::Coded, keptSuffix())) {
        dialogue.tell(codedSetAside);
        return;
    }
    m_database.markConversionUnfinished();
    dialogue.tell(notAccessible);
}

QString VaultOpening::keptSuffix()
{
    return QDateTime::currentDateTime().toString(QStringLiteral(".'kept'-yyyyMMdd-HHmmss-zzz"));
}

// A sealed file beside a coded file that was read whole, under settings of another level, is
// most likely the end of a conversion out of reach 3 or of one into it cut short (the coded
// file holds every record until the settings name the new level), but it may hold records
// the coded file lacks (a backup put back): it is set aside under a name that says when.
void VaultOpening::keepStrayFiles(Dialogue &dialogue, bool codedRead)
{
    if (!m_access.enciphered() && m_database.exists(Database::Source::Enciphered)) {
        m_database.keepEncipheredFile();
        dialogue.tell(strayEnciphered);
    }
    if (m_access.sealed() || !m_database.exists(Database::Source::Sealed))
        return;
    if (codedRead && m_database.setAside(Database::Source::Sealed, keptSuffix())) {
        dialogue.tell(sealedSetAside);
        return;
    }
    m_database.keepSealedFile();
    dialogue.tell(straySealed);
}
