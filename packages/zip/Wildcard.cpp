#include "packages/zip/Wildcard.h"

#include <utility>

namespace
{

// The matcher over text of single bytes (compared as signed values in ranges, like the code page's
// bytes) or of whole characters.
template <typename Char> struct Matcher {
    static long Rank(Char c)
    {
        if constexpr (sizeof(Char) == 1)
            return static_cast<signed char>(c);
        else
            return static_cast<long>(c);
    }

    // Matches one bracket set against a text character; `p` stands on the "[" and is left on its "]".
    static int MatchSet(const Char*& p, Char t)
    {
        ++p;
        bool invert = false;
        if (*p == '!' || *p == '^') {
            invert = true;
            ++p;
        }
        if (*p == ']')
            return CWildcard::matchPattern;
        bool member = false;
        while (*p != ']') {
            if (*p == '\\')
                ++p;
            if (*p == '\0')
                return CWildcard::matchPattern;
            long low = Rank(*p);
            long high = low;
            ++p;
            if (*p == '-') {
                ++p;
                if (*p == '\\')
                    ++p;
                if (*p == '\0' || *p == ']')
                    return CWildcard::matchPattern;
                high = Rank(*p);
                ++p;
            }
            if (low > high)
                std::swap(low, high);
            if (Rank(t) >= low && Rank(t) <= high) {
                member = true;
                break;
            }
        }
        if (invert == member)
            return CWildcard::matchRange;
        // A match in a plain set: skip the rest of the set.
        while (*p != ']') {
            if (*p == '\0')
                return CWildcard::matchPattern;
            if (*p == '\\' && p[1] != '\0')
                ++p;
            ++p;
        }
        return CWildcard::matchValid;
    }

    static int Match(const Char* p, const Char* t)
    {
        for (; *p; ++p, ++t) {
            if (*t == '\0')
                return (p[0] == '*' && p[1] == '\0') ? CWildcard::matchValid : CWildcard::matchAbort;
            switch (*p) {
            case '?':
                break;
            case '*':
                return MatchAfterStar(p, t);
            case '[': {
                const int result = MatchSet(p, *t);
                if (result != CWildcard::matchValid)
                    return result;
                break;
            }
            case '\\':
                ++p;
                if (*p == '\0')
                    return CWildcard::matchPattern;
                [[fallthrough]];
            default:
                // A plain mismatch is "no match", so that a star before it goes on trying later positions.
                if (*p != *t)
                    return CWildcard::matchNone;
            }
        }
        return *t == '\0' ? CWildcard::matchValid : CWildcard::matchEnd;
    }

    static int MatchAfterStar(const Char* p, const Char* t)
    {
        while (*p == '?' || *p == '*') {
            if (*p == '?') {
                if (*t == '\0')
                    return CWildcard::matchAbort;
                ++t;
            }
            ++p;
        }
        if (*p == '\0')
            return CWildcard::matchValid;
        Char next = *p;
        if (next == '\\') {
            next = p[1];
            if (next == '\0')
                return CWildcard::matchPattern;
        }
        for (;; ++t) {
            if (*t == next || *p == '[') {
                const int result = Match(p, t);
                if (result == CWildcard::matchValid || result == CWildcard::matchAbort ||
                    result == CWildcard::matchPattern)
                    return result;
            }
            if (*t == '\0')
                return CWildcard::matchAbort;
        }
    }
};

} // namespace

void CWildcard::SetPattern(const QString& pattern, bool caseSensitive)
{
    m_bCaseSensitive = caseSensitive;
    m_pattern = (caseSensitive ? pattern : pattern.toLower()).toStdU32String();
}

bool CWildcard::IsMatch(const QString& text, int* result) const
{
    // Names are matched character by character, so that "?" and sets take a letter such as "æ" whole.
    const std::u32string name = (m_bCaseSensitive ? text : text.toLower()).toStdU32String();
    const int code = Matcher<char32_t>::Match(m_pattern.c_str(), name.c_str());
    if (result)
        *result = code;
    return code == matchValid;
}

bool CWildcard::IsPattern(const QString& text)
{
    return text.contains('*') || text.contains('?') || text.contains('[') || text.contains('\\');
}

int CWildcard::Match(const char* pattern, const char* text)
{
    return Matcher<char>::Match(pattern, text);
}

int CWildcard::MatchAfterStar(const char* pattern, const char* text)
{
    return Matcher<char>::MatchAfterStar(pattern, text);
}

bool CWildcard::IsPatternValid(const QString& pattern, int* error)
{
    const QByteArray bytes = pattern.toUtf8();
    const char* p = bytes.constData();
    int code = patternValid;
    for (; code == patternValid && *p; ++p) {
        if (*p == '\\') {
            if (!*++p)
                code = patternEsc;
        } else if (*p == '[') {
            ++p;
            if (*p == ']') {
                code = patternEmpty;
                break;
            }
            if (!*p) {
                code = patternClose;
                break;
            }
            while (*p != ']' && code == patternValid) {
                if (*p == '\\') {
                    if (!*++p) {
                        code = patternEsc;
                        break;
                    }
                }
                if (!*p) {
                    code = patternClose;
                    break;
                }
                ++p;
                if (*p == '-') {
                    ++p;
                    if (!*p || *p == ']') {
                        code = patternRange;
                        break;
                    }
                    if (*p == '\\' && !*++p) {
                        code = patternEsc;
                        break;
                    }
                    ++p;
                }
                if (!*p)
                    code = patternClose;
            }
            if (code != patternValid)
                break;
        }
    }
    if (error)
        *error = code;
    return code == patternValid;
}
