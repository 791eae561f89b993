#include "cli/Json.h"

#include "cli/CliText.h"

namespace {

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The characters that JSON escapes with one letter, and those letters.
constexpr std::u16string_view kShortEscaped = u"\"\\\b\f\n\r\t";
constexpr std::u16string_view kShortEscapeLetters = u"\"\\bfnrt";

void AppendUnicodeEscape(std::u16string& out, char16_t unit) {
    static constexpr char16_t kHex[] = u"0123456789abcdef";
    out += u"\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
}

}  // namespace

std::u16string JsonString(std::u16string_view text) {
    std::u16string out = u"\"";
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        const size_t shortEscape = kShortEscaped.find(unit);
        if (shortEscape != std::u16string_view::npos) {
            out += u'\\';
            out += kShortEscapeLetters[shortEscape];
        } else if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            out += unit;
            out += text[++i];
        } else if (unit < 0x20 || IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            AppendUnicodeEscape(out, unit);
        } else {
            out += unit;
        }
    }
    return out + u'"';
}

JsonWriter& JsonWriter::Key(std::u16string_view name) {
    Value(JsonString(name));
    m_text += u':';
    m_afterValue = false;
    return *this;
}

JsonWriter& JsonWriter::Number(uint64_t value) {
    return Value(DecimalU16(value));
}

JsonWriter& JsonWriter::Open(char16_t bracket) {
    Value(std::u16string_view(&bracket, 1));
    m_afterValue = false;
    return *this;
}

JsonWriter& JsonWriter::Close(char16_t bracket) {
    m_text += bracket;
    m_afterValue = true;
    return *this;
}

JsonWriter& JsonWriter::Value(std::u16string_view literal) {
    if (m_afterValue) m_text += u',';
    m_text += literal;
    m_afterValue = true;
    return *this;
}
