// SPDX-License-Identifier: GPL-3.0-or-later
#include "wavefile.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace numbelle {

QByteArray waveFileBytes(std::span<const qint16> samples)
{
    const auto dataBytes = quint32(samples.size() * 2);
    QByteArray bytes(44, '\0');
    char *h = bytes.data();
    std::memcpy(h, "RIFF", 4);
    qToLittleEndian<quint32>(36 + dataBytes, h + 4);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    qToLittleEndian<quint32>(16, h + 16);
    qToLittleEndian<quint16>(1, h + 20); // PCM
    qToLittleEndian<quint16>(1, h + 22); // one channel
    qToLittleEndian<quint32>(kWaveRate, h + 24);
    qToLittleEndian<quint32>(kWaveRate * 2, h + 28);
    qToLittleEndian<quint16>(2, h + 32);
    qToLittleEndian<quint16>(16, h + 34);
    std::memcpy(h + 36, "data", 4);
    qToLittleEndian<quint32>(dataBytes, h + 40);
    bytes.reserve(44 + qsizetype(dataBytes));
    for (qint16 s : samples) {
        char le[2];
        qToLittleEndian<qint16>(s, le);
        bytes.append(le, 2);
    }
    return bytes;
}

namespace {

// Where the samples of a wave file of the shipped format lie, found in its
// first bytes: the data chunk's offset and declared length.
struct WaveData {
    qint64 offset = 0;
    qint64 length = 0;
};

std::optional<WaveData> findData(const QByteArray &bytes)
{
    const auto *b = reinterpret_cast<const uchar *>(bytes.constData());
    const qint64 size = bytes.size();
    if (size < 12 || std::memcmp(b, "RIFF", 4) != 0 || std::memcmp(b + 8, "WAVE", 4) != 0)
        return std::nullopt;
    bool format = false;
    qint64 at = 12;
    while (at + 8 <= size) {
        const quint32 length = qFromLittleEndian<quint32>(b + at + 4);
        const qint64 body = at + 8;
        if (std::memcmp(b + at, "fmt ", 4) == 0) {
            if (length < 16 || body + 16 > size)
                return std::nullopt;
            const uchar *f = b + body;
            if (qFromLittleEndian<quint16>(f) != 1 || qFromLittleEndian<quint16>(f + 2) != 1 ||
                qFromLittleEndian<quint32>(f + 4) != quint32(kWaveRate) || qFromLittleEndian<quint16>(f + 12) != 2 ||
                qFromLittleEndian<quint16>(f + 14) != 16)
                return std::nullopt;
            format = true;
        } else if (std::memcmp(b + at, "data", 4) == 0) {
            if (!format)
                return std::nullopt;
            return WaveData{body, length};
        }
        at = body + qint64(length) + (length & 1);
    }
    return std::nullopt;
}

} // namespace

std::optional<Samples> readWaveFile(const QByteArray &bytes)
{
    const std::optional<WaveData> data = findData(bytes);
    if (!data || data->length % 2 != 0 || data->offset + data->length > bytes.size())
        return std::nullopt;
    Samples samples(size_t(data->length / 2));
    const auto *from = reinterpret_cast<const uchar *>(bytes.constData()) + data->offset;
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = qFromLittleEndian<qint16>(from + 2 * i);
    return samples;
}

std::optional<int> waveFileLengthMs(const QByteArray &start, qint64 fileSize)
{
    const std::optional<WaveData> data = findData(start);
    if (!data || data->offset > fileSize)
        return std::nullopt;
    const qint64 bytes = std::min(data->length, fileSize - data->offset);
    return int(bytes / 2 * 1000 / kWaveRate);
}

} // namespace numbelle
