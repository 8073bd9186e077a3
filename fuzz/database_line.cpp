// One stored line of the enciphered file: the first byte gives the key length (0-16), the key
// follows, then the line as its file holds it.
#include "FuzzSupport.h"
#include "vault/CipherText.h"
#include "vault/LineEscape.h"
#include "vault/RecordCodec.h"
#include "vault/RecordLine.h"

#include <QStringDecoder>

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t keyLength = std::min<size_t>(data[0] % 17, size - 1);
    const QByteArray key = fuzz::bytes(data + 1, keyLength);
    const QByteArray stored = fuzz::bytes(data + 1 + keyLength, size - 1 - keyLength);

    FUZZ_CHECK(unescapeLine(escapeLine(stored)) == stored);
    const std::optional<QByteArray> unescaped = unescapeLine(stored);
    if (unescaped && !stored.contains('\r') && !stored.contains('\n'))
        FUZZ_CHECK(escapeLine(*unescaped) == stored);
    const QByteArray cipher = unescaped.value_or(stored);

    const std::optional<QByteArray> plain = CipherText(cipher, key);
    FUZZ_CHECK(plain.has_value() == (!key.isEmpty() || cipher.isEmpty()));
    if (plain)
        FUZZ_CHECK(CipherText(*plain, key) == cipher);

    // The codec is a bijection on bytes.
    const QByteArray coded = plain.value_or(cipher);
    const QByteArray line = DecodeRecord(coded);
    FUZZ_CHECK(EncodeRecord(line) == coded);
    FUZZ_CHECK(DecodeRecord(EncodeRecord(coded)) == coded);

    const QString text = RecordLine::fromBytes(line);
    FUZZ_CHECK(RecordLine::fromBytes(RecordLine::toBytes(text)) == text);
    // A line that is UTF-8 is written back byte for byte.
    QStringDecoder utf8(QStringDecoder::Utf8,
        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString strict = utf8(line);
    if (!utf8.hasError())
        FUZZ_CHECK(RecordLine::toBytes(text) == line);

    const QStringList fields = RecordLine::splitFields(text);
    const QString service = RecordLine::serviceName(text);
    FUZZ_CHECK(fields.size() <= RecordLine::fieldCount);
    if (fields.isEmpty())
        FUZZ_CHECK(service == text && !text.contains(RecordLine::separator));
    else
        FUZZ_CHECK(fields.first() == service);
    return 0;
}
