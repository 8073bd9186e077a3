// A language file's content.
#include "FuzzSupport.h"
#include "intl/LanguageFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content = fuzz::bytes(data, size);
    const QStringList items = LanguageFile::readItems(content);
    // Every line of text after a leading byte order mark gives one item at least.
    const QByteArray text = content.startsWith("\xEF\xBB\xBF") ? content.sliced(3) : content;
    const qsizetype lines = text.count('\n') + (text.isEmpty() || text.endsWith('\n') ? 0 : 1);
    FUZZ_CHECK(items.size() >= lines);
    return 0;
}
