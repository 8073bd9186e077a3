#include "CipherText.h"

std::optional<QByteArray> CipherText(const QByteArray &text, const QByteArray &key)
{
    if (text.isEmpty())
        return QByteArray();
    if (key.isEmpty())
        return std::nullopt;

    QByteArray out(text.size(), Qt::Uninitialized);
    qsizetype k = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto t = static_cast<unsigned char>(text[i]);
        const auto c = static_cast<unsigned char>(key[k]);
        out[i] = static_cast<char>(255 - (t ^ c));
        k = k + 1 < key.size() ? k + 1 : 0;
    }
    return out;
}
