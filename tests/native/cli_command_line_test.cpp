// The console's command line: the request each line makes, the lines refused and why.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "cli/CliText.h"
#include "cli/CommandLine.h"

namespace {

// Arguments split at spaces, as a shell would: quotes group and vanish.
std::vector<std::u16string> Split(std::u16string_view line) {
    std::vector<std::u16string> args(1);
    bool quoted = false;
    for (const char16_t c : line) {
        if (c == u'"')
            quoted = !quoted;
        else if (c != u' ' || quoted)
            args.back() += c;
        else if (!args.back().empty())
            args.emplace_back();
    }
    if (args.back().empty()) args.pop_back();
    return args;
}

std::string Narrow(std::u16string_view text) {
    return std::string(text.begin(), text.end());  // the tests' texts are ASCII
}

// The verb (S)how, se(T), (H)elp, (V)ersion; the flags j(son), c(heck first), b(ackup), d(ry
// run), u(nsigning allowed), F(orce), A(ttributes), T(imes), V(ersions); the attribute bits set
// and cleared, the times (k)ept, (t)yped/shown or (e)xact, the file of --times-from, the strings
// by key index, the (f)ile and (p)roduct versions; the paths.
std::string Describe(const CliCommand& c) {
    const ModifyRequest& r = c.request;
    std::ostringstream out;
    out << "STHV"[static_cast<int>(c.verb)];
    const bool flags[] = {c.json,  r.checkFirst, r.backup, r.dryRun,  r.allowUnsigning,
                          r.force, r.attributes, r.times,  r.versions};
    for (size_t i = 0; i < std::size(flags); ++i) {
        if (flags[i]) out << "jcbduFATV"[i];
    }
    if (r.attributes)
        out << std::hex << " +" << r.attributeChange.set << "-" << r.attributeChange.clear
            << std::dec;
    for (const NewTime& t : r.newTimes) {
        if (!r.times) break;
        if (t.kind == NewTime::Kind::Kept) out << " k";
        if (t.kind == NewTime::Kind::Typed) out << " t:" << t.typed << "/" << t.shown;
        if (t.kind == NewTime::Kind::Exact) out << " e:" << t.exact;
    }
    if (c.timesFrom) out << " from:" << Narrow(*c.timesFrom);
    for (const VersionEdit& edit : r.versionChanges.strings)
        out << " " << edit.key << "=" << Narrow(edit.text);
    if (const auto& v = r.versionChanges.fileVersion) out << " f" << Narrow(FixedVersionText(*v));
    if (const auto& v = r.versionChanges.productVersion)
        out << " p" << Narrow(FixedVersionText(*v));
    if (r.versionGrowth.language != 0x0804) out << " l" << std::hex << r.versionGrowth.language;
    for (const std::u16string& path : c.paths) out << " " << Narrow(path);
    return out.str();
}

}  // namespace

TEST(CommandLine, EachOptionFillsItsPartOfTheRequest) {
    for (const auto& [line, described] : std::vector<std::pair<std::u16string, std::string>>{
             {u"show a b", "S a b"},
             {u"show --json a -- --json -x", "Sj a --json -x"},
             {u"set --attrib +R -h +s -A x", "TcA +5-22 x"},
             {u"set --attrib +R x --attrib +r -- -y", "TcA +1-0 x -y"},
             {u"set --attrib +a +RH", "TcA +20-0 +RH"},  // not an attribute: a path
             {u"set x --created \"2024-05-01 08:00:00\" --modified 2024-05-01T08:00:00Z "
              u"--accessed 2024-05-01T16:00:00.5+08:00 y",
              "TcT t:2024-05-01 08:00:00/ e:133590240000000000 e:133590240005000000 x y"},
             {u"set --accessed \"2015/01/02 03.04.05\" x", "TcT k k t:2015/01/02 03.04.05/ x"},
             {u"set --times-from b.txt a", "TcT k k k from:b.txt a"},
             {u"set --version productname=Q --version Comments= --version LegalCopyright=a=b x",
              "TcV 5=Q 3= 2=a=b x"},
             {u"set --file-version 1.2.3.4 --product-version 65535.0.00.9 --version Comments=c x",
              "TcV 3=c f1.2.3.4 p65535.0.0.9 x"},
             {u"set --backup --dry-run --allow-unsigning --backup --attrib +a x", "TcbduA +20-0 x"},
             {u"set --language EN-us --version Comments=c x", "TcV 3=c l409 x"},
             {u"set --file-version 1.2.3.4 --language 0x0C0A x", "TcV f1.2.3.4 lc0a x"},
             {u"set --language 1004 --product-version 1.2.3.4 x", "TcV p1.2.3.4 l1004 x"},
             {u"--help", "H"},
             {u"--version", "V"}}) {
        const CliParse parsed = ParseCommandLine(Split(line));
        EXPECT_EQ(parsed.error, u"") << described;
        EXPECT_EQ(parsed.command ? Describe(*parsed.command) : "", described);
    }
}

TEST(CommandLine, RefusalsNameWhatIsWrong) {
    for (const auto& [line, named] : std::vector<std::pair<std::u16string, std::u16string>>{
             {u"", u"缺少命令"},
             {u"list a", u"list"},
             {u"--help x", u"x"},
             {u"show --backup a", u"show 不接受选项 --backup"},
             {u"set --json --attrib +R a", u"set 不接受选项 --json"},
             {u"set --bogus a", u"--bogus"},
             {u"set -R a", u"-R"},
             {u"show", u"缺少路径"},
             {u"set --attrib +R --", u"缺少路径"},
             {u"set a", u"没有要修改的内容"},
             {u"set --backup --dry-run --allow-unsigning a", u"没有要修改的内容"},
             {u"set a --created", u"--created"},
             {u"set a --attrib", u"--attrib"},
             {u"set --attrib +X a", u"+X"},
             {u"set --attrib a", u"：a"},
             {u"set --attrib +R -r a", u"-r"},
             {u"set --attrib +R a --attrib -R", u"-R"},
             {u"set --created \"2024-02-30 00:00:00\" a", u"2024-02-30 00:00:00"},
             {u"set --created 2024-05-01T08:00:00 a", u"2024-05-01T08:00:00"},
             {u"set --created \"２024-05-01 08:00:00\" a", u"２024"},
             {u"set --created 2024-05-01 a", u"2024-05-01"},
             {u"set --created 2024年05月01日08:00:00 a", u"2024年"},
             {u"set --created 2024-05-01T08:00:00Z --created 2024-05-01T08:00:01Z a", u"--created"},
             {u"set --times-from b --modified 2024-05-01T08:00:00Z a", u"--times-from"},
             {u"set --times-from b --times-from c a", u"--times-from"},
             {u"set --version Comments a", u"Comments"},
             {u"set --version Bogus=1 a", u"Bogus"},
             {u"set --version comments=1 --version COMMENTS=2 a", u"COMMENTS"},
             {u"set --file-version 1.2.3 a", u"1.2.3"},
             {u"set --product-version 1.2.3.4 --product-version 1.2.3.4 a", u"--product-version"},
             {u"set --file-version 1.2.3.4 --version FileVersion=1.2.3.4 a", u"--file-version"},
             {u"set --product-version 1.2.3.4 --version productversion=x a", u"--product-version"},
             {u"set --language xx-YY --version Comments=c a", u"xx-YY"},
             {u"set --language 0x10000 --version Comments=c a", u"0x10000"},
             {u"set --language 0xG --version Comments=c a", u"0xG"},
             {u"set --language en-US --attrib +R a", u"--language"},
             {u"set --language en-US --language en-US --version Comments=c a", u"--language"}}) {
        const CliParse parsed = ParseCommandLine(Split(line));
        EXPECT_FALSE(parsed.command) << Describe(*parsed.command);
        EXPECT_NE(parsed.error.find(named), std::u16string::npos) << Narrow(line);
        EXPECT_EQ(parsed.error.find(u'\n'), std::u16string::npos);
    }
    // The fixed versions, both ways.
    for (const std::u16string text : {u"0.0.0.0", u"65535.65535.65535.65535", u"1.20.300.4000"})
        EXPECT_EQ(FixedVersionText(ParseFixedVersion(text).value_or(FixedVersion{9})), text);
    EXPECT_EQ(ParseFixedVersion(u"01.002.0.9"), (FixedVersion{1, 2, 0, 9}));
    for (const char16_t* text :
         {u"1.2.3", u"1.2.3.4.5", u"1.2.3.65536", u"1.2.3.99999999999", u"1..3.4", u"+1.2.3.4",
          u"1.2.3.-4", u"1.2.3.4 ", u" 1.2.3.4", u"1.2.3.", u"", u"1.2.3.４"})
        EXPECT_FALSE(ParseFixedVersion(text)) << Narrow(text);
}

TEST(CommandLine, EveryExampleOfTheHelpParsesAndTheyUseEveryOption) {
    const std::u16string help = HelpText();
    EXPECT_NE(help.find(UsageText()), std::u16string::npos);
    std::set<std::u16string> used;
    std::u16string_view rest = std::u16string_view(help).substr(help.find(u"示例："));
    for (size_t at; (at = rest.find(u"\n  quorvane-cli ")) != std::u16string_view::npos;) {
        rest.remove_prefix(at + 16);
        const std::vector<std::u16string> args = Split(rest.substr(0, rest.find(u'\n')));
        const CliParse parsed = ParseCommandLine(args);
        EXPECT_TRUE(parsed.command) << Narrow(args[0]) << " " << args.size();
        for (const std::u16string& arg : args) {
            if (arg.rfind(u"--", 0) == 0) used.insert(arg);
        }
    }
    EXPECT_EQ(used,
              (std::set<std::u16string>{u"--", u"--accessed", u"--allow-unsigning", u"--attrib",
                                        u"--backup", u"--created", u"--dry-run", u"--file-version",
                                        u"--help", u"--json", u"--language", u"--modified",
                                        u"--product-version", u"--times-from", u"--version"}));
}
