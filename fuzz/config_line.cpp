// The configuration line: parsed as its deciphered text, and read from a file that holds it.
#include "FuzzSupport.h"
#include "security/ConfigFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const ConfigFile config(fuzz::scratchFolder());
    const QByteArray input = fuzz::bytes(data, size);

    if (const std::optional<ConfigFile::Settings> settings = ConfigFile::parseLine(input)) {
        FUZZ_CHECK(settings->reach.size() == 1);
        FUZZ_CHECK(!settings->key || settings->reach != QLatin1String("0"));
    } else {
        FUZZ_CHECK(input.isEmpty());
    }

    fuzz::writeFile(config.path(), input);
    const std::optional<ConfigFile::Settings> read = config.read();
    FUZZ_CHECK(read || input.isEmpty() || input == "\n" || input == "\r\n");
    return 0;
}
