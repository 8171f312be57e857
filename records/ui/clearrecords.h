// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The clearing window (Form2): asks before the record file "datafile.txt" is
// emptied. "确定" empties it and starts numbering again from 1; "取消" only
// closes the window.

#include "uikit/windowparts.h"

#include <QWidget>

class QPushButton;

namespace numbelle::ui {

// Command31: loads the clearing window (or brings the loaded one forward) and
// gives it the focus.
void showClearRecords(platform::MessageBoxes &messages, RecordStore &records, ProgramState &state,
                      WindowRegistry &windows);

class ClearRecordsForm final : public QWidget {
public:
    ClearRecordsForm(platform::MessageBoxes &messages, RecordStore &records, ProgramState &state,
                     WindowRegistry &windows);

    QPushButton *cancelButton() const { return m_cancel; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void confirm();

    platform::MessageBoxes &m_messages;
    RecordStore &m_records;
    ProgramState &m_state;
    WindowRegistry &m_windows;
    QPushButton *m_cancel = nullptr;
};

} // namespace numbelle::ui
