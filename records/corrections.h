// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Correcting a batch that proofreading found wrong: a record's text changed,
// a record deleted or one inserted before another, each written to the record
// file at once through the record store, and taken back again in the order
// made (the last change first). The words a change is heard by: the record's
// place and its new text, read as proofreading reads a record, or its place
// and "删除"; a change taken back is heard as "撤销" and what it restored.
//
// Reconciling the batch with the total written on the paper: the exact
// difference between the batch total and the figure typed.

#include "records/batch.h"
#include "records/proofreading.h"
#include "records/recordstore.h"

#include <QList>
#include <QString>
#include <deque>
#include <optional>

namespace numbelle {

// One change of the batch, by the record's place (from 0, in file order).
struct Correction {
    enum Kind { Edit, Delete, Insert };
    Kind kind = Edit;
    qsizetype record = 0;
    // Edit: the new text; Delete: the text deleted; Insert: the text inserted.
    QString text;
    // Edit: the text before.
    QString previous;

    // The change that takes this one back.
    Correction undone() const;
};

class Corrections {
public:
    // Changes taken back at most, the last ones kept.
    static constexpr qsizetype kUndoDepth = 100;

    explicit Corrections(RecordStore &records) : m_records(records) {}

    // The record's text as shown (expected in the file) becomes text.
    ChangeResult edit(qsizetype record, const QString &shown, const QString &text);
    ChangeResult remove(qsizetype record, const QString &shown);
    // A new record before the one at record.
    ChangeResult insert(qsizetype record, const QString &text);

    bool canUndo() const { return !m_done.empty(); }
    // The change the next undo makes (the last one taken back).
    std::optional<Correction> nextUndo() const;
    // Takes the last change back. When the file no longer holds what it
    // made, nothing is changed and every change is forgotten.
    ChangeResult undo();

    // Forgets every change (the file was changed by other means).
    void forget() { m_done.clear(); }

private:
    // Makes a change and keeps it to be taken back.
    ChangeResult apply(const Correction &correction);
    // Makes a change in the file.
    ChangeResult write(const Correction &correction);

    RecordStore &m_records;
    std::deque<Correction> m_done; // the last one at the back
};

// The words of a change made: "第", the record's place, "条", a short pause,
// then its new text as proofreading reads a record (digits, point, minus
// sign, X; a wrong check character sounded), or "删除" for a deletion. For a
// change taken back, "撤销" and a short pause come first.
QList<Proofreading::Step> correctionWords(const Correction &correction, bool undo = false,
                                          ReadOutStyle style = ReadOutStyle::Digits);

// The words of a figure read as the result read-out reads a result: as a
// number or as money in those styles, otherwise digit by digit with the
// point and the minus sign (a leading point with its zero, any other
// character as 0).
QList<int> figureWords(QStringView figure, ReadOutStyle style = ReadOutStyle::Digits);

// The words of a reconciliation: "相符", or "相差" and the difference.
QList<Proofreading::Step> reconciliationWords(const QString &difference, ReadOutStyle style = ReadOutStyle::Digits);

} // namespace numbelle
