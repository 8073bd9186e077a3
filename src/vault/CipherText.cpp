#include "CipherText.h"

std::optional<QByteArray> CipherText(const QByteArray &text, const QByteArray &key)
{
    if (text.isEmpty())
        return QByteArray();
    if (key.isEmpty())
        return std::nullopt;

    QByteArray out(text.size(), Qt::Uninitialized);
    char *to = out.data();
    const auto *from = reinterpret_cast<const unsigned char *>(text.constData());
    const auto *keyBytes = reinterpret_cast<const unsigned char *>(key.constData());
    qsizetype k = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        to[i] = static_cast<char>(255 - (from[i] ^ keyBytes[k]));
        k = k + 1 < key.size() ? k + 1 : 0;
    }
    return out;
}
