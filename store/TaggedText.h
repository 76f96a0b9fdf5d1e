#pragma once
// Named values kept inside free text as entries "{¤key¤=¤value¤}" (¤ is 0xA4 in Windows-1252). The
// object works on a text that belongs to someone else.

#include <QString>

class CTaggedText
{
public:
    CTaggedText();
    virtual ~CTaggedText() = default;

    void Attach(QString* text) { m_text = text; }
    QString* GetText() const { return m_text; }

    // The value of the first entry of the key (keys match with regard to case). False when no text is
    // attached, the text or the key is empty, or there is no such entry.
    bool GetValue(const QString& key, QString& value) const;
    // Removes the first entry of the key and puts the new entry at the very beginning of the text.
    void SetValue(const QString& key, const QString& value);
    // Entry n counted from 0 in text order.
    bool GetEntry(int n, QString& key, QString& value) const;

    const QString& OpeningDelimiter() const { return m_open; }
    const QString& ClosingDelimiter() const { return m_close; }
    const QString& Separator() const { return m_separator; }

private:
    struct Span {
        qsizetype begin = -1;      // the opening delimiter
        qsizetype valueBegin = -1; // just after the separator
        qsizetype valueEnd = -1;   // the closing delimiter, or the end of an unclosed text
        qsizetype end = -1;        // just after the closing delimiter, or the end of the text
    };
    Span FindEntry(const QString& key) const;

    QString m_open;
    QString m_close;
    QString m_separator;
    QString* m_text = nullptr;
};
