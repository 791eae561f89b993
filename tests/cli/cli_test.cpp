// quorvane-cli.exe as scripts run it: a process whose output is captured through pipes, on copies
// of the fixtures, each write judged by the file's bytes and by the platform's own version calls.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <thread>

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

// With `merged` the program's standard error goes into the pipe of its standard output, as `2>&1`.
Ran RunCli(const std::wstring& args, const wchar_t* folder = nullptr, bool merged = false) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out[2], err[2];  // read, write
    ::CreatePipe(&out[0], &out[1], &inherit, 0);
    ::CreatePipe(&err[0], &err[1], &inherit, 0);
    ::SetHandleInformation(out[0], HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(err[0], HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = out[1];
    start.hStdError = merged ? out[1] : err[1];
    std::wstring line = L"\"" + BuildPath(L"quorvane-cli.exe") + L"\" " + args;
    PROCESS_INFORMATION process{};
    Ran ran{~0u, {}, {}};
    const bool started = ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                          folder, &start, &process);
    ::CloseHandle(out[1]);
    ::CloseHandle(err[1]);
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
    // Checked before anything is written: a time the file cannot take; a text that fits nowhere
    // in a file with data appended (its resource section full, no section may be added); and a
    // dry run.
    const std::wstring appended = Fixture(L"ver_english", L"c.exe");
    const std::string full = ReadAll(appended);
    const Ran refused =
        RunCli(L"set --version Comments=" + std::wstring(300, L'长') + L" " + Quoted(appended));
    EXPECT_EQ(refused.err,
              Utf8(appended) + ": 版本信息放不下：文件末尾有附加数据! 版本信息未修改!\n");
    EXPECT_EQ(ReadAll(appended), full);
    const Ran ran =
        RunCli(L"set --backup --attrib +H --created \"1601-01-01 00:00:00\" " + Quoted(program));
    EXPECT_EQ(ran.status, 1u) << ran.out;
    EXPECT_TRUE(unchanged() && ran.out.empty()) << ran.err;
    const Ran dry = RunCli(
        L"set --dry-run --attrib +H --version FileVersion=X --modified "
        L"2020-01-01T00:00:00Z " +
        Quoted(program));
    EXPECT_EQ(dry.status, 0u);
    EXPECT_NE(dry.out.find("1.0.0.123 → X"), std::string::npos) << dry.out;
    EXPECT_NE(dry.out.find("→ 2020-01-01T00:00:00.0000000Z"), std::string::npos) << dry.out;
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
          L"set --version Nope=1", L"set --file-version 1.2.3"}) {
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
