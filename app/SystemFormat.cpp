// printf-style formatting through the system's C runtime (msvcrt.dll) instead of MinGW's own
// C99 formatter.
//
// libstdc++ turns on MinGW's formatter for every C++ file, and with it come its floating-point
// conversions (about 24 KB). Our texts use only %s, %u, %d and %x with width and zero padding
// ("%s_bak", "%u 字节", "%04x%04x", the error messages), which msvcrt formats the same way. This
// definition takes the place of the library's entry that vsnprintf and snprintf reach, with the
// same C99 contract: the result is cut to fit and always terminated, and the return value is the
// full length (or negative on a bad format).
#include <cstdarg>
#include <cstddef>
#include <cstdio>

extern "C" int __mingw_vsnprintf(char* buffer, size_t capacity, const char* format, va_list args) {
    va_list measure;
    va_copy(measure, args);
    const int length = _vscprintf(format, measure);
    va_end(measure);
    if (capacity == 0) return length;
    // msvcrt leaves the text unterminated when it fills the buffer exactly or has to cut it.
    const int written = _vsnprintf(buffer, capacity, format, args);
    if (written < 0 || static_cast<size_t>(written) >= capacity) buffer[capacity - 1] = '\0';
    return length;
}
