#pragma once

#include <QString>
#include <QStringList>

class QProcessEnvironment;

// Where a copy of the program keeps its files. An installed copy (its executable in "bin"
// beside "share/vaultine") keeps each user's files in $XDG_DATA_HOME/vaultine and reads the
// shipped "intl" and "Help" from there first, then from "share/vaultine". Any other copy keeps
// everything in its program folder.
class ProgramFolders
{
public:
    // A portable copy: everything in the program folder.
    ProgramFolders(const QString &programFolder);

    static ProgramFolders locate(
        const QString &executableFolder, const QProcessEnvironment &environment);

    bool installed() const { return m_installed; }
    // "Data", "lang.dat" and "CFDB.pdb" are here; empty when installed without HOME and
    // XDG_DATA_HOME.
    const QString &userFolder() const { return m_userFolder; }
    // The first folder holding the shipped file, else the file's place in the first folder.
    QString shippedFile(const QString &relativePath) const;
    // Every folder a shipped folder (e.g. "intl") may be in, the first read first.
    QStringList shippedFolders(const QString &name) const;

    // Creates an installed copy's user folder, or takes an existing one, with mode 0700; false
    // when it cannot be created, has no name or belongs to another user.
    bool prepare() const;
    QString failureText() const;

private:
    bool foreign() const;

    ProgramFolders(const QString &userFolder, const QString &sharedFolder);

    QString m_userFolder;
    QStringList m_shipped;
    bool m_installed = false;
};
