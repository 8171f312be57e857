// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick of the desktop benchmarks: a bare Qt 6 widget window, one
// label that shows the digits typed, with nothing of the calculator in it. It
// costs what any Qt Widgets program costs to start, to hold in memory and to
// repaint after a key on this machine, so the calculator's figures can be put
// against it.
//
//   numbelle_bench_barewindow [--cjk]
//
// --cjk gives the label the calculator's Chinese font and a line of Chinese
// text, so the cost of that font alone can be told apart from the rest.

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>

namespace {

class DigitLabel final : public QLabel {
public:
    DigitLabel() : QLabel(QStringLiteral("0"))
    {
        setWindowTitle(QStringLiteral("Bare Qt window"));
        setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        resize(442, 479); // the calculator's window size at 96 dpi
    }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        // A digit is shown at once; after 12 digits the label starts again,
        // so every key changes what it shows.
        const QString typed = event->text();
        if (typed.isEmpty() || !typed.front().isDigit())
            return QLabel::keyPressEvent(event);
        const QString shown = text().size() >= 12 ? QString() : text();
        setText(shown + typed);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const bool cjk = argc > 1 && qstrcmp(argv[1], "--cjk") == 0;
    if (cjk) {
        QFont f;
        f.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Micro Hei")});
        f.setPointSizeF(10);
        f.setStyleStrategy(QFont::PreferNoShaping);
        QApplication::setFont(f);
    }
    DigitLabel window;
    if (cjk)
        window.setText(QStringLiteral("计算器 0"));
    window.show();
    return app.exec();
}
