#include <gtest/gtest.h>

#include "TestSupport.h"
#include "ssFCtrl.h"

namespace {

using namespace testing_support;

TEST(DeleteFile, ConcreteFilesByAttributeMask) {
    TempDir dir;
    struct Case { const wchar_t* name; DWORD attributes; TssFileType mask; bool deleted; };
    using A = TssFileAttr;
    const TssFileType all{A::atReadOnly, A::atHidden, A::atSystem};
    const Case cases[] = {
        {L"plain.txt", FILE_ATTRIBUTE_NORMAL, all, true},
        {L"readonly.txt", FILE_ATTRIBUTE_READONLY, all, true},
        {L"hidden.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY, all, true},
        {L"system.txt", FILE_ATTRIBUTE_SYSTEM, all, true},
        {L"readonly2.txt", FILE_ATTRIBUTE_READONLY, {A::atHidden}, false},
        {L"hidden2.txt", FILE_ATTRIBUTE_HIDDEN, {A::atReadOnly}, false},
        {L"system2.txt", FILE_ATTRIBUTE_SYSTEM, {A::atReadOnly, A::atHidden}, false},
    };
    for (const Case& c : cases) {
        String file = dir / c.name;
        WriteBytes(file, "data");
        SetFileAttributesW(file.c_str(), c.attributes);
        TssFileControl fc(nullptr);
        fc.SetAttribute(c.mask);
        EXPECT_TRUE(fc.ssDeleteFile(file)) << Utf8(c.name);
        EXPECT_EQ(GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES, c.deleted) << Utf8(c.name);
        EXPECT_EQ(fc.FileCount(), c.deleted ? 1 : 0) << Utf8(c.name);
        EXPECT_EQ(fc.ErrorCode(), 0u);
    }
}

TEST(DeleteFile, MissingFileIsNoErrorAndAFolderIsNotAFile) {
    TempDir dir;
    CreateDirectoryW((dir / L"sub").c_str(), nullptr);
    TssFileControl fc(nullptr);
    int errors = 0;
    fc.OnError = [&](TObject*) { ++errors; };
    EXPECT_TRUE(fc.ssDeleteFile(dir / L"missing.txt"));
    EXPECT_EQ(fc.FileCount(), 0);
    EXPECT_TRUE(fc.ssDeleteFile(dir / L"sub"));
    EXPECT_TRUE(DirectoryExists(dir / L"sub"));
    EXPECT_EQ(errors, 0);
}

TEST(DeleteFile, FailuresSetCodeAndFileAndCallOnError) {
    TempDir dir;
    WriteBytes(dir / L"a.txt", "a");
    WriteBytes(dir / L"b.txt", "b");
    struct Case { String path; DWORD code; String errorFile; };
    const Case cases[] = {
        {L"", 50, L""},
        {dir / L"*.txt", 50, dir / L"*.txt"},   // patterns are refused, nothing deleted
        {dir.Path() + L"\\", 50, dir.Path() + L"\\"},
    };
    for (const Case& c : cases) {
        TssFileControl fc(nullptr);
        int errors = 0;
        fc.OnError = [&](TObject* sender) {
            EXPECT_EQ(sender, &fc);
            ++errors;
        };
        EXPECT_FALSE(fc.ssDeleteFile(c.path));
        EXPECT_EQ(fc.ErrorCode(), c.code);
        EXPECT_EQ(fc.ErrorFile(), c.errorFile);
        EXPECT_EQ(errors, 1);
    }
    EXPECT_TRUE(FileExists(dir / L"a.txt"));
    EXPECT_TRUE(FileExists(dir / L"b.txt"));

    // A file held open without delete sharing cannot go.
    String held = dir / L"held.txt";
    WriteBytes(held, "x");
    HANDLE h = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    TssFileControl fc(nullptr);
    EXPECT_FALSE(fc.ssDeleteFile(held));
    EXPECT_EQ(fc.ErrorCode(), DWORD(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(fc.ErrorFile(), held);
    CloseHandle(h);
}

}  // namespace

namespace {

TEST(RenameRule, BaseAndExtensionFollowThePattern) {
    struct Case { const wchar_t *entry, *pattern, *result; };
    const Case cases[] = {
        {L"report.txt", L"*.bak", L"report.bak"},
        {L"a.txt", L"x?z.*", L"xz.txt"},
        {L"data.csv", L"*", L"data"},       // the pattern's empty extension wins
        {L"data.csv", L"*.*", L"data.csv"},
        {L"abcdef.txt", L"x?z.*", L"xbzdef.txt"},  // the walk rewrites a copy of the entry's base
        {L"abc.txt", L"new.dat", L"new.dat"},     // no wildcard: the pattern itself
        {L"abc.txt", L"??x*.t?t", L"abx.txt"},
        {L"readme", L"*.*", L"readme"},           // "." alone becomes nothing
        {L"a.b.c", L"*.?", L"a.b.c"},
        {L"a.htm", L"*.?tml", L"a.html"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TssFileControl::RenamedName(c.entry, c.pattern), c.result)
            << Utf8(c.entry) << " " << Utf8(c.pattern);
}

TEST(RenameRule, PathPatternsSplitIntoFolderAndName) {
    struct Case { const wchar_t *path, *folder, *name; };
    const Case cases[] = {
        {L"C:\\data\\", L"C:\\data\\", L"*.*"},
        {L"C:\\data\\a*", L"C:\\data\\", L"a*.*"},
        {L"C:\\data\\a?.txt", L"C:\\data\\", L"a?.txt"},
        {L"C:\\data\\file", L"C:\\data\\", L"file"},
        {L"file.txt", L"", L"file.txt"},
    };
    for (const Case& c : cases) {
        String folder, name;
        TssFileControl::SplitPattern(c.path, folder, name);
        EXPECT_EQ(folder, c.folder) << Utf8(c.path);
        EXPECT_EQ(name, c.name) << Utf8(c.path);
    }
}

}  // namespace
