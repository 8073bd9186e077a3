#pragma once

#include "DataFolder.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <optional>

// A file sealed under the master password. The key comes from the password through Argon2id
// with a random salt; the whole content is sealed with XChaCha20-Poly1305 under a fresh random
// nonce at every write. The header (magic text, format version, derivation cost, salt, nonce)
// is authenticated with the content, so no byte of the file changes unnoticed:
//
//   offset  size  field
//        0    16  "Vaultine sealed\n"
//       16     1  format version, 1
//       17     4  Argon2id passes (opslimit), little-endian
//       21     4  Argon2id memory in KiB (memlimit / 1024), little-endian
//       25    16  salt
//       41    24  nonce
//       65     n  the content, enciphered
//     65+n    16  the tag over bytes 0-64 and the content
//
// A cost outside 1-64 passes or 8 KiB-4 GiB makes a header damaged. The password is taken as
// its UTF-8 bytes.
class SealedFile
{
public:
    // The cost of deriving a key, recorded in every file: a change of the standard cost still
    // opens older files.
    struct Cost
    {
        quint32 passes;
        quint32 kibibytes;

        // About half a second and 256 MiB of memory on the development machine, unless a test
        // chose a cheaper one for the keys it creates.
        static Cost standard();
        static void setStandard(Cost cost);
        bool operator==(const Cost &) const = default;
    };
    using Salt = std::array<unsigned char, 16>;

    // A key derived from a password, held in memory of its own (locked out of swap where the
    // system allows) that is wiped and freed when the key goes.
    class Key
    {
    public:
        // A key with a fresh random salt: for a new sealed file or a change of password.
        static std::optional<Key> create(const QString &password, Cost cost = Cost::standard());
        // The key of the files with this salt and cost. None when the cost is out of bounds or
        // the memory cannot be had.
        static std::optional<Key> derive(const QString &password, const Salt &salt, Cost cost);

        Key(Key &&other) noexcept;
        Key &operator=(Key &&other) noexcept;
        ~Key();

        const Salt &salt() const { return m_salt; }
        Cost cost() const { return m_cost; }

    private:
        friend class SealedFile;
        Key(const Salt &salt, Cost cost, unsigned char *bytes);

        Salt m_salt;
        Cost m_cost;
        unsigned char *m_bytes;
    };

    enum class Status {
        Opened,
        Missing,
        Unreadable, // there, but not read whole, or no memory for the key
        Damaged, // no header of a known version, or too short to hold the tag
        Refused, // the tag fails: a wrong password, or the file was altered
    };

    struct Opened
    {
        Status status;
        QByteArray content; // empty unless opened
        std::optional<Key> key; // the key that opened it, for the writes that follow
    };

    // What a valid header gives to derive the key.
    struct Header
    {
        Cost cost;
        Salt salt;
    };

    SealedFile(const DataFolder &folder, const QString &name)
        : m_folder(folder)
        , m_name(name)
    { }

    // Reads the file and opens it with the password, deriving the key with the file's salt and
    // cost (the slow step).
    Opened open(const QString &password) const;
    // Replaces the file, mode 0600, with the content sealed under the key; a failure leaves the
    // file as it was.
    bool seal(const Key &key, QByteArrayView content) const;

    // The same on bytes in memory. A key of another salt or cost than the header's is refused.
    static std::optional<Header> readHeader(QByteArrayView bytes);
    static Status openBytes(QByteArrayView bytes, const Key &key, QByteArray &content);
    static QByteArray sealBytes(const Key &key, QByteArrayView content);

private:
    const DataFolder &m_folder;
    QString m_name;
};
