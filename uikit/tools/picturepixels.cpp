// SPDX-License-Identifier: GPL-3.0-or-later
// Build step: decodes a picture once, when the program is built, and writes
// its pixels in the form the program reads without decoding (see
// builtInPixels in widgets.cpp):
//
//   picturepixels PICTURE OUT
//
// OUT holds "NBPX" (an opaque picture) or "NBPA" (one with transparency),
// the width and the height (32-bit, little-endian), then the rows of 32-bit
// 0xAARRGGBB pixels (alpha 0xff in an opaque one, colours not multiplied by
// alpha), top row first.
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QtEndian>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PICTURE OUT\n", argv[0]);
        return 2;
    }
    QImageReader reader(QString::fromLocal8Bit(argv[1]));
    QImage image;
    if (!reader.read(&image)) {
        std::fprintf(stderr, "%s: %s\n", argv[1], qPrintable(reader.errorString()));
        return 1;
    }
    const bool transparent = image.hasAlphaChannel();
    image = image.convertToFormat(transparent ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    QByteArray out(transparent ? "NBPA" : "NBPX");
    for (const int n : {image.width(), image.height()}) {
        const quint32 le = qToLittleEndian(quint32(n));
        out.append(reinterpret_cast<const char *>(&le), sizeof le);
    }
    QByteArray row(qsizetype(image.width()) * 4, Qt::Uninitialized);
    for (int y = 0; y < image.height(); ++y) {
        qToLittleEndian<quint32>(image.constScanLine(y), image.width(), row.data());
        out.append(row);
    }
    QFile file(QString::fromLocal8Bit(argv[2]));
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size() || !file.flush()) {
        std::fprintf(stderr, "%s: cannot write\n", argv[2]);
        return 1;
    }
    return 0;
}
