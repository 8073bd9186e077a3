// The expiry date box's text as typed, normalised when it is left, then told at start-up.
#include "FuzzSupport.h"
#include "security/ExpiryDate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString today = QStringLiteral("01-15-2026");
    const QString text = QString::fromUtf8(fuzz::bytes(data, size));

    const ExpiryDate::Normalised date = ExpiryDate::normalise(text, today);
    switch (date.outcome) {
    case ExpiryDate::Normalised::Done:
        FUZZ_CHECK(!date.text.isEmpty());
        ExpiryDate::notice(date.text, today);
        break;
    case ExpiryDate::Normalised::NoExpiry:
        FUZZ_CHECK(text.size() < 8);
        break;
    case ExpiryDate::Normalised::Failed:
        break;
    }
    ExpiryDate::notice(text, today);
    ExpiryDate::notice(today, text);
    return 0;
}
