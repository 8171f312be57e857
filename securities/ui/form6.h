// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The securities window (Form6, "证券交易计算"): the boxes of one purchase and
// sale, the two computations, clearing, and the security names looked up in
// the code list "stockname.prn", read once when the window is created. The
// window's key preview speaks digits and the point; each input box has its own
// key rule and Enter action. The computing itself is securities/trade.h.

#include "securities/stocklist.h"
#include "securities/trade.h"

#include "uikit/windowparts.h"

#include <QWidget>
#include <map>

class QLineEdit;
class QPushButton;

namespace numbelle::ui {

// Command38 and the key k of the main window: loads the window, or brings the
// loaded one forward unchanged.
void showSecurities(platform::MessageBoxes &messages, Speaker &speaker, WindowRegistry &windows);

class Form6 final : public QWidget {
public:
    Form6(platform::MessageBoxes &messages, Speaker &speaker, WindowRegistry &windows);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Command1_Click(); // computation A
    void Command3_Click(); // clear
    void Text1_Change();   // the name lookup
    // The key preview, then the key handler of the box that has the focus.
    // Returns true when the key is swallowed.
    bool keyPress(QObject *watched, char16_t character);

    QLineEdit *addBox(int number, int left, int top, bool input);
    QLineEdit *box(int number) const { return m_boxes.at(number); }
    QLineEdit *box(TradeBox which) const { return box(int(which)); }
    TradeInput input() const;
    void apply(const TradeResult &result);
    void moveFocus(TradeBox to);
    void colourProfit(ProfitColour colour);

    platform::MessageBoxes &m_messages;
    Speaker &m_speaker;
    WindowRegistry &m_windows;
    StockList m_stocks;
    std::map<int, QLineEdit *> m_boxes; // TextN by N
    std::map<QObject *, TradeBox> m_inputBoxes;
    QPushButton *m_compute = nullptr;
    QPushButton *m_clear = nullptr;
    QPushButton *m_close = nullptr;
};

} // namespace numbelle::ui
