#include "cli/CommandLineRun.h"

#include "cli/CommandLine.h"
#include "cli/RunOutput.h"
#include "cli/SetReport.h"
#include "cli/ShellMenuRun.h"
#include "cli/ShowOutput.h"
#include "cli/TargetSources.h"
#include "platform/ErrorText.h"
#include "platform/Text.h"
#include "target/ExtendedPath.h"
#include "target/TargetFile.h"

namespace {

// The rules of local time on each date. A lambda, not the function itself: a std::function made
// from a function pointer brings the type information of pointers and functions into the program.
const UtcOffsetAt kLocalRules = [](int64_t utcSeconds) { return UtcOffsetAtTime(utcSeconds); };

// Why a path names nothing that can be loaded.
std::u16string NotFoundMessage(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
               ? u"文件或文件夹不存在!"
               : u"无法读取! " + ToUtf16(SystemErrorText(error));
}

TargetFacts FactsOf(const TargetSnapshot& snapshot) {
    TargetFacts facts;
    facts.path = PlainPath(ToUtf16(snapshot.filePath));
    facts.name = ToUtf16(snapshot.entry.cFileName);
    facts.size = FileSize(snapshot.entry);
    facts.attributes = snapshot.entry.dwFileAttributes;
    facts.times = EntryTimes(snapshot.entry);
    const LoadedVersion& loaded = snapshot.version;
    facts.isSigned = loaded.isSigned;
    if (loaded.state == LoadedVersion::State::Loaded) {
        TargetFacts::Version& version = facts.version.emplace();
        version.language = loaded.translation.language;
        version.codePage = loaded.translation.codePage;
        version.languageName = ToUtf16(LanguageName(loaded.translation.language));
        version.fileVersion = loaded.fileVersion;
        version.productVersion = loaded.productVersion;
        for (size_t i = 0; i < kVersionStringKeyCount; ++i) {
            if (loaded.texts[i]) version.strings[i] = ToUtf16(*loaded.texts[i]);
        }
    }
    return facts;
}

class CommandLineRun {
  public:
    CommandLineRun(const CliCommand& command, RunOutput& output)
        : command_(command), output_(output), show_(command.verb == CliCommand::Verb::Show) {}

    // One target that a path named, or why a path named none.
    void Take(const ExpandedPath& named) {
        switch (named.kind) {
            case ExpandedPath::Kind::Target:
                break;
            case ExpandedPath::Kind::NothingMatched:
                return Failed(named.path, u"没有与之匹配的文件或文件夹!");
            case ExpandedPath::Kind::NotListed:
                return Failed(named.path,
                              u"无法列出文件夹! " + ToUtf16(SystemErrorText(named.error)));
        }
        TargetSnapshot snapshot;
        if (!Load(named.path, snapshot)) return;
        if (show_) {
            const TargetFacts facts = FactsOf(snapshot);
            if (output_.json()) {
                output_.Object(ShowJson(facts));
            } else {
                output_.Text((shown_ ? u"\n" : u"") + ShowText(facts, kLocalRules));
                shown_ = true;
            }
            return;
        }
        SetListener listener(output_, named.path, command_.request.dryRun);
        RunModify(&snapshot, command_.request, listener);
        listener.Finish();
    }

  private:
    // Loads a target, or says why it cannot be: a file whose bytes cannot be read when they are
    // needed is no file without version information.
    bool Load(const std::u16string& path, TargetSnapshot& snapshot) {
        const bool readVersion = show_ || command_.request.versions;
        switch (LoadTargetSnapshot(ToWide(path), snapshot, !show_, readVersion)) {
            case LoadOutcome::Loaded:
                if (snapshot.version.error == ERROR_SUCCESS) return true;
                Failed(path, u"无法读取文件! " + ToUtf16(SystemErrorText(snapshot.version.error)));
                return false;
            case LoadOutcome::ProgramItself:
                Failed(path, u"不能修改自身!", SetOutcome::Refused);
                return false;
            case LoadOutcome::NotFound:
                Failed(path, NotFoundMessage(snapshot.error));
                return false;
            case LoadOutcome::Unreadable:
                Failed(path, u"文件句柄无效!");
                return false;
        }
        return false;
    }

    void Failed(const std::u16string& path, const std::u16string& message,
                SetOutcome outcome = SetOutcome::Failed) {
        output_.Fail(path, message);
        if (output_.json() && !show_) {
            output_.Object(SetResultJson(path, outcome, command_.request.dryRun, message));
        }
    }

    const CliCommand& command_;
    RunOutput& output_;
    const bool show_;
    bool shown_ = false;  // a target shown as text already
};

}  // namespace

int RunCommandLine(const std::vector<std::u16string>& args, Console& console) {
    CliParse parsed = ParseCommandLine(args, {FileTimeNow(), kLocalRules});
    std::optional<std::vector<std::u16string>> listed;
    if (parsed.command && parsed.command->pathsFrom)
        listed = ReadPathList(*parsed.command->pathsFrom, parsed.error);
    if (!parsed.command || (parsed.command->pathsFrom && !listed)) {
        console.Err(parsed.error + u"\n" + UsageText());
        return 2;
    }
    CliCommand& command = *parsed.command;
    switch (command.verb) {
        case CliCommand::Verb::Help:
            console.Out(HelpText());
            return 0;
        case CliCommand::Verb::Version:
            console.Out(u"quorvane-cli 1.0 (Telvaro V1.0)\n");
            return 0;
        case CliCommand::Verb::ShellMenu:
            return RunShellMenu(command.shellMenu, console);
        case CliCommand::Verb::Show:
        case CliCommand::Verb::Set:
            break;
    }

    RunOutput output(console, command.json, command.quiet);
    if (command.timesFrom) {
        // All three times of another file, exactly.
        WIN32_FIND_DATAW entry;
        if (!FindTarget(ExtendedFullPath(ToWide(*command.timesFrom)), entry)) {
            output.Fail(*command.timesFrom, NotFoundMessage(::GetLastError()));
            output.End();
            return 1;
        }
        const std::array<uint64_t, 3> times = EntryTimes(entry);
        for (size_t i = 0; i < 3; ++i) {
            command.request.newTimes[i].kind = NewTime::Kind::Exact;
            command.request.newTimes[i].exact = times[i];
        }
    }
    // Every target named before any is touched: how many there are, and none that a backup made
    // on the way could add.
    if (listed) command.paths.insert(command.paths.end(), listed->begin(), listed->end());
    std::vector<ExpandedPath> targets;
    const bool foldersLast = command.verb == CliCommand::Verb::Set;
    const ListFolder list = [](const std::u16string& folder, uint32_t& error) {
        return ListFolderEntries(folder, error);
    };
    for (const std::u16string& given : command.paths) {
        for (ExpandedPath& named : ExpandPath(given, command.recurse, foldersLast, list))
            targets.push_back(std::move(named));
    }
    CommandLineRun run(command, output);
    for (size_t i = 0; i < targets.size(); ++i) {
        output.Progress(i, targets.size(), targets[i].path);
        run.Take(targets[i]);
    }
    output.End();
    return output.failed() ? 1 : 0;
}
