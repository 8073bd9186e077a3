#include "LineEscape.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr char escapeByte = 0x10;

struct Escape
{
    char raw;
    char letter;
};
constexpr Escape escapes[] = {{'\r', 'r'}, {'\n', 'n'}, {escapeByte, 'e'}};

} // namespace

QByteArray escapeLine(const QByteArray &line)
{
    const auto needsEscape = [](char c) { return c == '\r' || c == '\n' || c == escapeByte; };
    if (std::none_of(line.begin(), line.end(), needsEscape))
        return line;
    QByteArray out;
    out.reserve(line.size());
    for (const char c : line) {
        const auto *escape = std::find_if(
            std::begin(escapes), std::end(escapes), [c](const Escape &e) { return e.raw == c; });
        if (escape == std::end(escapes)) {
            out.append(c);
        } else {
            out.append(escapeByte);
            out.append(escape->letter);
        }
    }
    return out;
}

std::optional<QByteArray> unescapeLine(const QByteArray &line)
{
    if (!line.contains(escapeByte))
        return line;
    QByteArray out;
    out.reserve(line.size());
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] != escapeByte) {
            out.append(line[i]);
            continue;
        }
        if (++i == line.size())
            return std::nullopt;
        const char letter = line[i];
        const auto *escape = std::find_if(std::begin(escapes), std::end(escapes),
            [letter](const Escape &e) { return e.letter == letter; });
        if (escape == std::end(escapes))
            return std::nullopt;
        out.append(escape->raw);
    }
    return out;
}
