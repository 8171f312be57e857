// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Proofreading by ear: the records read back aloud one word at a time, so the
// clerk can follow the paper while listening. For each record: "第", the
// record's place in the batch digit by digit, "条", a short pause, its
// characters as the result read-out speaks them (digits, point, minus sign),
// the letter X as a word of its own, and a longer pause; an identity number
// whose check character is wrong is followed by the warning tone and
// "校验码错误". After the last record comes "合计" and the batch total.
//
// The reading is a plain sequence of steps; the window plays each step's word
// and waits for its clip and the pause after it before asking for the next.

#include "common/settings.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <deque>
#include <functional>
#include <optional>

namespace numbelle {

// The words of a text read character by character: the digits, "." and "-"
// as the result read-out speaks them and "X" (or "x") as the letter. Other
// characters (blanks, Chinese text) have no word and are passed over.
QList<int> characterWords(QStringView text);

// The words of a result (a total, a difference) read in the style: as a
// number or as money where it is one, otherwise character by character.
QList<int> resultWords(QStringView text, ReadOutStyle style);

// The words of a record as proofreading reads it: a record that is a number
// (by the batch total's rule) in the style, anything else character by
// character.
QList<int> recordWords(QStringView text, ReadOutStyle style);

class Proofreading {
public:
    static constexpr int kShortPauseMs = 300; // after "条" and "合计"
    static constexpr int kLongPauseMs = 900;  // after each record

    struct Step {
        int code = 0;          // the speech code of the word
        qsizetype record = -1; // the record it belongs to (from 0); -1 for the total
        int pauseMs = 0;       // the silence after the word

        bool operator==(const Step &) const = default;
    };

    // The text of record r (from 0), asked for when its turn comes: a batch
    // of any size is read without holding its texts.
    using RecordTexts = std::function<QString(qsizetype)>;

    // texts: the records in order; total: the batch total as shown; the
    // numbers among them and the total are read in the style.
    Proofreading(QStringList texts, QString total, ReadOutStyle style = ReadOutStyle::Digits);
    // count records whose texts come from texts.
    Proofreading(qsizetype count, RecordTexts texts, QString total, ReadOutStyle style = ReadOutStyle::Digits);

    // Starts reading at the record (from 0); a place at or beyond the end reads
    // only the total.
    void start(qsizetype record);
    void stop();
    bool isRunning() const { return m_running; }

    // The next word, or nothing when the reading is over (it then stops).
    std::optional<Step> next();

private:
    void queueRecord(qsizetype index);
    void queueTotal();

    qsizetype m_count = 0;
    RecordTexts m_texts;
    QString m_total;
    ReadOutStyle m_style = ReadOutStyle::Digits;
    std::deque<Step> m_queue;
    qsizetype m_nextRecord = 0;
    bool m_totalQueued = false;
    bool m_running = false;
};

// The words of one record as the reading speaks them: "第", its place (index
// + 1) digit by digit, "条" and the short pause, its words (recordWords in
// the style), and after an identity number with a wrong check character the
// warning tone and "校验码错误" (the reading adds the long pause after them).
QList<Proofreading::Step> recordSteps(qsizetype index, QStringView text, ReadOutStyle style = ReadOutStyle::Digits);

} // namespace numbelle
