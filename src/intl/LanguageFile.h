#pragma once

#include <QByteArray>
#include <QStringList>

// A language file: items separated by line ends and by commas, an item in double quotes
// holding commas, spaces before an item dropped, an empty line an empty item. Lines are
// UTF-8, or Windows-1252 when they are not.
namespace LanguageFile {

// Far more than any language needs: a larger file is unreadable.
constexpr qint64 sizeLimit = 1024 * 1024;

QStringList readItems(const QByteArray &content);

} // namespace LanguageFile
