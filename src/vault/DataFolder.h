#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <sys/stat.h>

// The one way into a folder of the program's files ("Data"): every open, read, write, rename and
// removal in it is made relative to a descriptor of the folder, opened for that call. A symbolic
// link in the folder is never followed, and only regular files of the folder's owner are read
// or written, so nothing outside the folder is ever touched. Files that root makes in a folder
// of another user are given to that user.
//
// A whole-file write goes to a temporary file, which is written, synced, renamed over the file,
// and then the folder is synced: a step failing in any way (an I/O error, a full disk) is a
// failed write that leaves the old file. failure() then names the file and the system's reason.
class DataFolder
{
public:
    // The most a database file may hold: ten times the largest vault seen, and little enough
    // to be read, decoded and listed in a few seconds.
    static constexpr qint64 databaseLimit = qint64(256) << 20;

    enum class Status { Read, Missing, Failed };
    struct Content
    {
        Status status;
        QByteArray bytes;
    };

    explicit DataFolder(const QString &path);
    ~DataFolder();
    DataFolder(const DataFolder &) = delete;
    DataFolder &operator=(const DataFolder &) = delete;

    const QString &path() const { return m_path; }

    // Makes the folder (mode 0700, given to the owner of the folder above when root makes it)
    // and takes group and other access away from it and from the named files in it.
    void create(const QStringList &privateFiles) const;
    // False when nothing can be written in the folder (read-only, or missing and not makeable).
    bool writable() const;

    // The file whole; a file larger than the limit is not read.
    Content read(const QString &name, qint64 limit = databaseLimit) const;
    // The file's last bytes, up to the count given (none of an empty file).
    Content readEnd(const QString &name, qint64 count) const;
    bool exists(const QString &name) const;
    // What tells one state of a file from another: none when it is missing.
    struct Stamp
    {
        dev_t device;
        ino_t inode;
        off_t size;
        qint64 modified; // nanoseconds
        bool operator==(const Stamp &) const = default;
    };
    std::optional<Stamp> stamp(const QString &name) const;
    // The names of the regular files in the folder.
    QStringList names() const;

    // Replaces the file with the content (mode 0600); on failure the file is as it was.
    bool write(const QString &name, QByteArrayView content) const;
    // Appends what `bytes` gives for the file's size and last byte (0 when empty), creating the
    // file (mode 0600) when missing. On failure the file is cut back to its old length (or
    // removed when this call made it); where even that fails, failure() says so.
    using Appendix = std::function<QByteArray(qint64 size, char last)>;
    bool append(const QString &name, const Appendix &bytes) const;
    // A missing file counts as removed.
    bool remove(const QString &name) const;
    bool rename(const QString &from, const QString &to) const;
    // A descriptor of the file open for writing (created when missing) for locking, or -1; the
    // caller closes it.
    int openForLock(const QString &name) const;

    // What the last failed step was: the file, and the system's reason.
    QString failure() const { return m_failure; }
    void clearFailure() const { m_failure.clear(); }
    // What a write leaves when it is killed before its end, after the file's name: the new
    // content, and a second name of the old file.
    static constexpr char newSuffix[] = ".vaultine-new";
    static constexpr char oldSuffix[] = ".vaultine-old";

private:
    int openFolder() const;
    // A descriptor of a regular file of the folder's owner, opened without following a link;
    // -1 with failure() set, and errno ENOENT when the file is missing.
    int openFile(const QString &name, int flags) const;
    bool givenToOwner(int fd, const struct stat &info) const;
    // Opens the file for reading and reads it with read(fd, its stat).
    template <typename Read> Content readOpened(const QString &name, const Read &read) const;
    bool syncFolder(const QString &name) const;
    bool fail(const QString &name, const QString &reason) const;
    bool failWithErrno(const QString &name) const;

    QString m_path;
    mutable int m_fd = -1;
    mutable uid_t m_owner = 0;
    mutable gid_t m_group = 0;
    mutable QString m_failure;
};
