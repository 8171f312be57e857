// SPDX-License-Identifier: GPL-3.0-or-later
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
//
// Correcting the batch: the selected record is edited in place ("修改", F2 or
// Enter; Enter keeps the text, Esc drops it), deleted after a question
// ("删除", Delete) or has a new record put before it ("插入", Insert); "撤销"
// (Ctrl+Z) takes the last change back. Each change is written to the record
// file at once through the record store, heard as the record's place and its
// new text (or "删除"), and the window shows the file anew. A change stops a
// reading at its record. The box "核对合计" takes the total written on the
// paper; the status line tells whether the batch agrees with it, and Enter
// there says so ("相符", or "相差" and the difference).

#include "records/batch.h"
#include "records/corrections.h"
#include "records/proofreading.h"
#include "records/recordindex.h"
#include "records/recordstore.h"

#include "uikit/windowparts.h"
#include <QList>

#include <QWidget>
#include <deque>
#include <memory>
#include <optional>
#include <utility>

class QLabel;
class QLineEdit;
class QPushButton;

namespace numbelle::ui {

class WindowTimer;
class LineBox;
class RecordLinesModel;

// Command29: loads the viewer, or brings the loaded one forward unchanged.
// state and main: the record count that entry mode numbers from and shows,
// which a correction changes; settings: how numbers are heard.
void showRecordViewer(platform::Platform &platform, RecordStore &records, Speaker &speaker,
                      const SettingsStore &settings, ProgramState &state, MainWindowLink &main,
                      WindowRegistry &windows);

class RecordViewer final : public QWidget {
public:
    RecordViewer(platform::Platform &platform, RecordStore &records, Speaker &speaker, const SettingsStore &settings,
                 ProgramState &state, MainWindowLink &main, WindowRegistry &windows);

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
    void Command5_Click(); // 修改
    void Command6_Click(); // 删除
    void Command7_Click(); // 插入
    void Command8_Click(); // 撤销
    void Text1_Enter();    // 核对合计: says whether the batch agrees
    // F2, Delete, Insert and Ctrl+Z: the correcting buttons' keys. False for
    // any other key.
    bool correctionKey(QKeyEvent *event);

    // The file shown anew, with its status line and a reading to start.
    void reload();
    void updateStatus();
    // The total typed from the paper against the batch's; nothing without a
    // figure there.
    std::optional<QString> difference() const;

    // The record whose line is selected and current; nothing for none.
    std::optional<qsizetype> selectedRecord() const;
    // A change stops a reading and ends an edit in progress (keeping its
    // text); false when the edit could not be kept.
    bool beforeChange();
    // The selected record a change is made to, once beforeChange has let
    // it go ahead; nothing (with the warning heard when no record is
    // selected) when it cannot.
    std::optional<qsizetype> recordToChange();
    // Opens the editor over the line (the record's own, or a new one shown
    // before it for an insertion).
    void openEditor(Correction::Kind kind, qsizetype record, const QString &text);
    void placeEditor();
    // Enter in the editor: the text typed becomes the change. False when it
    // cannot be kept (it stays in the editor).
    bool keepEdit();
    // Esc in the editor, or the window closed: nothing changes.
    void dropEdit();
    void closeEditor();
    // What a change came to: the file shown anew, the record count of entry
    // mode, and the change heard; or the failure told.
    void changed(const ChangeResult &result, const Correction &correction, bool undo);
    // Speaks words one after another on Timer1, paced as the reading is.
    void announce(const QList<Proofreading::Step> &words);
    void sayNextWord();
    // The word of a character typed into a box, heard as it is typed.
    void echo(QLineEdit *box, QKeyEvent *event);

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
    ProgramState &m_state;
    MainWindowLink &m_main;
    WindowRegistry &m_windows;
    LineBox *m_box = nullptr;
    RecordLinesModel *m_model = nullptr;
    QPushButton *m_selectAll = nullptr;
    QPushButton *m_proofread = nullptr;
    QLabel *m_status = nullptr;
    double m_statusFontSize = 9; // the status line's size when it fits
    WindowTimer *m_timer = nullptr;
    QLineEdit *m_editor = nullptr;  // Text2, over the line being edited
    QLineEdit *m_control = nullptr; // Text1, the total written on the paper

    // The file as loaded: where its lines and records are, and what they
    // add up to; the texts stay in the file.
    std::shared_ptr<RecordFileIndex> m_index;
    std::optional<Proofreading> m_reading;
    qsizetype m_highlighted = -1;

    Corrections m_corrections;
    // The edit in progress: its kind (Edit or Insert), the record, the text
    // shown for it and the line the editor covers.
    struct Editing {
        Correction::Kind kind = Correction::Edit;
        qsizetype record = 0;
        QString shown;
        int line = 0;
    };
    std::optional<Editing> m_editing;
    bool m_closingEditor = false;
    std::deque<Proofreading::Step> m_announcement;
};

} // namespace numbelle::ui
