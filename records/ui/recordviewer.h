#pragma once
// The record viewer (Form1): shows the record file "datafile.txt" as it is on
// disk, selects and copies it, and exports the records to a spreadsheet.
// Loading it brings every record stored so far to disk (the record file is
// closed); unloading it leaves the file closed, and the next record stored
// opens it again.
//
// For checking a batch it also shows a status line under the text (the count
// of records, the total of those that are numbers, how many are left out of it
// and how many identity numbers have a wrong check character, which the text
// marks in red), and reads the records back aloud ("朗读校对"): the record
// being read is selected and scrolled into sight, a click on a line goes on
// from that record, the button ("停止") or Esc stops. Timer1 paces the reading
// by the length of each word's clip.

#include "records/batch.h"
#include "records/proofreading.h"
#include "records/recordindex.h"
#include "records/recordstore.h"

#include "uikit/windowparts.h"
#include <QList>

#include <QWidget>
#include <memory>
#include <optional>
#include <utility>

class QLabel;
class QPushButton;

namespace numbelle::ui {

class WindowTimer;
class LineBox;
class RecordLinesModel;

// Command29: loads the viewer, or brings the loaded one forward unchanged.
void showRecordViewer(platform::Platform &platform, RecordStore &records, Speaker &speaker,
                      const SettingsStore &settings, WindowRegistry &windows);

class RecordViewer final : public QWidget {
public:
    RecordViewer(platform::Platform &platform, RecordStore &records, Speaker &speaker, const SettingsStore &settings,
                 WindowRegistry &windows);

    // The load steps: the record file closed, then its text shown with the
    // batch's status line.
    void load();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void selectAllMarked();   // Command1 click
    void copySelection();     // Command2
    void exportSpreadsheet(); // Command3
    void Command4_Click();    // 朗读校对 / 停止
    void Timer1_Timer();

    void startReading(qsizetype record);
    void stopReading();
    // Speaks the next word and waits for its clip and pause; ends the reading
    // when there is none.
    void readNextWord();
    // Selects the line of a record and scrolls it into sight.
    void highlightRecord(qsizetype record);
    // The record on the box's current line, or the first one after it;
    // nothing after the last record.
    std::optional<qsizetype> recordAtCursor() const;

    platform::Platform &m_platform;
    RecordStore &m_records;
    Speaker &m_speaker;
    const SettingsStore &m_settings;
    WindowRegistry &m_windows;
    LineBox *m_box = nullptr;
    RecordLinesModel *m_model = nullptr;
    QPushButton *m_selectAll = nullptr;
    QPushButton *m_proofread = nullptr;
    QLabel *m_status = nullptr;
    WindowTimer *m_timer = nullptr;

    // The file as loaded: where its lines and records are, and what they
    // add up to; the texts stay in the file.
    std::shared_ptr<RecordFileIndex> m_index;
    std::optional<Proofreading> m_reading;
    qsizetype m_highlighted = -1;
};

} // namespace numbelle::ui
