// A signed program: known as one when read, and edited in place or grown with its certificate
// table and that table's directory entry kept byte for byte, so that it can be signed again. The
// edited and grown copies stay in tests/signed of the build folder, where resign.cmake judges them
// with osslsigncode.
#include <gtest/gtest.h>

#include "tests/support/Probes.h"
#include "version/VersionFile.h"

#include <imagehlp.h>

TEST(Signed, KnownWhenReadAndEditedWithTheCertificateTableKept) {
    using Outcome = VersionStoreResult::Outcome;
    EXPECT_FALSE(ReadVersionStrings(BuildPath(L"tests/fixtures/ver_chinese.exe")).isSigned);
    const std::wstring edited = BuildPath(L"tests/signed/edited.exe");
    ::CreateDirectoryW(BuildPath(L"tests/signed").c_str(), nullptr);
    ASSERT_TRUE(
        ::CopyFileW(BuildPath(L"tests/fixtures/ver_signed.exe").c_str(), edited.c_str(), FALSE));
    const LoadedVersion loaded = ReadVersionStrings(edited);
    ASSERT_TRUE(loaded.isSigned && loaded.state == LoadedVersion::State::Loaded);
    const std::string before = ReadAll(edited);
    // Signed still when the version resource cannot be read.
    std::string broken = before;
    broken[broken.find(std::string("V\0S\0_\0", 6))] = 'W';
    WriteAll(BuildPath(L"tests/signed/broken.exe"), broken);
    const LoadedVersion none = ReadVersionStrings(BuildPath(L"tests/signed/broken.exe"));
    EXPECT_TRUE(none.isSigned && none.state == LoadedVersion::State::None && !none.fileVersion);

    const VersionChanges changes{{{5, u"新产品"}}, FixedVersion{2, 1, 3, 400}};
    // The check says what the store would, too long for its string here, and only reads: it
    // passes where another holder of the file lets others read alone.
    EXPECT_EQ(CheckVersionStore(edited, loaded, {{}, FixedVersion{1, 0, 0, 1234}}).outcome,
              Outcome::TooLong);
    const HANDLE held = ::CreateFileW(edited.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(CheckVersionStore(edited, loaded, changes).outcome, Outcome::Stored);
    EXPECT_EQ(StoreVersionStrings(edited, loaded, changes).error, DWORD{ERROR_SHARING_VIOLATION});
    ::CloseHandle(held);
    EXPECT_EQ(ReadAll(edited), before);
    EXPECT_EQ(StoreVersionStrings(edited, loaded, changes).outcome, Outcome::Stored);
    const std::string after = ReadAll(edited);
    const LoadedVersion again = ReadVersionStrings(edited);
    EXPECT_TRUE(again.isSigned && again.fileVersion == FixedVersion({2, 1, 3, 400}) &&
                again.productVersion == FixedVersion({1, 0, 0, 123}));
    EXPECT_EQ(PlatformVersionString(edited, L"ProductName") + L"|" +
                  PlatformVersionString(edited, L"FileVersion") + L"|" +
                  PlatformFixedVersions(edited),
              L"新产品|2.1.3.400|2.1.3.400 1.0.0.123");
    DWORD header, computed;
    ASSERT_EQ(::MapFileAndCheckSumW(edited.c_str(), &header, &computed), 0u);
    EXPECT_EQ(header, computed);
    // The certificate table's entry: data directory 4, after PE32's 96 bytes or PE32+'s 112.
    const auto u32 = [&before](size_t at) {
        return *reinterpret_cast<const uint32_t*>(&before[at]);
    };
    const size_t optional = u32(0x3C) + 24;
    const size_t entry =
        optional + (before[optional] == 0x0B && before[optional + 1] == 2 ? 112 : 96) + 32;
    const size_t table = u32(entry), size = u32(entry + 4);
    ASSERT_TRUE(size > 0 && table + size == before.size());  // as osslsigncode appends it
    EXPECT_EQ(after.substr(entry, 8), before.substr(entry, 8));
    EXPECT_EQ(after.substr(table), before.substr(table));
    // Grown beyond its room, inside the resource section: the same holds.
    const std::wstring grown = BuildPath(L"tests/signed/grown.exe");
    ASSERT_TRUE(
        ::CopyFileW(BuildPath(L"tests/fixtures/ver_signed.exe").c_str(), grown.c_str(), FALSE));
    EXPECT_EQ(StoreVersionStrings(grown, loaded, {{{7, u"示例公司的新名称"}}}, {true}).outcome,
              Outcome::Stored);
    const std::string grownBytes = ReadAll(grown);
    EXPECT_EQ(PlatformVersionString(grown, L"CompanyName"), L"示例公司的新名称");
    ASSERT_EQ(::MapFileAndCheckSumW(grown.c_str(), &header, &computed), 0u);
    EXPECT_EQ(header, computed);
    EXPECT_TRUE(grownBytes.substr(entry, 8) == before.substr(entry, 8) &&
                grownBytes.substr(table) == before.substr(table));
}
