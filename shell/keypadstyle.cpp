// SPDX-License-Identifier: GPL-3.0-or-later
#include "keypadstyle.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionButton>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>
#include <vector>

namespace numbelle::ui {

namespace {

// The keys' look, drawn here rather than by a style sheet (which cost the
// start-up several milliseconds for the 38 keys): rounded keys with a
// gradient by their class, an orange border on the focused key; digit and
// small keys lighten under the mouse and turn flat grey-blue when pressed,
// operator and function keys keep their colours.
class KeypadStyle final : public QProxyStyle {
public:
    void polish(QWidget *widget) override
    {
        QProxyStyle::polish(widget);
        if (qobject_cast<QPushButton *>(widget))
            widget->setAttribute(Qt::WA_Hover);
    }
    using QProxyStyle::polish;

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        // The focus shows as the key's border.
        if (element == PE_FrameFocusRect && qobject_cast<const QPushButton *>(widget))
            return;
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override
    {
        const auto *button = qstyleoption_cast<const QStyleOptionButton *>(option);
        if (!button || !widget) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        const QByteArray keyClass = widget->property("keyClass").toByteArray();
        if (element == CE_PushButtonBevel) {
            drawKey(keyClass, *button, painter);
            return;
        }
        if (element == CE_PushButtonLabel) {
            QStyleOptionButton label(*button);
            label.palette.setColor(QPalette::ButtonText, keyClass == "operator"   ? QColor(Qt::white)
                                                         : keyClass == "function" ? QColor(0x15324f)
                                                                                  : QColor(0x1d2630));
            QProxyStyle::drawControl(element, &label, painter, widget);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }

private:
    // What a key looks like: its size, its colours by class and state, its
    // border and its corners.
    struct Look {
        QSize size;
        QRgb top = 0, bottom = 0, pen = 0;
        int border = 1, radius = 6;
        bool operator==(const Look &) const = default;
    };

    static Look lookOf(const QByteArray &keyClass, const QStyleOptionButton &option)
    {
        const bool focused = option.state & State_HasFocus;
        const bool pressed = option.state & (State_Sunken | State_On);
        const bool hover = option.state & State_MouseOver;
        Look look;
        look.size = option.rect.size();
        if (keyClass == "operator")
            look.top = 0xfff6a04d, look.bottom = 0xffd9711c;
        else if (keyClass == "function")
            look.top = 0xffe3eefa, look.bottom = 0xffb8cde2;
        else if (pressed)
            look.top = 0xffb9c6d3, look.bottom = 0xffb9c6d3;
        else if (hover)
            look.top = 0xffffffff, look.bottom = 0xffe4ebf2;
        else
            look.top = 0xfffbfdff, look.bottom = 0xffd5dde6;
        look.pen = focused ? 0xfff08a24 : 0xff3b4a5a;
        look.border = focused ? 2 : 1;
        look.radius = keyClass == "small" ? 4 : 6;
        return look;
    }

    static void paint(const Look &look, const QRectF &outer, QPainter *painter)
    {
        const double border = look.border;
        const QRectF rect = outer.adjusted(border / 2, border / 2, -border / 2, -border / 2);
        QLinearGradient gradient(outer.topLeft(), outer.bottomLeft());
        gradient.setColorAt(0, QColor::fromRgb(look.top));
        gradient.setColorAt(1, QColor::fromRgb(look.bottom));
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(QColor::fromRgb(look.pen), border));
        painter->setBrush(gradient);
        painter->drawRoundedRect(rect, look.radius, look.radius);
        painter->restore();
    }

    // Keys of one size, class and state look alike: each look is drawn once
    // and copied after that (the 38 keys have about ten looks; a key under
    // the mouse is repainted from a copy). Only where the key lands on whole
    // pixels unscaled, where a copy is the same as drawing; elsewhere (a
    // scaled screen) the key is drawn.
    void drawKey(const QByteArray &keyClass, const QStyleOptionButton &option, QPainter *painter) const
    {
        const Look look = lookOf(keyClass, option);
        const QTransform &device = painter->deviceTransform();
        if (device.type() > QTransform::TxTranslate || device.dx() != std::floor(device.dx()) ||
            device.dy() != std::floor(device.dy()) || painter->opacity() != 1.0 ||
            painter->compositionMode() != QPainter::CompositionMode_SourceOver || look.size.isEmpty()) {
            paint(look, QRectF(option.rect), painter);
            return;
        }
        auto found = std::find_if(m_looks.begin(), m_looks.end(), [&](const auto &l) { return l.first == look; });
        if (found == m_looks.end()) {
            QImage image(look.size, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter onImage(&image);
            paint(look, QRectF(QPointF(0, 0), QSizeF(look.size)), &onImage);
            onImage.end();
            // Bounded: a window resized again and again makes new sizes.
            if (m_looks.size() >= kLooksKept)
                m_looks.erase(m_looks.begin());
            m_looks.emplace_back(look, std::move(image));
            found = std::prev(m_looks.end());
        }
        painter->drawImage(option.rect.topLeft(), found->second);
    }

    static constexpr std::size_t kLooksKept = 64;
    mutable std::vector<std::pair<Look, QImage>> m_looks;
};

} // namespace

QProxyStyle *makeKeypadStyle(QObject *owner)
{
    auto *style = new KeypadStyle;
    style->setParent(owner);
    return style;
}

void ClockFace::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x555555), 2));
    painter.setBrush(QColor(0xf4f4f4));
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 14, 14);
    painter.end();
    ClickLabel::paintEvent(event);
}

} // namespace numbelle::ui
