#include "KernelKeyring.h"

#include <linux/keyctl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace KernelKeyring {

namespace {

// View, read, write, search, link and set attributes for the processes that possess the key
// through their session keyring; nothing for the user's other processes or anyone else.
constexpr unsigned long possessorOnly = 0x3f000000;
const char type[] = "user";

// The session keyring; a process of none is given the user's session keyring (asked for as
// it is here: adding to the keyring's special number would make one that ends with it).
long sessionKeyring()
{
    return syscall(SYS_keyctl, KEYCTL_GET_KEYRING_ID, KEY_SPEC_SESSION_KEYRING, 0);
}

long find(const QByteArray &description)
{
    const long keyring = sessionKeyring();
    return keyring < 0
        ? keyring
        : syscall(SYS_keyctl, KEYCTL_SEARCH, keyring, type, description.constData(), 0);
}

} // namespace

bool add(const QByteArray &description, QByteArrayView payload, int seconds)
{
    const long keyring = sessionKeyring();
    const long key = keyring < 0 ? keyring
                                 : syscall(SYS_add_key, type, description.constData(),
                                     payload.data(), size_t(payload.size()), keyring);
    if (key < 0)
        return false;
    if (syscall(SYS_keyctl, KEYCTL_SETPERM, key, possessorOnly) == 0
        && syscall(SYS_keyctl, KEYCTL_SET_TIMEOUT, key, unsigned(seconds)) == 0)
        return true;
    syscall(SYS_keyctl, KEYCTL_INVALIDATE, key);
    return false;
}

std::optional<LockedBytes> read(const QByteArray &description, qsizetype size)
{
    const long key = find(description);
    if (key < 0)
        return std::nullopt;
    LockedBytes payload(size);
    // The length of the whole payload, whatever the buffer's size.
    if (payload.isNull()
        || syscall(SYS_keyctl, KEYCTL_READ, key, payload.data(), size_t(size)) != size)
        return std::nullopt;
    return payload;
}

bool remove(const QByteArray &description)
{
    const long key = find(description);
    return key >= 0 && syscall(SYS_keyctl, KEYCTL_INVALIDATE, key) == 0;
}

} // namespace KernelKeyring
