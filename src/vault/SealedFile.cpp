#include "SealedFile.h"

#include "LineFile.h"

#include <QtEndian>

#include <sodium.h>

#include <algorithm>
#include <utility>

namespace {

constexpr QByteArrayView magic("Vaultine sealed\n");
constexpr char version = 1;
constexpr qsizetype versionAt = 16;
constexpr qsizetype passesAt = 17;
constexpr qsizetype kibibytesAt = 21;
constexpr qsizetype saltAt = 25;
constexpr qsizetype nonceAt = saltAt + crypto_pwhash_SALTBYTES;
constexpr qsizetype headerSize = nonceAt + crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;
constexpr qsizetype tagSize = crypto_aead_xchacha20poly1305_ietf_ABYTES;
constexpr size_t keySize = crypto_aead_xchacha20poly1305_ietf_KEYBYTES;

static_assert(magic.size() == versionAt && headerSize == 65);
static_assert(sizeof(SealedFile::Salt) == crypto_pwhash_SALTBYTES);

// Bounds that keep a damaged header from asking for hours or more memory than a desktop has.
constexpr quint32 mostPasses = 64;
constexpr quint32 mostKibibytes = 4 * 1024 * 1024;

bool withinBounds(SealedFile::Cost cost)
{
    return cost.passes >= crypto_pwhash_OPSLIMIT_MIN && cost.passes <= mostPasses
        && cost.kibibytes >= crypto_pwhash_MEMLIMIT_MIN / 1024 && cost.kibibytes <= mostKibibytes;
}

const unsigned char *unsignedData(QByteArrayView bytes)
{
    return reinterpret_cast<const unsigned char *>(bytes.data());
}

unsigned char *unsignedData(QByteArray &bytes)
{
    return reinterpret_cast<unsigned char *>(bytes.data());
}

SealedFile::Cost standardCost {2, 256 * 1024};

} // namespace

SealedFile::Cost SealedFile::Cost::standard()
{
    return standardCost;
}

void SealedFile::Cost::setStandard(Cost cost)
{
    standardCost = cost;
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
    if (sodium_init() < 0 || !withinBounds(cost))
        return std::nullopt;
    auto *bytes = static_cast<unsigned char *>(sodium_malloc(keySize));
    if (!bytes)
        return std::nullopt;
    Key key(salt, cost, bytes);
    QByteArray typed = password.toUtf8();
    const int derived = crypto_pwhash(bytes, keySize, typed.constData(), size_t(typed.size()),
        salt.data(), cost.passes, size_t(cost.kibibytes) * 1024, crypto_pwhash_ALG_ARGON2ID13);
    sodium_memzero(typed.data(), size_t(typed.size()));
    if (derived != 0)
        return std::nullopt;
    return key;
}

std::optional<SealedFile::Header> SealedFile::readHeader(QByteArrayView bytes)
{
    if (bytes.size() < headerSize + tagSize || !bytes.startsWith(magic)
        || bytes[versionAt] != version)
        return std::nullopt;
    Header header {{qFromLittleEndian<quint32>(bytes.data() + passesAt),
                       qFromLittleEndian<quint32>(bytes.data() + kibibytesAt)},
        {}};
    if (!withinBounds(header.cost))
        return std::nullopt;
    std::copy_n(unsignedData(bytes) + saltAt, header.salt.size(), header.salt.begin());
    return header;
}

SealedFile::Status SealedFile::openBytes(QByteArrayView bytes, const Key &key, QByteArray &content)
{
    content.clear();
    const std::optional<Header> header = readHeader(bytes);
    if (!header)
        return Status::Damaged;
    if (header->cost != key.m_cost || header->salt != key.m_salt)
        return Status::Refused;
    QByteArray opened(bytes.size() - headerSize - tagSize, Qt::Uninitialized);
    const QByteArrayView sealed = bytes.sliced(headerSize);
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(unsignedData(opened), nullptr, nullptr,
            unsignedData(sealed), size_t(sealed.size()), unsignedData(bytes), headerSize,
            unsignedData(bytes) + nonceAt, key.m_bytes)
        != 0)
        return Status::Refused;
    content = std::move(opened);
    return Status::Opened;
}

QByteArray SealedFile::sealBytes(const Key &key, QByteArrayView content)
{
    QByteArray bytes(headerSize + content.size() + tagSize, Qt::Uninitialized);
    unsigned char *out = unsignedData(bytes);
    std::copy(magic.begin(), magic.end(), bytes.begin());
    bytes[versionAt] = version;
    qToLittleEndian(key.m_cost.passes, out + passesAt);
    qToLittleEndian(key.m_cost.kibibytes, out + kibibytesAt);
    std::copy(key.m_salt.begin(), key.m_salt.end(), out + saltAt);
    randombytes_buf(out + nonceAt, headerSize - nonceAt);
    crypto_aead_xchacha20poly1305_ietf_encrypt(out + headerSize, nullptr, unsignedData(content),
        size_t(content.size()), out, headerSize, nullptr, out + nonceAt, key.m_bytes);
    return bytes;
}

SealedFile::Opened SealedFile::open(const QString &password) const
{
    const DataFolder::Content read = m_folder.read(m_name);
    if (read.status != DataFolder::Status::Read)
        return {read.status == DataFolder::Status::Missing ? Status::Missing : Status::Unreadable,
            {}, std::nullopt};
    const std::optional<Header> header = readHeader(read.bytes);
    if (!header)
        return {Status::Damaged, {}, std::nullopt};
    std::optional<Key> key = Key::derive(password, header->salt, header->cost);
    if (!key)
        return {Status::Unreadable, {}, std::nullopt};
    Opened opened {Status::Refused, {}, std::nullopt};
    opened.status = openBytes(read.bytes, *key, opened.content);
    if (opened.status == Status::Opened)
        opened.key = std::move(key);
    return opened;
}

bool SealedFile::seal(const Key &key, QByteArrayView content) const
{
    return m_folder.write(m_name, sealBytes(key, content));
}
