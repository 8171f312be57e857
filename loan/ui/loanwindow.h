// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The housing-loan window (Form5): the loan's amount, term, rate and floating
// percentage, the switch to an annual rate and a term in years, the two
// computations, printing, the spreadsheet export and the schedule grid. It
// reports the total interest on the main window's display and message line.
// Loading it shows the rate saved at the last closing; closing saves the rate
// typed and discards the schedule.

#include "loan/schedule.h"
#include "loan/schedulegrid.h"
#include "uikit/windowvariables.h"

#include "uikit/windowparts.h"

#include <QWidget>
#include <cstdint>

class QCheckBox;
class QKeyEvent;
class QLabel;
class QLineEdit;

namespace numbelle::ui {

class FlexGrid;
class FlexGridModel;

// Command37 and the key d: loads the window, or brings the loaded one forward.
void showLoanWindow(platform::Platform &platform, SettingsStore &settings, Speaker &speaker, MainWindowLink &mainWindow,
                    WindowRegistry &windows);

class Form5 final : public QWidget, public WindowVariables {
public:
    Form5(platform::Platform &platform, SettingsStore &settings, Speaker &speaker, MainWindowLink &mainWindow,
          WindowRegistry &windows);

    // The load steps: the saved rate read from the settings file.
    void Form_Load();

    // periodCount and scheduleTitle.
    std::optional<VariableValue> variable(QStringView name) const override;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Check1_Click();
    void Command1_Click(); // equal principal
    void Command3_Click(); // equal instalment
    void Command2_Click(); // print
    void Command4_Click(); // spreadsheet
    void Form_KeyPress(QKeyEvent *event);
    // A box's own key handling; true when the key is swallowed.
    bool Text1_KeyPress(QKeyEvent *event);
    bool Text2_KeyPress(QKeyEvent *event);
    bool Text3_KeyPress(QKeyEvent *event);
    bool Text4_KeyPress(QKeyEvent *event);

    void compute(loan::Method method);
    void focusSelected(QLineEdit *box);

    platform::Platform &m_platform;
    SettingsStore &m_settings;
    Speaker &m_speaker;
    MainWindowLink &m_mainWindow;
    WindowRegistry &m_windows;
    QLabel *m_label2 = nullptr;
    QLabel *m_label3 = nullptr;
    QLineEdit *m_text1 = nullptr;
    QLineEdit *m_text2 = nullptr;
    QLineEdit *m_text3 = nullptr;
    QLineEdit *m_text4 = nullptr;
    QCheckBox *m_check1 = nullptr;
    FlexGrid *m_grid = nullptr;
    FlexGridModel *m_model = nullptr;

    loan::ScheduleGrid m_texts;
    std::int16_t m_periodCount = 0;
    QString m_scheduleTitle;
};

} // namespace numbelle::ui
