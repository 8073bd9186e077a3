// A whole database file: read as the coded file at reach 0, then as the enciphered file at
// reach 1 with a fixed key, and the records sorted as the main window lists them.
#include "FuzzSupport.h"
#include "vault/ConflictMarkers.h"
#include "vault/CutTail.h"
#include "vault/Database.h"
#include "vault/LineFile.h"
#include "vault/RecordBook.h"
#include "vault/RecordCodec.h"
#include "vault/RecordLine.h"
#include "vault/VaultAccess.h"

#include <QDir>
#include <QLocale>

namespace {

// The records as each line alone reads: the non-empty lines, LF or CR LF ended, less a byte
// order mark at the start of the file.
QStringList linesOneByOne(const QByteArray &coded)
{
    QStringList lines;
    for (QByteArray line : LineFile::withoutByteOrderMark(coded).toByteArray().split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            lines.append(RecordLine::fromBytes(DecodeRecord(line)));
    }
    return lines;
}

// The book read from the file holds the lines in the order that sorting them all at once, and
// adding them one by one, gives; written out, it reads back the same.
void checkBook(const RecordBook &read, const QStringList &lines)
{
    const RecordBook sorted(lines);
    RecordBook added;
    for (const QString &line : lines)
        added.insert(line);
    FUZZ_CHECK(read.records() == sorted.records());
    FUZZ_CHECK(sorted.records() == added.records());
    for (qsizetype i = 0; i < read.count(); ++i)
        FUZZ_CHECK(read.service(i) == RecordLine::serviceName(read.record(i)));
    RecordBook again;
    again.loadCoded(read.codedContent());
    FUZZ_CHECK(again.records() == read.records());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString programFolder = [] {
        // A locale whose collation sorts by keys.
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        const QString folder = fuzz::scratchFolder() + QStringLiteral("/program");
        FUZZ_CHECK(QDir().mkpath(folder + QStringLiteral("/Data")));
        return folder;
    }();
    const QByteArray content = fuzz::bytes(data, size);

    VaultAccess access;
    Database database(programFolder, access);
    QFile::remove(database.encipheredPath());
    fuzz::writeFile(database.codedPath(), content);
    const Database::Records coded = database.LoadRecords(Database::Source::Coded);
    // What follows the last line end is an append cut short: no record.
    const qsizetype whole = CutTail::wholeLength(content);
    // A line that a merge left as a conflict marker refuses the file.
    if (ConflictMarkers::firstLine(content.first(whole), EncodeRecord(":!")) > 0) {
        FUZZ_CHECK(!coded.readWhole);
        return 0;
    }
    FUZZ_CHECK(coded.readWhole);
    checkBook(coded.book, linesOneByOne(content.first(whole)));
    // A rewrite reads back as it was; it sets the cut end aside first, byte for byte.
    FUZZ_CHECK(database.RewriteDatabase(coded.book));
    const QDir folder(database.dataFolder());
    const QStringList asides = folder.entryList({QStringLiteral("CF2DB.pdb.cut-*")});
    FUZZ_CHECK(asides.size() == (whole < content.size() ? 1 : 0));
    for (const QString &aside : asides) {
        QFile file(folder.filePath(aside));
        FUZZ_CHECK(file.open(QIODevice::ReadOnly) && file.readAll() == content.sliced(whole));
        FUZZ_CHECK(file.remove());
    }
    FUZZ_CHECK(
        database.LoadRecords(Database::Source::Coded).book.records() == coded.book.records());

    access.reach = QStringLiteral("1");
    access.databaseKey = QStringLiteral("fuzz-key");
    QFile::remove(database.codedPath());
    fuzz::writeFile(database.encipheredPath(), content);
    const Database::Records enciphered = database.LoadRecords(Database::Source::Enciphered);
    checkBook(enciphered.book, enciphered.book.records());
    return 0;
}
