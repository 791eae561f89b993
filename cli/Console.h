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

  private:
    struct Stream {
        HANDLE handle;
        bool console;
        std::wstring pending;
    };
    static void Write(Stream& stream);

    Stream out_;
    Stream err_;
};
