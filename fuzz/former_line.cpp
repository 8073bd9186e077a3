// A coded line of the former database, converted to a record line.
#include "FuzzSupport.h"
#include "import/OldDatabase.h"
#include "vault/RecordCodec.h"
#include "vault/RecordLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString decoded = RecordLine::fromBytes(DecodeRecord(fuzz::bytes(data, size)));
    const QString line = OldDatabase::convertLine(decoded);
    FUZZ_CHECK(line.isEmpty() == decoded.isEmpty());
    FUZZ_CHECK(line.isEmpty() || line.contains(RecordLine::separator));
    return 0;
}
