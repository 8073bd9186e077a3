#include "LanguageChoice.h"

#include "Dictionary.h"
#include "LanguageFile.h"
#include "vault/LineFile.h"
#include "vault/RecordLine.h"

#include <QFile>

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
    QFile file(m_folders.shippedFile(QStringLiteral("intl/") + language + QStringLiteral(".dat")));
    const bool readable = file.open(QIODevice::ReadOnly);
    const QByteArray content = readable ? file.readAll() : QByteArray();
    const bool read = readable && file.error() == QFileDevice::NoError;
    dictionary = Dictionary(language, read ? LanguageFile::readItems(content) : QStringList());
    return read;
}
