#pragma once

#include "platform/ProgramFolders.h"

#include <QString>

#include <optional>

class Dictionary;

// The language chosen for a program folder: its name in "lang.dat", its words in
// "intl/<name>.dat" of the shipped folders.
class LanguageChoice
{
public:
    explicit LanguageChoice(const ProgramFolders &folders);

    QStringList intlFolders() const { return m_folders.shippedFolders(QStringLiteral("intl")); }
    // The first line of "lang.dat"; none when the file is missing or unreadable.
    std::optional<QString> read() const;
    bool write(const QString &language) const;

    // The language in use (English when none was chosen) and its dictionary. False when the
    // chosen language's file could not be read: the language stays, its dictionary is empty.
    bool LoadLanguageChoice(Dictionary &dictionary) const;

private:
    ProgramFolders m_folders;
};
