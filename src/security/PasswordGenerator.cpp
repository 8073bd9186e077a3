#include "PasswordGenerator.h"

#include <QFile>
#include <QtAlgorithms>

#include <sodium.h>

#include <algorithm>
#include <cmath>

namespace PasswordGenerator {

namespace {

constexpr Kind kinds[] = {Letters, Digits, Signs};

// Uniform in [0, bound), without modulo bias.
int draw(qsizetype bound)
{
    return int(randombytes_uniform(uint32_t(bound)));
}

QString chosenCharacters(int chosen)
{
    QString all;
    for (const Kind kind : kinds) {
        if (chosen & kind)
            all += characters(kind);
    }
    return all;
}

bool holdsEachKind(const QString &password, int chosen)
{
    for (const Kind kind : kinds) {
        const QString set = characters(kind);
        if ((chosen & kind) && std::none_of(password.begin(), password.end(), [&](QChar c) {
                return set.contains(c);
            }))
            return false;
    }
    return true;
}

} // namespace

QString characters(Kind kind)
{
    switch (kind) {
    case Letters:
        return QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
    case Digits:
        return QStringLiteral("0123456789");
    case Signs:
        return QStringLiteral("!\"#$%&'()*+,-./;<=>?@[\\]^_`{|}~");
    }
    return {};
}

const QStringList &wordList()
{
    static const QStringList words = [] {
        QFile file(QStringLiteral(":/words/words.txt"));
        return file.open(QIODevice::ReadOnly)
            ? QString::fromLatin1(file.readAll()).split(u'\n', Qt::SkipEmptyParts)
            : QStringList();
    }();
    return words;
}

QString generate(const Shape &shape)
{
    if (sodium_init() < 0)
        return {};
    if (shape.passphrase) {
        const QStringList &words = wordList();
        QStringList drawn;
        for (int i = 0; i < qBound(fewestWords, shape.words, mostWords); ++i)
            drawn.append(words[draw(words.size())]);
        return drawn.join(u'-');
    }
    const QString set = chosenCharacters(shape.kinds);
    if (set.isEmpty())
        return {};
    // Drawn again until each kind is there: every such password is as likely as any other.
    QString password(qBound(shortest, shape.length, longest), QChar());
    do {
        for (QChar &c : password)
            c = set[draw(set.size())];
    } while (!holdsEachKind(password, shape.kinds));
    return password;
}

double entropyBits(const Shape &shape)
{
    if (shape.passphrase)
        return qBound(fewestWords, shape.words, mostWords) * std::log2(double(wordList().size()));
    const qsizetype size = chosenCharacters(shape.kinds).size();
    if (size == 0)
        return 0;
    // Of the size^length passwords, those missing a chosen kind are left out: by inclusion
    // and exclusion over the sets of kinds missing, as a share of all.
    const int length = qBound(shortest, shape.length, longest);
    double share = 0;
    for (int missing = 0; missing < 8; ++missing) {
        if ((missing & shape.kinds) != missing)
            continue;
        const qsizetype left = size - chosenCharacters(missing).size();
        const int sign = qPopulationCount(uint(missing)) % 2 ? -1 : 1;
        share += sign * std::pow(double(left) / double(size), length);
    }
    return length * std::log2(double(size)) + std::log2(share);
}

} // namespace PasswordGenerator
