#pragma once

#include "vault/SealedFile.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The key of a program folder's sealed file, kept for a while after the master password was
// given so that vaultine-cli opens the folder without asking it: never the password, never on
// disk. First choice is the kernel's keyring of the login session; where that is not to be
// had, an agent process (KeyAgent) with its socket in the private temporary folder. The key
// is named after the folder (a hash of this user and of the folder's canonical path), so no
// other folder finds it, and carries the salt and cost of its file, so that a file sealed
// anew refuses it.
class KeptKey
{
public:
    enum class Place { Keyring, Agent };

    explicit KeptKey(const QString &programFolder);

    // Keeps the key for the seconds given, in place of one kept before; where, or none when
    // neither place could take it.
    std::optional<Place> keep(const SealedFile::Key &key, int seconds) const;
    // The key kept for the folder; none when none is, or its time is up.
    std::optional<SealedFile::Key> take() const;
    // Forgets the key kept for the folder, wherever it is; true when there was one.
    bool forget() const;

private:
    QByteArray m_name;
    QString m_socket;
};
