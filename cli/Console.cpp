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
    EndProgress();
}

void Console::Progress(std::u16string_view line) {
    Write(out_);  // what came before stays above it
    CONSOLE_SCREEN_BUFFER_INFO screen;
    const size_t width = ::GetConsoleScreenBufferInfo(err_.handle, &screen) && screen.dwSize.X > 1
                             ? screen.dwSize.X - 1
                             : 79;
    // As much of the line as fits, a wide character taking two cells; the rest of the previous
    // line is blanked.
    std::wstring text = L"\r";
    size_t cells = 0;
    for (const char16_t unit : line) {
        const size_t unitCells = unit >= 0x1100 && !IS_LOW_SURROGATE(unit) ? 2 : 1;
        if (cells + unitCells > width) break;
        text += static_cast<wchar_t>(unit);
        cells += unitCells;
    }
    if (!text.empty() && IS_HIGH_SURROGATE(text.back())) text.pop_back();
    text.append(progressCells_ > cells ? progressCells_ - cells : 0, L' ');
    ToConsole(err_.handle, text);
    progressCells_ = cells;
}

void Console::EndProgress() {
    if (progressCells_ == 0) return;
    const size_t cells = progressCells_;
    progressCells_ = 0;
    ToConsole(err_.handle, L"\r" + std::wstring(cells, L' ') + L"\r");
}

void Console::ToConsole(HANDLE handle, std::wstring_view text) {
    DWORD written;
    for (size_t at = 0, count; at < text.size(); at += count) {
        count = std::min<size_t>(8192, text.size() - at);
        // A surrogate pair is never split between two writes.
        if (count > 1 && IS_HIGH_SURROGATE(text[at + count - 1])) --count;
        ::WriteConsoleW(handle, text.data() + at, static_cast<DWORD>(count), &written, nullptr);
    }
}

void Console::Write(Stream& stream) {
    if (stream.pending.empty()) return;
    if (stream.console) {
        EndProgress();
        ToConsole(stream.handle, stream.pending);
    } else {
        const std::string bytes = ToUtf8(stream.pending);
        DWORD written;
        ::WriteFile(stream.handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                    nullptr);
    }
    stream.pending.clear();
}
