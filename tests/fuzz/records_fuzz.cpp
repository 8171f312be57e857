// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the record file reader and counter. Properties:
//   - counting (at start-up), reading (export) and the viewer's index of the
//     file agree on the number of records of any file, and the index's lines
//     with their line ends make up the file's text;
//   - counting in one piece and counting across blocks agree.
#include "common/textfile.h"
#include "records/recordindex.h"
#include "records/recordstore.h"
#include "tests/fuzz/fuzzcheck.h"

#include <QFile>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace numbelle;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::int64_t counted = countRecordLines(bytes);
    FUZZ_EXPECT(counted == parseRecords(bytes).size(), "counting and reading agree");
    const qsizetype half = bytes.size() / 2;
    const QByteArray first = bytes.left(half);
    const QByteArray second = bytes.mid(half);
    // Split anywhere, the parts count the same lines unless the split falls
    // inside a line, which then counts in both parts at most once more.
    const std::int64_t parts = countRecordLines(first) + countRecordLines(second);
    FUZZ_EXPECT(parts == counted || parts == counted + 1, "counting does not depend on where the file is cut");

    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("datafile.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(bytes);
    file.close();
    const RecordFileIndex index(path);
    FUZZ_EXPECT(index.recordCount() == counted, "the viewer's index counts as counting does");
    QString text;
    for (qsizetype line = 0; line < index.lineCount(); ++line)
        text += index.lineText(line) + index.lineEnd(line);
    FUZZ_EXPECT(text == fromGbk(bytes), "the index's lines make up the file");
    return 0;
}
