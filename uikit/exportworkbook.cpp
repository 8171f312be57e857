// SPDX-License-Identifier: GPL-3.0-or-later
#include "exportworkbook.h"

#include <QDir>

namespace numbelle::ui {

namespace {

constexpr char16_t kNoApplication[] =
    u"没有可以打开EXCEL工作簿(.xlsx)的程序。请选择保存工作簿的位置，以后可以用电子表格程序打开它。";
constexpr char16_t kSaveTitle[] = u"保存EXCEL工作簿";
constexpr char16_t kFilter[] = u"EXCEL工作簿 (*.xlsx)";
constexpr char16_t kSaveFailed[] = u"无法保存工作簿%1。";
constexpr char16_t kNotWritten[] = u"无法写入要打开的工作簿，可能磁盘已满。";

} // namespace

void showWorkbook(platform::Platform &platform, const Workbook &workbook, const QString &suggestedName,
                  const QString &cannotStart)
{
    if (platform.desktop.canOpen(suggestedName)) {
        switch (platform.spreadsheet.show(workbook)) {
        case platform::Spreadsheet::ShowResult::Shown:
            break;
        case platform::Spreadsheet::ShowResult::NotWritten:
            platform.messages.show(QString(), QString::fromUtf16(kNotWritten));
            break;
        case platform::Spreadsheet::ShowResult::NotOpened:
            platform.messages.show(QString(), cannotStart);
            break;
        }
        return;
    }
    platform.messages.show(QString(), QString::fromUtf16(kNoApplication));
    const std::optional<QString> path =
        platform.dialogs.saveFile(QString::fromUtf16(kSaveTitle), QString::fromUtf16(kFilter), suggestedName);
    if (!path)
        return;
    if (!platform.spreadsheet.save(workbook, *path))
        platform.messages.show(QString(), QString::fromUtf16(kSaveFailed).arg(QDir::toNativeSeparators(*path)));
}

} // namespace numbelle::ui
