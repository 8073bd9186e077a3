#pragma once

#include "CutTail.h"
#include "DataFolder.h"
#include "LineFile.h"
#include "ProgramLock.h"
#include "RecordBook.h"
#include "RecordMerge.h"
#include "RemovalList.h"
#include "SealedFile.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <future>
#include <map>
#include <optional>

class Clock;
struct VaultAccess;

// The record files of a program folder: "Data/CF2DB.pdb" holds coded lines (reach 0 and 2),
// "Data/CF2DB.edb" coded lines enciphered with the database key (reach 1), "Data/CF2DB.sdb" the
// coded lines sealed under a key derived from the master password (reach 3, every write a
// whole new file). These files are deciphered and enciphered in memory: no clear copy of the
// records is written to disk.
// Every write reports its failure; the caller changes its lists only after a success.
class Database
{
public:
    enum class Source { Coded, Enciphered, Sealed };

    struct Records
    {
        RecordBook book;
        bool readWhole = true;
        std::optional<DataFolder::Stamp> stamp; // the file as it was before it was read
        QString failure; // when not read whole: the file and the system's reason, if known
    };

    Database(const QString &programFolder, VaultAccess &access);

    // Reads the reach level and the database key from the configuration without asking;
    // used when a write at reach 1 finds no key.
    void setKeyLoader(std::function<void()> loader) { m_keyLoader = std::move(loader); }
    // The clock that dates removals.
    void setClock(const Clock &clock) { m_clock = &clock; }

    // The file of the records of a source, in "Data".
    static QString fileName(Source source);
    static inline const QString configurationName = QStringLiteral("Coffrel.cnf");

    // Creates "Data" (mode 0700); takes group and other access away from it and its files.
    void EnsureDataFolder() const;
    // Removes what a kill during a whole-file write leaves, and the clear working copy that
    // earlier versions kept in the private temporary folder; only under the write lock.
    void removeWriteLeftovers(const QString &temporaryFolder) const;
    // Makes "Data", takes the window's run lock (waiting up to the time given) and, once it is
    // taken, prepares for writing.
    ProgramLock::Result lockDataFolder(
        ProgramLock &lock, int waitMilliseconds, const QString &temporaryFolder);
    // Makes "Data" and removes those leftovers under the write lock.
    void prepareForWriting(const QString &temporaryFolder);
    // The records of the source, the enciphered file deciphered with the key in force. A file
    // that exists but could not be read whole refuses every rewrite in this run.
    Records LoadRecords(Source source);
    // Opens the sealed file with the password (the slow step). When it opens, the key is kept
    // for the writes that follow and the records for LoadRecords().
    SealedFile::Status openSealed(const QString &password);
    // The same with a key kept from an earlier run, which derives nothing.
    SealedFile::Status openSealed(SealedFile::Key key);
    // Whether the password opens the sealed file (the slow step); nothing is kept.
    SealedFile::Status trySealed(const QString &password) const;
    // The sealed file opened was sealed at a lower cost than the standard one.
    bool sealedBelowStandardCost() const { return m_sealedBelowStandardCost; }
    // Seals the records of the sealed file again under a new key (one of the standard cost),
    // kept for the writes that follow; false when that failed, and the file stays as it was.
    bool sealAgain(SealedFile::Key key);
    // The key the sealed file is written with: none until a password opened the file.
    const std::optional<SealedFile::Key> &sealKey() const { return m_sealKey; }
    void setSealKey(std::optional<SealedFile::Key> key) { m_sealKey = std::move(key); }
    // Reads and sorts the coded file on a thread of its own (while the splash shows),
    // for LoadRecords() to take.
    void preloadRecords();
    // Each write holds the folder's write lock; one finding the file changed by another program
    // since this one read or wrote it rewrites nothing (an append still appends).
    // An append of a line the list of removals names writes that list first, the line added
    // again. A rewrite with a change of removals writes the records first, then the list (a
    // list written first when the change adds a line again): a kill between the two leaves a
    // removal unnoted, never noted for a record the file holds.
    // A merge writes its list first too: the removals it takes came from the other copy, done
    // there.
    using RemovalChange = std::function<void(RemovalList &removals, qint64 today)>;
    enum class ListFirst { WhenAddedAgain, Always };
    bool AppendRecord(const QString &line);
    bool RewriteDatabase(const RecordBook &records, const RemovalChange &change = {},
        ListFirst listFirst = ListFirst::WhenAddedAgain);
    bool RewriteDatabase(const QStringList &records, const RemovalChange &change = {})
    {
        return RewriteDatabase(RecordBook(records), change);
    }
    // The list of removals (or a conflict copy of it), keyed for the level in force; none when
    // it could not be read.
    std::optional<RemovalList> removals(const QString &name = RemovalList::fileName);
    // The secret the list of removals is kept under at the sealed level, for the seal key.
    static QByteArray removalSecretOf(const SealedFile::Key &key)
    {
        return key.secretFor("Vaultine removals");
    }
    // Runs a change of level or password (under the write lock) whose new secret of the list
    // of removals is given: the list opens under the old and the new secret until the change
    // is done. False, nothing changed, when the list could not be written, or the change's.
    bool carryRemovals(const QByteArray &newSecret, const std::function<bool()> &change);
    // The conflict copies that sync tools left of the files in Data, by name; none set aside.
    QStringList conflictCopies() const;
    // The records of a conflict copy of a database file, read as that file is with this
    // folder's key, a sealed one under another key with the password given; none when it
    // cannot be (failure()).
    std::optional<QStringList> recordsOfCopy(
        const QString &name, const std::function<std::optional<QString>()> &password);
    // The records given and this folder's removals merged with a conflict copy: the records of
    // a copy of a database file (a sealed one under another key opened with the password) with
    // the removals of every copy of the list beside it, or the removals of a copy of the list;
    // none when a copy cannot be read (failure()).
    struct CopyMerge
    {
        RecordMerge merge;
        QStringList copies; // the names merged
    };
    std::optional<CopyMerge> mergeOfCopy(const QStringList &records, const QString &name,
        const std::function<std::optional<QString>()> &password);
    // A merged copy renamed with ".merged-", the date and time after its name.
    bool setAsideMerged(const QString &name) const;
    // Runs the write under the folder's write lock (once: calls within it take it no more),
    // waiting up to the usual time for another program's write; false when it is not taken.
    bool whileLocked(const std::function<bool()> &write);
    // The records of the file of the level in force, read again when another program changed
    // the file since this one read or wrote it; none when it did not change.
    std::optional<Records> recordsChangedElsewhere();
    bool changedElsewhere(Source source) const;
    // The file is read again before the next rewrite: it holds records that may not be listed.
    void forgetSeen(Source source) { noteSeen(source, std::nullopt); }
    // The coded lines of a database file, those of the enciphered one deciphered with the key,
    // those of the sealed one opened with the kept key; Failed when they do not open.
    // A copy's name reads that file of Data as the source's file.
    LineFile::ReadResult readCodedLines(
        Source source, const QByteArray &key, const QString &copy = {}) const;
    // Replaces a database file with the coded lines, enciphered with the key for the
    // enciphered file.
    bool writeCodedLines(
        bool enciphered, const QList<QByteArray> &coded, const QByteArray &key) const;
    // Replaces the sealed file with the coded lines sealed under the key.
    bool sealCodedLines(const QList<QByteArray> &coded, const SealedFile::Key &key) const;

    bool exists(Source source) const { return m_folder.exists(fileName(source)); }
    // True when the file is gone afterwards; a cut end of it is kept aside first.
    bool remove(Source source)
    {
        return keepCutTail(source).kind == CutTail::Kind::Whole
            && m_folder.remove(fileName(source));
    }
    // The end of the file of coded or enciphered lines that a write cut short (CutTail): set
    // aside under the write lock, or without mayWrite found and left. Whole when the file has
    // none or it was set aside; that write counts as this program's own, unless another program
    // had changed the file before.
    CutTail::Outcome keepCutTail(Source source, bool mayWrite = true);
    // The cut ends set aside or left since the last call, by file, to be told once.
    std::map<Source, CutTail::Outcome> takeCutTails() { return std::exchange(m_cutTails, {}); }
    // Renames the file to its name followed by ".kept-" and the date and time; false when it
    // stays where it was.
    bool setAside(Source source) const;
    // The configuration file is there, read or not, whatever the letter case of its name.
    bool configurationExists() const;
    // The file and the system's reason of the last failed step.
    QString failure() const { return m_failure.isEmpty() ? m_folder.failure() : m_failure; }

    // True when no database file exists, so that the old database may be imported.
    bool UpdateImportOffer() const;

    // False after a start-up that could not read an existing database file whole: a rewrite
    // from the partial list would erase the records that were not read.
    bool rewriteAllowed() const { return !m_rewriteRefused && !m_conversionUnfinished; }
    // Neither the old state of a conversion nor the new one: adds and rewrites are refused
    // until a start finishes it.
    void markConversionUnfinished() { m_conversionUnfinished = true; }
    bool conversionUnfinished() const { return m_conversionUnfinished; }
    // The enciphered file holds records that this run did not read: it is never written or
    // deleted in this run, and no coded file is made beside it (a start whose settings name
    // reach 1 again would take that for a cut-short conversion and replace the enciphered file).
    void keepEncipheredFile() { m_encipheredKept = true; }
    bool encipheredKept() const { return m_encipheredKept; }
    // The same for a sealed file that this run did not open, at another level than 3.
    void keepSealedFile() { m_sealedKept = true; }
    bool sealedKept() const { return m_sealedKept; }

    VaultAccess &access() const { return m_access; }
    const QString &programFolder() const { return m_programFolder; }
    QString dataFolder() const { return m_programFolder + QStringLiteral("/Data"); }
    QString codedPath() const { return pathOf(Source::Coded); }
    QString encipheredPath() const { return pathOf(Source::Enciphered); }
    QString sealedPath() const { return pathOf(Source::Sealed); }

private:
    // The copy is one of the list of removals.
    static bool isListCopy(const QString &name);
    QString pathOf(Source source) const { return dataFolder() + u'/' + fileName(source); }
    static Records readRecords(const DataFolder &folder);
    // Why the content of a file may not be read as records (a merge left conflict markers in
    // it); empty when it may.
    static QString markerFailure(
        const DataFolder &folder, const QString &name, QByteArrayView content);
    Source sourceInForce() const;
    // The file as this program last read or wrote it.
    void noteSeen(Source source, std::optional<DataFolder::Stamp> stamp) const;
    void noteWritten(Source source) const { noteSeen(source, m_folder.stamp(fileName(source))); }
    // The write's result, the file noted when it was written.
    bool noted(Source source, bool written) const
    {
        if (written)
            noteWritten(source);
        return written;
    }
    Records readEnciphered();
    static QStringList dataFiles()
    {
        return {fileName(Source::Coded), fileName(Source::Enciphered), fileName(Source::Sealed),
            configurationName, RemovalList::fileName};
    }
    QByteArray databaseKey();
    bool appendLine(Source source, const QByteArray &line, LineFile::ByteOrderMark mark) const;
    bool AppendEncipheredRecord(const QByteArray &coded);
    // False when a write would make a coded file beside a kept enciphered or sealed one.
    bool keptFileSpared() const;
    // The list changed and written, when that changes the file.
    bool changeRemovals(const RemovalChange &change);
    struct RemovalWrite
    {
        bool changes = false; // the file
        bool addsAgain = false; // a line removed before
        QByteArray content;
    };
    std::optional<RemovalWrite> changedRemovals(const RemovalChange &change);
    bool writeRemovals(const RemovalWrite &removals);
    // The secret of the list of removals at the level in force; none when it is not known.
    std::optional<QByteArray> removalSecret();
    std::optional<RemovalList> removalsOf(const DataFolder::Content &file, const QString &name);

    bool AppendSealedRecord(const QByteArray &coded);
    // The content of a sealed file of Data opened with the kept key; none when it does not open.
    std::optional<QByteArray> sealedContent(const QString &name) const;
    bool sealContent(const QByteArray &content) const;
    // The content and the key of the sealed file when it opened.
    SealedFile::Status keepOpened(SealedFile::Opened opened);
    // The whole file of the level in force written from the records.
    bool rewrite(const RecordBook &records);

    QString m_programFolder;
    DataFolder m_folder;
    VaultAccess &m_access;
    std::function<void()> m_keyLoader;
    const Clock *m_clock;
    mutable std::map<Source, std::optional<DataFolder::Stamp>> m_seen;
    int m_lockDepth = 0;
    QString m_failure; // a write refused before it reached the folder
    bool m_rewriteRefused = false;
    bool m_conversionUnfinished = false;
    bool m_encipheredKept = false;
    bool m_sealedKept = false;
    std::optional<SealedFile::Key> m_sealKey;
    bool m_sealedBelowStandardCost = false;
    QByteArray m_sealedContent; // as opened at start-up, until LoadRecords() takes it
    std::future<Records> m_preload;
    std::map<Source, CutTail::Outcome> m_cutTails;
};
