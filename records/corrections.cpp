// SPDX-License-Identifier: GPL-3.0-or-later
#include "corrections.h"

#include "speech/readout.h"
#include "speech/speaker.h"

namespace numbelle {

Correction Correction::undone() const
{
    switch (kind) {
    case Edit:
        return Correction{Edit, record, previous, text};
    case Delete:
        return Correction{Insert, record, text, QString()};
    case Insert:
        break;
    }
    return Correction{Delete, record, text, QString()};
}

ChangeResult Corrections::edit(qsizetype record, const QString &shown, const QString &text)
{
    return apply(Correction{Correction::Edit, record, text, shown});
}

ChangeResult Corrections::remove(qsizetype record, const QString &shown)
{
    return apply(Correction{Correction::Delete, record, shown, QString()});
}

ChangeResult Corrections::insert(qsizetype record, const QString &text)
{
    return apply(Correction{Correction::Insert, record, text, QString()});
}

std::optional<Correction> Corrections::nextUndo() const
{
    if (m_done.empty())
        return std::nullopt;
    return m_done.back().undone();
}

ChangeResult Corrections::undo()
{
    if (m_done.empty())
        return ChangeResult{ChangeOutcome::FileChanged, 0};
    // Taking a change back is no change that could be taken back in turn.
    const ChangeResult result = write(m_done.back().undone());
    if (result.outcome == ChangeOutcome::Done)
        m_done.pop_back();
    return result;
}

ChangeResult Corrections::apply(const Correction &correction)
{
    const ChangeResult result = write(correction);
    if (result.outcome == ChangeOutcome::Done) {
        m_done.push_back(correction);
        if (qsizetype(m_done.size()) > kUndoDepth)
            m_done.pop_front();
    }
    return result;
}

ChangeResult Corrections::write(const Correction &correction)
{
    RecordChange change;
    change.record = correction.record;
    switch (correction.kind) {
    case Correction::Edit:
        change.kind = RecordChange::Replace;
        change.text = correction.text;
        change.expected = correction.previous;
        break;
    case Correction::Delete:
        change.kind = RecordChange::Remove;
        change.expected = correction.text;
        break;
    case Correction::Insert:
        change.kind = RecordChange::Insert;
        change.text = correction.text;
        break;
    }
    const ChangeResult result = m_records.change(change);
    if (result.outcome == ChangeOutcome::FileChanged)
        m_done.clear();
    return result;
}

QList<Proofreading::Step> correctionWords(const Correction &correction, bool undo, ReadOutStyle style)
{
    QList<Proofreading::Step> steps;
    if (undo)
        steps.append(Proofreading::Step{SpeakUndone, correction.record, Proofreading::kShortPauseMs});
    if (correction.kind == Correction::Delete) {
        steps += recordSteps(correction.record, QString(), style);
        steps.append(Proofreading::Step{SpeakDeleted, correction.record, 0});
    } else {
        steps += recordSteps(correction.record, correction.text, style);
    }
    return steps;
}

QList<int> figureWords(QStringView figure, ReadOutStyle style)
{
    if (const auto words = styledNumberWords(figure, style))
        return *words;
    // As the result read-out reads a result: a zero before a leading point,
    // then each character, anything but a digit, point or minus sign as 0.
    QList<int> words;
    if (figure.startsWith(u'.'))
        words.append(SpeakDigit0);
    for (QChar c : figure) {
        if (c == u'.')
            words.append(SpeakPoint);
        else if (c == u'-')
            words.append(SpeakNegative);
        else
            words.append(c >= u'0' && c <= u'9' ? SpeakDigit0 + (c.unicode() - u'0') : SpeakDigit0);
    }
    return words;
}

QList<Proofreading::Step> reconciliationWords(const QString &difference, ReadOutStyle style)
{
    QList<Proofreading::Step> steps;
    if (difference == u"0") {
        steps.append(Proofreading::Step{SpeakMatches, -1, 0});
        return steps;
    }
    steps.append(Proofreading::Step{SpeakDiffers, -1, Proofreading::kShortPauseMs});
    for (int word : figureWords(difference, style))
        steps.append(Proofreading::Step{word, -1, 0});
    return steps;
}

} // namespace numbelle
