#include "Dictionary.h"

const QString Dictionary::english = QStringLiteral("English");

Dictionary::Dictionary(const QString &language, const QStringList &lines)
    : m_language(language)
    , m_lines(lines)
{ }

const Dictionary &Dictionary::builtIn()
{
    static const Dictionary dictionary;
    return dictionary;
}
