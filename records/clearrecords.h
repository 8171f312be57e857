#pragma once
// The clearing window (Form2): asks before the record file "datafile.txt" is
// emptied. "确定" empties it and starts numbering again from 1; "取消" only
// closes the window.

#include <QWidget>

class QPushButton;

namespace numbelle::ui {

class Program;

// Command31: loads the clearing window (or brings the loaded one forward) and
// gives it the focus.
void showClearRecords(Program &program);

class ClearRecordsForm final : public QWidget {
public:
    explicit ClearRecordsForm(Program &program);

    QPushButton *cancelButton() const { return m_cancel; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void confirm();

    Program &m_program;
    QPushButton *m_cancel = nullptr;
};

} // namespace numbelle::ui
