#include "RecordCodec.h"

#include <array>
#include <string_view>

namespace {

constexpr std::string_view alphabet
    = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ:";
constexpr std::string_view substitutes
    = "uZtL7cEHy83oXqWABrz0UJj6veNfF5Dg1Y4kdSPsOmCR:9lKxiMwbGTI2aVQphn";
static_assert(alphabet.size() == 63 && substitutes.size() == 63);

using Table = std::array<char, 256>;

constexpr Table makeTable(std::string_view from, std::string_view to)
{
    Table table {};
    for (int c = 0; c < 256; ++c)
        table[c] = static_cast<char>(c);
    for (std::size_t i = 0; i < from.size(); ++i)
        table[static_cast<unsigned char>(from[i])] = to[i];
    return table;
}

constexpr Table encodeTable = makeTable(alphabet, substitutes);
constexpr Table decodeTable = makeTable(substitutes, alphabet);

} // namespace

QByteArray EncodeRecord(QByteArray line)
{
    for (char &c : line)
        c = encodeTable[static_cast<unsigned char>(c)];
    return line;
}

QByteArray DecodeRecord(QByteArray coded)
{
    for (char &c : coded)
        c = decodeTable[static_cast<unsigned char>(c)];
    return coded;
}
