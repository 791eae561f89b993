// The console's command line, read into one command before anything is touched:
//   quorvane-cli show [OPTION...] PATH...
//   quorvane-cli set [OPTION...] PATH...
//   quorvane-cli shell-menu [install|uninstall]
//   quorvane-cli --help | -h | /?
//   quorvane-cli --version
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "modify/ModifyRequest.h"

// What shell-menu does with the context-menu entry: says where it points, writes it, removes it.
enum class ShellMenuAction { Show, Install, Uninstall };

struct CliCommand {
    enum class Verb { Show, Set, Help, Version, ShellMenu };
    Verb verb = Verb::Help;
    ShellMenuAction shellMenu = ShellMenuAction::Show;
    bool json = false;
    bool recurse = false;               // -r: the folders' trees, a pattern applying at every level
    bool quiet = false;                 // set: errors alone
    std::vector<std::u16string> paths;  // as given, wildcards not yet expanded
    // --paths-from: the file of more paths, "-" for standard input.
    std::optional<std::u16string> pathsFrom;
    // set --times-from: the file whose three times every target takes; request.times is set and
    // request.newTimes are left for the console to fill from that file (their shifts set).
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

// What the parse takes of the clock: the time that "now" names, the same for every target, and
// the rules of local time.
struct CliClock {
    uint64_t now;
    UtcOffsetAt offsetAt;
};

// args without the program's name. The verb comes first; --version stands alone, and --help, -h
// or /? anywhere before "--" asks for the help. Option names are matched exactly; an option with
// a value takes it after '=' ("--created=...") or from the next argument whatever it is, except
// --attrib, which takes every following argument of two units starting with '+' or '-' ("+R",
// "-h"; never "--"). Options and paths may be mixed; "--" ends the options; any other argument
// starting with '-' is an option. --version may repeat, once for each key; the other options
// with a value may be given once; those without one may repeat. A TIME is "now", the target's
// own "created", "modified" or "accessed", the dialog's local text "YYYY-MM-DD HH:MM:SS", checked
// as the dialog checks it and read by the rules of local time in force on its date
// (LocalToUtcSeconds), or, when its 11th character is 'T' or 't', an ISO 8601 time with its
// offset (ParseIsoTime); the texts are ASCII throughout, and become exact file times here. A
// SHIFT (ParseShift) moves all three times, or with --shift-created and the like one of them.
CliParse ParseCommandLine(const std::vector<std::u16string>& args, const CliClock& clock);

// The four forms, for an error's reader.
std::u16string UsageText();
// The usage with every option explained and an example of each.
std::u16string HelpText();
