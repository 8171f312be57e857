// SPDX-License-Identifier: GPL-3.0-or-later
#include "accessibility.h"

#include "uikit/widgets.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QMetaObject>

namespace numbelle::ui {

namespace {

enum class Kind { Readout = 1, Button, Decoration };

constexpr char kKindProperty[] = "numbelleAccessibleKind";
constexpr char kWordsProperty[] = "numbelleAccessibleWords";

class ElementAccessible final : public QAccessibleWidget {
public:
    ElementAccessible(QWidget *widget, Kind kind)
        : QAccessibleWidget(widget, kind == Kind::Button       ? QAccessible::Button
                                    : kind == Kind::Decoration ? QAccessible::Whitespace
                                                               : QAccessible::StaticText),
          m_kind(kind)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        const QString words = widget()->property(kWordsProperty).toString();
        switch (t) {
        case QAccessible::Name: {
            if (m_kind == Kind::Decoration)
                return QString();
            const QString shown = shownText();
            if (words.isEmpty())
                return shown;
            return shown.isEmpty() ? words : words + u'：' + shown;
        }
        case QAccessible::Value:
            return shownText();
        default:
            return QAccessibleWidget::text(t);
        }
    }

    QStringList actionNames() const override
    {
        if (m_kind == Kind::Button)
            return {QAccessibleActionInterface::pressAction()};
        return QAccessibleWidget::actionNames();
    }

    void doAction(const QString &action) override
    {
        if (m_kind == Kind::Button && action == QAccessibleActionInterface::pressAction()) {
            QMetaObject::invokeMethod(widget(), "clicked");
            return;
        }
        QAccessibleWidget::doAction(action);
    }

private:
    QString shownText() const
    {
        const auto *label = qobject_cast<const QLabel *>(widget());
        if (!label)
            return QString();
        // A formula wrapped over lines reads as one.
        QString text = label->text();
        text.replace(u'\n', u' ');
        return text.trimmed();
    }

    Kind m_kind;
};

QAccessibleInterface *factory(const QString &, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget)
        return nullptr;
    const QVariant kind = widget->property(kKindProperty);
    if (!kind.isValid())
        return nullptr;
    return new ElementAccessible(widget, Kind(kind.toInt()));
}

void mark(QWidget *widget, Kind kind, const QString &words)
{
    widget->setProperty(kKindProperty, int(kind));
    widget->setProperty(kWordsProperty, words);
}

} // namespace

void installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}

void makeReadout(QWidget *label, const QString &words) { mark(label, Kind::Readout, words); }

void makeButton(ClickLabel *label, const QString &words) { mark(label, Kind::Button, words); }

void makeDecoration(QWidget *widget) { mark(widget, Kind::Decoration, QString()); }

} // namespace numbelle::ui
