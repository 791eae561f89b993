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

// Local time here is 8 hours ahead of UTC all year; now is 2024-05-01 08:00:00 UTC.
constexpr uint64_t kNow = 133590240000000000;
CliParse Parse(std::u16string_view line) {
    return ParseCommandLine(Split(line), {kNow, [](int64_t) { return 8 * 3600; }});
}

std::string Narrow(std::u16string_view text) {
    return std::string(text.begin(), text.end());  // the tests' texts are ASCII
}

// The verb (S)how, se(T), (H)elp, (V)ersion, shell-(M)enu with its action (s)how, (i)nstall or
// (u)ninstall; the flags j(son), c(heck first), l(read-only last),
// b(ackup), d(ry run), u(nsigning allowed), F(orce), A(ttributes), T(imes), V(ersions),
// r(ecurse), q(uiet); the bits set and cleared, the times (k)ept, (e)xact or (c)opied from another
// and their shifts, the file of --times-from, the strings by key index, the (f)ile and (p)roduct
// versions; the paths and the list of more.
std::string Describe(const CliCommand& c) {
    const ModifyRequest& r = c.request;
    std::ostringstream out;
    out << "STHVM"[static_cast<int>(c.verb)];
    if (c.verb == CliCommand::Verb::ShellMenu) out << "siu"[static_cast<int>(c.shellMenu)];
    const bool flags[] = {c.json,   r.checkFirst,     r.readOnlyLast, r.backup,
                          r.dryRun, r.allowUnsigning, r.force,        r.attributes,
                          r.times,  r.versions,       c.recurse,      c.quiet};
    for (size_t i = 0; i < std::size(flags); ++i) {
        if (flags[i]) out << "jclbduFATVrq"[i];
    }
    if (r.attributes)
        out << std::hex << " +" << r.attributeChange.set << "-" << r.attributeChange.clear
            << std::dec;
    for (const NewTime& t : r.newTimes) {
        if (!r.times) break;
        if (t.kind == NewTime::Kind::Kept) out << " k";
        if (t.kind == NewTime::Kind::Exact) out << " e:" << t.exact;
        if (t.kind == NewTime::Kind::Copied) out << " c" << t.source;
        if (t.shift) out << std::showpos << t.shift << std::noshowpos;
    }
    if (c.timesFrom) out << " from:" << Narrow(*c.timesFrom);
    for (const VersionEdit& edit : r.versionChanges.strings)
        out << " " << edit.key << "=" << Narrow(edit.text);
    if (const auto& v = r.versionChanges.fileVersion) out << " f" << Narrow(FixedVersionText(*v));
    if (const auto& v = r.versionChanges.productVersion)
        out << " p" << Narrow(FixedVersionText(*v));
    if (r.versionGrowth.language != 0x0804) out << " l" << std::hex << r.versionGrowth.language;
    for (const std::u16string& path : c.paths) out << " " << Narrow(path);
    if (c.pathsFrom) out << " list:" << Narrow(*c.pathsFrom);
    return out.str();
}

}  // namespace

TEST(CommandLine, EachOptionFillsItsPartOfTheRequest) {
    for (const auto& [line, described] : std::vector<std::pair<std::u16string, std::string>>{
             {u"show a b", "S a b"},
             {u"show --json a -- --json -x", "Sj a --json -x"},
             {u"set --attrib +R -h +s -A x", "TclA +5-22 x"},
             {u"set --attrib +R x --attrib +r -- -y", "TclA +1-0 x -y"},
             {u"set --attrib +a +RH", "TclA +20-0 +RH"},  // not an attribute: a path
             {u"set x --created \"2024-05-01 08:00:00\" --modified 2024-05-01T08:00:00Z "
              u"--accessed 2024-05-01T16:00:00.5+08:00 y",
              "TclT e:133589952000000000 e:133590240000000000 e:133590240005000000 x y"},
             {u"set --accessed \"2015/01/02 03.04.05\" x", "TclT k k e:130646126450000000 x"},
             {u"set --times-from b.txt a", "TclT k k k from:b.txt a"},
             {u"set --version productname=Q --version Comments= --version LegalCopyright=a=b x",
              "TclV 5=Q 3= 2=a=b x"},
             {u"set --file-version 1.2.3.4 --product-version 65535.0.00.9 --version Comments=c x",
              "TclV 3=c f1.2.3.4 p65535.0.0.9 x"},
             {u"set --backup --dry-run --allow-unsigning --backup --attrib +a x",
              "TclbduA +20-0 x"},
             {u"set --created=now --modified created --accessed=modified --shift +1d2h3m4s x",
              "TclT e:133590240000000000+937840000000 c0+937840000000 c1+937840000000 x"},
             {u"set --shift-accessed=-90s -r --quiet --attrib=+h --version=Comments=a=b x",
              "TclATVrq +2-0 k k k-900000000 3=a=b x"},
             {u"show -r --paths-from - --json", "Sjr list:-"},
             {u"set --attrib +R x -h", "H"},
             {u"show /?", "H"},
             {u"-h", "H"},
             {u"/?", "H"},
             {u"--help x", "H"},
             {u"set --language EN-us --version Comments=c x", "TclV 3=c l409 x"},
             {u"set --file-version 1.2.3.4 --language=0x0C0A x", "TclV f1.2.3.4 lc0a x"},
             {u"set --language 1004 --product-version 1.2.3.4 x", "TclV p1.2.3.4 l1004 x"},
             {u"--version", "V"},
             {u"shell-menu", "Ms"},
             {u"shell-menu install", "Mi"},
             {u"shell-menu uninstall", "Mu"},
             {u"shell-menu -h", "H"}}) {
        const CliParse parsed = Parse(line);
        EXPECT_EQ(parsed.error, u"") << described;
        EXPECT_EQ(parsed.command ? Describe(*parsed.command) : "", described);
    }
}

TEST(CommandLine, RefusalsNameWhatIsWrong) {
    for (const auto& [line, named] : std::vector<std::pair<std::u16string, std::u16string>>{
             {u"", u"缺少命令"},
             {u"list a", u"list"},
             {u"--version x", u"x"},
             {u"shell-menu Install", u"Install"},
             {u"shell-menu install x", u"x"},
             {u"show --backup a", u"show 不接受选项 --backup"},
             {u"show --quiet a", u"show 不接受选项 --quiet"},
             {u"set --backup=yes --attrib +R a", u"--backup 不接受值"},
             {u"set --quiet --json --attrib +R a", u"--quiet"},
             {u"set --shift 1h a", u"1h"},
             {u"set --shift +0s a", u"+0s"},
             {u"set --shift +1h --shift-created +1h a", u"--shift-created"},
             {u"set --created yesterday a", u"yesterday"},
             {u"show --paths-from a --paths-from b", u"--paths-from"},
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
             {u"set --created \"1601-01-01 07:59:59\" a", u"早于 1601"},
             {u"set --created \"1601-01-01 08:00:00\" a", u"早于 1601"},
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
        const CliParse parsed = Parse(line);
        EXPECT_FALSE(parsed.command) << Describe(*parsed.command);
        EXPECT_NE(parsed.error.find(named), std::u16string::npos) << Narrow(line);
        EXPECT_EQ(parsed.error.find(u'\n'), std::u16string::npos);
    }
    // The fixed versions, both ways.
    for (const std::u16string text : {u"0.0.0.0", u"65535.65535.65535.65535", u"1.20.300.4000"})
        EXPECT_EQ(FixedVersionText(ParseFixedVersion(text).value_or(FixedVersion{9})), text);
    EXPECT_EQ(ParseFixedVersion(u"01.002.0.9"), (FixedVersion{1, 2, 0, 9}));
    // Shifts, in 100-ns ticks, up to the span of a file time in whole seconds.
    for (const auto& [text, ticks] : std::vector<std::pair<std::u16string, int64_t>>{
             {u"+1d12h", 129600'0000000},
             {u"-90s", -90'0000000},
             {u"+2h30m", 9000'0000000},
             {u"+0d0h1m0s", 60'0000000},
             {u"+922337203685s", 922337203685'0000000},
             {u"-10675199d2h48m5s", -922337203685'0000000}}) {
        EXPECT_EQ(ParseShift(text), ticks) << Narrow(text);
    }
    for (const char16_t* text : {u"1h", u"+", u"+1", u"+h", u"+1h1d", u"+1h1h", u"+1.5h", u"+1H",
                                 u"+1h ", u"++1h", u"+922337203686s", u"+10675199d2h48m6s"})
        EXPECT_FALSE(ParseShift(text)) << Narrow(text);
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
        const CliParse parsed = Parse(rest.substr(0, rest.find(u'\n')));
        EXPECT_TRUE(parsed.command) << Narrow(args[0]) << " " << args.size();
        for (const std::u16string& arg : args) {
            if (arg.rfind(u"--", 0) == 0 || arg == u"-r")
                used.insert(arg.substr(0, arg.find(u'=')));
        }
    }
    EXPECT_EQ(used,
              (std::set<std::u16string>{u"--",           u"--accessed",        u"--allow-unsigning",
                                        u"--attrib",     u"--backup",          u"--created",
                                        u"--dry-run",    u"--file-version",    u"--help",
                                        u"--json",       u"--language",        u"--modified",
                                        u"--paths-from", u"--product-version", u"--quiet",
                                        u"--recurse",    u"--shift",           u"--shift-modified",
                                        u"--times-from", u"--version",         u"-r"}));
}
