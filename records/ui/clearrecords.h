#pragma once
// The clearing window (Form2): asks before the record file "datafile.txt" is
// emptied. "确定" empties it and starts numbering again from 1; "取消" only
// closes the window.

#include <QWidget>

class QPushButton;

namespace numbelle::ui {

struct WindowContext;

// Command31: loads the clearing window (or brings the loaded one forward) and
// gives it the focus.
void showClearRecords(WindowContext &context);

class ClearRecordsForm final : public QWidget {
public:
    explicit ClearRecordsForm(WindowContext &context);

    QPushButton *cancelButton() const { return m_cancel; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void confirm();

    WindowContext &m_context;
    QPushButton *m_cancel = nullptr;
};

} // namespace numbelle::ui
