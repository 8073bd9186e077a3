#pragma once

#include <QStringList>

// The language in use and its dictionary: the lines of its language file by number. The
// built-in language "English" has no dictionary; its texts are those of the windows.
class Dictionary
{
public:
    static const QString english;

    Dictionary() = default;
    Dictionary(const QString &language, const QStringList &lines);

    // The built-in English, for windows and tests that need no other language.
    static const Dictionary &builtIn();

    const QString &language() const { return m_language; }
    bool isEnglish() const { return m_language == english; }
    // Line n, or the empty text past the end.
    QString line(int n) const { return m_lines.value(n); }
    // The English text in English, else the line.
    QString text(int n, const QString &englishText) const
    {
        return isEnglish() ? englishText : line(n);
    }

private:
    QString m_language = english;
    QStringList m_lines;
};
