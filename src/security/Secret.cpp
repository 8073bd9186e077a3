#include "Secret.h"

#include <sodium.h>

namespace {

// From the start of the allocation, so that characters left there by an edit (removed, or
// moved to the front) go too.
template <typename Pointer> void zeroAllocation(Pointer &d)
{
    if (!d.d_ptr())
        return;
    auto *start = d.data() - d.freeSpaceAtBegin();
    sodium_memzero(start, size_t(d.constAllocatedCapacity()) * sizeof(*start));
}

} // namespace

namespace Secret {

void wipe(QString &text)
{
    zeroAllocation(text.data_ptr());
    text.clear();
}

void wipe(QByteArray &bytes)
{
    zeroAllocation(bytes.data_ptr());
    bytes.clear();
}

QString ownCopy(const QString &text)
{
    return QString(text.constData(), text.size());
}

} // namespace Secret
