#pragma once

#include <QString>
#include <QStringList>

// The five fields of a stored line, as the window shows them; the service name is the
// list's, so a line without ":!" keeps it.
QStringList recordFields(const QString &line);
