// quorvane-cli.exe as scripts run it: a process whose output is captured through pipes, on copies
// of the fixtures, each write judged by the file's bytes and by the platform's own version calls.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <map>
#include <thread>

#include "tests/e2e/Driver.h"
#include "tests/support/Probes.h"

namespace {

struct Ran {
    DWORD status;
    std::string out, err;  // as written: UTF-8
};

std::string Drain(HANDLE pipe) {
    std::string bytes;
    char chunk[4096];
    for (DWORD read; ::ReadFile(pipe, chunk, sizeof chunk, &read, nullptr) && read;)
        bytes.append(chunk, read);
    ::CloseHandle(pipe);
    return bytes;
}

// With `merged` the program's standard error goes into the pipe of its standard output, as `2>&1`;
// `input` comes through a pipe to its standard input.
Ran RunCli(const std::wstring& args, const wchar_t* folder = nullptr, bool merged = false,
           const std::string& input = {},
           const std::wstring& program = BuildPath(L"quorvane-cli.exe")) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out[2], err[2], in[2];  // read, write
    ::CreatePipe(&out[0], &out[1], &inherit, 0);
    ::CreatePipe(&err[0], &err[1], &inherit, 0);
    ::CreatePipe(&in[0], &in[1], &inherit, static_cast<DWORD>(input.size() + 1));
    ::SetHandleInformation(out[0], HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(err[0], HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(in[1], HANDLE_FLAG_INHERIT, 0);
    DWORD written;
    ::WriteFile(in[1], input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
    ::CloseHandle(in[1]);
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = in[0];
    start.hStdOutput = out[1];
    start.hStdError = merged ? out[1] : err[1];
    std::wstring line = L"\"" + program + L"\" " + args;
    PROCESS_INFORMATION process{};
    Ran ran{~0u, {}, {}};
    const bool started = ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                          folder, &start, &process);
    ::CloseHandle(out[1]);
    ::CloseHandle(err[1]);
    ::CloseHandle(in[0]);
    std::thread errors([&] { ran.err = Drain(err[0]); });
    ran.out = Drain(out[0]);
    errors.join();
    if (!started) return ran;
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::GetExitCodeProcess(process.hProcess, &ran.status);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
    return ran;
}

std::string Utf8(const std::wstring& text) {
    std::string bytes(text.size() * 4, '\0');
    bytes.resize(::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                       nullptr));
    return bytes;
}

// The system's own text for an error code, as the program is to give it.
std::string SystemText(DWORD code) {
    wchar_t text[512];
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                    nullptr, code, 0, text, 512, nullptr);
    while (length > 0 && (text[length - 1] == L'\n' || text[length - 1] == L'\r')) --length;
    return Utf8({text, length});
}

class Cli : public testing::Test {
  protected:
    Cli() {
        RemoveTree(folder);
        ::CreateDirectoryW(folder.c_str(), nullptr);
    }
    ~Cli() override { RemoveTree(folder); }
    std::wstring Fixture(const std::wstring& fixture, const std::wstring& name) const {
        const std::wstring to = folder + L"\\" + name;
        EXPECT_TRUE(::CopyFileW(BuildPath(L"tests/fixtures/" + fixture + L".exe").c_str(),
                                to.c_str(), FALSE));
        return to;
    }
    static std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

    const std::wstring folder = BuildPath(L"tests/cli/scratch");
};

}  // namespace

TEST_F(Cli, SetsEveryKindOfChangeAndShowsItAsJson) {
    const std::wstring file = Fixture(L"ver_chinese", L"버전😀.exe");
    const std::string original = ReadAll(file);
    const Ran set = RunCli(
        L"set --attrib +h +R --modified 2024-05-01T16:00:00.5+08:00 --accessed "
        L"\"2015-01-02 03:04:05\" --version productname=新产品 --file-version "
        L"2.1.0.7 --backup " +
        Quoted(file));
    EXPECT_EQ(set.status, 0u) << set.err;
    EXPECT_EQ(set.out, Utf8(file) + ": 文件修改完成!\n");
    EXPECT_EQ(ReadAll(file + L"_bak"), original);
    EXPECT_EQ(::GetFileAttributesW(file.c_str()) & 0x7, 0x3u);
    const uint64_t may2024 = 133590240005000000;  // 2024-05-01T08:00:00.5Z
    EXPECT_EQ(FileTimes(file)[2], may2024) << "written again after the store";
    EXPECT_EQ(FileTimes(file)[1], Ticks(FromLocal(2015, 3)));
    EXPECT_EQ(PlatformVersionString(file, L"ProductName"), L"新产品");
    EXPECT_EQ(PlatformVersionString(file, L"FileVersion"), L"2.1.0.7");
    EXPECT_EQ(PlatformVersionString(file, L"ProductVersion"), L"1.0.0.123");
    EXPECT_EQ(PlatformFixedVersions(file), L"2.1.0.7 1.0.0.123");

    ::CreateDirectoryW((folder + L"\\dir").c_str(), nullptr);
    WriteAll(folder + L"\\Z.txt", "");
    const Ran show = RunCli(L"show --json " + Quoted(folder + L"\\*"));  // sorted by name
    ASSERT_EQ(show.status, 0u) << show.err;
    const nlohmann::json all = nlohmann::json::parse(show.out);
    ASSERT_EQ(all.size(), 4u);
    const nlohmann::json& shown = all[2];
    EXPECT_EQ(all[0]["name"].get<std::string>() + all[1]["name"].get<std::string>(), "dirZ.txt");
    EXPECT_TRUE(all[0]["attributes"]["directory"] && all[0]["version"].is_null());
    EXPECT_EQ(all[3]["name"], Utf8(L"버전😀.exe_bak"));
    EXPECT_EQ(shown["path"], Utf8(file));
    EXPECT_EQ(shown["name"], Utf8(L"버전😀.exe"));
    EXPECT_EQ(shown["size"], original.size());
    EXPECT_TRUE(shown["attributes"]["readonly"] && shown["attributes"]["hidden"] &&
                !shown["attributes"]["system"] && !shown["signed"]);
    EXPECT_EQ(shown["times"]["modified"], "2024-05-01T08:00:00.5000000Z");
    const nlohmann::json& version = shown["version"];
    EXPECT_EQ(version["language"], 0x0804);
    EXPECT_EQ(version["codePage"], 1200);
    EXPECT_EQ(version["fileVersion"], "2.1.0.7");
    EXPECT_EQ(version["productVersion"], "1.0.0.123");
    EXPECT_EQ(version["strings"]["ProductName"], Utf8(L"新产品"));
    EXPECT_EQ(version["strings"]["LegalCopyright"], Utf8(L"Copyright © 2024 公司™"));
    EXPECT_EQ(version["strings"]["Comments"], Utf8(L"제품 Demo"));
    EXPECT_EQ(version["strings"].size(), 12u);
}

TEST_F(Cli, RefusesATargetWholeAndGoesOnWithTheNext) {
    const std::wstring text = folder + L"\\a.txt", program = Fixture(L"ver_chinese", L"b.exe");
    WriteAll(text, "no version");
    const std::string before = ReadAll(program);
    const auto unchanged = [&] {
        return ReadAll(program) == before &&
               !(::GetFileAttributesW(program.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    };
    // Checked before anything is written: a text that fits nowhere in a file with data appended
    // (its resource section full, no section may be added); and a dry run, its times shown as show
    // shows them.
    const std::wstring appended = Fixture(L"ver_english", L"c.exe");
    const std::string full = ReadAll(appended);
    const Ran ran = RunCli(L"set --backup --attrib +H --version Comments=" +
                           std::wstring(300, L'长') + L" " + Quoted(appended));
    EXPECT_EQ(ran.err, Utf8(appended) + ": 版本信息放不下：文件末尾有附加数据! 版本信息未修改!\n");
    EXPECT_TRUE(ReadAll(appended) == full && !(::GetFileAttributesW(appended.c_str()) & 2) &&
                ::GetFileAttributesW((appended + L"_bak").c_str()) == INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(ran.status == 1 && ran.out.empty()) << ran.out;
    const Ran dry = RunCli(
        L"set --dry-run --attrib +H --version FileVersion=X --modified "
        L"2020-01-01T00:00:00Z " +
        Quoted(program));
    EXPECT_EQ(dry.status, 0u);
    EXPECT_NE(dry.out.find("1.0.0.123 → X"), std::string::npos) << dry.out;
    EXPECT_NE(dry.out.find("→ 2020-01-01 08:00:00\n"), std::string::npos) << dry.out;
    EXPECT_TRUE(unchanged());
    EXPECT_EQ(::GetFileAttributesW((program + L"_bak").c_str()), INVALID_FILE_ATTRIBUTES);

    const Ran both = RunCli(L"set --attrib +H --version ProductName=产品 " + Quoted(text) + L" " +
                                Quoted(program) + L" " + Quoted(folder + L"\\none*"),
                            nullptr, true);  // both streams in one, in the order written
    EXPECT_EQ(both.status, 1u);
    EXPECT_FALSE(::GetFileAttributesW(text.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(PlatformVersionString(program, L"ProductName"), L"产品");
    EXPECT_EQ(both.out, Utf8(text) + ": 文件没有版本信息! 版本信息未修改!\n" + Utf8(program) +
                            ": 文件修改完成!\n" + Utf8(folder) +
                            "\\none*: 没有与之匹配的文件或文件夹!\n");
    // The command line itself wrong: nothing touched at all.
    for (const wchar_t* wrong :
         {L"set", L"set --bogus", L"set --attrib +H --modified 2024-13-01T00:00:00Z",
          L"set --attrib +H --created \"1601-01-01 00:00:00\"", L"set --version Nope=1",
          L"set --file-version 1.2.3"}) {
        const Ran ran = RunCli(std::wstring(wrong) + L" " + Quoted(text));
        EXPECT_EQ(ran.status, 2u) << wrong;
        EXPECT_NE(ran.err.find("quorvane-cli set"), std::string::npos) << ran.err;
    }
    EXPECT_EQ(RunCli(L"show").status, 2u);
    EXPECT_EQ(RunCli(L"--help").status, 0u);
}

TEST_F(Cli, StringsGrowBeyondTheirRoomsKeysAreAddedAndAShortenedStringKeepsItsRoom) {
    const std::wstring file = Fixture(L"ver_chinese", L"bump.exe");
    // 1.0.0.9 then 1.0.0.10, a comment emptied then written again: within the entries' rooms.
    for (const wchar_t* change : {L"--file-version 1.0.0.9 --version Comments=",
                                  L"--file-version 1.0.0.10 --version \"Comments=제품 Demo\""})
        EXPECT_EQ(RunCli(L"set " + std::wstring(change) + L" " + Quoted(file)).status, 0u);
    EXPECT_EQ(
        PlatformVersionString(file, L"FileVersion") + PlatformVersionString(file, L"Comments"),
        L"1.0.0.10제품 Demo");
    // Longer than its room: a dry run names where the block goes and writes nothing.
    const std::string before = ReadAll(file);
    const std::wstring longer = L" --version CompanyName=示例公司的新名称 ";
    EXPECT_NE(RunCli(L"set --dry-run" + longer + Quoted(file)).out.find("版本信息: 原位"),
              std::string::npos);
    EXPECT_EQ(ReadAll(file), before);
    EXPECT_EQ(RunCli(L"set" + longer + Quoted(file)).status, 0u);
    EXPECT_EQ(PlatformVersionString(file, L"CompanyName"), L"示例公司的新名称");
    // A key that a program of the system folder lacks: its block moves to free space.
    wchar_t system[MAX_PATH];
    const std::wstring winver = folder + L"\\winver.exe";
    ::CopyFileW(
        (std::wstring(system, ::GetSystemDirectoryW(system, MAX_PATH)) + L"\\winver.exe").c_str(),
        winver.c_str(), FALSE);
    const std::wstring comment = L" --version Comments=新增的备注 " + Quoted(winver);
    EXPECT_NE(RunCli(L"set --dry-run" + comment).out.find("版本信息: 移到资源节空闲处"),
              std::string::npos);
    EXPECT_EQ(RunCli(L"set" + comment).status, 0u);
    const nlohmann::json shown =
        nlohmann::json::parse(RunCli(L"show --json " + Quoted(winver)).out);
    EXPECT_EQ(shown[0]["version"]["strings"]["Comments"], Utf8(L"新增的备注"));
    EXPECT_EQ(shown[0]["version"]["strings"]["ProductName"], "Wine");
    // A program without version information gets it, in a new section: in the language given.
    const std::wstring none = Fixture(L"ver_none", L"none.exe");
    const std::wstring stamp = L" --language en-US --file-version 1.2.0.0 --version CompanyName=T ";
    EXPECT_NE(RunCli(L"set --dry-run" + stamp + Quoted(none)).out.find("版本信息: 新增节"),
              std::string::npos);
    EXPECT_EQ(RunCli(L"set" + stamp + Quoted(none)).status, 0u);
    const nlohmann::json made = nlohmann::json::parse(RunCli(L"show --json " + Quoted(none)).out);
    EXPECT_EQ(made[0]["version"]["language"], 0x0409);
    EXPECT_EQ(made[0]["version"]["fileVersion"], "1.2.0.0");
    EXPECT_EQ(made[0]["version"]["strings"]["FileVersion"], "1.2.0.0");
    EXPECT_EQ(made[0]["version"]["strings"]["CompanyName"], "T");
}

TEST_F(Cli, SignedProgramsAndTimesFromAnotherFile) {
    const std::wstring signedFile = Fixture(L"ver_signed", L"signed.exe");
    const std::string original = ReadAll(signedFile);
    const Ran refused = RunCli(L"set --version ProductName=X " + Quoted(signedFile));
    EXPECT_EQ(refused.status, 1u);
    EXPECT_EQ(ReadAll(signedFile), original);
    EXPECT_NE(refused.err.find("数字签名"), std::string::npos);
    EXPECT_EQ(RunCli(L"set --attrib +S " + Quoted(signedFile)).status, 0u);
    EXPECT_EQ(RunCli(L"set --allow-unsigning --version ProductName=X " + Quoted(signedFile)).status,
              0u);
    EXPECT_EQ(PlatformVersionString(signedFile, L"ProductName"), L"X");

    const std::wstring source = folder + L"\\source.txt", target = folder + L"\\target.txt";
    WriteAll(source, "s");
    WriteAll(target, "t");
    const FILETIME times[] = {FromLocal(2001, 1, 1234567), FromLocal(2002, 2, 7654321),
                              FromLocal(2003, 3, 9999999)};
    const HANDLE file =
        ::CreateFileW(source.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ::SetFileTime(file, &times[0], &times[1], &times[2]);
    ::CloseHandle(file);
    EXPECT_EQ(RunCli(L"set --times-from " + Quoted(source) + L" " + Quoted(target)).status, 0u);
    EXPECT_EQ(FileTimes(target), FileTimes(source));  // to the 100 ns
    // A name relative to the current folder, ending in a dot: the item itself, not "target".
    WriteAll(L"\\\\?\\" + target + L".", "dot");
    EXPECT_EQ(RunCli(L"set --attrib +H target.txt.", folder.c_str()).status, 0u);
    EXPECT_TRUE(::GetFileAttributesW((L"\\\\?\\" + target + L".").c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(::GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    // A pipe gets UTF-8: a name outside code page 936 survives.
    const std::wstring korean = folder + L"\\제품.txt";
    WriteAll(korean, "k");
    const Ran shown = RunCli(L"show " + Quoted(korean));
    EXPECT_EQ(shown.status, 0u);
    EXPECT_NE(shown.out.find(Utf8(L"제품.txt")), std::string::npos) << shown.out;
}

// The program's own file is shown but never modified, however it is spelt; a copy of it elsewhere
// is an ordinary file.
TEST_F(Cli, ItsOwnFileIsShownButNeverModified) {
    const std::wstring self = BuildPath(L"quorvane-cli.exe"), copy = folder + L"\\cli.exe";
    const std::string original = ReadAll(self);
    for (const std::wstring& spelling : {self, BuildPath(L"tests/../QUORVANE-CLI.exe")}) {
        const Ran ran = RunCli(L"set --backup --attrib +H " + Quoted(spelling));
        EXPECT_EQ(ran.status, 1u);
        EXPECT_EQ(ran.err, Utf8(spelling) + ": 不能修改自身!\n");
    }
    const Ran relative = RunCli(L"set --attrib +H quorvane-cli.exe", BuildPath(L"").c_str());
    EXPECT_EQ(relative.err, "quorvane-cli.exe: 不能修改自身!\n");
    EXPECT_EQ(ReadAll(self), original);
    EXPECT_FALSE(::GetFileAttributesW(self.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(::GetFileAttributesW((self + L"_bak").c_str()), INVALID_FILE_ATTRIBUTES);
    const Ran shown = RunCli(L"show --json " + Quoted(self));
    EXPECT_EQ(shown.status, 0u);
    EXPECT_EQ(nlohmann::json::parse(shown.out)[0]["size"], original.size());

    ASSERT_TRUE(::CopyFileW(self.c_str(), copy.c_str(), FALSE));
    EXPECT_EQ(RunCli(L"set --attrib +H " + Quoted(copy)).status, 0u);
    EXPECT_TRUE(::GetFileAttributesW(copy.c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

// The context-menu entry: refused without the dialog beside, written for files, folders and
// drives, run as Explorer runs it, and removed without a trace.
TEST_F(Cli, ShellMenuInstallsTheEntryThatOpensTheDialogAndUninstallsIt) {
    const wchar_t* const kinds[] = {L"*", L"Directory", L"Drive"};
    const auto keyOf = [](const wchar_t* kind) {
        return L"Software\\Classes\\" + std::wstring(kind) + L"\\shell\\Quorvane";
    };
    for (const wchar_t* kind : kinds) {  // what an earlier run left: the entry, the keys above it
        std::wstring key = keyOf(kind);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
        for (int up = 0; up < 2; ++up)
            ::RegDeleteKeyW(HKEY_CURRENT_USER, key.erase(key.rfind(L'\\')).c_str());
    }
    const std::wstring other = L"Software\\Classes\\Directory\\shell\\Other";  // not ours
    ::RegSetKeyValueW(HKEY_CURRENT_USER, other.c_str(), L"", REG_SZ, L"o", 4);
    const auto exported = [&](const std::wstring& file) {  // the user's classes, by reg.exe
        RunCli(L"export HKCU\\Software\\Classes " + Quoted(file) + L" /y", nullptr, false, {},
               L"reg");
        return ReadAll(file);
    };
    const std::string before = exported(folder + L"\\before.reg");
    EXPECT_NE(before.size(), 0u);
    const std::string absent = Utf8(L"右键菜单“用 Telvaro 修改属性和版本”未安装。\n");
    EXPECT_EQ(RunCli(L"shell-menu").out, absent);

    const std::wstring copy = folder + L"\\quorvane-cli.exe";
    ::CopyFileW(BuildPath(L"quorvane-cli.exe").c_str(), copy.c_str(), FALSE);
    const Ran refused = RunCli(L"shell-menu install", nullptr, false, {}, copy);
    EXPECT_TRUE(refused.status == 1 &&
                refused.err.find(Utf8(folder + L"\\Quorvane.exe：")) != std::string::npos);
    ::CopyFileW(BuildPath(L"Quorvane.exe").c_str(), (folder + L"\\Quorvane.exe").c_str(), FALSE);
    EXPECT_EQ(RunCli(L"shell-menu install", nullptr, false, {}, copy).status, 0u);
    const Ran installed = RunCli(L"shell-menu install");  // moved: the entry follows
    const std::wstring program = BuildPath(L"Quorvane.exe"),
                       command = L"\"" + program + L"\" \"%1\"";
    EXPECT_EQ(installed.out,
              Utf8(L"右键菜单“用 Telvaro 修改属性和版本”已安装：\n  文件：" + command +
                   L"\n  文件夹：" + command + L"\n  驱动器：" + command + L"\n"));
    const auto valueOf = [](const std::wstring& key, const wchar_t* name) {  // not as we read it
        wchar_t value[1024] = {};
        DWORD bytes = sizeof value;
        ::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &bytes);
        return std::wstring(value);
    };
    for (const wchar_t* kind : kinds) {
        EXPECT_EQ(valueOf(keyOf(kind), L"") + L"|" + valueOf(keyOf(kind), L"Icon") + L"|" +
                      valueOf(keyOf(kind) + L"\\command", L""),
                  L"用 Telvaro 修改属性和版本|" + program + L",0|" + command);
    }
    // Its command as Explorer runs it for a file: the dialog comes up with the file loaded.
    const std::wstring file = folder + L"\\제품 목록.txt";
    WriteAll(file, "k");
    std::wstring line = command;
    const Program dialog(line.replace(line.find(L"%1"), 2, file));
    EXPECT_TRUE(
        Within(10000, [&] { return ItemText(dialog.main, IDC_EDIT_NAME) == L"제품 목록.txt"; }));

    ::RegDeleteKeyW(HKEY_CURRENT_USER, (keyOf(L"Drive") + L"\\command").c_str());
    const std::string partial = RunCli(L"shell-menu").out;
    EXPECT_NE(partial.find(Utf8(L"”只安装了一部分：\n  文件：" + command)), std::string::npos);
    EXPECT_NE(partial.find(Utf8(L"\n  驱动器：未安装\n")), std::string::npos);
    EXPECT_EQ(RunCli(L"shell-menu uninstall").out, absent);
    EXPECT_EQ(exported(folder + L"\\after.reg"), before);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, other.c_str());
}

TEST_F(Cli, RefusesWhatAnotherProgramHoldsOpenWholeAndSaysWhy) {
    const std::wstring file = Fixture(L"ver_chinese", L"held.exe");
    const std::string before = ReadAll(file);
    const std::array<uint64_t, 3> times = FileTimes(file);
    // A reader that lets others only read: the times and the store could not open it.
    HANDLE held = ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    for (const wchar_t* change : {L"--modified 2024-01-01T00:00:00Z", L"--version ProductName=X"}) {
        const Ran ran =
            RunCli(L"set --backup --attrib +H " + std::wstring(change) + L" " + Quoted(file));
        EXPECT_EQ(ran.status, 1u);
        EXPECT_EQ(ran.err,
                  Utf8(file) + ": 无法打开文件进行修改，文件未修改! " + SystemText(32) + "\n");
    }
    EXPECT_TRUE(ReadAll(file) == before && FileTimes(file) == times &&
                !(::GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(::GetFileAttributesW((file + L"_bak").c_str()), INVALID_FILE_ATTRIBUTES);
    ::CloseHandle(held);
    // Shared with nobody: its bytes cannot be read, which is no file without version information.
    held = ::CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    for (const wchar_t* command : {L"show --json ", L"set --version ProductName=X "}) {
        const Ran ran = RunCli(command + Quoted(file));
        EXPECT_EQ(ran.status, 1u);
        EXPECT_EQ(ran.err, Utf8(file) + ": 无法读取文件! " + SystemText(32) + "\n");
    }
    ::CloseHandle(held);
    // Read-only to be: the bit is set after the writes that it would refuse, and kept on the next.
    EXPECT_EQ(
        RunCli(L"set --attrib +R --modified 2024-01-01T00:00:00Z --version ProductName=只读 " +
               Quoted(file))
            .status,
        0u);
    EXPECT_EQ(RunCli(L"set --accessed 2024-01-01T00:00:00Z " + Quoted(file)).status, 0u);
    EXPECT_EQ(FileTimes(file)[1], FileTimes(file)[2]);
    EXPECT_EQ(PlatformVersionString(file, L"ProductName"), L"只读");
    EXPECT_TRUE(::GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_READONLY);
}

TEST_F(Cli, PathsAndPatternsAsCmdTakesThemAndReadsThatTouchNothing) {
    const std::wstring plain = folder + L"\\plain", own = BuildPath(L"quorvane-cli.exe");
    WriteAll(plain, "p");
    WriteAll(folder + L"\\b.TXT", "b");
    ::CreateDirectoryW((folder + L"\\sub").c_str(), nullptr);
    const FILETIME past = FromLocal(2001, 1);  // a read would move it on
    const HANDLE file =
        ::CreateFileW(plain.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ::SetFileTime(file, nullptr, &past, nullptr);
    ::CloseHandle(file);
    // "*.*" takes every name, "*." those without a dot; a folder named with a trailing backslash
    // (as %~dp0 gives it) and a drive's root are folders; the program's own file is shown.
    const Ran shown =
        RunCli(L"show --json " + Quoted(folder + L"\\*.*") + L" " + Quoted(folder + L"\\*.") +
               L" " + folder + L"\\sub\\" + L" Z:\\ " + Quoted(own));
    ASSERT_EQ(shown.status, 0u) << shown.err;
    std::string names;  // "/" a folder, "+" with version information
    for (const nlohmann::json& target : nlohmann::json::parse(shown.out)) {
        names += target["name"].get<std::string>() +
                 (target["attributes"]["directory"] ? "/" : "") +
                 (target["version"].is_null() ? "|" : "+|");
    }
    EXPECT_EQ(names, "b.TXT|plain|sub/|plain|sub/|sub/|Z:\\/|quorvane-cli.exe+|");
    // Shown, and copied for a backup (the one kept says so): never the time of the last access.
    RunCli(L"set --backup --attrib +H " + Quoted(plain));
    const Ran kept = RunCli(L"set --backup --attrib -H " + Quoted(plain) + L" " +
                            Quoted(folder + L"\\gone") + L" " + Quoted(own));
    EXPECT_EQ(FileTimes(plain)[1], Ticks(past));
    EXPECT_EQ(kept.status, 1u);
    EXPECT_EQ(kept.err, "已有备份，未覆盖：" + Utf8(plain) + "_bak\n" + Utf8(folder) +
                            "\\gone: 文件或文件夹不存在!\n" + Utf8(own) + ": 不能修改自身!\n");
}

// Run once for each zone's rules, with TZ set for it (Wine follows TZ).
TEST_F(Cli, LocalTimesByTheRulesInForceOnTheirDate) {
    wchar_t zone[64] = L"";
    ::GetEnvironmentVariableW(L"TZ", zone, 64);
    // The local time, and the UTC time it is: none in the hour skipped in spring; in the hour
    // repeated in autumn, the first.
    const std::map<std::wstring, std::vector<std::pair<std::wstring, const wchar_t*>>> zones{
        {L"America/New_York",
         {{L"2024-01-15 12:00:00", L"2024-01-15 17:00"},
          {L"2024-07-01 12:00:00", L"2024-07-01 16:00"},
          {L"2024-03-10 02:30:00", L""},
          {L"2024-11-03 01:30:00", L"2024-11-03 05:30"}}},
        {L"Australia/Sydney",
         {{L"2024-01-15 12:00:00", L"2024-01-15 01:00"},
          {L"2024-07-01 12:00:00", L"2024-07-01 02:00"},
          {L"2024-10-06 02:30:00", L""},
          {L"2024-04-07 02:30:00", L"2024-04-06 15:30"}}},
        {L"Europe/Berlin",
         {{L"2024-01-15 12:00:00", L"2024-01-15 11:00"},
          {L"2024-07-01 12:00:00", L"2024-07-01 10:00"},
          {L"2024-03-31 02:30:00", L""},
          {L"2024-10-27 02:30:00", L"2024-10-27 00:30"}}},
        {L"Asia/Shanghai",
         {{L"2024-01-15 12:00:00", L"2024-01-15 04:00"},
          {L"2024-07-01 12:00:00", L"2024-07-01 04:00"}}}};
    ASSERT_TRUE(zones.count(zone)) << "no rows for TZ";
    const std::wstring file = folder + L"\\t.txt";
    WriteAll(file, "t");
    for (const auto& [local, utc] : zones.at(zone)) {
        const Ran set = RunCli(L"set --modified \"" + local + L"\" " + Quoted(file));
        if (!*utc) {
            EXPECT_EQ(set.status, 2u);
            EXPECT_NE(set.err.find("本地时间不存在"), std::string::npos) << set.err;
            continue;
        }
        SYSTEMTIME time{};
        swscanf(utc, L"%hu-%hu-%hu %hu:%hu", &time.wYear, &time.wMonth, &time.wDay, &time.wHour,
                &time.wMinute);
        FILETIME expected;
        ::SystemTimeToFileTime(&time, &expected);
        EXPECT_EQ(FileTimes(file)[2], Ticks(expected)) << Utf8(local);
        const std::string shown = RunCli(L"show " + Quoted(file)).out;
        EXPECT_NE(shown.find("修改时间: " + Utf8(local) + "\n"), std::string::npos) << shown;
    }
}

TEST_F(Cli, TreesListsAndResultsAsData) {
    // A tree with a folder whose name ends in a dot and a path past 260 characters.
    const std::wstring root = L"\\\\?\\" + folder + L"\\r", twin = root + L"\\twin.";
    const std::wstring deep =
        root + L"\\" + std::wstring(120, L'd') + L"\\" + std::wstring(130, L'e');
    for (const std::wstring& made : {root, twin, deep.substr(0, deep.rfind(L'\\')), deep})
        ::CreateDirectoryW(made.c_str(), nullptr);
    for (const std::wstring& file : {root + L"\\a.txt", root + L"\\d.log", root + L"\\sp ",
                                     twin + L"\\b.txt", deep + L"\\c.txt"})
        WriteAll(file, "x");
    const std::wstring txt = Quoted(folder + L"\\r\\*.txt"), a = Quoted(folder + L"\\r\\a.txt");
    const auto results = [](const Ran& ran) {
        std::string outcomes;  // each target's name, outcome and attribute words
        for (const nlohmann::json& target : nlohmann::json::parse(ran.out)) {
            const std::string path = target["path"];
            outcomes += path.substr(path.rfind('\\') + 1) + ":" + target.value("outcome", "") +
                        (target.value("dryRun", false) ? " dry" : "");
            if (target.contains("changes") && target["changes"].contains("attributes")) {
                const nlohmann::json& word = target["changes"]["attributes"];
                outcomes += " " + word["old"].dump() + ">" + word["new"].dump();
            }
            outcomes += "|";
        }
        return outcomes;
    };
    EXPECT_EQ(results(RunCli(L"set --dry-run --json -r --attrib +H " + txt)),
              "a.txt:written dry 32>34|c.txt:written dry 32>34|b.txt:written dry 32>34|");
    const Ran set = RunCli(L"set --json -r --attrib=+H " + txt + L" " + Quoted(folder + L"\\gone"));
    EXPECT_EQ(set.status, 1u);
    EXPECT_EQ(results(set),
              "a.txt:written 32>34|c.txt:written 32>34|b.txt:written 32>34|gone:failed|");
    // The .txt files alone, the folder "twin." among those left as they were.
    for (const std::wstring& file :
         {root + L"\\a.txt", root + L"\\d.log", twin, twin + L"\\b.txt", deep + L"\\c.txt"}) {
        EXPECT_EQ(!!(::GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN),
                  file.back() == L't')
            << Utf8(file);
    }
    EXPECT_EQ(results(RunCli(L"set --json --attrib +H " + a)), "a.txt:unchanged|");
    EXPECT_EQ(results(RunCli(L"set --json --version Comments=x " + a)), "a.txt:refused|");
    // A list through a pipe (UTF-8, a name ending in a space), and one in the console's code page
    // (936 here), as cmd writes what dir /b prints.
    const Ran piped =
        RunCli(L"show --json --paths-from=-", nullptr, false,
               "\xEF\xBB\xBF" + Utf8(folder) + "\\r\\sp \r\n\r\n" + Utf8(folder) + "\\r\\*.log\n");
    EXPECT_EQ(results(piped), "sp :|d.log:|") << piped.err;
    WriteAll(folder + L"\\文件.txt", "x");
    WriteAll(folder + L"\\list.txt", "\xCE\xC4\xBC\xFE.txt");
    EXPECT_EQ(results(RunCli(L"show --json --paths-from list.txt", folder.c_str())), "文件.txt:|");
}

TEST_F(Cli, TimeValuesShiftsAndTheConventionsOfConsoleTools) {
    const std::wstring file = folder + L"\\t.txt";
    WriteAll(file, "t");
    const FILETIME written = FromLocal(2003, 3, 9999999), accessed = FromLocal(2004, 4);
    const HANDLE handle =
        ::CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ::SetFileTime(handle, nullptr, &accessed, &written);
    ::CloseHandle(handle);
    // The file's own times, moved exactly; a shift past what a file time holds refuses the file.
    const Ran own =
        RunCli(L"set --quiet --accessed=modified --shift-modified +1d1h1m1s " + Quoted(file));
    EXPECT_EQ(own.status + own.out.size() + own.err.size(), 0u) << own.err;
    const uint64_t day = 864'000'000'000;
    EXPECT_EQ(FileTimes(file)[1], Ticks(written));
    EXPECT_EQ(FileTimes(file)[2], Ticks(written) + day + day / 24 + day / 1440 + day / 86400);
    const Ran beyond = RunCli(L"set --shift -10675199d " + Quoted(file));
    EXPECT_EQ(beyond.status, 1u);
    EXPECT_EQ(FileTimes(file)[1], Ticks(written));
    FILETIME before, after;
    ::GetSystemTimeAsFileTime(&before);
    EXPECT_EQ(RunCli(L"set --modified now " + Quoted(file)).status, 0u);
    ::GetSystemTimeAsFileTime(&after);
    EXPECT_TRUE(FileTimes(file)[2] >= Ticks(before) - 200'000 &&
                FileTimes(file)[2] <= Ticks(after));
    // Help as console tools give it; its own version resource.
    for (const wchar_t* help : {L"-h", L"/?", L"set --help", L"show -h x"}) {
        const Ran ran = RunCli(help);
        EXPECT_TRUE(ran.status == 0 && ran.out.find("--paths-from") != std::string::npos) << help;
    }
    const std::wstring cli = BuildPath(L"quorvane-cli.exe"), dialog = BuildPath(L"Quorvane.exe");
    EXPECT_EQ(PlatformVersionString(cli, L"OriginalFilename") + L"|" +
                  PlatformVersionString(cli, L"FileDescription") + L"|" +
                  PlatformVersionString(dialog, L"OriginalFilename"),
              L"quorvane-cli.exe|Telvaro V1.0 命令行|Quorvane.exe");
    // A run well past a second, its output to a pipe: no progress line.
    const std::wstring dlls = L" C:\\windows\\*.dll";
    const Ran slow = RunCli(L"show -r" + dlls + dlls + dlls + dlls + dlls + dlls + dlls + dlls);
    EXPECT_TRUE(slow.status == 0 && slow.err.empty()) << slow.err.substr(0, 200);
}
