#pragma once

#include "DataFolder.h"
#include "platform/LockedBytes.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <functional>
#include <optional>

// A file sealed under the master password. The key comes from the password, normalised to NFC,
// through Argon2id with a random salt; the whole content is sealed with XChaCha20-Poly1305 under
// a fresh random nonce at every write. The header is authenticated with the content, so no byte
// of the file changes unnoticed. A write makes version 2:
//
//   offset  size  field
//        0    16  "Vaultine sealed\n"
//       16     1  format version, 2
//       17     4  Argon2id passes (opslimit), little-endian
//       21     4  Argon2id memory in KiB (memlimit / 1024), little-endian
//       25    16  salt
//       41    24  nonce
//       65    32  key check: BLAKE2b of "Vaultine key check" keyed with the derived key
//       97    16  header checksum: BLAKE2b of bytes 0-96, unkeyed
//      113     n  the content padded to a multiple of 4096 bytes (ISO/IEC 7816-4), enciphered
//    113+n    16  the tag over bytes 0-112 and the content
//
// The key check tells a wrong password (Refused) from a damaged file (Damaged): a header that
// fails its checksum, or content whose tag fails under a key that passes the check. Version 1
// (still opened, never written) has bytes 0-64 alone as its header, unpadded content after it,
// and no key check: there a failing tag is Refused; one whose bytes pass the second version's
// checksum is one of the second with its version byte changed, and Damaged. A cost outside 2-10
// passes or 19 MiB-1 GiB makes a header damaged; it is never derived.
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
        // Tests only: a cheaper standard, which also lets files ask for costs down to it (the
        // program refuses a cost below 2 passes or 19 MiB).
        static void setStandardForTests(Cost cost);
        bool operator==(const Cost &) const = default;
        // Fewer passes or less memory than the other.
        bool isBelow(Cost other) const;
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
        // A secret of its own for another use, named by the context: the key is not given out.
        QByteArray secretFor(QByteArrayView context) const;
        // The key with its salt and cost, to be kept between runs where only this user's
        // session reaches it; and the key of such bytes (none when they are not one).
        static constexpr qsizetype keptSize = 56;
        LockedBytes kept() const;
        static std::optional<Key> fromKept(QByteArrayView kept);

    private:
        friend class SealedFile;
        Key(const Salt &salt, Cost cost, unsigned char *bytes);
        // From the password's bytes as they are given; wipes them.
        static std::optional<Key> deriveFromBytes(QByteArray password, const Salt &salt, Cost cost);

        Salt m_salt;
        Cost m_cost;
        unsigned char *m_bytes;
    };

    enum class Status {
        Opened,
        Missing,
        Unreadable, // there, but not read whole, or no memory for the key
        Damaged, // no sound header of a known version, or the content fails under the right key
        Refused, // a wrong password (in version 1 also: the file was altered)
    };

    struct Opened
    {
        Status status;
        QByteArray content; // empty unless opened
        std::optional<Key> key; // the key that opened it, for the writes that follow
        // Opened, but sealed at a cost below the standard: to be sealed again under a new key.
        bool belowStandardCost = false;
    };

    // What a sound header gives to derive the key.
    struct Header
    {
        int version;
        Cost cost;
        Salt salt;
    };

    SealedFile(const DataFolder &folder, const QString &name)
        : m_folder(folder)
        , m_name(name)
    { }

    // Reads the file and opens it with the password, deriving the key with the file's salt and
    // cost (the slow step). A password not in NFC that is refused is tried again as typed, as
    // keys were derived before passwords were normalised.
    Opened open(const QString &password) const;
    // The same with a key derived before: one of another salt or cost than the file's is
    // refused, and nothing is derived.
    Opened open(Key key) const;
    // Replaces the file, mode 0600, with the content sealed under the key; a failure leaves the
    // file as it was.
    bool seal(const Key &key, QByteArrayView content) const;

    // The same on bytes in memory. A key of another salt or cost than the header's is refused.
    static std::optional<Header> readHeader(QByteArrayView bytes);
    static Opened openBytes(QByteArrayView bytes, const QString &password);
    static Status openBytes(QByteArrayView bytes, const Key &key, QByteArray &content);
    static QByteArray sealBytes(const Key &key, QByteArrayView content);

private:
    // Reads the file and opens its bytes.
    Opened openRead(const std::function<Opened(QByteArrayView bytes)> &opening) const;

    const DataFolder &m_folder;
    QString m_name;
};
