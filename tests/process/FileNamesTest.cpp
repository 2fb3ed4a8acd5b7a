#include <gtest/gtest.h>

#include "ssFileNames.h"

namespace {

TEST(PathPatterns, RenameRule) {
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
        {L"", L"", L""},
        {L"ab", L"???.x?", L"ab.x"},              // "?" past the end adds nothing
    };
    for (const Case& c : cases)
        EXPECT_EQ(RenamedName(c.entry, c.pattern), c.result) << c.entry << L" " << c.pattern;
}

TEST(PathPatterns, SplitIntoFolderAndName) {
    struct Case { const wchar_t *path, *folder, *name; };
    const Case cases[] = {
        {L"C:\\data\\", L"C:\\data\\", L"*.*"},
        {L"C:\\data\\a*", L"C:\\data\\", L"a*.*"},
        {L"C:\\data\\a?.txt", L"C:\\data\\", L"a?.txt"},
        {L"C:\\data\\file", L"C:\\data\\", L"file"},
        {L"file.txt", L"", L"file.txt"},
        {L"C:*.txt", L"C:", L"*.txt"},  // the current folder of drive C:, not of the process
    };
    for (const Case& c : cases) {
        String folder, name;
        SplitPattern(c.path, folder, name);
        EXPECT_EQ(folder, c.folder) << c.path;
        EXPECT_EQ(name, c.name) << c.path;
    }
}

TEST(PathPatterns, SplitAtTheFirstWildcardFolder) {
    struct Case { const wchar_t* folder; bool found; const wchar_t *head, *component, *tail; };
    const Case cases[] = {
        {L"C:\\data\\20*\\jan\\", true, L"C:\\data\\", L"20*", L"jan\\"},
        {L"C:\\a?\\b*\\", true, L"C:\\", L"a?", L"b*\\"},
        {L"*\\", true, L"", L"*", L""},
        {L"C:\\data\\x*", true, L"C:\\data\\", L"x*", L""},
        {L"C:\\data\\", false, L"", L"", L""},
    };
    for (const Case& c : cases) {
        String head, component, tail;
        ASSERT_EQ(SplitAtWildcard(c.folder, head, component, tail), c.found) << c.folder;
        if (!c.found) continue;
        EXPECT_EQ(head, c.head) << c.folder;
        EXPECT_EQ(component, c.component) << c.folder;
        EXPECT_EQ(tail, c.tail) << c.folder;
    }
}

TEST(PathPatterns, DestinationFoldersFromSourceFolders) {
    // Made concrete from the source: components aligned from the right end.
    struct Concrete { const wchar_t *src, *dst, *result; };
    const Concrete concrete[] = {
        {L"C:\\data\\2020\\jan\\", L"D:\\bak\\*\\*\\", L"D:\\bak\\2020\\jan\\"},
        {L"C:\\x\\data\\2020\\jan\\", L"D:\\*\\", L"D:\\jan\\"},
        {L"C:\\logs\\2020\\", L"D:\\?\\x*\\", L"D:\\logs\\x020\\"},
        {L"data\\", L"bak\\*\\*\\", L"bak\\data\\data\\"},  // depth beyond the source: its first component
        {L"C:\\a\\.git\\", L"D:\\*\\", L"D:\\"},              // an empty name drops the component
        {L"", L"*\\", L""},
    };
    for (const Concrete& c : concrete) EXPECT_EQ(ConcreteFolder(c.src, c.dst), c.result) << c.src << L" " << c.dst;

    // Following an expanded source folder: the first wildcard component takes the found name.
    struct Follow { const wchar_t *dst, *found, *result; };
    const Follow follow[] = {
        {L"D:\\bak\\*\\*\\", L"2019", L"D:\\bak\\2019\\*\\"},
        {L"D:\\bak\\y*\\", L"2019", L"D:\\bak\\y019\\"},
        {L"D:\\bak\\*\\x\\", L".git", L"D:\\bak\\x\\"},
        {L"D:\\bak\\", L"2019", L"D:\\bak\\"},
    };
    for (const Follow& c : follow) EXPECT_EQ(ReplaceWildcard(c.dst, c.found), c.result) << c.dst << L" " << c.found;
}

// Whole content is what the guard of protected folders looks for: a pattern that empties a
// folder, also through folder wildcards.
TEST(PathPatterns, WholeContentAndEveryName) {
    struct Whole { const wchar_t* name; bool whole; };
    const Whole whole[] = {{L"*.*", true}, {L"*", true}, {L"?.?", true}, {L"*.txt", false},
                           {L".", false},  {L"", false}, {L"a*", false}};
    for (const Whole& c : whole) EXPECT_EQ(IsWholeContent(c.name), c.whole) << c.name;

    struct Every { const wchar_t *component, *tail, *name; bool every; };
    const Every every[] = {
        {L"*", L"", L"", true},         // the folder path X\*\ itself
        {L"*", L"", L"*.*", true},      // X\*\*.*
        {L"*", L"*\\?\\", L"*", true},  // X\*\*\?\*
        {L"*", L"", L"*.txt", false},
        {L"*", L"sub\\", L"", false},
        {L"a*", L"", L"", false},
    };
    for (const Every& c : every)
        EXPECT_EQ(TakesEveryName(c.component, c.tail, c.name), c.every) << c.component << L" " << c.tail << L" " << c.name;
}

TEST(PathPatterns, NumberedNames) {
    struct Case { const wchar_t* name; bool folder; const wchar_t* second; };
    const Case cases[] = {
        {L"a.txt", false, L"a (2).txt"},       {L"a.tar.gz", false, L"a.tar (2).gz"},
        {L"README", false, L"README (2)"},     {L".profile", false, L".profile (2)"},
        {L"v1.2", true, L"v1.2 (2)"},          {L"sub", true, L"sub (2)"},
    };
    for (const Case& c : cases) EXPECT_EQ(NumberedName(c.name, 2, c.folder), c.second) << c.name;
    EXPECT_EQ(NumberedName(L"a.txt", 12, false), L"a (12).txt");
}

TEST(PathPatterns, PlainPathsAndFolderParts) {
    const std::pair<const wchar_t*, const wchar_t*> plain[] = {
        {L"C:/data/a.txt", L"C:\\data\\a.txt"},
        {L"\\\\?\\C:\\data\\", L"C:\\data\\"},
        {L"\\\\?\\UNC\\srv\\share\\x", L"\\\\srv\\share\\x"},
        {L"//?/UNC/srv/share", L"\\\\srv\\share"},
        {L"\\\\srv\\share\\a?", L"\\\\srv\\share\\a?"},
    };
    for (const auto& [path, expected] : plain) EXPECT_EQ(PlainPath(path), expected) << path;

    EXPECT_EQ(FolderComponents(L"C:\\a\\b\\"), (std::vector<String>{L"C:", L"a", L"b"}));
    EXPECT_EQ(FolderComponents(L""), std::vector<String>{L""});
    EXPECT_EQ(WildcardComponents(L"C:\\a*\\b\\?\\"), 2u);
    EXPECT_TRUE(IsDots(L".") && IsDots(L".."));
    EXPECT_FALSE(IsDots(L"...") || IsDots(L".git"));
}

}  // namespace
