#include "cli/Console.h"

#include "platform/Text.h"

namespace {

constexpr size_t kFlushAt = 32 * 1024;

bool IsConsole(HANDLE handle) {
    DWORD mode;
    return ::GetConsoleMode(handle, &mode) != FALSE;
}

}  // namespace

Console::Console()
    : out_{::GetStdHandle(STD_OUTPUT_HANDLE), false, {}},
      err_{::GetStdHandle(STD_ERROR_HANDLE), false, {}} {
    out_.console = IsConsole(out_.handle);
    err_.console = IsConsole(err_.handle);
}

Console::~Console() {
    Flush();
}

void Console::Out(std::u16string_view text) {
    out_.pending.append(text.begin(), text.end());
    if (out_.pending.size() >= kFlushAt) Write(out_);
}

void Console::Err(std::u16string_view text) {
    Write(out_);
    err_.pending.append(text.begin(), text.end());
    Write(err_);
}

void Console::Flush() {
    Write(out_);
    Write(err_);
}

void Console::Write(Stream& stream) {
    if (stream.pending.empty()) return;
    if (stream.console) {
        DWORD written;
        for (size_t at = 0, count; at < stream.pending.size(); at += count) {
            count = std::min<size_t>(8192, stream.pending.size() - at);
            // A surrogate pair is never split between two writes.
            if (count > 1 && IS_HIGH_SURROGATE(stream.pending[at + count - 1])) --count;
            ::WriteConsoleW(stream.handle, stream.pending.data() + at, static_cast<DWORD>(count),
                            &written, nullptr);
        }
    } else {
        const std::string bytes = ToUtf8(stream.pending);
        DWORD written;
        ::WriteFile(stream.handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                    nullptr);
    }
    stream.pending.clear();
}
