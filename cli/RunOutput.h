// What a run of the command line prints: each target shown or set, as text or as one JSON array
// of objects; errors and notices on standard error; a progress line on a console; and from all of
// it the exit status.
#pragma once

#include <cstdint>
#include <string>

#include "cli/Console.h"

class RunOutput {
  public:
    RunOutput(Console& console, bool json, bool quiet);
    RunOutput(const RunOutput&) = delete;
    RunOutput& operator=(const RunOutput&) = delete;

    bool json() const { return json_; }
    bool failed() const { return failed_; }

    // "PATH: message" on standard error, on one line; the run then ends with status 1.
    void Fail(const std::u16string& path, const std::u16string& message);
    // On standard error, unless quiet.
    void Notice(const std::u16string& line);
    // Text for standard output, unless quiet.
    void Text(const std::u16string& text);
    // One target's object in the JSON array.
    void Object(const std::u16string& object);
    // Where a run has lasted a second, on a console: how far it is, and the target at hand.
    void Progress(size_t done, size_t total, const std::u16string& path);
    // Closes the JSON array and clears the progress line.
    void End();

  private:
    Console& console_;
    const bool json_;
    const bool quiet_;
    bool failed_ = false;
    bool first_ = true;   // no object written yet
    uint64_t started_;    // GetTickCount64 at the start
    uint64_t shown_ = 0;  // when the progress line was last drawn
};
