#include "cli/CommandLine.h"

#include <algorithm>

#include "cli/CliText.h"
#include "cli/IsoTime.h"

namespace {

using Args = std::vector<std::u16string>;
using Verb = CliCommand::Verb;

enum class Option {
    Attrib,
    Created,
    Modified,
    Accessed,
    TimesFrom,
    Version,
    FileVersion,
    ProductVersion,
    Backup,
    DryRun,
    AllowUnsigning,
    Language
};

struct NamedOption {
    std::u16string_view name;
    Option option;
};

// The options of set; show takes --json alone.
constexpr NamedOption kSetOptions[] = {
    {u"--attrib", Option::Attrib},
    {u"--created", Option::Created},
    {u"--modified", Option::Modified},
    {u"--accessed", Option::Accessed},
    {u"--times-from", Option::TimesFrom},
    {u"--version", Option::Version},
    {u"--file-version", Option::FileVersion},
    {u"--product-version", Option::ProductVersion},
    {u"--backup", Option::Backup},
    {u"--dry-run", Option::DryRun},
    {u"--allow-unsigning", Option::AllowUnsigning},
    {u"--language", Option::Language},
};

constexpr char16_t kAttributeValues[] = u"（应为 +R、-R、+H、-H、+S、-S、+A 或 -A）：";

char16_t AsciiLower(char16_t unit) {
    return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 32) : unit;
}

std::optional<size_t> VersionKeyIndex(std::u16string_view key) {
    for (size_t i = 0; i < kVersionStringKeyCount; ++i) {
        const std::string_view name = kVersionStringKeys[i].name;
        if (name.size() == key.size() &&
            std::equal(key.begin(), key.end(), name.begin(),
                       [](char16_t a, char b) { return AsciiLower(a) == AsciiLower(b); })) {
            return i;
        }
    }
    return std::nullopt;
}

// Read-only, hidden, system and archive, by the letters that attrib uses.
uint32_t AttributeLetterBit(char16_t letter) {
    constexpr std::u16string_view kLetters = u"rhsa";
    constexpr uint32_t kBits[] = {0x1, 0x2, 0x4, 0x20};
    const size_t found = kLetters.find(AsciiLower(letter));
    return found == std::u16string_view::npos ? 0 : kBits[found];
}

// The shape that --attrib takes as its values: "+X" or "-X", but never "--".
bool IsAttributeArgument(std::u16string_view arg) {
    return arg.size() == 2 && (arg[0] == u'+' || arg[0] == u'-') && arg[1] != u'-';
}

// The local text goes on as the dialog's typed text, turned into UTC per target with the offset
// in force then; an ISO time is exact already.
std::optional<NewTime> TimeArgument(std::u16string_view value) {
    const std::optional<std::string> bytes = AsciiBytes(value);
    if (!bytes) return std::nullopt;
    if (bytes->size() > 10 && ((*bytes)[10] == 'T' || (*bytes)[10] == 't')) {
        const std::optional<uint64_t> ticks = ParseIsoTime(*bytes);
        if (!ticks) return std::nullopt;
        return NewTime{NewTime::Kind::Exact, {}, {}, *ticks};
    }
    if (!IsValidTimeText(*bytes) || !IsValidLocalDateTime(ParseTimeText(*bytes))) {
        return std::nullopt;
    }
    return NewTime{NewTime::Kind::Typed, *bytes, {}, 0};
}

// Each of these takes the values of one option into the command: the reason when refused, an
// empty text when taken.

std::u16string TakeAttributes(const Args& args, size_t& i, AttributeChange& change) {
    const size_t option = i;
    while (i + 1 < args.size() && IsAttributeArgument(args[i + 1])) {
        const std::u16string& value = args[++i];
        const uint32_t bit = AttributeLetterBit(value[1]);
        if (bit == 0) return u"属性无效" + (kAttributeValues + value);
        const bool set = value[0] == u'+';
        if (((set ? change.clear : change.set) & bit) != 0) {
            return u"同一属性不能既设置又清除：" + value;
        }
        (set ? change.set : change.clear) |= bit;
    }
    if (i != option) return {};
    if (i + 1 == args.size()) return u"选项 --attrib 缺少值";
    return u"属性无效" + (kAttributeValues + args[i + 1]);
}

std::u16string TakeVersionString(const std::u16string& value, VersionChanges& changes) {
    const size_t equals = value.find(u'=');
    if (equals == std::u16string::npos) return u"版本字符串应写成 键=文本：" + value;
    const std::u16string key = value.substr(0, equals);
    const std::optional<size_t> index = VersionKeyIndex(key);
    if (!index) return u"未知的版本字符串键（可用的键见 --help）：" + key;
    for (const VersionEdit& edit : changes.strings) {
        if (edit.key == *index) return u"版本字符串键给了两次：" + key;
    }
    changes.strings.push_back({*index, value.substr(equals + 1)});
    return {};
}

std::u16string TakeSetOption(const NamedOption& named, const Args& args, size_t& i,
                             CliCommand& command) {
    ModifyRequest& request = command.request;
    switch (named.option) {
        case Option::Backup:
            request.backup = true;
            return {};
        case Option::DryRun:
            request.dryRun = true;
            return {};
        case Option::AllowUnsigning:
            request.allowUnsigning = true;
            return {};
        case Option::Attrib:
            request.attributes = true;
            return TakeAttributes(args, i, request.attributeChange);
        default:
            break;
    }
    const std::u16string name(named.name);
    if (i + 1 == args.size()) return u"选项 " + name + u" 缺少值";
    const std::u16string& value = args[++i];
    const std::u16string twice = u"选项 " + name + u" 只能给一次：" + value;
    switch (named.option) {
        case Option::Created:
        case Option::Modified:
        case Option::Accessed: {
            NewTime& time = request.newTimes[static_cast<size_t>(named.option) -
                                             static_cast<size_t>(Option::Created)];
            if (time.kind != NewTime::Kind::Kept) return twice;
            const std::optional<NewTime> parsed = TimeArgument(value);
            if (!parsed) {
                return u"时间无效（应为 YYYY-MM-DD HH:MM:SS，或如 2024-05-01T08:00:00Z 的 ISO 8601 "
                       u"时间）：" +
                       value;
            }
            time = *parsed;
            request.times = true;
            return {};
        }
        case Option::TimesFrom:
            if (command.timesFrom) return twice;
            command.timesFrom = value;
            request.times = true;
            return {};
        case Option::Version:
            request.versions = true;
            return TakeVersionString(value, request.versionChanges);
        case Option::Language:
            if (command.language) return twice;
            command.language = ParseLanguage(value);
            if (!command.language) {
                return u"语言无效（应为十六进制的语言代码，如 0x0409，或 zh-CN、en-US "
                       u"这样的标记）：" +
                       value;
            }
            request.versionGrowth.language = *command.language;
            return {};
        default: {
            std::optional<FixedVersion>& fixed = named.option == Option::FileVersion
                                                     ? request.versionChanges.fileVersion
                                                     : request.versionChanges.productVersion;
            if (fixed) return twice;
            fixed = ParseFixedVersion(value);
            if (!fixed) return u"版本号无效（应为 A.B.C.D，四个数各在 0 到 65535 之间）：" + value;
            request.versions = true;
            return {};
        }
    }
}

CliParse Refuse(std::u16string reason) {
    return {std::nullopt, std::move(reason)};
}

// Whether a fixed version and the string of the same name are both given: they would disagree.
bool BothVersions(const VersionChanges& changes, std::u16string_view key,
                  const std::optional<FixedVersion>& fixed) {
    const size_t index = *VersionKeyIndex(key);
    return fixed && std::any_of(changes.strings.begin(), changes.strings.end(),
                                [index](const VersionEdit& edit) { return edit.key == index; });
}

}  // namespace

CliParse ParseCommandLine(const std::vector<std::u16string>& args) {
    if (args.empty()) return Refuse(u"缺少命令：show、set、--help 或 --version");
    CliCommand command;
    const std::u16string& verb = args[0];
    if (verb == u"--help" || verb == u"--version") {
        if (args.size() > 1) return Refuse(verb + u" 之后不能再有参数：" + args[1]);
        command.verb = verb == u"--help" ? Verb::Help : Verb::Version;
        return {command, {}};
    }
    if (verb == u"show") {
        command.verb = Verb::Show;
    } else if (verb == u"set") {
        command.verb = Verb::Set;
        command.request.checkFirst = true;
        command.request.versionGrowth.allowed = true;
    } else {
        return Refuse(u"未知的命令：" + verb);
    }
    const bool set = command.verb == Verb::Set;

    bool optionsEnded = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::u16string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != u'-') {
            command.paths.push_back(arg);
            continue;
        }
        if (arg == u"--") {
            optionsEnded = true;
            continue;
        }
        if (arg == u"--json" && !set) {
            command.json = true;
            continue;
        }
        const auto named = std::find_if(std::begin(kSetOptions), std::end(kSetOptions),
                                        [&arg](const NamedOption& o) { return o.name == arg; });
        const bool known = named != std::end(kSetOptions);
        if (arg == u"--json" || (known && !set)) return Refuse(verb + u" 不接受选项 " + arg);
        if (!known) return Refuse(u"未知的选项：" + arg);
        const std::u16string reason = TakeSetOption(*named, args, i, command);
        if (!reason.empty()) return Refuse(reason);
    }

    if (command.paths.empty()) return Refuse(u"缺少路径");
    if (!set) return {command, {}};
    const ModifyRequest& request = command.request;
    if (!request.attributes && !request.times && !request.versions) {
        return Refuse(
            u"没有要修改的内容：至少给出 --attrib、--created、--modified、--accessed、"
            u"--times-from、--version、--file-version 或 --product-version 之一");
    }
    if (command.timesFrom &&
        std::any_of(request.newTimes.begin(), request.newTimes.end(),
                    [](const NewTime& time) { return time.kind != NewTime::Kind::Kept; })) {
        return Refuse(u"--times-from 不能与 --created、--modified 或 --accessed 同用");
    }
    if (command.language && !request.versions) {
        return Refuse(
            u"--language 用于新建的版本信息，须与 --version、--file-version 或 "
            u"--product-version 同用");
    }
    const VersionChanges& changes = request.versionChanges;
    if (BothVersions(changes, u"FileVersion", changes.fileVersion)) {
        return Refuse(u"--file-version 不能与 --version FileVersion=… 同用");
    }
    if (BothVersions(changes, u"ProductVersion", changes.productVersion)) {
        return Refuse(u"--product-version 不能与 --version ProductVersion=… 同用");
    }
    return {command, {}};
}

std::u16string UsageText() {
    return u"用法：\n"
           u"  quorvane-cli show [--json] 路径...\n"
           u"  quorvane-cli set [选项...] 路径...\n"
           u"  quorvane-cli --help\n"
           u"  quorvane-cli --version\n";
}

std::u16string HelpText() {
    std::u16string keys;  // six to a line
    for (size_t i = 0; i < kVersionStringKeyCount; ++i) {
        const char* name = kVersionStringKeys[i].name;
        keys += i % 6 == 0 ? u"\n  " : u" ";
        keys.append(name, name + std::char_traits<char>::length(name));
    }
    return u"Quorvane 命令行：查看或修改文件、文件夹的属性、三个时间和版本信息。\n\n" +
           UsageText() +
           u"\nshow 列出每个目标的名称、属性、时间、大小、签名和版本信息；set 修改每个目标；\n"
           u"--help 显示本说明；--version 显示程序的版本。\n"
           u"\nshow 的选项：\n"
           u"  --json                     每个目标输出一个 JSON 对象\n"
           u"\nset 的选项（可任意组合，至少要有一项修改；选项可以写在路径之间）：\n"
           u"  --attrib 属性...           设置(+)或清除(-)属性：R 只读、H 隐藏、S 系统、A 存档，"
           u"如 +R -H\n"
           u"  --created 时间             新的创建时间\n"
           u"  --modified 时间            新的修改时间\n"
           u"  --accessed 时间            新的访问时间\n"
           u"  --times-from 文件          三个时间都取自这个文件（不能与上面三项同用）\n"
           u"  --version 键=文本          "
           u"改一个版本字符串，可以重复；文本可以为空，可以比原来长，\n"
           u"                             文件没有的键会添加\n"
           u"  --file-version A.B.C.D     文件版本号：四个 0 到 65535 的数\n"
           u"  --product-version A.B.C.D  产品版本号\n"
           u"  --language 语言            "
           u"文件原来没有版本信息时，新建的版本信息所用的语言：十六进制\n"
           u"                             （如 0x0409）或 zh-CN、en-US 这样的标记；默认 zh-CN\n"
           u"  --backup                   修改前在目标旁复制一份“路径_bak”\n"
           u"  --dry-run                  只检查并列出将做的修改，不写入\n"
           u"  --allow-unsigning          允许修改已签名文件的版本信息（签名随之失效）\n"
           u"  --                         之后的参数都是路径\n"
           u"\n时间：本地时间“YYYY-MM-DD HH:MM:SS”，或带时差的 ISO 8601 时间（UTC 写 Z，"
           u"秒最多七位小数），\n"
           u"如 2024-05-01T08:00:00Z、2024-05-01T16:00:00.5+08:00。\n"
           u"--version 的键（不分大小写）：" +
           keys +
           u"\n"
           u"路径的最后一段可以含通配符 * 和 ?。命令行有误时退出状态为 2。\n"
           u"\n示例：\n"
           u"  quorvane-cli show app.exe\n"
           u"  quorvane-cli show --json C:\\Tools\\*.exe\n"
           u"  quorvane-cli set --attrib +R -h report.docx\n"
           u"  quorvane-cli set --created \"2024-05-01 08:00:00\" a.txt\n"
           u"  quorvane-cli set --modified 2024-05-01T08:00:00Z a.txt\n"
           u"  quorvane-cli set --accessed 2024-05-01T16:00:00.5+08:00 a.txt\n"
           u"  quorvane-cli set --times-from b.txt a.txt c.txt\n"
           u"  quorvane-cli set --version ProductName=Quorvane --version Comments= app.exe\n"
           u"  quorvane-cli set --version \"CompanyName=Telvaro Software Co., Ltd.\" --version "
           u"LegalTrademarks=Telvaro™ app.exe\n"
           u"  quorvane-cli set --file-version 1.2.3.4 --product-version 1.2.0.0 app.exe\n"
           u"  quorvane-cli set --language en-US --file-version 1.0.0.0 --version "
           u"CompanyName=Telvaro tool.exe\n"
           u"  quorvane-cli set --backup --version CompanyName=Telvaro app.exe\n"
           u"  quorvane-cli set --dry-run --attrib -A *.log\n"
           u"  quorvane-cli set --allow-unsigning --version LegalCopyright=\"© 2024 Telvaro\" "
           u"signed.exe\n"
           u"  quorvane-cli set --attrib +H -- -draft.txt\n"
           u"  quorvane-cli --help\n"
           u"  quorvane-cli --version\n";
}
