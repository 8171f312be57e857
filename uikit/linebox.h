// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A read-only box of text lines that shows a list model: only the lines in
// sight are asked for, so a box may show a file of any size. Lines are
// selected whole (a click, the arrow keys, Shift and Ctrl for more, Ctrl+A);
// a copy carries the lines with their line ends. The model gives each line's
// text (Qt::DisplayRole), its colour where it has one of its own
// (Qt::ForegroundRole) and the line end that follows it in the text
// (LineEndRole).

#include <QColor>
#include <QListView>
#include <QString>

namespace numbelle::ui {

class LineBox : public QListView {
    Q_OBJECT
public:
    static constexpr int LineEndRole = Qt::UserRole + 1;

    explicit LineBox(QWidget *parent = nullptr);

    // The whole text: every line followed by its line end.
    QString text() const;
    // The selected text: one line alone, or the selected lines each followed
    // by its line end.
    QString selectedText() const;
    bool hasSelection() const;
    // Selects line (from 0) alone, makes it the current one and scrolls it
    // into sight (from its start).
    void selectLine(int line);
    // The current line: the one last clicked or selected (-1 for none).
    int currentLine() const;

    // Paints every line in the marked colours (yellow on blue), or back.
    void setMarked(bool marked);
    bool isMarked() const { return m_marked; }
    // The colour the selected text is painted in.
    QColor selectedTextColour() const;

signals:
    // A line was clicked with the left button (after the selection moved).
    void lineClicked(int line);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void copyToClipboard() const;

    bool m_marked = false;
};

} // namespace numbelle::ui
