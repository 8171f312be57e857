// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The voice recorder (Form9, "录制语音", opened from the settings window):
// every word the program speaks, whether the chosen recorded voice has it,
// and buttons to record it, play it and record it again. A take comes from
// the microphone until "停止", Enter, or a short silence after the speech;
// it is cleaned up (speech/voicetake.h) and kept as the word at once, or
// refused with the reason. A voice is made here ("新建") and shared as a zip
// file ("导出语音", "导入语音"); which voice speaks is chosen in the settings
// window.

#include "common/wavefile.h"
#include "speech/voicetake.h"
#include "uikit/windowparts.h"

#include <QString>
#include <QWidget>

#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace numbelle {
class VoiceLibrary;
}

namespace numbelle::ui {

class FlexGrid;
class VoiceWordsModel;
class WindowTimer;

// The settings window's "录制语音": loads the recorder, or brings the loaded
// one forward.
void showVoiceRecorder(platform::Platform &platform, VoiceLibrary &voices, const SettingsStore &settings,
                       WindowRegistry &windows);

class Form9 final : public QWidget {
public:
    Form9(platform::Platform &platform, VoiceLibrary &voices, const SettingsStore &settings, WindowRegistry &windows);
    ~Form9() override;

    // Shows the voice the settings choose (or the first one) and its words.
    void Form_Load();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Combo1_Click();
    void Command1_Click(); // 录音, or 停止 while recording
    void Command2_Click(); // 播放
    void Command3_Click(); // 重录, or 停止 while recording again
    void Command4_Click(); // 导出语音
    void Command5_Click(); // 新建
    void Command6_Click(); // 导入语音
    void Timer1_Timer();

    QString voice() const;
    // The code of the word of the selected row; nothing when none is.
    std::optional<int> selectedWord() const;
    void startRecording();
    // Ends the take: kept (cleaned up) or dropped.
    void stopRecording(bool keep);
    void keep(const Samples &take);
    void play(int code);
    // The voices in the list (the one named shown), the words' rows, and
    // which buttons work.
    void refresh(const QString &select = QString());
    // Which buttons work, for the word selected.
    void updateButtons();
    void status(const QString &text);

    platform::Platform &m_platform;
    VoiceLibrary &m_voices;
    const SettingsStore &m_settings;
    WindowRegistry &m_windows;
    QComboBox *m_voiceList = nullptr; // Combo1
    QLineEdit *m_newName = nullptr;   // Text1
    FlexGrid *m_grid = nullptr;       // MSFlexGrid1
    VoiceWordsModel *m_model = nullptr;
    QLabel *m_status = nullptr;          // Label2
    QPushButton *m_record = nullptr;     // Command1
    QPushButton *m_play = nullptr;       // Command2
    QPushButton *m_again = nullptr;      // Command3
    QPushButton *m_export = nullptr;     // Command4
    WindowTimer *m_timer = nullptr;      // Timer1: takes what the microphone heard
    std::optional<int> m_recording;      // the word being recorded
    QPushButton *m_stopButton = nullptr; // the button that reads 停止 meanwhile
    Samples m_take;
    TakeListener m_listener;
};

} // namespace numbelle::ui
