#include "cli/CommandLine.h"

#include <algorithm>

#include "cli/CliText.h"
#include "cli/IsoTime.h"
#include "cli/ShellMenu.h"

namespace {

using Args = std::vector<std::u16string>;
using Verb = CliCommand::Verb;

enum class Option {
    Attrib,
    Created,
    Modified,
    Accessed,
    Shift,
    ShiftCreated,
    ShiftModified,
    ShiftAccessed,
    TimesFrom,
    Version,
    FileVersion,
    ProductVersion,
    PathsFrom,
    Language,
    // Without a value from here on.
    Backup,
    DryRun,
    AllowUnsigning,
    Quiet,
    Json,
    Recurse,
    Help,
};

struct NamedOption {
    std::u16string_view name;
    Option option;
    bool setOnly;
};

constexpr NamedOption kOptions[] = {
    {u"--attrib", Option::Attrib, true},
    {u"--created", Option::Created, true},
    {u"--modified", Option::Modified, true},
    {u"--accessed", Option::Accessed, true},
    {u"--shift", Option::Shift, true},
    {u"--shift-created", Option::ShiftCreated, true},
    {u"--shift-modified", Option::ShiftModified, true},
    {u"--shift-accessed", Option::ShiftAccessed, true},
    {u"--times-from", Option::TimesFrom, true},
    {u"--version", Option::Version, true},
    {u"--file-version", Option::FileVersion, true},
    {u"--product-version", Option::ProductVersion, true},
    {u"--paths-from", Option::PathsFrom, false},
    {u"--language", Option::Language, true},
    {u"--backup", Option::Backup, true},
    {u"--dry-run", Option::DryRun, true},
    {u"--allow-unsigning", Option::AllowUnsigning, true},
    {u"--quiet", Option::Quiet, true},
    {u"--json", Option::Json, false},
    {u"--recurse", Option::Recurse, false},
    {u"-r", Option::Recurse, false},
    {u"--help", Option::Help, false},
    {u"-h", Option::Help, false},
    {u"/?", Option::Help, false},
};

const NamedOption* FindOption(std::u16string_view name) {
    for (const NamedOption& named : kOptions) {
        if (named.name == name) return &named;
    }
    return nullptr;
}

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

// The new time that a TIME names, or why it names none: a local text is read by the rules of
// local time in force on its date; an ISO time is exact already.
std::u16string TimeArgument(const std::u16string& value, const CliClock& clock, NewTime& time) {
    constexpr std::u16string_view kOwnTimes[] = {u"created", u"modified", u"accessed"};
    for (size_t i = 0; i < 3; ++i) {
        if (value == kOwnTimes[i]) {
            time.kind = NewTime::Kind::Copied;
            time.source = i;
            return {};
        }
    }
    const std::optional<std::string> bytes = AsciiBytes(value);
    std::optional<uint64_t> ticks;
    if (value == u"now") {
        ticks = clock.now;
    } else if (bytes && bytes->size() > 10 && ((*bytes)[10] == 'T' || (*bytes)[10] == 't')) {
        ticks = ParseIsoTime(*bytes);
    } else if (bytes && IsValidTimeText(*bytes) && IsValidLocalDateTime(ParseTimeText(*bytes))) {
        const std::optional<int64_t> utc =
            LocalToUtcSeconds(SecondsSince1601(ParseTimeText(*bytes)), clock.offsetAt);
        if (!utc) return u"这个本地时间不存在（时钟拨快时跳过）：" + value;
        if (*utc <= 0) return u"时间早于 1601-01-01 00:00:00 UTC：" + value;
        ticks = static_cast<uint64_t>(*utc) * 10'000'000;
    }
    if (!ticks) {
        return u"时间无效（应为 YYYY-MM-DD HH:MM:SS、如 2024-05-01T08:00:00Z 的 ISO 8601 时间、"
               u"now、created、modified 或 accessed）：" +
               value;
    }
    time.kind = NewTime::Kind::Exact;
    time.exact = *ticks;
    return {};
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

std::u16string TakeOption(const NamedOption& named, const Args& args, size_t& i,
                          const CliClock& clock, CliCommand& command) {
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
        case Option::Quiet:
            command.quiet = true;
            return {};
        case Option::Json:
            command.json = true;
            return {};
        case Option::Recurse:
            command.recurse = true;
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
    const auto first = [&](std::optional<std::u16string>& file) {
        if (file) return twice;
        file = value;
        return std::u16string();
    };
    switch (named.option) {
        case Option::Created:
        case Option::Modified:
        case Option::Accessed: {
            NewTime& time = request.newTimes[static_cast<size_t>(named.option) -
                                             static_cast<size_t>(Option::Created)];
            if (time.kind != NewTime::Kind::Kept) return twice;
            request.times = true;
            return TimeArgument(value, clock, time);
        }
        case Option::Shift:
        case Option::ShiftCreated:
        case Option::ShiftModified:
        case Option::ShiftAccessed: {
            const std::optional<int64_t> shift = ParseShift(value);
            if (!shift || *shift == 0) {
                return u"时间的移动无效（应如 +1h、-30m、+2d12h，依次为天 d、时 h、分 m、秒 s）：" +
                       value;
            }
            const size_t only =
                static_cast<size_t>(named.option) - static_cast<size_t>(Option::Shift);
            for (size_t t = 0; t < 3; ++t) {
                if (only != 0 && t != only - 1) continue;
                if (request.newTimes[t].shift != 0) return twice;
                request.newTimes[t].shift = *shift;
            }
            request.times = true;
            return {};
        }
        case Option::TimesFrom:
            request.times = true;
            return first(command.timesFrom);
        case Option::PathsFrom:
            return first(command.pathsFrom);
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

// The arguments with each "--name=value" of an option that takes a value made two, "--name" and
// "value"; an option without a value refuses one.
std::optional<Args> SplitValues(const Args& args, std::u16string& error) {
    Args split;
    bool optionsEnded = false;
    for (const std::u16string& arg : args) {
        const size_t equals = arg.find(u'=');
        optionsEnded = optionsEnded || arg == u"--";
        if (optionsEnded || arg.rfind(u"--", 0) != 0 || equals == std::u16string::npos) {
            split.push_back(arg);
            continue;
        }
        const std::u16string name = arg.substr(0, equals);
        const NamedOption* named = FindOption(name);
        if (named && named->option >= Option::Backup) {
            error = u"选项 " + name + u" 不接受值：" + arg;
            return std::nullopt;
        }
        split.push_back(name);
        split.push_back(arg.substr(equals + 1));
    }
    return split;
}

}  // namespace

CliParse ParseCommandLine(const std::vector<std::u16string>& given, const CliClock& clock) {
    if (given.empty()) return Refuse(u"缺少命令：show、set、shell-menu、--help 或 --version");
    std::u16string error;
    const std::optional<Args> split = SplitValues(given, error);
    if (!split) return Refuse(error);
    const Args& args = *split;
    CliCommand command;
    const std::u16string& verb = args[0];
    const NamedOption* alone = FindOption(verb);
    if (verb == u"--version" || (alone && alone->option == Option::Help)) {
        if (verb == u"--version" && args.size() > 1) {
            return Refuse(verb + u" 之后不能再有参数：" + args[1]);
        }
        command.verb = verb == u"--version" ? Verb::Version : Verb::Help;
        return {command, {}};
    }
    if (verb == u"shell-menu") {
        const NamedOption* help = args.size() == 2 ? FindOption(args[1]) : nullptr;
        if (help && help->option == Option::Help) return {CliCommand{}, {}};
        return ParseShellMenu(args, command);
    }
    if (verb == u"show") {
        command.verb = Verb::Show;
    } else if (verb == u"set") {
        command.verb = Verb::Set;
        command.request.checkFirst = true;
        command.request.readOnlyLast = true;
        command.request.versionGrowth.allowed = true;
    } else {
        return Refuse(u"未知的命令：" + verb);
    }
    const bool set = command.verb == Verb::Set;

    bool optionsEnded = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::u16string& arg = args[i];
        const NamedOption* named = optionsEnded ? nullptr : FindOption(arg);
        if (named && named->option == Option::Help) return {CliCommand{}, {}};
        if (!named && (optionsEnded || arg.empty() || arg[0] != u'-')) {
            command.paths.push_back(arg);
            continue;
        }
        if (arg == u"--") {
            optionsEnded = true;
            continue;
        }
        if (!named) return Refuse(u"未知的选项：" + arg);
        if (named->setOnly && !set) return Refuse(verb + u" 不接受选项 " + arg);
        const std::u16string reason = TakeOption(*named, args, i, clock, command);
        if (!reason.empty()) return Refuse(reason);
    }

    if (command.paths.empty() && !command.pathsFrom) return Refuse(u"缺少路径");
    if (!set) return {command, {}};
    const ModifyRequest& request = command.request;
    if (!request.attributes && !request.times && !request.versions) {
        return Refuse(
            u"没有要修改的内容：至少给出 --attrib、--created、--modified、--accessed、--shift…、"
            u"--times-from、--version、--file-version 或 --product-version 之一");
    }
    const auto& times = request.newTimes;
    if (command.timesFrom && std::any_of(times.begin(), times.end(), [](const NewTime& time) {
            return time.kind != NewTime::Kind::Kept;
        })) {
        return Refuse(u"--times-from 不能与 --created、--modified 或 --accessed 同用");
    }
    if (command.quiet && command.json) return Refuse(u"--quiet 不能与 --json 同用");
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
           u"  quorvane-cli show [选项...] 路径...\n"
           u"  quorvane-cli set [选项...] 路径...\n"
           u"  quorvane-cli shell-menu [install|uninstall]\n"
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
           u"shell-menu 显示当前用户的右键菜单“用 Telvaro 修改属性和版本”（文件、文件夹、驱动器）"
           u"是否已安装，\ninstall 安装它（不需要管理员权限），uninstall 卸载它；\n"
           u"--help（或 -h、/?，也可以写在命令之后）显示本说明；--version 显示程序的版本。\n"
           u"\nshow 和 set 的选项：\n"
           u"  -r, --recurse              也处理文件夹里各级的内容（通配符用于每一级的名称，\n"
           u"                             不进入链接和联接）\n"
           u"  --paths-from 文件          再从文件（- 为标准输入）读取路径，每行一个\n"
           u"  --json                     输出 JSON 数组，每个目标一个对象\n"
           u"\nset 的选项（可任意组合，至少要有一项修改；选项可以写在路径之间）：\n"
           u"  --attrib 属性...           设置(+)或清除(-)属性：R 只读、H 隐藏、S 系统、A 存档，"
           u"如 +R -H\n"
           u"  --created 时间             新的创建时间\n"
           u"  --modified 时间            新的修改时间\n"
           u"  --accessed 时间            新的访问时间\n"
           u"  --times-from 文件          三个时间都取自这个文件（不能与上面三项同用）\n"
           u"  --shift 移动               三个时间都移动，如 +1h、-30m、+2d12h（天 d 时 h 分 m 秒 "
           u"s）\n"
           u"  --shift-created 移动       只移动创建时间；--shift-modified、--shift-accessed 同理\n"
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
           u"  --quiet                    只输出错误\n"
           u"  --                         之后的参数都是路径\n"
           u"带值的选项也可以写成 --选项=值。\n"
           u"\n时间：now（命令开始的时刻）；created、modified、accessed（目标自己的那个时间）；\n"
           u"本地时间“YYYY-MM-DD HH:MM:SS”，按该日期当时的时区规则换算（含夏令时；\n"
           u"拨快时跳过的时刻无效，拨回时重复的时刻取第一次）；或带时差的 ISO 8601 时间\n"
           u"（UTC 写 Z，秒最多七位小数），如 2024-05-01T08:00:00Z、2024-05-01T16:00:00.5+08:00。\n"
           u"--version 的键（不分大小写）：" +
           keys +
           u"\n"
           u"路径可以是文件夹（可带结尾的 \\）或驱动器根目录（C:\\）。最后一段可以含通配符 * 和 "
           u"?，\n"
           u"规则同 cmd：*.* 匹配所有名称，*. 匹配没有扩展名的名称。+R "
           u"在时间和版本信息写入之后设置。\n"
           u"写入前先检查每个目标，被拒绝的目标保持原样。命令行有误时退出状态为 2。\n"
           u"\n示例：\n"
           u"  quorvane-cli show app.exe\n"
           u"  quorvane-cli show --json C:\\Tools\\*.exe\n"
           u"  quorvane-cli show C:\\Work\\\n"
           u"  quorvane-cli show --recurse --json --paths-from list.txt\n"
           u"  quorvane-cli set --attrib +R -h report.docx\n"
           u"  quorvane-cli set --attrib -A C:\\Work\\*.*\n"
           u"  quorvane-cli set -r --attrib -A C:\\Work\\*.log\n"
           u"  quorvane-cli set --created \"2024-05-01 08:00:00\" a.txt\n"
           u"  quorvane-cli set --attrib +R --modified \"2024-01-15 09:30:00\" report.docx\n"
           u"  quorvane-cli set --modified 2024-05-01T08:00:00Z a.txt\n"
           u"  quorvane-cli set --accessed=2024-05-01T16:00:00.5+08:00 a.txt\n"
           u"  quorvane-cli set --modified now --created modified a.txt\n"
           u"  quorvane-cli set --shift-modified -1h --quiet *.jpg\n"
           u"  quorvane-cli set -r --shift +8h C:\\Photos\\*.jpg\n"
           u"  quorvane-cli set --times-from b.txt a.txt c.txt\n"
           u"  quorvane-cli set --version ProductName=Quorvane --version Comments= app.exe\n"
           u"  quorvane-cli set --version \"CompanyName=Telvaro Software Co., Ltd.\" --version "
           u"LegalTrademarks=Telvaro™ app.exe\n"
           u"  quorvane-cli set --file-version 1.2.3.4 --product-version 1.2.0.0 app.exe\n"
           u"  quorvane-cli set --language en-US --file-version 1.0.0.0 --version "
           u"CompanyName=Telvaro tool.exe\n"
           u"  quorvane-cli set --backup --version CompanyName=Telvaro app.exe\n"
           u"  quorvane-cli set --dry-run --json --attrib -A *.log\n"
           u"  quorvane-cli set --allow-unsigning --version LegalCopyright=\"© 2024 Telvaro\" "
           u"signed.exe\n"
           u"  quorvane-cli set --attrib +H -- -draft.txt\n"
           u"  dir /b /s *.exe | quorvane-cli set --paths-from - --version CompanyName=Telvaro\n"
           u"  quorvane-cli shell-menu install\n"
           u"  quorvane-cli --help\n"
           u"  quorvane-cli --version\n";
}
