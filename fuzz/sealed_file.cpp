// A sealed file, opened with the key of the seeds' password, salt and cost. What opens seals
// again to a file that opens to the same content; a changed byte is refused, and told as damage
// from the second version on; the file reader gives what the bytes give.
#include "FuzzSupport.h"
#include "vault/SealedFile.h"

using Status = SealedFile::Status;

namespace {

// The seeds were sealed under "fuzz" with this salt and the least cost libsodium takes.
constexpr SealedFile::Cost cheap {1, 8};
constexpr SealedFile::Salt salt {'v', 'a', 'u', 'l', 't', 'i', 'n', 'e', '-', 'f', 'u', 'z', 'z'};
const QString password = QStringLiteral("fuzz");

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const SealedFile::Key key = [] {
        SealedFile::Cost::setStandardForTests(cheap);
        return *SealedFile::Key::derive(password, salt, cheap);
    }();
    static const DataFolder folder(fuzz::scratchFolder());
    static const SealedFile file(folder, QStringLiteral("sealed"));
    const QByteArray bytes = fuzz::bytes(data, size);

    const std::optional<SealedFile::Header> header = SealedFile::readHeader(bytes);
    QByteArray content;
    const Status status = SealedFile::openBytes(bytes, key, content);
    FUZZ_CHECK(header || status == Status::Damaged);
    FUZZ_CHECK(status == Status::Opened || content.isEmpty());
    if (status == Status::Opened) {
        FUZZ_CHECK(header->salt == salt && header->cost == cheap);
        QByteArray again;
        FUZZ_CHECK(SealedFile::openBytes(SealedFile::sealBytes(key, content), key, again)
            == Status::Opened);
        FUZZ_CHECK(again == content);
        QByteArray changed(bytes.constData(), bytes.size());
        changed[qsizetype(size / 2)] ^= 1;
        const Status changedStatus = SealedFile::openBytes(changed, key, again);
        FUZZ_CHECK(changedStatus != Status::Opened
            && (header->version == 1 || changedStatus == Status::Damaged));
    }
    // Deriving is slow at any other cost.
    if (header && header->cost == cheap) {
        fuzz::writeFile(folder.path() + QStringLiteral("/sealed"), bytes);
        const SealedFile::Opened opened = file.open(password);
        FUZZ_CHECK(opened.status == status && opened.content == content);
    }
    return 0;
}
