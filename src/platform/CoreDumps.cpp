#include "CoreDumps.h"

#include <sys/prctl.h>
#include <sys/resource.h>

namespace CoreDumps {

void forbid()
{
    // The limit too: a core handler that the system pipes dumps to reads it.
    const rlimit none {0, 0};
    setrlimit(RLIMIT_CORE, &none);
    prctl(PR_SET_DUMPABLE, 0);
}

} // namespace CoreDumps
