// SPDX-License-Identifier: GPL-3.0-or-later
// Figures for the record file: the start-up count of a 1,000,000-record file
// (it must stay well under 0.5 s), opening the record viewer on it (under 1 s
// and 100 MB), reading it back whole and adding it up as the export does, and the cost of storing one record
// through RecordStore as entry mode does it (each record written straight to
// the operating system, the file closed and reopened every tenth record), and
// a correction of the first record (the whole file written anew and
// renumbered) with the memory it takes.
//
//   numbelle_bench_records [RECORDS]

#include "records/batch.h"
#include "records/recordindex.h"
#include "records/recordstore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace numbelle;

namespace {

// Resident and peak resident memory of this process, in KiB.
long statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}
long residentKb() { return statusKb("VmRSS:"); }
long peakKb() { return statusKb("VmHWM:"); }

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const std::int64_t records = argc > 1 ? std::atoll(argv[1]) : 1000000;
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a temp folder\n");
        return 1;
    }

    // A file as entry mode writes it: " N value" lines, CR LF.
    const QString big = dir.filePath(QStringLiteral("datafile.txt"));
    {
        QFile file(big);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        QByteArray chunk;
        for (std::int64_t i = 1; i <= records; ++i) {
            chunk += recordLine(i, QString::number(i * 37 % 1000003));
            if (chunk.size() > (1 << 20)) {
                file.write(chunk);
                chunk.clear();
            }
        }
        file.write(chunk);
    }
    const qint64 bytes = QFileInfo(big).size();

    std::vector<double> countMs;
    std::int64_t counted = 0;
    for (int run = 0; run < 7; ++run) {
        QElapsedTimer t;
        t.start();
        counted = countRecords(big);
        countMs.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::printf("count %lld records (%.1f MB): median %.1f ms, slowest %.1f ms (limit 500 ms)%s\n",
                static_cast<long long>(counted), double(bytes) / 1e6, median(countMs),
                *std::max_element(countMs.begin(), countMs.end()), counted == records ? "" : "  WRONG COUNT");

    {
        // A correction: the first record deleted, every record after it
        // renumbered, the backup copied, the file replaced. Run first, with
        // the peak reset, so the peak is the correction's own.
        RecordStore store(big);
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        if (clear.open(QIODevice::WriteOnly))
            clear.write("5");
        clear.close();
        const long before = residentKb();
        QElapsedTimer t;
        t.start();
        const ChangeResult result =
            store.change(RecordChange{RecordChange::Remove, 0, QString(), QStringLiteral("37")});
        const double removeMs = double(t.nsecsElapsed()) / 1e6;
        t.restart();
        store.change(RecordChange{RecordChange::Insert, 0, QStringLiteral("37"), QString()});
        std::printf("correct the first of %lld records: delete %.0f ms (with the backup), insert %.0f ms; peak %.1f MB "
                    "resident, %.1f MB over the start%s\n",
                    static_cast<long long>(records), removeMs, double(t.nsecsElapsed()) / 1e6, double(peakKb()) / 1024,
                    double(peakKb() - before) / 1024,
                    result.outcome == ChangeOutcome::Done && result.records == records - 1 ? "" : "  FAILED");
    }

    {
        // Opening the record viewer: the file indexed and added up in one
        // pass, then the first screen of lines read from it. Measured before
        // anything else reads the whole file, so the peak is the viewer's.
        const long before = residentKb();
        QElapsedTimer t;
        t.start();
        const RecordFileIndex index(big);
        QString screen;
        for (qsizetype line = 0; line < std::min<qsizetype>(40, index.lineCount()); ++line)
            screen += index.lineText(line);
        const double ms = double(t.nsecsElapsed()) / 1e6;
        std::printf("open the viewer on %lld records: %.0f ms (goal 1000 ms), %.1f MB more resident, peak %.1f MB "
                    "(goal 100 MB); %s\n",
                    static_cast<long long>(index.recordCount()), ms, double(residentKb() - before) / 1024,
                    double(peakKb()) / 1024, qPrintable(batchStatusText(index.summary())));
    }

    {
        QElapsedTimer t;
        t.start();
        const QList<Record> all = readRecords(big);
        std::printf("read back %lld records for export: %.0f ms\n", static_cast<long long>(all.size()),
                    double(t.nsecsElapsed()) / 1e6);
        // The record viewer's status line: every record classified and the
        // numbers added up exactly.
        t.restart();
        const BatchSummary summary = summarizeBatch(all);
        std::printf("batch total of %lld records (%s): %.0f ms\n", static_cast<long long>(summary.records),
                    qPrintable(batchStatusText(summary)), double(t.nsecsElapsed()) / 1e6);
    }

    // Storing: as equalsEntry does it, and the bare append.
    const int stores = 100000;
    const QString small = dir.filePath(QStringLiteral("store.txt"));
    auto timeStores = [&](bool flushEveryTenth) {
        QFile::remove(small);
        RecordStore store(small);
        store.openAppend();
        QElapsedTimer t;
        t.start();
        for (int i = 1; i <= stores; ++i) {
            store.append(i, QStringLiteral("12345.67"));
            if (flushEveryTenth && i % 10 == 0)
                store.flush();
        }
        const double us = double(t.nsecsElapsed()) / 1e3 / stores;
        store.close();
        return us;
    };
    const double bare = timeStores(false);
    const double asEntry = timeStores(true);
    std::printf("store one record: %.2f us (append), %.2f us (append, reopened every tenth record)\n", bare, asEntry);
    return counted == records ? 0 : 1;
}
