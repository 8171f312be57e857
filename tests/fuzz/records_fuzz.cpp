// libFuzzer target for the record file reader and counter. Properties:
//   - counting (at start-up) and reading (viewer and export) agree on the
//     number of records of any file;
//   - counting in one piece and counting across blocks agree.
#include "records/recordstore.h"
#include "tests/fuzz/fuzzcheck.h"

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
    return 0;
}
