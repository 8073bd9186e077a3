#pragma once

#include <QString>

// What opening a Path hands to the shell: an existing local file or folder as its absolute
// path ("~" stands for the home folder, and a relative path is taken from there), anything
// else as it stands.
QString shellTarget(const QString &path, const QString &homeFolder);
