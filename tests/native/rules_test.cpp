// The small rules of the dialog: the attribute word written back, the modify command's order, the
// extended form of the target's path and the way a 32-bit process reaches System32 by it.
#include <gtest/gtest.h>

#include "modify/ModifyPlan.h"
#include "target/AttributeBits.h"
#include "target/ExtendedPath.h"
#include "ui/DialogRules.h"

TEST(AttributeWord, ChangeableBitsFromTheBoxesTheRestAsLoaded) {
    // The loaded word, the boxes in their order (read-only, hidden, system, directory, archive,
    // encrypted, normal, temporary), the word written.
    for (const auto& [loaded, boxes, written] :
         std::vector<std::tuple<uint32_t, std::string, uint32_t>>{
             {0x821, "01001000", 0x822},    // 0x800 (compressed) travels through
             {0x80, "10000000", 0x81},      // "normal" alone, then read-only ticked
             {0x21, "00000000", 0x00},      // everything unticked
             {0x10, "00000000", 0x10},      // a folder keeps its directory bit
             {0x4000, "00000000", 0x4000},  // the platform's encrypted bit is not the "加密" box's
             {0x148, "11101000", 0x16F},    // 0x8, 0x40 and 0x100 as loaded, whatever the boxes say
             {0xFFFFFFFF, "00000000", 0xFFFFFFD8},
             {0x00, "11111111", 0x27}}) {  // only the four changeable boxes count
        AttributeBoxes ticked;
        for (size_t i = 0; i < ticked.size(); ++i) ticked[i] = boxes[i] == '1';
        EXPECT_EQ(AttributeWordToWrite(loaded, ChangeFromBoxes(ticked)), written)
            << std::hex << loaded;
    }
    // Shown: each of the eight bits ticks its own box alone; the bits no box shows tick none.
    const uint32_t shown[] = {0x1, 0x2, 0x4, 0x10, 0x20, 0x40, 0x80, 0x100};
    for (size_t box = 0; box < 8; ++box) {
        AttributeBoxes alone{};
        alone[box] = true;
        EXPECT_EQ(ShownAttributeBoxes(shown[box] | 0x4808), alone) << box;
    }
    // A change names only some bits: the others stay as loaded, and only changeable ones move.
    EXPECT_EQ(AttributeWordToWrite(0x26, {0x1 | 0x10, 0x2}), 0x25u);
    EXPECT_EQ(AttributeWordToWrite(0x10, {0, 0xFFFFFFFF}), 0x10u);
}

TEST(ModifyPlan, StepsInTheirOrder) {
    // What is so, a letter each: (l)oaded, (d)irectory, the boxes (B)ackup, (A)ttributes,
    // (T)imes, (V)ersion, (F)orce, has (v)ersion information, (s)igned file's strings edited,
    // (C)heck first, (D)ry run, read-only (L)ast asked for, (R)ead-only at the end; the question
    // is declined (u), the check refuses (k) or finds (N)othing to change, the backup fails (x),
    // the times (y) or the store (z) fail. Then the steps: n(o target), u(nsigning asked),
    // c(heck), p(review), b(ackup), f(ailed backup), a(ttributes), t(imes), v(ersion), F(orce),
    // r(ewrite times), read-(o)nly, (U)nchanged, d(one). A
    // file without version information has it neither written nor refused (lBATVF); a folder is
    // never copied (ldBATVv); a failed backup stops all (lBATVvx); a signed file is asked about
    // before anything is written (lBATVvs), but attributes and times alone leave a signature valid
    // (lBATsv). Read-only goes after the writes that it would refuse, cleared for them when it is
    // set already (lTLR), if asked for (lATR).
    const std::pair<std::string, std::string> plans[] = {
        {"BATVv", "n"},        {"l", "d"},           {"lBATVv", "batvrd"},  {"lBATV", "batd"},
        {"lBATVFv", "batFd"},  {"lBATVF", "batd"},   {"ldBATVv", "atvrd"},  {"lBATVvx", "bf"},
        {"lBATVvy", "batvd"},  {"lBATVvz", "batvd"}, {"lTVv", "tvrd"},      {"lBATVvs", "ubatvrd"},
        {"lBATVvsu", "u"},     {"lBATsv", "batd"},   {"lBATVFvs", "batFd"}, {"lBAVvsC", "ucbavd"},
        {"lBAVvC", "cbavd"},   {"lBAVvCk", "c"},     {"lBAVvsCD", "ucp"},   {"lBAVvD", "cp"},
        {"lATVvLR", "atvrod"}, {"lTLR", "atod"},     {"lALR", "ad"},        {"lATR", "atd"},
        {"lCVvLR", "cavod"},   {"lTVvLR", "atvrod"}, {"lATVFvLR", "atFod"}, {"lBACN", "cU"},
        {"lBACND", "cp"}};
    for (const auto& [given, steps] : plans) {
        const auto has = [&given = given](char c) { return given.find(c) != std::string::npos; };
        ModifyState now{has('l'), has('d'), has('B'), has('A'), has('T'), has('V'), has('F'),
                        has('v'), has('C'), has('D'), has('s'), has('L'), has('R'), has('u'),
                        has('k'), has('N'), has('x'), false,    false};
        std::string taken;
        for (ModifyStep step = ModifyStep::Start;
             (step = NextModifyStep(step, now)) != ModifyStep::End;) {
            taken += "?nucpbfatvFroUd?"[static_cast<int>(step)];
            if (step == ModifyStep::Times) now.timesWritten = !has('y');
            if (step == ModifyStep::VersionStrings) now.versionStored = !has('z');
        }
        EXPECT_EQ(taken, steps) << given;
    }
}

TEST(DialogRules, IconCentredWhileMinimisedAndTheAboutBoxCommand) {
    // The halving truncates toward zero: a width of 0 gives -15, not -16.
    for (const auto& [width, x] : {std::pair{32, 0}, {37, 3}, {0, -15}}) {
        EXPECT_EQ(CentredIconPosition(width, width + 10, 32, 32).x, x);
        EXPECT_EQ(CentredIconPosition(width + 10, width, 32, 32).y, x);
    }
    const std::pair<unsigned, bool> commands[] = {
        {0x10, true}, {0x1F, true}, {0x20, false}, {0xF060, false}, {0x10010, true}};
    for (const auto& [command, about] : commands) {
        EXPECT_EQ(IsAboutBoxCommand(command), about) << command;
    }
}

TEST(ExtendedPath, FullPathsGainTheirPrefixAndKeepEveryNameExactly) {
    for (const auto& [given, extended] : std::vector<std::pair<std::u16string, std::u16string>>{
             {uR"(C:\d\twin.)", uR"(\\?\C:\d\twin.)"},
             {uR"(C:\)", uR"(\\?\C:\)"},  // a drive's root, as the folder browser gives it
             {uR"(c:/d//a /.\b\)", uR"(\\?\c:\d\a \b\)"},
             {uR"(C:\a\b\..\..\..\c\..)", uR"(\\?\C:\)"},
             {uR"(\\server\share\..\d.)", uR"(\\?\UNC\server\share\d.)"},
             {uR"(//server/share)", uR"(\\?\UNC\server\share\)"},
             {uR"(\\?\C:\a\..\b/c)", uR"(\\?\C:\a\..\b/c)"},
             {uR"(//./COM1)", uR"(\\.\COM1)"}}) {
        EXPECT_EQ(ExtendedPath(given), extended);
    }
    // And back as a user writes it.
    EXPECT_EQ(PlainPath(uR"(\\?\UNC\server\share\d.)") + PlainPath(uR"(\\?\C:\d\twin.)"),
              uR"(\\server\share\d.C:\d\twin.)");
    EXPECT_EQ(PlainPath(uR"(\\.\COM1)"), uR"(\\.\COM1)");
    // A root's own entry, a folder's by its name, as %~dp0 gives it too: (r)oot, (f)older only.
    for (const auto& [path, found] : std::vector<std::pair<std::u16string, std::u16string>>{
             {uR"(\\?\C:\)", uR"(r \\?\C:\)"},
             {uR"(\\?\UNC\srv\share\)", uR"(r \\?\UNC\srv\share\)"},
             {uR"(\\?\UNC\srv\share)", uR"(r \\?\UNC\srv\share)"},
             {uR"(\\?\C:\d\)", uR"(f \\?\C:\d)"},
             {uR"(\\?\UNC\srv\share\d\)", uR"(f \\?\UNC\srv\share\d)"},
             {uR"(\\?\C:\d)", uR"(- \\?\C:\d)"},
             {uR"(\\?\C:)", uR"(- \\?\C:)"},
             {uR"(\\?\UNC\srv)", uR"(- \\?\UNC\srv)"}}) {
        const EntryLookup lookup = LookUpEntry(path);
        EXPECT_EQ((lookup.root         ? u"r "
                   : lookup.folderOnly ? u"f "
                                       : u"- ") +
                      std::u16string(lookup.search),
                  found);
    }
    // Not full: drive-relative, rooted on the current drive, relative, a UNC path without a share.
    for (const char16_t* given : {uR"(C:a)", uR"(\a)", uR"(a\b)", uR"(\\server\)", uR"(\\\share)"})
        EXPECT_FALSE(ExtendedPath(given));
}

TEST(ThroughSysnative, SystemFolderAndWhatLiesBelowItAloneOtherPathsAsTheyAre) {
    for (const auto& [path, windows, reached] :
         std::vector<std::tuple<std::u16string, std::u16string, std::u16string>>{
             {uR"(\\?\C:\Windows\System32\x)", uR"(C:\Windows)", uR"(\\?\C:\Windows\Sysnative\x)"},
             {uR"(\\?\c:\WINDOWS\system32\x)", uR"(C:\Windows\)", uR"(\\?\c:\WINDOWS\Sysnative\x)"},
             {uR"(C:\Windows\System32\x)", uR"(\\?\C:\Windows)", uR"(C:\Windows\Sysnative\x)"},
             {uR"(\\?\C:\Windows\System32)", uR"(C:\Windows)", uR"(\\?\C:\Windows\Sysnative)"},
             {uR"(\\?\C:\Windows\System32\)", uR"(C:\Windows)", uR"(\\?\C:\Windows\Sysnative\)"},
             {uR"(\\?\C:\System32\x)", uR"(C:\)", uR"(\\?\C:\Sysnative\x)"}}) {
        EXPECT_EQ(ThroughSysnative(path, windows), reached);
    }
    // Near misses, other folders, another drive, a share: as they are.
    for (const std::u16string path :
         {uR"(\\?\C:\Windows\System32x\a)", uR"(\\?\C:\Windows\System3)",
          uR"(\\?\C:\Windowsx\System32\a)", uR"(\\?\C:\Windows\Sysnative\a)",
          uR"(\\?\C:\Windows\SysWOW64\a)", uR"(\\?\C:\Windows\a\System32\a)",
          uR"(\\?\D:\Windows\System32\a)", uR"(\\?\UNC\pc\c$\Windows\System32\a)"}) {
        EXPECT_EQ(ThroughSysnative(path, uR"(C:\Windows)"), path);
    }
}
