// SPDX-License-Identifier: GPL-3.0-or-later
#include "manualform.h"

#include "common/version.h"
#include "uikit/widgets.h"

#include <QFile>
#include <QPushButton>
#include <QTextBrowser>

namespace numbelle::ui {

Form3::Form3(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Numbelle 使用说明"));
    setAttribute(Qt::WA_DeleteOnClose);
    setTwipsGeometry(this, 0, 0, 8400, 7800);

    auto *text = new QTextBrowser(this);
    text->setObjectName(QStringLiteral("RichTextBox1"));
    text->setAccessibleName(QStringLiteral("使用说明"));
    setTwipsGeometry(text, 120, 120, 8160, 6900);
    QFile manual(QStringLiteral(":/numbelle/manual.html"));
    if (manual.open(QIODevice::ReadOnly))
        text->setHtml(
            QString::fromUtf8(manual.readAll()).replace(QStringLiteral("@VERSION@"), QLatin1StringView(kVersion)));
    text->setOpenExternalLinks(false);

    auto *quit = new QPushButton(QStringLiteral("退出"), this);
    quit->setObjectName(QStringLiteral("Command2"));
    setTwipsGeometry(quit, 3600, 7140, 1200, 480);
    connect(quit, &QPushButton::clicked, this, &QWidget::close);
}

} // namespace numbelle::ui
