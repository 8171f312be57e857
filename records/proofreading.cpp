// SPDX-License-Identifier: GPL-3.0-or-later
#include "proofreading.h"

#include "records/batch.h"
#include "speech/readout.h"
#include "speech/speaker.h"

#include <algorithm>

namespace numbelle {

QList<int> characterWords(QStringView text)
{
    QList<int> words;
    for (QChar c : text) {
        if (c >= u'0' && c <= u'9')
            words.append(SpeakDigit0 + (c.unicode() - u'0'));
        else if (c == u'.')
            words.append(SpeakPoint);
        else if (c == u'-')
            words.append(SpeakNegative);
        else if (c == u'X' || c == u'x')
            words.append(SpeakLetterX);
    }
    return words;
}

QList<int> resultWords(QStringView text, ReadOutStyle style)
{
    if (const auto words = styledNumberWords(text, style))
        return *words;
    return characterWords(text);
}

QList<int> recordWords(QStringView text, ReadOutStyle style)
{
    if (recordKind(text) == RecordKind::Number) {
        if (const auto words = styledNumberWords(text.trimmed(), style))
            return *words;
    }
    return characterWords(text);
}

Proofreading::Proofreading(QStringList texts, QString total, ReadOutStyle style)
    : m_count(texts.size()), m_texts([texts = std::move(texts)](qsizetype r) { return texts.value(r); }),
      m_total(std::move(total)), m_style(style)
{
}

Proofreading::Proofreading(qsizetype count, RecordTexts texts, QString total, ReadOutStyle style)
    : m_count(count), m_texts(std::move(texts)), m_total(std::move(total)), m_style(style)
{
}

void Proofreading::start(qsizetype record)
{
    m_queue.clear();
    m_nextRecord = std::clamp<qsizetype>(record, 0, m_count);
    m_totalQueued = false;
    m_running = true;
}

void Proofreading::stop()
{
    m_queue.clear();
    m_running = false;
}

std::optional<Proofreading::Step> Proofreading::next()
{
    if (!m_running)
        return std::nullopt;
    if (m_queue.empty()) {
        if (m_nextRecord < m_count)
            queueRecord(m_nextRecord++);
        else if (!m_totalQueued)
            queueTotal();
    }
    if (m_queue.empty()) {
        m_running = false;
        return std::nullopt;
    }
    const Step step = m_queue.front();
    m_queue.pop_front();
    return step;
}

QList<Proofreading::Step> recordSteps(qsizetype index, QStringView text, ReadOutStyle style)
{
    QList<Proofreading::Step> steps;
    auto add = [&](int code, int pause = 0) { steps.append(Proofreading::Step{code, index, pause}); };
    add(SpeakOrdinal);
    for (int word : characterWords(QString::number(index + 1)))
        add(word);
    add(SpeakItems, Proofreading::kShortPauseMs);
    for (int word : recordWords(text, style))
        add(word);
    if (recordKind(text) == RecordKind::WrongCheckCharacter) {
        add(SpeakWarning);
        add(SpeakCheckError);
    }
    return steps;
}

void Proofreading::queueRecord(qsizetype index)
{
    for (const Step &step : recordSteps(index, m_texts(index), m_style))
        m_queue.push_back(step);
    m_queue.back().pauseMs += kLongPauseMs;
}

void Proofreading::queueTotal()
{
    m_totalQueued = true;
    m_queue.push_back(Step{SpeakTotal, -1, kShortPauseMs});
    for (int word : resultWords(m_total, m_style))
        m_queue.push_back(Step{word, -1, 0});
}

} // namespace numbelle
