#pragma once
// The record viewer (Form1): shows the record file "datafile.txt" as it is on
// disk, selects and copies it, and exports the records to a spreadsheet.
// Loading it brings every record stored so far to disk (the record file is
// closed); unloading it leaves the file closed, and the next record stored
// opens it again.

#include <QWidget>

class QLabel;
class QPushButton;
class QTextEdit;

namespace numbelle::ui {

struct WindowContext;

// Command29: loads the viewer, or brings the loaded one forward unchanged.
void showRecordViewer(WindowContext &context);

class RecordViewer final : public QWidget {
public:
    explicit RecordViewer(WindowContext &context);

    // The load steps: the record file closed, then its text shown.
    void load();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void selectAllMarked();   // Command1 click
    void copySelection();     // Command2
    void exportSpreadsheet(); // Command3

    WindowContext &m_context;
    QTextEdit *m_box = nullptr;
    QPushButton *m_selectAll = nullptr;
};

} // namespace numbelle::ui
