// Standard output and standard error as the command line writes them: Unicode to a console, UTF-8
// without a byte-order mark to a file or a pipe. Output is gathered and written in large pieces,
// and before anything goes to standard error, so that the two keep their order in one file.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

class Console {
  public:
    Console();
    ~Console();
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    void Out(std::u16string_view text);
    void Err(std::u16string_view text);
    void Flush();

    // One line on standard error that the next one replaces, where standard error is a console
    // (never on a pipe or a file); whatever else is written clears it first.
    bool ShowsProgress() const { return err_.console; }
    void Progress(std::u16string_view line);
    void EndProgress();

  private:
    struct Stream {
        HANDLE handle;
        bool console;
        std::wstring pending;
    };
    void Write(Stream& stream);
    void ToConsole(HANDLE handle, std::wstring_view text);

    Stream out_;
    Stream err_;
    size_t progressCells_ = 0;  // the width of the progress line shown, 0 when none is
};
