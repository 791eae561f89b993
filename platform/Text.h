// Conversions between the encodings the program meets, all in this one place: UTF-16 for paths
// and the program's own texts, bytes of the process's ANSI code page where a rule counts them
// (the time texts), UTF-8 where text leaves for a file or a pipe.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

std::wstring AnsiToWide(std::string_view text);
// A character that the ANSI code page lacks becomes its default character, never a look-alike.
std::string WideToAnsi(std::wstring_view text);

// The same UTF-16 units under the platform's type and under the portable one.
std::wstring ToWide(std::u16string_view text);
std::u16string ToUtf16(std::wstring_view text);

// UTF-8 for bytes that leave the program for a file or a pipe; a lone surrogate becomes U+FFFD.
std::string ToUtf8(std::wstring_view text);

std::wstring DecimalText(uint64_t value);

// ASCII text (numbers, ISO times, key names) as UTF-16: each byte one unit.
inline std::u16string AsciiToUtf16(std::string_view ascii) {
    return {ascii.begin(), ascii.end()};
}
