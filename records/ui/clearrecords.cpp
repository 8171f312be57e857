// SPDX-License-Identifier: GPL-3.0-or-later
#include "clearrecords.h"

#include "common/programstate.h"
#include "platform/platform.h"
#include "records/recordstore.h"
#include "uikit/mainwindowlink.h"
#include "uikit/widgets.h"
#include "uikit/windowregistry.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <cmath>

namespace numbelle::ui {

namespace {

constexpr char16_t kQuestion[] =
    u"如果您确认前面所输入的数据已没有用，或者这些数据已另外得到保存，请单击“确定”删除数据文件，"
    u"这些文件将不能再恢复，否则单击\"取消\"返回。";
constexpr char16_t kDone[] = u"清空数据完成!";
constexpr char16_t kPictureWords[] = u"回收站";
constexpr char16_t kFailed[] = u"无法清空数据文件datafile.txt。";

// The recycle bin beside the question: the installed picture when there is one
// (at twice the size on a high-dpi screen), otherwise one drawn here; `size`
// is in pixels, `ratio` the screen's device pixels to a pixel.
QPixmap recycleBin(int size, double ratio)
{
    const int devicePixels = int(std::lround(size * ratio));
    QPixmap picture = builtInPicture(ratio > 1.0 ? QStringLiteral(":/numbelle/recyclebin@2x.png")
                                                 : QStringLiteral(":/numbelle/recyclebin.png"));
    if (!picture.isNull()) {
        picture = picture.scaled(devicePixels, devicePixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        picture.setDevicePixelRatio(ratio);
        return picture;
    }

    picture = QPixmap(devicePixels, devicePixels);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    const QColor outline(0x3b, 0x4a, 0x5a);
    p.setPen(QPen(outline, 1.5));

    // Body: a trapezoid with vertical ribs.
    QLinearGradient body(0, 20, 0, 58);
    body.setColorAt(0, QColor(0xf3, 0xf6, 0xf9));
    body.setColorAt(1, QColor(0xae, 0xbc, 0xcb));
    QPainterPath bin;
    bin.moveTo(13, 20);
    bin.lineTo(51, 20);
    bin.lineTo(47, 58);
    bin.lineTo(17, 58);
    bin.closeSubpath();
    p.setBrush(body);
    p.drawPath(bin);
    p.setPen(QPen(QColor(0x8a, 0x9a, 0xab), 1.2));
    for (double x : {24.0, 32.0, 40.0})
        p.drawLine(QPointF(x, 25), QPointF(x + (x - 32) * 0.1, 53));

    // Chasing arrows on the front.
    p.setPen(QPen(QColor(0x2f, 0x9a, 0x4a), 2.4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(24, 31, 16, 16), 30 * 16, 260 * 16);

    // Lid and handle.
    p.setPen(QPen(outline, 1.5));
    p.setBrush(QColor(0xc3, 0xcf, 0xdb));
    p.drawRoundedRect(QRectF(24, 8, 16, 7), 2.5, 2.5);
    p.setBrush(QColor(0xe8, 0xee, 0xf4));
    p.drawRoundedRect(QRectF(9, 13.5, 46, 7), 2.5, 2.5);
    return picture;
}

// Where each element stands, in twips.
struct Place {
    int left, top, width, height;
};
constexpr Place kWindowPlace{0, 0, 6480, 2760};
constexpr Place kPicturePlace{300, 300, 960, 960};
constexpr Place kQuestionPlace{1500, 240, 4680, 1260};
constexpr Place kOkPlace{1980, 1800, 1215, 495};
constexpr Place kCancelPlace{3660, 1800, 1215, 495};

void place(QWidget *widget, const Place &p) { setTwipsGeometry(widget, p.left, p.top, p.width, p.height); }

} // namespace

void showClearRecords(platform::MessageBoxes &messages, RecordStore &records, ProgramState &state,
                      WindowRegistry &windows)
{
    QWidget *form =
        windows.open(WindowId::ClearRecords, [&] { return new ClearRecordsForm(messages, records, state, windows); });
    if (auto *clear = dynamic_cast<ClearRecordsForm *>(form))
        clear->cancelButton()->setFocus(Qt::ActiveWindowFocusReason);
}

ClearRecordsForm::ClearRecordsForm(platform::MessageBoxes &messages, RecordStore &records, ProgramState &state,
                                   WindowRegistry &windows)
    : QWidget(nullptr, Qt::Window), m_messages(messages), m_records(records), m_state(state), m_windows(windows)
{
    setObjectName(QStringLiteral("Form2"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("清空数据"));
    place(this, kWindowPlace);

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setAccessibleName(QString::fromUtf16(kPictureWords));
    place(picture, kPicturePlace);
    picture->setPixmap(recycleBin(picture->width(), picture->devicePixelRatioF()));
    picture->setAlignment(Qt::AlignCenter);

    auto *question = new QLabel(this);
    question->setObjectName(QStringLiteral("Label1"));
    place(question, kQuestionPlace);
    question->setTextFormat(Qt::PlainText);
    question->setWordWrap(true);
    question->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    question->setText(QString::fromUtf16(kQuestion));

    auto *ok = new QPushButton(QStringLiteral("确定&Y"), this);
    ok->setObjectName(QStringLiteral("Command2"));
    place(ok, kOkPlace);
    m_cancel = new QPushButton(QStringLiteral("取消&Q"), this);
    m_cancel->setObjectName(QStringLiteral("Command1"));
    place(m_cancel, kCancelPlace);
    for (QPushButton *b : {ok, m_cancel})
        b->setAutoDefault(false);

    connect(ok, &QPushButton::clicked, this, [this] { confirm(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { close(); });
}

void ClearRecordsForm::confirm()
{
    ProgramState &state = m_state;
    RecordStore &store = m_records;
    const bool wasOpen = store.isOpen();
    store.close();
    if (!store.truncate()) {
        // Nothing was removed: the file and the count stay as they were, and
        // the user is told so instead of being told the data is gone.
        if (wasOpen)
            store.openAppend();
        m_messages.show(QString(), QString::fromUtf16(kFailed));
        close();
        return;
    }
    state.recordCount = 0;
    m_messages.show(QString(), QString::fromUtf16(kDone));
    state.recordsSinceSave = 0;
    // Ready for the next record, whatever mode the calculator is in.
    store.openAppend();
    close();
}

void ClearRecordsForm::closeEvent(QCloseEvent *event)
{
    m_windows.remove(this);
    event->accept();
}

} // namespace numbelle::ui
