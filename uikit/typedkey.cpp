// SPDX-License-Identifier: GPL-3.0-or-later
#include "typedkey.h"

#include <QKeyEvent>

namespace numbelle::ui {

QString typedText(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QString(QChar(typed::Enter));
    case Qt::Key_Backspace:
        return QString(QChar(typed::Backspace));
    case Qt::Key_Escape:
        return QString(QChar(typed::Escape));
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return QString();
    default:
        return event->text();
    }
}

std::optional<char16_t> typedCharacter(const QKeyEvent *event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return std::nullopt;
    const QString text = typedText(event);
    if (text.size() != 1 || text[0] == u'\t' || text[0] == QChar(typed::Delete))
        return std::nullopt;
    return text[0].unicode();
}

} // namespace numbelle::ui
