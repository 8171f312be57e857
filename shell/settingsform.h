// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings window (Form4, "设置"): the income tax category and
// deductions, the decimal places of results, the voice, the colours, the skin
// picture and the opacity of the main window, and the way to the
// auto-shutdown window. It edits the program-wide settings; most choices act
// on OK, the opacity slider and the picture's Apply button act at once.

#include "uikit/windowparts.h"
#include <QString>

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;

namespace numbelle::ui {

// Command34: loads the settings window, or brings the loaded one forward
// unchanged.
void showSettingsWindow(platform::Platform &platform, SettingsStore &settings, const VoiceLibrary &voices,
                        MainWindowLink &mainWindow, RecordStore &records, WindowOpener &opener,
                        WindowRegistry &windows);

class Form4 final : public QWidget {
public:
    Form4(platform::Platform &platform, SettingsStore &settings, const VoiceLibrary &voices, MainWindowLink &mainWindow,
          RecordStore &records, WindowOpener &opener, WindowRegistry &windows);

    // The load steps: every control from the settings variables.
    void Form_Load();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Option5_Click();
    void Text_Change(QLineEdit *box);
    void Check1_Click();
    void HScroll1_Change();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command1_Click();
    void Command2_Click();

    // A picture that cannot be loaded: say so, put the installed picture back
    // and save.
    void pictureError();
    // The recorded voices in Combo3, after its "none"; the one named selected
    // (none when it is not there).
    void fillVoicePacks(const QString &select);

    platform::Platform &m_platform;
    SettingsStore &m_settings;
    const VoiceLibrary &m_voices;
    MainWindowLink &m_mainWindow;
    RecordStore &m_records;
    WindowOpener &m_opener;
    WindowRegistry &m_windows;
    QRadioButton *m_taxOptions[6] = {};     // Option1-Option5, Option8
    QRadioButton *m_decimalOptions[5] = {}; // Option9, Option13, Option10, Option11, Option12
    QRadioButton *m_readOutOptions[3] = {}; // Option14 逐位, Option15 数值, Option16 金额
    QCheckBox *m_readBack = nullptr;        // Check2 录入后复读
    QRadioButton *m_female = nullptr;       // Option6
    QRadioButton *m_male = nullptr;         // Option7
    QComboBox *m_voicePack = nullptr;       // Combo3: a recorded voice, or none
    QLineEdit *m_salaryDeduction = nullptr; // Text1
    QLineEdit *m_labourDeduction = nullptr; // Text2
    QComboBox *m_fontColour = nullptr;      // Combo1
    QComboBox *m_displayColour = nullptr;   // Combo2
    QCheckBox *m_defaultPicture = nullptr;  // Check1
    QPushButton *m_applyPicture = nullptr;  // Command4
    QSlider *m_opacity = nullptr;           // HScroll1
    // The file the picture dialog last chose (CommonDialog1's file name);
    // a cancelled dialog leaves it as it was.
    QString m_fileName;
};

} // namespace numbelle::ui
