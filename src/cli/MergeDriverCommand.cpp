#include "MergeDriverCommand.h"

#include "Console.h"
#include "Invocation.h"
#include "vault/ConflictMarkers.h"
#include "vault/CutTail.h"
#include "vault/DataFolder.h"
#include "vault/EncipheredLines.h"
#include "vault/RecordBook.h"
#include "vault/RecordCodec.h"
#include "vault/RecordLine.h"
#include "vault/RecordMerge.h"
#include "vault/SealedFile.h"

#include <QFileInfo>

#include <algorithm>
#include <array>
#include <functional>

namespace {

using Password = std::function<std::optional<QString>()>;

// One of the three files: read through its folder, opened or deciphered with the password when
// sealed or enciphered.
struct Side
{
    explicit Side(const QString &file)
        : path(file)
        , folder(path.absolutePath())
    { }

    QFileInfo path;
    DataFolder folder;
    QStringList records;
    std::optional<SealedFile::Key> key; // a sealed file's
    std::optional<QByteArray> cipherKey; // an enciphered file's

    // False, told, when the file cannot be read as records.
    bool read(const Console &console, const Password &password)
    {
        DataFolder::Content file = folder.read(path.fileName());
        if (file.status != DataFolder::Status::Read) {
            console.warn(file.status == DataFolder::Status::Missing
                    ? path.filePath() + QStringLiteral(": there is no such file.")
                    : folder.failure());
            return false;
        }
        if (SealedFile::readHeader(file.bytes))
            return readSealed(file.bytes, console, password);
        file.bytes.truncate(CutTail::wholeLength(file.bytes)); // a cut end is no record
        if (const qsizetype line = ConflictMarkers::firstLine(file.bytes, EncodeRecord(":!"))) {
            console.warn(ConflictMarkers::refusal(path.filePath(), line));
            return false;
        }
        if (EncipheredLines::isEnciphered(file.bytes))
            return readEnciphered(file.bytes, console, password);
        records = RecordLine::linesFromBytes(DecodeRecord(file.bytes));
        return true;
    }

    bool readSealed(const QByteArray &content, const Console &console, const Password &password)
    {
        const std::optional<QString> entry = password();
        SealedFile::Opened opened
            = entry ? SealedFile::openBytes(content, *entry) : SealedFile::Opened {};
        if (opened.status != SealedFile::Status::Opened) {
            console.warn(path.filePath()
                + QStringLiteral(": it does not open with the master password given."));
            return false;
        }
        key = std::move(opened.key);
        records = RecordLine::linesFromBytes(
            DecodeRecord(opened.content), LineFile::ByteOrderMark::Keep);
        return true;
    }

    bool readEnciphered(const QByteArray &content, const Console &console, const Password &password)
    {
        cipherKey = RecordLine::toBytes(password().value_or(QString()));
        const EncipheredLines::Records read = EncipheredLines::decipherRecords(content, *cipherKey);
        if (read.refusedLine > 0) {
            console.warn(QStringLiteral("%1: line %2 does not decipher with the master password "
                                        "given; nothing was merged.")
                             .arg(path.filePath())
                             .arg(read.refusedLine));
            return false;
        }
        records = RecordLine::linesFromBytes(
            DecodeRecord(LineFile::joined(read.coded)), LineFile::ByteOrderMark::Keep);
        return true;
    }
};

// OURS replaced by the records, in the kind of file the sides are: sealed again with OURS's key,
// enciphered with the key when a side is enciphered, else coded.
bool writeOurs(const Side &ours, const QStringList &records, const std::optional<QByteArray> &key)
{
    const QByteArray coded = EncodeRecord(RecordLine::linesToBytes(
        records, ours.key || key ? LineFile::ByteOrderMark::Keep : LineFile::ByteOrderMark::Drop));
    if (ours.key)
        return SealedFile(ours.folder, ours.path.fileName()).seal(*ours.key, coded);
    if (!key)
        return ours.folder.write(ours.path.fileName(), coded);
    const std::optional<QByteArray> content = EncipheredLines::fileContent(
        LineFile::linesOf(coded, LineFile::ByteOrderMark::Keep), *key);
    return content && ours.folder.write(ours.path.fileName(), *content);
}

} // namespace

MergeDriverCommand::MergeDriverCommand()
    : Command({.name = "merge-driver",
        .description = "Merges three versions of a database file for git.",
        .details = "git's merge driver for Data/CF2DB.pdb (and Data/CF2DB.edb and Data/CF2DB.sdb): "
                   "BASE, OURS and THEIRS are git's %O, %A and %B. The records of both sides are "
                   "written into OURS without those either side removed from BASE; the records "
                   "of a service that both sides changed are kept in every version, never as "
                   "conflict marker lines. Status 0 when the merge is clean, 1 when a "
                   "record was changed on both sides (named on standard error) or the files "
                   "could not be merged. An enciphered or sealed file asks for the master "
                   "password on the terminal (with --password-stdin, the first line): the "
                   "enciphered file is deciphered with it and enciphered again, a line that does "
                   "not decipher refusing the merge; the sealed file is sealed again with OURS's "
                   "key. Set up in the repository: the lines \"Data/CF2DB.pdb merge=vaultine\", "
                   "\"Data/CF2DB.edb merge=vaultine\" and \"Data/CF2DB.sdb merge=vaultine\" in "
                   ".gitattributes, and git config merge.vaultine.driver \"vaultine-cli "
                   "merge-driver %O %A %B\".",
        .arguments = {{"base", "The common version (%O)."}, {"ours", "Our version (%A)."},
            {"theirs", "Their version (%B)."}}})
{ }

int MergeDriverCommand::execute(const Invocation &invocation)
{
    const Console &console = invocation.console;
    std::array<Side, 3> sides {Side(invocation.arguments.at(0)), Side(invocation.arguments.at(1)),
        Side(invocation.arguments.at(2))};
    Side &ours = sides[1];
    std::optional<std::optional<QString>> password; // asked once, for a sealed or enciphered file
    const auto masterPassword = [&] {
        if (!password)
            password = invocation.passwordFromStdin
                ? console.readSecretLine()
                : console.askSecret(QStringLiteral("Master password: "));
        return *password;
    };
    for (Side &side : sides) {
        if (!side.read(console, masterPassword))
            return Refused;
    }
    const RecordMerge merge
        = RecordMerge::fromBase(sides[0].records, ours.records, sides[2].records);
    const RecordBook book(merge.records());
    const auto enciphered = std::find_if(
        sides.begin(), sides.end(), [](const Side &side) { return side.cipherKey.has_value(); });
    if (!writeOurs(ours, book.records(),
            enciphered == sides.end() ? std::nullopt : enciphered->cipherKey)) {
        console.warn(ours.folder.failure());
        return Refused;
    }
    const QList<QStringList> both = merge.changedOnBothSides();
    for (const QStringList &lines : both) {
        const QStringList fields = RecordLine::recordFields(lines.first());
        console.warn(QStringLiteral("Changed on both sides, %1 versions kept: %2 (%3)")
                         .arg(lines.size())
                         .arg(fields.at(RecordLine::Service), fields.at(RecordLine::Username)));
    }
    return both.isEmpty() ? Success : Refused;
}
