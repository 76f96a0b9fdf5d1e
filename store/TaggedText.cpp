#include "store/TaggedText.h"

namespace
{
constexpr QChar kCurrencySign(0x00A4);
}

CTaggedText::CTaggedText()
    : m_open(QStringLiteral("{") + kCurrencySign), m_close(kCurrencySign + QStringLiteral("}")),
      m_separator(kCurrencySign + QStringLiteral("=") + kCurrencySign)
{
}

CTaggedText::Span CTaggedText::FindEntry(const QString& key) const
{
    Span span;
    if (!m_text || m_text->isEmpty() || key.isEmpty())
        return span;
    const QString head = m_open + key + m_separator;
    span.begin = m_text->indexOf(head);
    if (span.begin < 0)
        return span;
    span.valueBegin = span.begin + head.size();
    const qsizetype close = m_text->indexOf(m_close, span.valueBegin);
    // An entry that is never closed runs to the end of the text.
    span.valueEnd = close < 0 ? m_text->size() : close;
    span.end = close < 0 ? m_text->size() : close + m_close.size();
    return span;
}

bool CTaggedText::GetValue(const QString& key, QString& value) const
{
    const Span span = FindEntry(key);
    if (span.begin < 0)
        return false;
    value = m_text->mid(span.valueBegin, span.valueEnd - span.valueBegin);
    return true;
}

void CTaggedText::SetValue(const QString& key, const QString& value)
{
    if (!m_text || key.isEmpty())
        return;
    const Span old = FindEntry(key);
    if (old.begin >= 0)
        m_text->remove(old.begin, old.end - old.begin);
    m_text->prepend(m_open + key + m_separator + value + m_close);
}

bool CTaggedText::GetEntry(int n, QString& key, QString& value) const
{
    if (n < 0 || !m_text || m_text->isEmpty())
        return false;
    qsizetype open = -m_open.size();
    for (int entry = 0; entry <= n; ++entry) {
        open = m_text->indexOf(m_open, open + m_open.size());
        if (open < 0)
            return false;
    }
    const qsizetype keyBegin = open + m_open.size();
    const qsizetype separator = m_text->indexOf(m_separator, keyBegin);
    if (separator < 0) {
        // A broken entry without a separator: all of the rest is its key.
        key = m_text->mid(keyBegin);
        value.clear();
        return true;
    }
    key = m_text->mid(keyBegin, separator - keyBegin);
    const qsizetype valueBegin = separator + m_separator.size();
    const qsizetype close = m_text->indexOf(m_close, valueBegin);
    value = m_text->mid(valueBegin, close < 0 ? -1 : close - valueBegin);
    return true;
}
