#pragma once
// Shell-style matching of entry names: "*", "?", "[...]" sets with ranges and "!" or "^" negation,
// and "\" escapes. Match() works over single-byte text; IsMatch() over the characters of a name.

#include <QByteArray>
#include <QString>

#include <string>

class CWildcard
{
public:
    enum PatternCheck {
        patternValid = 0,
        patternEsc = -1,
        patternRange = -2,
        patternClose = -3,
        patternEmpty = -4
    };
    enum MatchResult {
        matchNone = 0,
        matchValid = 1,
        matchEnd = 2,
        matchAbort = 3,
        matchRange = 4,
        matchPattern = 6
    };

    CWildcard() = default;
    CWildcard(const QString& pattern, bool caseSensitive) { SetPattern(pattern, caseSensitive); }
    virtual ~CWildcard() = default;

    void SetPattern(const QString& pattern, bool caseSensitive);
    bool IsMatch(const QString& text, int* result = nullptr) const;

    static int Match(const char* pattern, const char* text);
    static bool IsPattern(const QString& text);
    static bool IsPatternValid(const QString& pattern, int* error = nullptr);

    static int MatchAfterStar(const char* pattern, const char* text);

private:
    std::u32string m_pattern;
    bool m_bCaseSensitive = false;
};
