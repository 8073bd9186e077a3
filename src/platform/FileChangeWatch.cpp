#include "FileChangeWatch.h"

#include <QDir>
#include <QFileInfo>

FileChangeWatch::FileChangeWatch(const QString &folder, const QStringList &names,
    std::chrono::milliseconds quiet, QObject *parent)
    : QObject(parent)
    , m_folder(folder)
    , m_names(names)
{
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(quiet);
    const auto noted = [this] {
        watch();
        m_quiet.start();
    };
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, noted);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, noted);
    connect(&m_quiet, &QTimer::timeout, this, &FileChangeWatch::changed);
    watch();
}

void FileChangeWatch::watch()
{
    // A file replaced by a rename is another file under the same name: watched anew.
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    QStringList paths;
    if (m_watcher.directories().isEmpty() && QFileInfo(m_folder).isDir())
        paths.append(m_folder);
    const QDir folder(m_folder);
    for (const QString &name : m_names) {
        if (QFileInfo(folder.filePath(name)).isFile())
            paths.append(folder.filePath(name));
    }
    if (!paths.isEmpty())
        m_watcher.addPaths(paths);
}
