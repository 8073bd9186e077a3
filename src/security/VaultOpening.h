#pragma once

#include "PasswordCheck.h"
#include "vault/Database.h"

#include <QString>

#include <optional>

class ConfigFile;
struct Message;
struct VaultAccess;

// Opening a program folder, for the window and for vaultine-cli alike: the settings read, the
// master password asked (at reach 3 checked by opening the sealed file), the records read from
// the file the reach level names, a cut-short conversion finished, a file left beside them
// removed or set aside, a stray enciphered or sealed file reported and kept, the end of a file
// that a write cut short set aside and reported.
class VaultOpening
{
public:
    // What opening asks of the one who opens: the window or the console.
    class Dialogue
    {
    public:
        virtual ~Dialogue() = default;
        // False when the password was refused; the folder is not opened.
        virtual bool askPassword(const PasswordCheck::Test &isPassword) = 0;
        // At the sealed level, a key kept from an earlier run, tried before the password is
        // asked; told when it did not open the sealed file.
        virtual std::optional<SealedFile::Key> keptKey() { return std::nullopt; }
        virtual void keptKeyRefused() { }
        // After the right password: the date it expires ("xx-xx-xxxx": never).
        virtual void passwordAccepted(const QString &expiry) = 0;
        // The detail says what failed: a file and the system's reason.
        virtual void tell(const Message &message, const QString &detail) = 0;
        // Nothing opens, for the reason given: told, and the window ends after it.
        virtual void failed(const Message &message, const QString &detail)
        {
            tell(message, detail);
        }
    };

    VaultOpening(Database &database, const ConfigFile &config, VaultAccess &access);

    // The file a start at this reach level reads.
    Database::Source sourceFor(const QString &reach) const;
    // Reads the coded file ahead when that is the file opening will read.
    void preloadRecords();
    // The records; none when the password was refused or nothing could be opened. Without
    // mayWrite no file is written (a cut-short conversion is read, not finished).
    std::optional<Database::Records> open(Dialogue &dialogue, bool mayWrite = true);
    // The message and its detail for each cut end the database set aside or left since it was
    // last asked, each told once.
    static QList<std::pair<const Message *, QString>> cutTailReports(Database &database);

private:
    std::optional<Database::Records> openLevel(Dialogue &dialogue, bool mayWrite);
    std::optional<Database::Records> openSealed(
        Dialogue &dialogue, const QString &expiry, bool mayWrite);
    void finishConversion(Dialogue &dialogue, const Database::Records &records);
    void retireCodedFile(Dialogue &dialogue, Database::Source source);
    // The files that the reach level does not name; levelRead: the level's records were read
    // whole from the files its settings name, and files may be written.
    void keepStrayFiles(Dialogue &dialogue, bool levelRead);

    Database &m_database;
    const ConfigFile &m_config;
    VaultAccess &m_access;
};
