// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small widget pieces shared by the program's windows: geometry set in twips
// (the unit the window layouts are written in), clickable labels and pictures,
// line elements, and window timers that scripted sessions fire by hand.

#include <QColor>
#include <QImage>
#include <QLabel>
#include <QObject>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <future>
#include <span>

namespace numbelle::ui {

// A picture file of the program folder (or one the user chose); a null
// pixmap when it is missing, unreadable, no picture, or no regular file (a
// FIFO would hold the program up). When `larger` is given and the file is one
// of the pictures the program installs, *larger gets the same picture drawn
// at twice the size (device pixel ratio 2), for screens with more device
// pixels to a pixel; otherwise it is set null.
QPixmap loadPicture(const QString &path, QPixmap *larger = nullptr);

// The larger rendition of a picture the program installs, given the picture
// file's bytes; null for any other picture.
QPixmap largerRendition(const QByteArray &pictureBytes);
// A picture built into the program (a resource path), decoded as
// loadPicture decodes a file.
QPixmap builtInPicture(const QString &path);

// A picture as decodePicture gives it: the image (null when loadPicture
// would give a null pixmap) and where its larger rendition is, if it has one
// (decoded only where a screen shows it).
struct DecodedPicture {
    QImage image;
    QString largerPath;
};

// The picture, read and decoded on a thread of its own while the caller goes
// on.
std::future<DecodedPicture> decodePicture(const QString &path);

// A folder as a person writes it: under the home folder with "~" for it
// ("~/.local/share/numbelle"), elsewhere in full, in the system's separators.
QString shownFolder(const QString &path);

// Shows a label's one-line text in the largest font size up to `size`, in
// quarter points down to `smallest`, at which it takes at most `room`
// pixels; a text too long even then wraps onto more lines.
void fitText(QLabel *label, double size, double smallest, int room);

// Twips per pixel on the screen the program runs on (15 at 96 dpi).
double twipsPerPixel();

// Places a widget at a twips rectangle and remembers the twips values, so they
// can be read back exactly as set.
void setTwipsGeometry(QWidget *widget, int left, int top, int width, int height);
int twipsProperty(const QWidget *widget, const char *name); // "left", "top", "width", "height"

// An element of a window by its object name, and where it stands in twips.
struct NamedPlace {
    const char *name;
    int left, top, width, height;
};
// Names the widget and puts it where places has that name (where it is, when
// places has not).
void placeNamed(QWidget *widget, const char *name, std::span<const NamedPlace> places);
void moveTwips(QWidget *widget, int dx, int dy);

// A label that reports left-button clicks.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// A line element drawn between two points given in twips of its parent.
class LineElement : public QWidget {
    Q_OBJECT
public:
    LineElement(const QString &name, QWidget *parent);
    void setPoints(int x1, int y1, int x2, int y2);
    void movePoints(int dx, int dy);
    int x1() const { return m_x1; }
    int y1() const { return m_y1; }
    int x2() const { return m_x2; }
    int y2() const { return m_y2; }
    void setColor(const QColor &color);
    QColor color() const { return m_color; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_x1 = 0, m_y1 = 0, m_x2 = 0, m_y2 = 0;
    QColor m_color = Qt::black;
};

// A window timer. In the desktop program it runs on the clock; in scripted
// sessions it never fires by itself and is ticked by the script.
class WindowTimer : public QObject {
    Q_OBJECT
public:
    WindowTimer(const QString &name, int intervalMs, QObject *parent);
    static void setManual(bool manual);
    static bool manual();

    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }
    // Whether its ticks can change anything now. An idle timer stays
    // enabled, but the clock does not run it, so the program does not wake
    // up for ticks that do nothing (a tick by hand still runs).
    void setIdle(bool idle);
    int interval() const { return m_interval; }
    // A new interval; a running timer counts it from now.
    void setInterval(int intervalMs);
    // On the clock the timer fires within about 5 % of its interval, early or
    // late; a precise one keeps to the millisecond (for a timer that waits for
    // a sound to end and must not cut it off).
    void setPrecise(bool precise);
    // One tick, only while enabled.
    void fire();
signals:
    void timeout();

private:
    void runClock();

    bool m_enabled = false;
    bool m_idle = false;
    int m_interval;
    QTimer m_timer;
};

} // namespace numbelle::ui
