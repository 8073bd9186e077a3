#include "KeptKey.h"

#include "platform/KernelKeyring.h"
#include "platform/KeyAgent.h"
#include "platform/PrivateTemporaryFolder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace {

// The folder as every path to it names it: links followed, the same for a missing one.
QString canonical(const QString &folder)
{
    const QString path = QFileInfo(folder).canonicalFilePath();
    return path.isEmpty() ? QDir::cleanPath(QDir(folder).absolutePath()) : path;
}

} // namespace

KeptKey::KeptKey(const QString &programFolder)
    : m_name(QByteArrayLiteral("vaultine:")
        + QCryptographicHash::hash(
            QByteArray::number(geteuid()) + '\0' + QFile::encodeName(canonical(programFolder)),
            QCryptographicHash::Sha256)
              .first(16)
              .toHex())
{
    const QString folder = PrivateTemporaryFolder().LocateSpecialFolder();
    if (!folder.isEmpty())
        m_socket = folder + u'/' + QString::fromLatin1(m_name).replace(u':', u'-');
}

std::optional<KeptKey::Place> KeptKey::keep(const SealedFile::Key &key, int seconds) const
{
    forget();
    const LockedBytes kept = key.kept();
    if (kept.isNull())
        return std::nullopt;
    if (KernelKeyring::add(m_name, kept.view(), seconds))
        return Place::Keyring;
    if (!m_socket.isEmpty() && KeyAgent::start(m_socket, kept.view(), seconds))
        return Place::Agent;
    return std::nullopt;
}

std::optional<SealedFile::Key> KeptKey::take() const
{
    std::optional<LockedBytes> kept = KernelKeyring::read(m_name, SealedFile::Key::keptSize);
    if (!kept && !m_socket.isEmpty())
        kept = KeyAgent::fetch(m_socket, SealedFile::Key::keptSize);
    return kept ? SealedFile::Key::fromKept(kept->view()) : std::nullopt;
}

bool KeptKey::forget() const
{
    const bool inKeyring = KernelKeyring::remove(m_name);
    const bool withAgent = !m_socket.isEmpty() && KeyAgent::stop(m_socket);
    return inKeyring || withAgent;
}
