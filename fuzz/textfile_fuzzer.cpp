// Feeds arbitrary bytes to the reader of the configuration files (code page 932, or UTF-8
// after a byte-order mark; CR LF, LF or CR line ends). Whatever it reads must come back the
// same after being written and read again: a folder path that changed on the way would send
// files somewhere else.

#include <QByteArray>
#include <QStringList>

#include <cstdint>
#include <cstdlib>

#include "platform/TextFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList lines = TextFile::decodeFile(bytes);
    for (const QString& line : lines)
        if (line.contains(QLatin1Char('\r')) || line.contains(QLatin1Char('\n'))) std::abort();
    if (TextFile::decodeFile(TextFile::encodeFile(lines)) != lines) std::abort();
    // The plain decoder on its own, as the encoder's check uses it.
    TextFile::decodeCp932(bytes);
    return 0;
}
