#pragma once

#include <QByteArray>
#include <QStringList>

// A language file: items separated by line ends and by commas, an item in double quotes
// holding commas, spaces before an item dropped, an empty line an empty item. Lines are
// UTF-8, or Windows-1252 when they are not.
namespace LanguageFile {

QStringList readItems(const QByteArray &content);

} // namespace LanguageFile
