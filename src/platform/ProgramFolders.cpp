#include "ProgramFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>

#include <unistd.h>

ProgramFolders::ProgramFolders(const QString &programFolder)
    : m_userFolder(programFolder)
    , m_shipped {programFolder}
{ }

ProgramFolders::ProgramFolders(const QString &userFolder, const QString &sharedFolder)
    : m_userFolder(userFolder)
    , m_shipped {userFolder, sharedFolder}
    , m_installed(true)
{ }

ProgramFolders ProgramFolders::locate(
    const QString &executableFolder, const QProcessEnvironment &environment)
{
    const QString shared = QDir::cleanPath(executableFolder + QStringLiteral("/../share/vaultine"));
    if (QDir(executableFolder).dirName() != QLatin1String("bin") || !QFileInfo(shared).isDir())
        return ProgramFolders(executableFolder);
    // A relative XDG_DATA_HOME is to be ignored. Without it and without HOME there is no user
    // folder: the empty name, which prepare() refuses.
    QString data = environment.value(QStringLiteral("XDG_DATA_HOME"));
    const QString home = environment.value(QStringLiteral("HOME"));
    if (!QDir::isAbsolutePath(data))
        data = QDir::isAbsolutePath(home) ? home + QStringLiteral("/.local/share") : QString();
    return ProgramFolders(
        data.isEmpty() ? QString() : QDir::cleanPath(data + QStringLiteral("/vaultine")), shared);
}

QString ProgramFolders::shippedFile(const QString &relativePath) const
{
    for (const QString &folder : m_shipped) {
        if (QFileInfo::exists(folder + u'/' + relativePath))
            return folder + u'/' + relativePath;
    }
    return m_shipped.first() + u'/' + relativePath;
}

QStringList ProgramFolders::shippedFolders(const QString &name) const
{
    QStringList folders;
    for (const QString &folder : m_shipped)
        folders.append(folder + u'/' + name);
    return folders;
}

bool ProgramFolders::prepare() const
{
    if (!m_installed)
        return true;
    if (m_userFolder.isEmpty())
        return false;
    constexpr QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    if (!QFileInfo(m_userFolder).isDir()) {
        QDir().mkpath(QFileInfo(m_userFolder).absolutePath());
        QDir().mkdir(m_userFolder, ownerOnly);
    }
    // No one else may move "Data" away or put language files in: the user's own, mode 0700
    // (a file system without modes, such as a USB stick's, keeps its own).
    if (!QFileInfo(m_userFolder).isDir() || foreign())
        return false;
    QFile::setPermissions(m_userFolder, ownerOnly);
    return true;
}

bool ProgramFolders::foreign() const
{
    const QFileInfo folder(m_userFolder);
    return folder.isDir() && folder.ownerId() != ::geteuid();
}

QString ProgramFolders::failureText() const
{
    if (m_userFolder.isEmpty())
        return QStringLiteral("Neither XDG_DATA_HOME nor HOME is set to an absolute path, so "
                              "there is no folder for your files. Vaultine ends.");
    if (foreign())
        return QStringLiteral("The folder for your files, %1, belongs to another user. Vaultine "
                              "ends.")
            .arg(QDir::toNativeSeparators(m_userFolder));
    return QStringLiteral("The folder for your files, %1, could not be created. Vaultine ends.")
        .arg(QDir::toNativeSeparators(m_userFolder));
}
