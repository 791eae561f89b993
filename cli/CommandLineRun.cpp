#include "cli/CommandLineRun.h"

#include <algorithm>

#include "cli/CommandLine.h"
#include "cli/IsoTime.h"
#include "cli/Pattern.h"
#include "cli/ShowOutput.h"
#include "modify/ModifyCommand.h"
#include "platform/Text.h"
#include "target/ExtendedPath.h"
#include "target/TargetFile.h"

namespace {

// A message on one line: its line breaks become spaces.
std::u16string OneLine(std::u16string text) {
    std::replace(text.begin(), text.end(), u'\n', u' ');
    return text;
}

std::u16string Hex(uint32_t word) {
    std::u16string text = u"0x00000000";
    for (size_t i = text.size(); word != 0; word >>= 4) text[--i] = u"0123456789ABCDEF"[word & 0xF];
    return text;
}

class CommandLineRun {
  public:
    explicit CommandLineRun(Console& console) : console_(console) {}

    bool failed() const { return failed_; }

    void Fail(const std::u16string& path, const std::u16string& message) {
        console_.Err(path + u": " + OneLine(message) + u"\n");
        failed_ = true;
    }

    // The targets that one path names: itself, or the entries that match the wildcards of its
    // last component, in the order of their names.
    std::vector<std::u16string> Expand(const std::u16string& given) {
        const PathParts parts = SplitPath(given);
        if (!HasWildcard(parts.last)) return {given};
        CString search = ExtendedFullPath(parts.folder.empty() ? L"." : ToWide(parts.folder));
        if (!search.empty() && search.back() != L'\\') search += L'\\';
        std::vector<std::u16string> names;
        WIN32_FIND_DATAW entry;
        const HANDLE found = search.empty()
                                 ? INVALID_HANDLE_VALUE
                                 : ::FindFirstFileExW((search + L"*").c_str(), FindExInfoBasic,
                                                      &entry, FindExSearchNameMatch, nullptr, 0);
        if (found != INVALID_HANDLE_VALUE) {
            do {
                const std::u16string name = ToUtf16(entry.cFileName);
                if (name != u"." && name != u".." && MatchesPattern(name, parts.last))
                    names.push_back(name);
            } while (::FindNextFileW(found, &entry));
            ::FindClose(found);
        }
        if (names.empty()) Fail(given, u"没有与之匹配的文件或文件夹!");
        std::sort(names.begin(), names.end(), NameLess);
        for (std::u16string& name : names) name.insert(0, parts.folder);
        return names;
    }

    // Loads a target, or says why it cannot be.
    bool Load(const std::u16string& path, TargetSnapshot& snapshot, bool toModify,
              bool readVersion) {
        switch (LoadTargetSnapshot(ToWide(path), snapshot, toModify, readVersion)) {
            case LoadOutcome::Loaded:
                return true;
            case LoadOutcome::ProgramItself:
                Fail(path, u"不能修改自身!");
                return false;
            case LoadOutcome::NotFound:
            case LoadOutcome::Unreadable:
                Fail(path, u"文件句柄无效!");
                return false;
        }
        return false;
    }

  private:
    Console& console_;
    bool failed_ = false;
};

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

// Prints what one target's modification reports: a line for a target written, one for each
// failure or refusal, and the fields that a dry run would change.
class SetListener : public ModifyListener {
  public:
    SetListener(CommandLineRun& run, Console& console, const std::u16string& path)
        : run_(run), console_(console), path_(path) {}

    void Report(const ModifyReport& report) override {
        switch (report.event) {
            case ModifyEvent::LanguageRead:
                return;
            case ModifyEvent::Done:
                if (!failed_) console_.Out(path_ + u": " + ModifyMessage(report) + u"\n");
                return;
            case ModifyEvent::UnsigningRefused:
                run_.Fail(path_, ModifyMessage(report) + u" (--allow-unsigning)");
                break;
            default:
                run_.Fail(path_, ModifyMessage(report));
                break;
        }
        failed_ = true;
    }

    void Preview(const ModifyPreview& preview) override {
        std::u16string text = path_ + u": 预览，未写入\n";
        const auto line = [&text](const std::u16string& label, const std::u16string& before,
                                  const std::u16string& after) {
            text += u"  " + label + u": " + before + u" → " + after + u"\n";
        };
        if (preview.attributes)
            line(u"属性", Hex(preview.attributes->first), Hex(preview.attributes->second));
        static const char16_t* const kTimeLabels[] = {u"创建时间", u"修改时间", u"访问时间"};
        for (size_t i = 0; i < 3; ++i) {
            if (const auto& time = preview.times[i]) {
                line(kTimeLabels[i], Utf16Of(FormatIsoTime(time->first)),
                     Utf16Of(FormatIsoTime(time->second)));
            }
        }
        if (const auto& fixed = preview.fileVersion)
            line(u"文件版本号", FixedVersionText(fixed->first), FixedVersionText(fixed->second));
        if (const auto& fixed = preview.productVersion)
            line(u"产品版本号", FixedVersionText(fixed->first), FixedVersionText(fixed->second));
        for (const auto& [key, change] : preview.strings)
            line(kVersionStringKeys[key].label, change.first, change.second);
        if (preview.placement) text += u"  版本信息: " + PlacementText(*preview.placement) + u"\n";
        console_.Out(text);
    }

  private:
    static std::u16string Utf16Of(const std::string& ascii) {
        return std::u16string(ascii.begin(), ascii.end());
    }

    CommandLineRun& run_;
    Console& console_;
    const std::u16string& path_;
    bool failed_ = false;
};

}  // namespace

int RunCommandLine(const std::vector<std::u16string>& args, Console& console) {
    CliParse parsed = ParseCommandLine(args);
    if (!parsed.command) {
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
        case CliCommand::Verb::Show:
        case CliCommand::Verb::Set:
            break;
    }

    CommandLineRun run(console);
    if (command.timesFrom) {
        // All three times of another file, exactly.
        WIN32_FIND_DATAW entry;
        if (!FindTarget(ExtendedFullPath(ToWide(*command.timesFrom)), entry)) {
            run.Fail(*command.timesFrom, u"文件句柄无效!");
            return 1;
        }
        const std::array<uint64_t, 3> times = EntryTimes(entry);
        for (size_t i = 0; i < 3; ++i)
            command.request.newTimes[i] = {NewTime::Kind::Exact, "", "", times[i]};
    }
    const bool show = command.verb == CliCommand::Verb::Show;
    const int64_t utcOffset = UtcOffsetNow();
    bool first = true;
    if (show && command.json) console.Out(u"[");
    for (const std::u16string& given : command.paths) {
        for (const std::u16string& path : run.Expand(given)) {
            TargetSnapshot snapshot;
            if (!run.Load(path, snapshot, !show, show || command.request.versions)) continue;
            if (!show) {
                SetListener listener(run, console, path);
                RunModify(&snapshot, command.request, listener);
            } else if (command.json) {
                console.Out((first ? u"\n" : u",\n") + ShowJson(FactsOf(snapshot)));
            } else {
                console.Out((first ? u"" : u"\n") + ShowText(FactsOf(snapshot), utcOffset));
            }
            first = false;
        }
    }
    if (show && command.json) console.Out(first ? u"]\n" : u"\n]\n");
    return run.failed() ? 1 : 0;
}
