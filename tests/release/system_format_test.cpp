// The program formats its texts through the system's C runtime (app/SystemFormat.cpp). This
// checks the C99 contract that CString::Format and the version string names rely on, with the
// conversions that the program uses, as linked into the program.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

int failures = 0;

void Expect(bool passed, const char* what) {
    if (!passed) {
        std::fprintf(stderr, "FAILED: %s\n", what);
        ++failures;
    }
}

// What CString::Format does: measure, then write into room for exactly that length.
std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    std::string out;
    if (length >= 0) {
        out.assign(static_cast<size_t>(length) + 1, '\x7f');
        const int written = std::vsnprintf(out.data(), out.size(), format, args);
        Expect(written == length, "the second call returns the measured length");
        Expect(out[static_cast<size_t>(length)] == '\0', "the text is terminated");
        out.resize(static_cast<size_t>(length));
    }
    va_end(args);
    return out;
}

}  // namespace

int main() {
    // The backup name, with a path in code page 936 ("测试" in GBK).
    const std::string path = "C:\\\xB2\xE2\xCA\xD4\\demo.exe";
    Expect(Format("%s_bak", path.c_str()) == path + "_bak", "%s keeps the ANSI bytes");
    Expect(Format("%u \xD7\xD6\xBD\xDA", 4294967295u) == "4294967295 \xD7\xD6\xBD\xDA",
           "%u gives the largest size word in full");
    Expect(Format("%u", 0u) == "0", "%u of zero");
    Expect(Format("error %d", -5) == "error -5", "%d of a negative number");
    Expect(Format("%d", 1813) == "1813", "%d of an error code");
    Expect(Format("%04x%04x", 0x804u, 0x4b0u) == "080404b0", "%04x pads with zeros, lower case");
    Expect(Format("%04x%04x", 0xFFFFu, 0x0u) == "ffff0000", "%04x at both ends");
    Expect(Format("%s", "") == "", "an empty text");
    const std::string longText(5000, 'a');
    Expect(Format("%s!", longText.c_str()) == longText + "!", "a text longer than any buffer");

    // snprintf into a fixed buffer: cut to fit, always terminated, the full length returned.
    char name[9];
    Expect(std::snprintf(name, sizeof name, "%04x%04x", 0x804u, 0x4b0u) == 8, "exact fit length");
    Expect(std::strcmp(name, "080404b0") == 0, "exact fit text");
    char small[5];
    std::memset(small, 'x', sizeof small);
    Expect(std::snprintf(small, sizeof small, "%s", "abcdefgh") == 8, "a cut text's full length");
    Expect(std::strcmp(small, "abcd") == 0, "a cut text is terminated");
    char one[1] = {'x'};
    Expect(std::snprintf(one, sizeof one, "%d", 42) == 2, "room for the terminator only");
    Expect(one[0] == '\0', "room for the terminator only: terminated");

    if (failures == 0) std::printf("system formatting: all checks passed\n");
    return failures == 0 ? 0 : 1;
}
