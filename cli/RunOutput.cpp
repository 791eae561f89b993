#include "cli/RunOutput.h"

#include <algorithm>

#include "cli/CliText.h"

namespace {

// A message on one line: its line breaks become spaces.
std::u16string OneLine(std::u16string text) {
    std::replace(text.begin(), text.end(), u'\n', u' ');
    return text;
}

}  // namespace

RunOutput::RunOutput(Console& console, bool json, bool quiet)
    : console_(console), json_(json), quiet_(quiet), started_(::GetTickCount64()) {
    if (json_) console_.Out(u"[");
}

void RunOutput::Fail(const std::u16string& path, const std::u16string& message) {
    console_.Err(path + u": " + OneLine(message) + u"\n");
    failed_ = true;
}

void RunOutput::Notice(const std::u16string& line) {
    if (!quiet_) console_.Err(line + u"\n");
}

void RunOutput::Text(const std::u16string& text) {
    if (!quiet_) console_.Out(text);
}

void RunOutput::Object(const std::u16string& object) {
    console_.Out((first_ ? u"\n" : u",\n") + object);
    first_ = false;
}

void RunOutput::Progress(size_t done, size_t total, const std::u16string& path) {
    const uint64_t now = ::GetTickCount64();
    // After a second, and then ten times a second at most: drawing is slow on a console.
    if (quiet_ || !console_.ShowsProgress() || now - started_ < 1000 || now - shown_ < 100) return;
    shown_ = now;
    console_.Progress(DecimalU16(done) + u"/" + DecimalU16(total) + u" " + path);
}

void RunOutput::End() {
    if (json_) console_.Out(first_ ? u"]\n" : u"\n]\n");
    console_.EndProgress();
}
