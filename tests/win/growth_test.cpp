// Version strings grown beyond their rooms and keys added, on real programs and DLLs of the system
// folder (English tables, other layouts, keys of their own) and on fixtures: with data appended,
// packed (a new section), signed and packed (the certificate table moved), and without any version
// information (a version resource made): each block placed where it disturbs least, read back by
// the platform, the program still running and the DLL still loading; every byte past the sections
// as it was (a certificate table byte for byte at its new place), the checksum as valid as it was.
// The grown copies stay in tests/grown beside their originals, with the strings expected of them,
// for a reader that is not ours (grown_pefile.py); osslsigncode signs the signed one again.
#include <gtest/gtest.h>

#include "platform/Text.h"
#include "tests/support/Probes.h"
#include "version/VersionFile.h"

#include <imagehlp.h>

// What lies past the sections' data: appended data, symbols, a certificate table.
static std::string Tail(const std::string& file) {
    const auto u32 = [&file](size_t at) { return *reinterpret_cast<const uint32_t*>(&file[at]); };
    const size_t pe = u32(0x3C), table = pe + 24 + (u32(pe + 20) & 0xFFFF);
    size_t end = 0;
    for (size_t i = 0; i < (u32(pe + 6) & 0xFFFF); ++i)
        end = std::max<size_t>(end, u32(table + 40 * i + 20) + u32(table + 40 * i + 16));
    return file.substr(end);
}

TEST(Grown, RealProgramsAndDllsReadRunAndLoadAfterTheirStringsGrow) {
    wchar_t system[MAX_PATH];
    const std::wstring from(system, ::GetSystemDirectoryW(system, MAX_PATH));
    const std::wstring folder = BuildPath(L"tests/grown");
    RemoveTree(folder);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::u16string company = u"Quorvane 测试公司：a company name longer than before";
    const VersionChanges changes{{{7, company}, {3, u"新增的备注"}}, FixedVersion{7, 6, 5, 4}};
    std::string expected;  // file, table, key and value a line, for grown_pefile.py
    enum Use { Read, Run, Load, RunPacked, ReadPacked };
    const auto fixture = [](const wchar_t* name) { return BuildPath(L"tests/fixtures/") + name; };
    const std::tuple<std::wstring, VersionPlacement, Use> files[] = {
        {from + L"\\tasklist.exe", VersionPlacement::InPlace, Run},
        {from + L"\\winver.exe", VersionPlacement::FreeSpace, Read},
        {from + L"\\comcat.dll", VersionPlacement::InPlace, Load},
        {from + L"\\msxml6.dll", VersionPlacement::FreeSpace, Load},
        {fixture(L"ver_english.exe"), VersionPlacement::InPlace, Run},
        {fixture(L"ver_chinese.exe"), VersionPlacement::NewSection, RunPacked},
        {fixture(L"ver_signed.exe"), VersionPlacement::NewSection, ReadPacked},
        {fixture(L"ver_none.exe"), VersionPlacement::NewSection, Run},
        {fixture(L"ver_none_dll.dll"), VersionPlacement::NewSection, Load}};
    for (const auto& [source, placement, use] : files) {
        // Under a name of its own and without the mark of a Wine builtin, either of which would
        // have Wine load its own builtin in the copy's place: a program like any other.
        const std::wstring name = L"grown_" + source.substr(source.rfind(L'\\') + 1);
        const std::wstring file = folder + L"\\" + name;
        std::string before = ReadAll(source);
        ASSERT_GT(before.size(), 0x50u);
        if (before.compare(0x40, 16, "Wine builtin DLL") == 0) before.replace(0x40, 16, 16, '\0');
        WriteAll(file, before);
        WriteAll(file + L".original", before);
        DWORD header, computed;
        ::MapFileAndCheckSumW(file.c_str(), &header, &computed);
        const int64_t offBy = int64_t{header} - computed;
        LoadedVersion loaded = ReadVersionStrings(file);
        if (use >= RunPacked) {  // Comments grown to fill the resource section to its last byte
            const std::optional<PeImage> image = ReadPeImage(
                [&before](uint64_t at, void* into, size_t count) {
                    return before.copy(static_cast<char*>(into), count, at) == count;
                },
                before.size(), {0});
            const uint64_t at = *image->version->offset;
            uint64_t end = 0;  // of the section that holds the block
            for (const PeSection& section : image->sections) {
                if (at - section.rawPointer < section.rawSize)
                    end = section.rawPointer + section.rawSize;
            }
            const size_t slack =
                end - at - VersionBlockLength(reinterpret_cast<const uint8_t*>(&before[at]), 2);
            const std::u16string comment =
                ToUtf16(*loaded.texts[3]) + std::u16string(slack / 2, u'-');
            EXPECT_EQ(StoreVersionStrings(file, loaded, {{{3, comment}}}, {true}).placement,
                      VersionPlacement::InPlace);
            loaded = ReadVersionStrings(file);
        }
        ASSERT_TRUE(loaded.state == LoadedVersion::State::Loaded || loaded.addable) << name;
        const VersionStoreResult stored = StoreVersionStrings(file, loaded, changes, {true});
        EXPECT_TRUE(stored.outcome == VersionStoreResult::Outcome::Stored &&
                    stored.placement == placement)
            << name;

        const VersionTranslation now = ReadVersionStrings(file).translation;
        wchar_t table[9];
        swprintf(table, 9, L"%04x%04x", now.language, now.codePage);
        const auto platform = [&](const wchar_t* key) {
            return PlatformVersionString(file, key, table);
        };
        EXPECT_EQ(platform(L"CompanyName") + L"|" + platform(L"Comments") + L"|" +
                      platform(L"FileVersion") + L"|" + platform(L"ProductName"),
                  ToWide(company) + L"|新增的备注|7.6.5.4|" + loaded.texts[5].value_or(L"<none>"));
        EXPECT_EQ(PlatformFixedVersions(file).substr(0, 8), L"7.6.5.4 ");
        ::MapFileAndCheckSumW(file.c_str(), &header, &computed);
        EXPECT_EQ((int64_t{header} - computed - offBy) % 0xFFFF, 0) << name;
        EXPECT_TRUE(Tail(ReadAll(file)) == Tail(before)) << name;
        for (const auto& [key, text] : {std::pair{"CompanyName", ToWide(company)},
                                        {"Comments", L"新增的备注"},
                                        {"FileVersion", L"7.6.5.4"}})
            expected += ToUtf8(name + L"\t" + table + L"\t") + key + "\t" + ToUtf8(text) + "\n";

        if (use == Run || use == RunPacked) {
            STARTUPINFOW start{};
            start.cb = sizeof start;
            PROCESS_INFORMATION process{};
            std::wstring line = L"\"" + file + L"\"";
            ASSERT_TRUE(::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE,
                                         CREATE_NO_WINDOW, nullptr, nullptr, &start, &process));
            DWORD status = 1;
            ::WaitForSingleObject(process.hProcess, 30000);
            ::GetExitCodeProcess(process.hProcess, &status);
            EXPECT_EQ(status, 0u) << name;
            ::CloseHandle(process.hProcess);
            ::CloseHandle(process.hThread);
        } else if (use == Load) {
            const HMODULE module = ::LoadLibraryW(file.c_str());
            ASSERT_TRUE(module) << name;
            wchar_t loadedFrom[MAX_PATH];
            EXPECT_EQ(std::wstring(loadedFrom, ::GetModuleFileNameW(module, loadedFrom, MAX_PATH)),
                      file);
            const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16));
            const char* data =
                found ? static_cast<const char*>(::LockResource(::LoadResource(module, found)))
                      : nullptr;
            const std::string resource =
                data ? std::string(data, ::SizeofResource(module, found)) : "";
            EXPECT_NE(
                resource.find(reinterpret_cast<const char*>(company.data()), 0, company.size() * 2),
                std::string::npos)
                << name;
            ::FreeLibrary(module);
        }
    }
    WriteAll(folder + L"\\expected.txt", expected);
}
