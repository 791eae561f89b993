#include "cli/Pattern.h"

namespace {

// The lower-case letters that MatchesPattern folds, by ranges, and how far each range lies from
// its upper case: ASCII, Latin-1, modern Greek (final sigma to Σ as well), Cyrillic and
// full-width Latin.
struct CaseRange {
    char16_t first, last;
    int delta;
};
constexpr CaseRange kLowerCase[] = {
    {u'a', u'z', -32},     {0x00E0, 0x00F6, -32}, {0x00F8, 0x00FE, -32}, {0x03AC, 0x03AC, -38},
    {0x03AD, 0x03AF, -37}, {0x03B1, 0x03C1, -32}, {0x03C2, 0x03C2, -31}, {0x03C3, 0x03CB, -32},
    {0x03CC, 0x03CC, -64}, {0x03CD, 0x03CE, -63}, {0x0430, 0x044F, -32}, {0x0450, 0x045F, -80},
    {0xFF41, 0xFF5A, -32},
};

char16_t FoldCase(char16_t unit) {
    for (const CaseRange& range : kLowerCase) {
        if (unit >= range.first && unit <= range.last) {
            return static_cast<char16_t>(unit + range.delta);
        }
    }
    return unit;
}

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

// The units of the character that starts at pos: 2 for a surrogate pair, 1 otherwise.
size_t CharacterUnits(std::u16string_view text, size_t pos) {
    const bool pair = IsHighSurrogate(text[pos]) && pos + 1 < text.size() &&
                      text[pos + 1] >= 0xDC00 && text[pos + 1] <= 0xDFFF;
    return pair ? 2 : 1;
}

// '*' and '?' alone. Greedy, going back only to the last '*': what an earlier '*' took need never
// change, since the later one can take any run instead. So no choice is tried twice.
bool MatchesWildcards(std::u16string_view name, std::u16string_view pattern) {
    constexpr size_t kNone = std::u16string_view::npos;
    size_t n = 0, p = 0, starPattern = kNone, starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starPattern = ++p;
            starName = n;
        } else if (p < pattern.size() && pattern[p] == u'?') {
            n += CharacterUnits(name, n);
            ++p;
        } else if (p < pattern.size() && FoldCase(pattern[p]) == FoldCase(name[n])) {
            ++n;
            ++p;
        } else if (starPattern != kNone) {
            starName += CharacterUnits(name, starName);  // the '*' takes one character more
            n = starName;
            p = starPattern;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}

}  // namespace

bool HasWildcard(std::u16string_view lastComponent) {
    return lastComponent.find_first_of(u"*?") != std::u16string_view::npos;
}

bool MatchesPattern(std::u16string_view name, std::u16string_view pattern) {
    const size_t size = pattern.size();
    if (size >= 2 && pattern.substr(size - 2) == u".*" &&
        MatchesWildcards(name, pattern.substr(0, size - 2))) {
        return true;  // "report.*" takes "report", and "*.*" every name
    }
    if (size >= 1 && pattern.back() == u'.') {
        // A name without an extension: no dot, or its last dot ends it ("twin.").
        const size_t dot = name.rfind(u'.');
        return (dot == name.npos || dot + 1 == name.size()) &&
               MatchesWildcards(name.substr(0, dot), pattern.substr(0, size - 1));
    }
    return MatchesWildcards(name, pattern);
}

bool NameLess(std::u16string_view a, std::u16string_view b) {
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        const char16_t x = FoldCase(a[i]), y = FoldCase(b[i]);
        if (x != y) return x < y;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}
