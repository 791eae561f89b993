// The console's command line, read into one command before anything is touched:
//   quorvane-cli show [--json] PATH...
//   quorvane-cli set [OPTION...] PATH...
//   quorvane-cli --help
//   quorvane-cli --version
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "modify/ModifyRequest.h"

struct CliCommand {
    enum class Verb { Show, Set, Help, Version };
    Verb verb = Verb::Help;
    bool json = false;
    std::vector<std::u16string> paths;  // as given, wildcards not yet expanded
    // set --times-from: the file whose three times every target takes; request.times is set and
    // request.newTimes are left for the console to fill from that file.
    std::optional<std::u16string> timesFrom;
    // set --language: the language of a version resource made for a file without one.
    std::optional<uint16_t> language;
    ModifyRequest request;
};

// Exactly one of command and error.
struct CliParse {
    std::optional<CliCommand> command;
    std::u16string error;  // why the line was refused, one line, naming the argument at fault
};

// args without the program's name. The verb comes first; --help and --version stand alone.
// Option names are matched exactly and take their value from the next argument whatever it is,
// except --attrib, which takes every following argument of two units starting with '+' or '-'
// ("+R", "-h"; never "--"). Options and paths may be mixed; "--" ends the options; any other
// argument starting with '-' is an option. --version may repeat, once for each key; the other
// options with a value may be given once; --backup, --dry-run, --allow-unsigning and --json may
// repeat. A TIME is the dialog's local text "YYYY-MM-DD HH:MM:SS", checked as the dialog checks
// it, or, when its 11th character is 'T' or 't', an ISO 8601 time with its offset (ParseIsoTime);
// either is ASCII throughout.
CliParse ParseCommandLine(const std::vector<std::u16string>& args);

// The four forms, for an error's reader.
std::u16string UsageText();
// The usage with every option explained and an example of each.
std::u16string HelpText();
