#include "CipherText.h"

#include <algorithm>

std::optional<QByteArray> CipherText(const QByteArray &text, const QByteArray &key)
{
    if (text.isEmpty())
        return QByteArray();
    if (key.isEmpty())
        return std::nullopt;
    QByteArray out(text.size(), Qt::Uninitialized);
    CipherStream(key, text.size()).apply(text.constData(), out.data(), text.size());
    return out;
}

CipherStream::CipherStream(const QByteArray &key, qsizetype longest)
{
    if (key.isEmpty())
        return;
    const qsizetype keys = std::max<qsizetype>(
        1, (std::min<qsizetype>(longest, 4096) + key.size() - 1) / key.size());
    m_stream.reserve(keys * key.size());
    for (qsizetype i = 0; i < keys; ++i)
        m_stream.append(key);
    for (char &c : m_stream)
        c = static_cast<char>(~c);
}

void CipherStream::apply(const char *from, char *to, qsizetype size) const
{
    // 255 - (t ^ k) is t ^ ~k: a loop the compiler turns into vector instructions.
    const char *stream = m_stream.constData();
    for (qsizetype done = 0; done < size; done += m_stream.size()) {
        const qsizetype block = std::min(size - done, m_stream.size());
        for (qsizetype i = 0; i < block; ++i)
            to[done + i] = static_cast<char>(from[done + i] ^ stream[i]);
    }
}
