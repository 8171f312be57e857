// The yardstick of the desktop benchmarks: a bare Qt 6 widget window, one
// label that shows the digits typed, with nothing of the calculator in it. It
// costs what any Qt Widgets program costs to start, to hold in memory and to
// repaint after a key on this machine, so the calculator's figures can be put
// against it.
//
//   numbelle_bench_barewindow

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
    DigitLabel window;
    window.show();
    return app.exec();
}
