#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <chrono>

// Tells once, a short quiet while after the last of a burst of changes, that a folder or one
// of the named files in it changed: written to, replaced by a rename, made or removed. A file
// replaced or made later is watched from then on. Between changes no timer runs.
class FileChangeWatch : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds usualQuiet {300};

    FileChangeWatch(const QString &folder, const QStringList &names,
        std::chrono::milliseconds quiet = usualQuiet, QObject *parent = nullptr);

signals:
    void changed();

private:
    // Watches the folder and those of the files that exist now.
    void watch();

    QFileSystemWatcher m_watcher;
    QTimer m_quiet;
    QString m_folder;
    QStringList m_names;
};
