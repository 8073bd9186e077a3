#include "SealedFile.h"

#include "LineFile.h"

#include <QtEndian>

#include <sodium.h>

#include <algorithm>
#include <utility>

namespace {

using Status = SealedFile::Status;

constexpr QByteArrayView magic("Vaultine sealed\n");
constexpr char firstVersion = 1;
constexpr char version = 2;
constexpr qsizetype versionAt = 16;
constexpr qsizetype passesAt = 17;
constexpr qsizetype kibibytesAt = 21;
constexpr qsizetype saltAt = 25;
constexpr qsizetype nonceAt = saltAt + crypto_pwhash_SALTBYTES;
constexpr qsizetype firstHeaderSize = nonceAt + crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;
constexpr qsizetype keyCheckAt = firstHeaderSize;
constexpr qsizetype keyCheckSize = crypto_generichash_BYTES;
constexpr qsizetype checksumAt = keyCheckAt + keyCheckSize;
constexpr qsizetype checksumSize = crypto_generichash_BYTES_MIN;
constexpr qsizetype headerSize = checksumAt + checksumSize;
constexpr qsizetype tagSize = crypto_aead_xchacha20poly1305_ietf_ABYTES;
constexpr size_t keySize = crypto_aead_xchacha20poly1305_ietf_KEYBYTES;
constexpr size_t paddingBlock = 4096;
constexpr QByteArrayView keyCheckContext("Vaultine key check");

static_assert(magic.size() == versionAt && firstHeaderSize == 65 && headerSize == 113);
static_assert(sizeof(SealedFile::Salt) == crypto_pwhash_SALTBYTES);

SealedFile::Cost standardCost {2, 256 * 1024};

// Bounds that keep a damaged header from asking for a weak key, hours, or more memory than a
// desktop has. The least is the least cost recommended for Argon2id, unless a test chose a
// cheaper standard.
constexpr SealedFile::Cost leastCost {2, 19 * 1024};
constexpr SealedFile::Cost mostCost {10, 1024 * 1024};

bool withinBounds(SealedFile::Cost cost)
{
    const SealedFile::Cost least {std::min(leastCost.passes, standardCost.passes),
        std::min(leastCost.kibibytes, standardCost.kibibytes)};
    return !cost.isBelow(least) && !mostCost.isBelow(cost);
}

const unsigned char *unsignedData(QByteArrayView bytes)
{
    return reinterpret_cast<const unsigned char *>(bytes.data());
}

unsigned char *unsignedData(QByteArray &bytes)
{
    return reinterpret_cast<unsigned char *>(bytes.data());
}

void writeKeyCheck(unsigned char *out, const unsigned char *key)
{
    crypto_generichash(out, keyCheckSize, unsignedData(keyCheckContext),
        size_t(keyCheckContext.size()), key, keySize);
}

bool keyCheckPasses(QByteArrayView bytes, const unsigned char *key)
{
    unsigned char check[keyCheckSize];
    writeKeyCheck(check, key);
    return sodium_memcmp(check, unsignedData(bytes) + keyCheckAt, keyCheckSize) == 0;
}

void writeChecksum(unsigned char *out, QByteArrayView bytes)
{
    crypto_generichash(out, checksumSize, unsignedData(bytes), checksumAt, nullptr, 0);
}

// Read as a header of the second version, whatever its version byte says: one of the first
// version whose checksum holds is one of the second with a changed version byte.
bool checksumPasses(QByteArrayView bytes)
{
    if (bytes.size() < headerSize + tagSize)
        return false;
    QByteArray header = bytes.first(checksumAt).toByteArray();
    header[versionAt] = version;
    unsigned char checksum[checksumSize];
    writeChecksum(checksum, header);
    return std::equal(checksum, checksum + checksumSize, unsignedData(bytes) + checksumAt);
}

// The password's UTF-8 bytes in NFC. A copy that normalising made is overwritten: the bytes
// returned are the only one, for the caller to wipe.
QByteArray normalisedBytes(const QString &password)
{
    QString normalised = password.normalized(QString::NormalizationForm_C);
    QByteArray bytes = normalised.toUtf8();
    if (!normalised.isSharedWith(password))
        sodium_memzero(normalised.data(), size_t(normalised.capacity()) * sizeof(QChar));
    return bytes;
}

// What a key opens, told as the caller needs it.
SealedFile::Opened openedWith(QByteArrayView bytes, std::optional<SealedFile::Key> key)
{
    if (!key)
        return {Status::Unreadable, {}, std::nullopt};
    SealedFile::Opened opened {Status::Refused, {}, std::nullopt};
    opened.status = SealedFile::openBytes(bytes, *key, opened.content);
    if (opened.status == Status::Opened) {
        opened.belowStandardCost = key->cost().isBelow(standardCost);
        opened.key = std::move(key);
    }
    return opened;
}

} // namespace

SealedFile::Cost SealedFile::Cost::standard()
{
    return standardCost;
}

void SealedFile::Cost::setStandardForTests(Cost cost)
{
    standardCost = cost;
}

bool SealedFile::Cost::isBelow(Cost other) const
{
    return passes < other.passes || kibibytes < other.kibibytes;
}

SealedFile::Key::Key(const Salt &salt, Cost cost, unsigned char *bytes)
    : m_salt(salt)
    , m_cost(cost)
    , m_bytes(bytes)
{ }

SealedFile::Key::Key(Key &&other) noexcept
    : m_salt(other.m_salt)
    , m_cost(other.m_cost)
    , m_bytes(std::exchange(other.m_bytes, nullptr))
{ }

SealedFile::Key &SealedFile::Key::operator=(Key &&other) noexcept
{
    if (this != &other) {
        sodium_free(m_bytes);
        m_salt = other.m_salt;
        m_cost = other.m_cost;
        m_bytes = std::exchange(other.m_bytes, nullptr);
    }
    return *this;
}

QByteArray SealedFile::Key::secretFor(QByteArrayView context) const
{
    QByteArray secret(crypto_generichash_BYTES, Qt::Uninitialized);
    crypto_generichash(unsignedData(secret), size_t(secret.size()), unsignedData(context),
        size_t(context.size()), m_bytes, keySize);
    return secret;
}

// The salt, the passes and the kibibytes (little-endian), the key.
LockedBytes SealedFile::Key::kept() const
{
    LockedBytes bytes(keptSize);
    if (unsigned char *out = bytes.data()) {
        out = std::copy(m_salt.begin(), m_salt.end(), out);
        qToLittleEndian(m_cost.passes, out);
        qToLittleEndian(m_cost.kibibytes, out + 4);
        std::copy_n(m_bytes, keySize, out + 8);
    }
    return bytes;
}

std::optional<SealedFile::Key> SealedFile::Key::fromKept(QByteArrayView kept)
{
    static_assert(keptSize == sizeof(Salt) + 8 + keySize);
    if (kept.size() != keptSize || sodium_init() < 0)
        return std::nullopt;
    const unsigned char *in = unsignedData(kept);
    Salt salt;
    std::copy_n(in, salt.size(), salt.begin());
    in += salt.size();
    const Cost cost {qFromLittleEndian<quint32>(in), qFromLittleEndian<quint32>(in + 4)};
    auto *bytes = static_cast<unsigned char *>(sodium_malloc(keySize));
    if (!withinBounds(cost) || !bytes) {
        sodium_free(bytes);
        return std::nullopt;
    }
    std::copy_n(in + 8, keySize, bytes);
    return Key(salt, cost, bytes);
}

SealedFile::Key::~Key()
{
    sodium_free(m_bytes); // wipes the key before it frees the memory
}

std::optional<SealedFile::Key> SealedFile::Key::create(const QString &password, Cost cost)
{
    if (sodium_init() < 0)
        return std::nullopt;
    Salt salt;
    randombytes_buf(salt.data(), salt.size());
    return derive(password, salt, cost);
}

std::optional<SealedFile::Key> SealedFile::Key::derive(
    const QString &password, const Salt &salt, Cost cost)
{
    return deriveFromBytes(normalisedBytes(password), salt, cost);
}

std::optional<SealedFile::Key> SealedFile::Key::deriveFromBytes(
    QByteArray password, const Salt &salt, Cost cost)
{
    unsigned char *bytes = nullptr;
    const bool derived = sodium_init() >= 0 && withinBounds(cost)
        && (bytes = static_cast<unsigned char *>(sodium_malloc(keySize)))
        && crypto_pwhash(bytes, keySize, password.constData(), size_t(password.size()), salt.data(),
               cost.passes, size_t(cost.kibibytes) * 1024, crypto_pwhash_ALG_ARGON2ID13)
            == 0;
    sodium_memzero(password.data(), size_t(password.size()));
    if (!derived) {
        sodium_free(bytes);
        return std::nullopt;
    }
    return Key(salt, cost, bytes);
}

std::optional<SealedFile::Header> SealedFile::readHeader(QByteArrayView bytes)
{
    if (bytes.size() < firstHeaderSize + tagSize || !bytes.startsWith(magic) || sodium_init() < 0)
        return std::nullopt;
    const char found = bytes[versionAt];
    const bool checked = checksumPasses(bytes);
    if (found == firstVersion ? checked : (found != version || !checked))
        return std::nullopt;
    Header header {found,
        {qFromLittleEndian<quint32>(bytes.data() + passesAt),
            qFromLittleEndian<quint32>(bytes.data() + kibibytesAt)},
        {}};
    if (!withinBounds(header.cost))
        return std::nullopt;
    std::copy_n(unsignedData(bytes) + saltAt, header.salt.size(), header.salt.begin());
    return header;
}

SealedFile::Opened SealedFile::openBytes(QByteArrayView bytes, const QString &password)
{
    const std::optional<Header> header = readHeader(bytes);
    if (!header)
        return {Status::Damaged, {}, std::nullopt};
    QByteArray normalised = normalisedBytes(password), typed = password.toUtf8();
    const bool typedOtherwise = normalised != typed;
    Opened opened = openedWith(
        bytes, Key::deriveFromBytes(std::move(normalised), header->salt, header->cost));
    // Keys were once derived from the password as typed, not normalised.
    if (opened.status == Status::Refused && typedOtherwise)
        opened = openedWith(bytes, Key::deriveFromBytes(typed, header->salt, header->cost));
    sodium_memzero(typed.data(), size_t(typed.size()));
    return opened;
}

SealedFile::Status SealedFile::openBytes(QByteArrayView bytes, const Key &key, QByteArray &content)
{
    content.clear();
    const std::optional<Header> header = readHeader(bytes);
    if (!header)
        return Status::Damaged;
    if (header->cost != key.m_cost || header->salt != key.m_salt)
        return Status::Refused;
    const bool first = header->version == firstVersion;
    if (!first && !keyCheckPasses(bytes, key.m_bytes))
        return Status::Refused;
    const qsizetype contentAt = first ? firstHeaderSize : headerSize;
    const QByteArrayView sealed = bytes.sliced(contentAt);
    QByteArray opened(sealed.size() - tagSize, Qt::Uninitialized);
    size_t size = size_t(opened.size());
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(unsignedData(opened), nullptr, nullptr,
            unsignedData(sealed), size_t(sealed.size()), unsignedData(bytes), size_t(contentAt),
            unsignedData(bytes) + nonceAt, key.m_bytes)
        != 0)
        return first ? Status::Refused : Status::Damaged;
    if (!first && sodium_unpad(&size, unsignedData(opened), size, paddingBlock) != 0)
        return Status::Damaged;
    opened.truncate(qsizetype(size));
    content = std::move(opened);
    return Status::Opened;
}

QByteArray SealedFile::sealBytes(const Key &key, QByteArrayView content)
{
    const size_t padded = (size_t(content.size()) / paddingBlock + 1) * paddingBlock;
    QByteArray bytes(headerSize + qsizetype(padded) + tagSize, Qt::Uninitialized);
    unsigned char *out = unsignedData(bytes);
    std::copy(magic.begin(), magic.end(), bytes.begin());
    bytes[versionAt] = version;
    qToLittleEndian(key.m_cost.passes, out + passesAt);
    qToLittleEndian(key.m_cost.kibibytes, out + kibibytesAt);
    std::copy(key.m_salt.begin(), key.m_salt.end(), out + saltAt);
    randombytes_buf(out + nonceAt, keyCheckAt - nonceAt);
    writeKeyCheck(out + keyCheckAt, key.m_bytes);
    writeChecksum(out + checksumAt, bytes);
    // Padded and enciphered in place, so that no clear copy is left.
    std::copy(content.begin(), content.end(), out + headerSize);
    size_t size = 0;
    sodium_pad(&size, out + headerSize, size_t(content.size()), paddingBlock, padded);
    crypto_aead_xchacha20poly1305_ietf_encrypt(out + headerSize, nullptr, out + headerSize, size,
        out, headerSize, nullptr, out + nonceAt, key.m_bytes);
    return bytes;
}

SealedFile::Opened SealedFile::open(const QString &password) const
{
    return openRead([&](QByteArrayView bytes) { return openBytes(bytes, password); });
}

SealedFile::Opened SealedFile::open(Key key) const
{
    return openRead([&](QByteArrayView bytes) { return openedWith(bytes, std::move(key)); });
}

SealedFile::Opened SealedFile::openRead(
    const std::function<Opened(QByteArrayView bytes)> &opening) const
{
    const DataFolder::Content read = m_folder.read(m_name);
    if (read.status != DataFolder::Status::Read)
        return {read.status == DataFolder::Status::Missing ? Status::Missing : Status::Unreadable,
            {}, std::nullopt};
    return opening(read.bytes);
}

bool SealedFile::seal(const Key &key, QByteArrayView content) const
{
    return m_folder.write(m_name, sealBytes(key, content));
}
