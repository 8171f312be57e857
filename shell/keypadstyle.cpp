// SPDX-License-Identifier: GPL-3.0-or-later
#include "keypadstyle.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionButton>

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
    static void drawKey(const QByteArray &keyClass, const QStyleOptionButton &option, QPainter *painter)
    {
        const bool focused = option.state & State_HasFocus;
        const bool pressed = option.state & (State_Sunken | State_On);
        const bool hover = option.state & State_MouseOver;
        const QRectF outer(option.rect);
        const double border = focused ? 2 : 1;
        const QRectF rect = outer.adjusted(border / 2, border / 2, -border / 2, -border / 2);
        QLinearGradient gradient(outer.topLeft(), outer.bottomLeft());
        if (keyClass == "operator") {
            gradient.setColorAt(0, QColor(0xf6a04d));
            gradient.setColorAt(1, QColor(0xd9711c));
        } else if (keyClass == "function") {
            gradient.setColorAt(0, QColor(0xe3eefa));
            gradient.setColorAt(1, QColor(0xb8cde2));
        } else if (pressed) {
            gradient.setColorAt(0, QColor(0xb9c6d3));
            gradient.setColorAt(1, QColor(0xb9c6d3));
        } else if (hover) {
            gradient.setColorAt(0, QColor(0xffffff));
            gradient.setColorAt(1, QColor(0xe4ebf2));
        } else {
            gradient.setColorAt(0, QColor(0xfbfdff));
            gradient.setColorAt(1, QColor(0xd5dde6));
        }
        const double radius = keyClass == "small" ? 4 : 6;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(focused ? QColor(0xf08a24) : QColor(0x3b4a5a), border));
        painter->setBrush(gradient);
        painter->drawRoundedRect(rect, radius, radius);
        painter->restore();
    }
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
