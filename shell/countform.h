// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window: the calculator's keypad, display labels and the small buttons
// around the display, on a borderless skinned face. It shows what the
// Calculator holds and forwards clicks and keys to it; the key preview sees every
// key before the focused button, as the keyboard handling needs.

#include "engine/calculator.h"
#include "uikit/mainwindowlink.h"
#include "uikit/widgets.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QWidget>
#include <map>
#include <optional>

namespace numbelle::ui {

class ClickLabel;
class LineElement;
class WindowTimer;

class countform : public QWidget, public MainWindowLink {
    Q_OBJECT
public:
    countform(Calculator &calculator, const SettingsStore &settings, QWidget *parent = nullptr);

    // MainWindowLink
    QString displayText() const override;
    void showExternalResult(const QString &text) override;
    void setMessage(const QString &text) override;
    void setClockToolTip(const QString &text) override;
    void setClockHandColor(const QColor &color) override;
    void turnClockHand(double angle) override;
    WindowTimer &clockTimer() override { return *m_timerT; }
    // Text colour of the labels and background of the display, as colour
    // indexes 0-15 (the settings' colours, which it follows once loaded).
    void setColours(int fontColorIndex, int displayColorIndex);
    bool setSkinPicture(const QString &path) override;
    // The skin picture at path, decoded already (see decodePicture); false,
    // changing nothing, when it is a null image.
    bool setSkinPicture(const QString &path, DecodedPicture decoded);

    // Shows the calculator's view and captions on the labels and runs or
    // stops Timer1 and Timer3. The calculator's change notification calls it.
    void render();

    QPushButton *button(Key key) const;
    QLabel *label(int number) const;
    LineElement *line(int number) const;
    WindowTimer *timer1() const { return m_timer1; }
    WindowTimer *timer2() const { return m_timer2; }

    // The name of the face picture shown, for scripted sessions (the
    // window's "picture" property): the path it was loaded from, "<built-in>"
    // or "<none>".
    QString skinSource() const { return property("picture").toString(); }
    // The speaker picture of the voice button.
    void setSpeakerPicture(bool on);

    // Steps the size mode full -> simple -> mini -> full.
    SizeMode stepSizeMode(SizeMode from);

    // The tray button colour: active (orange) or inactive (peach).
    void paintTrayButton(bool active);

signals:
    void trayButtonClicked();
    void clockClicked();
    // The system asked the window to close (close box, session end).
    void closeRequested();
    void activated();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildFace();
    // Fits the display's and the message line's texts in their labels.
    void fitTexts(const QString &recordCaption);
    // The face; its larger rendition given, or where to find it when a screen
    // first needs it.
    void setSkin(const QPixmap &picture, const QString &source, const QPixmap &larger = QPixmap(),
                 const QString &largerPath = QString());
    bool previewKey(QKeyEvent *event);

    Calculator &m_calculator;
    const SettingsStore &m_settings;
    std::map<Key, QPushButton *> m_buttons;
    std::map<int, QLabel *> m_labels;
    std::map<int, LineElement *> m_lines;
    QLabel *m_trayButton = nullptr; // Picture1
    QLabel *m_clock = nullptr;      // Image1
    WindowTimer *m_timer1 = nullptr;
    WindowTimer *m_timer2 = nullptr;
    WindowTimer *m_timerT = nullptr; // the shutdown clock, once a second
    WindowTimer *m_timer3 = nullptr; // the warning of a wrong check character
    int m_timer3Generation = 0;
    std::optional<QPoint> m_dragOffset;
    QPixmap m_skin;
    QPixmap m_skinLarger;     // the same face at twice the size, when there is one
    QString m_skinLargerPath; // where it is, until it is decoded
};

} // namespace numbelle::ui
