#include "LanguageChoice.h"

#include "Dictionary.h"
#include "LanguageFile.h"
#include "vault/LineFile.h"
#include "vault/RecordLine.h"

LanguageChoice::LanguageChoice(const ProgramFolders &folders)
    : m_folders(folders)
{ }

std::optional<QString> LanguageChoice::read() const
{
    const LineFile::ReadResult file
        = LineFile::readLines(m_folders.userFolder() + QStringLiteral("/lang.dat"));
    if (file.status != LineFile::ReadStatus::Read)
        return std::nullopt;
    return file.lines.isEmpty() ? QString() : RecordLine::fromBytes(file.lines.first());
}

bool LanguageChoice::write(const QString &language) const
{
    return LineFile::writeLines(
        m_folders.userFolder() + QStringLiteral("/lang.dat"), {RecordLine::toBytes(language)});
}

bool LanguageChoice::LoadLanguageChoice(Dictionary &dictionary) const
{
    QString language = read().value_or(QString());
    if (language.isEmpty())
        language = Dictionary::english;
    if (language == Dictionary::english) {
        dictionary = Dictionary();
        return true;
    }
    const LineFile::Content file = LineFile::readContent(
        m_folders.shippedFile(QStringLiteral("intl/") + language + QStringLiteral(".dat")),
        LanguageFile::sizeLimit);
    const bool read = file.status == LineFile::ReadStatus::Read;
    dictionary = Dictionary(language, read ? LanguageFile::readItems(file.bytes) : QStringList());
    return read;
}
