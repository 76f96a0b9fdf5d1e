#include "packages/zip/Wildcard.h"

void CWildcard::SetPattern(const QString& pattern, bool caseSensitive)
{
    m_bCaseSensitive = caseSensitive;
    m_pattern = (caseSensitive ? pattern : pattern.toLower()).toUtf8();
}

bool CWildcard::IsMatch(const QString& text, int* result) const
{
    const QByteArray bytes = (m_bCaseSensitive ? text : text.toLower()).toUtf8();
    const int code = Match(m_pattern.constData(), bytes.constData());
    if (result)
        *result = code;
    return code == matchValid;
}

bool CWildcard::IsPattern(const QString& text)
{
    return text.contains('*') || text.contains('?') || text.contains('[') || text.contains('\\');
}

// Matches one bracket set against a text byte; `pattern` stands on the "[" and is left on its "]".
int CWildcard::MatchSet(const char*& p, char t)
{
    ++p;
    bool invert = false;
    if (*p == '!' || *p == '^') {
        invert = true;
        ++p;
    }
    if (*p == ']')
        return matchPattern;
    bool member = false;
    while (*p != ']') {
        if (*p == '\\')
            ++p;
        if (*p == '\0')
            return matchPattern;
        signed char low = static_cast<signed char>(*p);
        signed char high = low;
        ++p;
        if (*p == '-') {
            ++p;
            if (*p == '\\')
                ++p;
            if (*p == '\0' || *p == ']')
                return matchPattern;
            high = static_cast<signed char>(*p);
            ++p;
        }
        if (low > high)
            std::swap(low, high);
        const auto byte = static_cast<signed char>(t);
        if (byte >= low && byte <= high) {
            member = true;
            break;
        }
    }
    if (invert == member)
        return matchRange;
    // A match in a plain set: skip the rest of the set.
    while (*p != ']') {
        if (*p == '\0')
            return matchPattern;
        if (*p == '\\' && p[1] != '\0')
            ++p;
        ++p;
    }
    return matchValid;
}

int CWildcard::Match(const char* p, const char* t)
{
    for (; *p; ++p, ++t) {
        if (*t == '\0')
            return (p[0] == '*' && p[1] == '\0') ? matchValid : matchAbort;
        switch (*p) {
        case '?':
            break;
        case '*':
            return MatchAfterStar(p, t);
        case '[': {
            const int result = MatchSet(p, *t);
            if (result != matchValid)
                return result;
            break;
        }
        case '\\':
            ++p;
            if (*p == '\0')
                return matchPattern;
            [[fallthrough]];
        default:
            // A plain mismatch is "no match", so that a star before it goes on trying later positions.
            if (*p != *t)
                return matchNone;
        }
    }
    return *t == '\0' ? matchValid : matchEnd;
}

int CWildcard::MatchAfterStar(const char* p, const char* t)
{
    while (*p == '?' || *p == '*') {
        if (*p == '?') {
            if (*t == '\0')
                return matchAbort;
            ++t;
        }
        ++p;
    }
    if (*p == '\0')
        return matchValid;
    char next = *p;
    if (next == '\\') {
        next = p[1];
        if (next == '\0')
            return matchPattern;
    }
    for (;; ++t) {
        if (*t == next || *p == '[') {
            const int result = Match(p, t);
            if (result == matchValid || result == matchAbort || result == matchPattern)
                return result;
        }
        if (*t == '\0')
            return matchAbort;
    }
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
