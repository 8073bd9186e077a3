#pragma once

#include "LockedBytes.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

// A secret held by a process of its own where the kernel's keyring is not to be had (a sandbox
// that filters its calls): the bytes in locked memory, the process not dumped and not traced
// by the user's other programs, given out over a Unix socket of mode 0600 to processes of the
// same user only. It ends, wiping them, when its time is up or when it is told to forget.
namespace KeyAgent {

// The hidden command line of the agent: this program, marker, socket, seconds.
inline constexpr char marker[] = "--keep-key";

// Starts the agent (this program run again, which must answer the marker with serve()) in
// place of one at the socket before, and hands it the bytes; false when it did not take them.
bool start(const QString &socket, QByteArrayView secret, int seconds);
// The bytes of the agent at the socket, exactly size of them; none when no agent of this user
// answers there.
std::optional<LockedBytes> fetch(const QString &socket, qsizetype size);
// Tells the agent at the socket to forget and end; true when one was there.
bool stop(const QString &socket);

// The agent: the bytes come on standard input; one byte on standard output tells that it
// answers at the socket, the end of its output that it does not.
int serve(char **argv);

} // namespace KeyAgent
