// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets.h"

#include "common/fileio.h"
#include "platform/system/memory.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QResource>
#include <QScreen>
#include <QSysInfo>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace numbelle::ui {

namespace {
bool s_manualTimers = false;
// No face or button picture is this large; a bigger file is not read.
constexpr qint64 kPictureReadLimit = 64 * 1024 * 1024;

// The installed face as its file holds it.
constexpr char16_t kInstalledFace[] = u":/numbelle/countface107.jpg";

// The pictures the program installs, built in as well: each with its pixels
// decoded when the program was built (tools/picturepixels.cpp: "NBPX"
// (opaque) or "NBPA" (with transparency), the width and the height (32-bit,
// little-endian), then the rows of 0xAARRGGBB pixels) and, where it has one,
// its rendition at twice the size. Only a file that is byte for byte the
// installed one is taken for it: a picture the user put in its place is
// decoded and shown as it is.
struct InstalledPicture {
    const char16_t *file;
    const char16_t *pixels;
    const char16_t *larger; // null: none
};
constexpr InstalledPicture kInstalledPictures[] = {
    {kInstalledFace, u":/numbelle/countface107.pixels", u":/numbelle/countface107@2x.jpg"},
    {u":/numbelle/计算器sound开.bmp", u":/numbelle/speaker-on.pixels", u":/numbelle/计算器sound开@2x.png"},
    {u":/numbelle/计算器sound关.bmp", u":/numbelle/speaker-off.pixels", u":/numbelle/计算器sound关@2x.png"},
    {u":/numbelle/计算器sound开@2x.png", u":/numbelle/speaker-on@2x.pixels", nullptr},
    {u":/numbelle/计算器sound关@2x.png", u":/numbelle/speaker-off@2x.pixels", nullptr},
};
constexpr qint64 kPixelsHeader = 12;

// Whether bytes are the installed picture's file, byte for byte.
bool isInstalled(const char16_t *picture, QByteArrayView bytes)
{
    const QResource installed(QString::fromUtf16(picture));
    if (!installed.isValid() || installed.uncompressedSize() != bytes.size())
        return false;
    if (installed.compressionAlgorithm() == QResource::NoCompression)
        return bytes == QByteArrayView(installed.data(), installed.size());
    return bytes == installed.uncompressedData();
}

// The installed picture bytes are; null for any other picture.
const InstalledPicture *installedPicture(QByteArrayView bytes)
{
    for (const InstalledPicture &installed : kInstalledPictures) {
        if (isInstalled(installed.file, bytes))
            return &installed;
    }
    return nullptr;
}

// Built-in pixels; null where they are missing or not whole (the picture is
// then decoded from its file).
QImage builtInPixels(const char16_t *path)
{
    const QResource pixels(QString::fromUtf16(path));
    if (!pixels.isValid() || pixels.compressionAlgorithm() != QResource::NoCompression || pixels.size() < kPixelsHeader)
        return QImage();
    const uchar *data = pixels.data();
    const bool opaque = std::memcmp(data, "NBPX", 4) == 0;
    if (!opaque && std::memcmp(data, "NBPA", 4) != 0)
        return QImage();
    const quint32 width = qFromLittleEndian<quint32>(data + 4);
    const quint32 height = qFromLittleEndian<quint32>(data + 8);
    if (width == 0 || height == 0 || width > 8192 || height > 8192 ||
        pixels.size() != kPixelsHeader + qint64(width) * height * 4)
        return QImage();
    const QImage::Format format = opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32;
    const uchar *rows = data + kPixelsHeader;
    // Where the stored rows are already a picture's rows in memory (a
    // little-endian machine, whole words), they are shown where they lie:
    // nothing is copied, and no page of them is read before it is drawn.
    if (QSysInfo::ByteOrder == QSysInfo::LittleEndian && reinterpret_cast<std::uintptr_t>(rows) % 4 == 0)
        return QImage(rows, int(width), int(height), qsizetype(width) * 4, format);
    QImage image(int(width), int(height), format);
    if (image.isNull())
        return image;
    for (quint32 y = 0; y < height; ++y)
        qFromLittleEndian<quint32>(rows + qint64(y) * width * 4, width, image.scanLine(int(y)));
    // Copied: the pages read need not stay in memory.
    platform::releaseBuiltInData(data, std::size_t(pixels.size()));
    return image;
}

// Decodes a picture. Its kind is told from its first bytes where they name
// one (a picture saved under another name's extension is still read), and
// only the decoder of that kind is loaded: asked without a kind, Qt loads
// every installed decoder to ask each in turn. A picture its kind's decoder
// refuses is still offered to all of them. The installed pictures every
// start shows are not decoded at all: their pixels are built in. largerPath
// (where given) gets the picture's rendition at twice the size, where it is
// an installed picture that has one.
bool decode(QImage &picture, const QByteArray &bytes, QString *largerPath = nullptr)
{
    if (const InstalledPicture *installed = installedPicture(bytes)) {
        if (largerPath && installed->larger)
            *largerPath = QString::fromUtf16(installed->larger);
        picture = builtInPixels(installed->pixels);
        if (!picture.isNull())
            return true;
    }
    const char *kind = nullptr;
    if (bytes.startsWith("BM"))
        kind = "bmp";
    else if (bytes.startsWith("\x89PNG\r\n\x1a\n"))
        kind = "png";
    else if (bytes.startsWith("\xff\xd8\xff"))
        kind = "jpeg";
    else if (bytes.startsWith("GIF8"))
        kind = "gif";
    if (kind) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, kind);
        reader.setAutoDetectImageFormat(false);
        if (reader.read(&picture))
            return true;
    }
    return picture.loadFromData(bytes);
}

// A built-in rendition at twice the size; null for no path.
QPixmap largerRenditionAt(const QString &path)
{
    if (path.isEmpty())
        return QPixmap();
    QPixmap larger = builtInPicture(path);
    larger.setDevicePixelRatio(2);
    return larger;
}
} // namespace

QPixmap loadPicture(const QString &path, QPixmap *larger)
{
    const auto bytes = fileio::readFile(path, kPictureReadLimit);
    QImage image;
    QString largerPath;
    if (bytes && bytes->size() < kPictureReadLimit)
        decode(image, *bytes, &largerPath);
    const QPixmap picture = QPixmap::fromImage(std::move(image));
    if (larger)
        *larger = picture.isNull() ? QPixmap() : largerRenditionAt(largerPath);
    return picture;
}

QPixmap largerRendition(const QByteArray &pictureBytes)
{
    const InstalledPicture *installed = installedPicture(pictureBytes);
    return largerRenditionAt(installed && installed->larger ? QString::fromUtf16(installed->larger) : QString());
}

QPixmap builtInPicture(const QString &path)
{
    QFile file(path);
    QImage image;
    if (file.open(QIODevice::ReadOnly))
        decode(image, file.readAll());
    return QPixmap::fromImage(std::move(image));
}

namespace {
// A picture file's bytes (as fileio::readFile gives them) decoded.
DecodedPicture decodedPicture(const std::optional<QByteArray> &bytes)
{
    DecodedPicture picture;
    QString largerPath;
    if (bytes && bytes->size() < kPictureReadLimit && decode(picture.image, *bytes, &largerPath))
        picture.largerPath = largerPath;
    return picture;
}
} // namespace

std::future<DecodedPicture> decodePicture(const QString &path)
{
    // The installed face, which nearly every start shows, is there at once
    // (decode takes its built-in pixels): no thread, no decoder.
    if (QFileInfo(path).size() == QResource(QString::fromUtf16(kInstalledFace)).uncompressedSize()) {
        if (const auto bytes = fileio::readFile(path, kPictureReadLimit);
            bytes && isInstalled(kInstalledFace, *bytes)) {
            std::promise<DecodedPicture> ready;
            ready.set_value(decodedPicture(bytes));
            return ready.get_future();
        }
    }
    return std::async(std::launch::async, [path] { return decodedPicture(fileio::readFile(path, kPictureReadLimit)); });
}

double twipsPerPixel()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

static int px(int twips) { return int(std::lround(twips / twipsPerPixel())); }

void fitText(QLabel *label, double size, double smallest, int room)
{
    QFont font = label->font();
    const QString text = label->text();
    // Nothing to measure: the fonts are not loaded for it.
    if (text.isEmpty()) {
        if (font.pointSizeF() != size) {
            font.setPointSizeF(size);
            label->setFont(font);
        }
        label->setWordWrap(false);
        return;
    }
    double fitted = size;
    for (; fitted > smallest; fitted -= 0.25) {
        font.setPointSizeF(fitted);
        if (QFontMetrics(font).size(0, text).width() <= room)
            break;
    }
    font.setPointSizeF(std::max(fitted, smallest));
    if (label->font().pointSizeF() != font.pointSizeF())
        label->setFont(font);
    label->setWordWrap(QFontMetrics(font).size(0, text).width() > room);
}

QString shownFolder(const QString &path)
{
    const QString folder = QDir::cleanPath(QDir(path).absolutePath());
#ifndef Q_OS_WIN
    const QString home = QDir::cleanPath(QDir::homePath());
    if (home != u"/" && (folder == home || folder.startsWith(home + u'/')))
        return u'~' + folder.mid(home.size());
#endif
    return QDir::toNativeSeparators(folder);
}

void setTwipsGeometry(QWidget *widget, int left, int top, int width, int height)
{
    // One property for the four values: each dynamic property set costs an
    // event, and the main window alone places some 50 widgets at start-up.
    widget->setProperty("twips", QRect(left, top, width, height));
    if (widget->isWindow()) {
        widget->setFixedSize(px(width), px(height));
        return;
    }
    widget->setGeometry(px(left), px(top), px(width), px(height));
}

int twipsProperty(const QWidget *widget, const char *name)
{
    const QByteArray n(name);
    if (const QVariant v = widget->property("twips"); v.isValid()) {
        const QRect twips = v.toRect();
        return n == "left" ? twips.left() : n == "top" ? twips.top() : n == "width" ? twips.width() : twips.height();
    }
    const double t = twipsPerPixel();
    const QRect g = widget->geometry();
    if (n == "left")
        return int(std::lround(g.x() * t));
    if (n == "top")
        return int(std::lround(g.y() * t));
    if (n == "width")
        return int(std::lround(g.width() * t));
    return int(std::lround(g.height() * t));
}

void placeNamed(QWidget *widget, const char *name, std::span<const NamedPlace> places)
{
    widget->setObjectName(QLatin1String(name));
    for (const NamedPlace &p : places) {
        if (std::strcmp(p.name, name) == 0)
            setTwipsGeometry(widget, p.left, p.top, p.width, p.height);
    }
}

void moveTwips(QWidget *widget, int dx, int dy)
{
    setTwipsGeometry(widget, twipsProperty(widget, "left") + dx, twipsProperty(widget, "top") + dy,
                     twipsProperty(widget, "width"), twipsProperty(widget, "height"));
}

void ClickLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

LineElement::LineElement(const QString &name, QWidget *parent) : QWidget(parent)
{
    setObjectName(name);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LineElement::setPoints(int x1, int y1, int x2, int y2)
{
    m_x1 = x1;
    m_y1 = y1;
    m_x2 = x2;
    m_y2 = y2;
    const int left = std::min(x1, x2), top = std::min(y1, y2);
    const double t = twipsPerPixel();
    setGeometry(int(std::lround(left / t)) - 1, int(std::lround(top / t)) - 1,
                int(std::lround(std::abs(x2 - x1) / t)) + 3, int(std::lround(std::abs(y2 - y1) / t)) + 3);
    update();
}

void LineElement::movePoints(int dx, int dy) { setPoints(m_x1 + dx, m_y1 + dy, m_x2 + dx, m_y2 + dy); }

void LineElement::setColor(const QColor &color)
{
    m_color = color;
    update();
}

void LineElement::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(m_color, 2));
    const double t = twipsPerPixel();
    const QPointF origin = geometry().topLeft();
    painter.drawLine(QPointF(m_x1 / t, m_y1 / t) - origin, QPointF(m_x2 / t, m_y2 / t) - origin);
}

WindowTimer::WindowTimer(const QString &name, int intervalMs, QObject *parent) : QObject(parent), m_interval(intervalMs)
{
    setObjectName(name);
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &WindowTimer::fire);
}

void WindowTimer::setManual(bool manual) { s_manualTimers = manual; }
bool WindowTimer::manual() { return s_manualTimers; }

void WindowTimer::setEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    runClock();
}

void WindowTimer::setIdle(bool idle)
{
    if (m_idle == idle)
        return;
    m_idle = idle;
    runClock();
}

void WindowTimer::runClock()
{
    if (s_manualTimers)
        return;
    const bool run = m_enabled && !m_idle;
    if (run && !m_timer.isActive())
        m_timer.start();
    else if (!run)
        m_timer.stop();
}

void WindowTimer::setInterval(int intervalMs)
{
    m_interval = intervalMs;
    m_timer.setInterval(intervalMs);
}

void WindowTimer::setPrecise(bool precise) { m_timer.setTimerType(precise ? Qt::PreciseTimer : Qt::CoarseTimer); }

void WindowTimer::fire()
{
    if (m_enabled)
        emit timeout();
}

} // namespace numbelle::ui
