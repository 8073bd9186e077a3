#pragma once

#include "LockedBytes.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// Secrets in the kernel's keyring of the login session (the user's own session keyring when
// the process belongs to none): "user" keys that only the processes of the session can find and
// read, that the kernel drops when their time is up, and that never reach the disk.
namespace KernelKeyring {

// Adds the key of that description with the payload for the seconds given; false when the
// keyring cannot take it (a system or sandbox without keyrings, the user's quota used up).
bool add(const QByteArray &description, QByteArrayView payload, int seconds);
// The payload of the key of that description, when it holds exactly size bytes; none when
// there is no such key, or its time is up.
std::optional<LockedBytes> read(const QByteArray &description, qsizetype size);
// Removes the key at once, in every keyring that holds it; true when there was one.
bool remove(const QByteArray &description);

} // namespace KernelKeyring
