// The whole-file writer and reader on any bytes and any limit: what was written reads back
// the same when it fits the limit; a larger file is refused whole, never read in part; and a
// second write replaces the first entirely; a save over a file that its reader refuses keeps
// that file's bytes beside it first.
#include "FileError.h"
#include "FuzzInput.h"
#include "SafeFile.h"

#include <QFile>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    FUZZ_CHECK(dir.isValid());
    const QString path = dir.filePath("file");

    // The first two bytes give the limit, the rest is the file.
    FuzzInput input(data, size);
    const qint64 limit = input.byte() * 256 + input.byte();
    const QByteArray content = input.bytes().mid(2);

    for (const QByteArray &written : {content, content.left(content.size() / 2)}) {
        FUZZ_CHECK(writeWholeFile(path, written).isEmpty());
        int error = -1;
        QString why;
        const QByteArray read = readWholeFile(path, &error, limit, &why);
        if (written.size() <= limit) {
            FUZZ_CHECK(error == 0 && why.isEmpty());
            FUZZ_CHECK(read == written);
        } else {
            FUZZ_CHECK(error == int(FileError::FileTooLarge) && !why.isEmpty());
            FUZZ_CHECK(read.isEmpty());
        }
    }

    const QByteArray before = content.left(content.size() / 2); // what the second write left
    const bool refused = limit % 2;
    const SavedFile saved = saveOverRefused(path, content, [refused](const QString &) { return refused; });
    FUZZ_CHECK(saved.failure.isEmpty());
    FUZZ_CHECK(saved.keptAs.isEmpty() == (!refused || before.isEmpty()));
    int error = -1;
    if (!saved.keptAs.isEmpty()) {
        FUZZ_CHECK(readWholeFile(saved.keptAs, &error, size) == before && error == 0);
        QFile::remove(saved.keptAs);
    }
    FUZZ_CHECK(readWholeFile(path, &error, size) == content && error == 0);
    return 0;
}
