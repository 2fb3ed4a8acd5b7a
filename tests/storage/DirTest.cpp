#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "TestSupport.h"
#include "ssDir.h"

namespace {

using namespace testing_support;

String CurrentDir() {
    wchar_t buf[MAX_PATH];
    DWORD n = GetCurrentDirectoryW(MAX_PATH, buf);
    return String(buf, n);
}

// Puts the current folder back at the end of a scope, before the scratch folders go.
struct KeepCurrentDir {
    String saved = CurrentDir();
    ~KeepCurrentDir() { SetCurrentDirectoryW(saved.c_str()); }
};

void MakeDir(const String& path) { ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr)) << Utf8(path); }

void SetAttr(const String& path, DWORD attr) { ASSERT_TRUE(SetFileAttributesW(path.c_str(), attr)) << Utf8(path); }

// Runs body and answers the ErrorCode of the EInOutError it raised (-1 for none), checking that
// the message carries the code too.
template <typename Body>
int InOutErrorOf(Body body) {
    try {
        body();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), Format(L"I/Oエラー (%d)", {(long long)e.ErrorCode}));
        return e.ErrorCode;
    }
    return -1;
}

// A chain A\B\C with one file in each folder, so that the order of events is fixed, and a
// dot-folder A\.git beside B that no walk may report or enter:
//   A\a.txt  A\B\b.txt  A\B\C\c.txt  A\.git\g.txt
class WalkTree : public ::testing::Test {
protected:
    void SetUp() override {
        MakeDir(A());
        MakeDir(A() + L"\\B");
        MakeDir(A() + L"\\B\\C");
        MakeDir(A() + L"\\.git");
        WriteBytes(A() + L"\\a.txt", "a");
        WriteBytes(A() + L"\\B\\b.txt", "bb");
        WriteBytes(A() + L"\\B\\C\\c.txt", "ccc");
        WriteBytes(A() + L"\\.git\\g.txt", "g");
        // Wine counts dot-names as hidden; the mark makes that so on Windows as well, and the
        // walks below ask for hidden entries so that the name alone is what keeps .git out.
        SetAttr(A() + L"\\.git", FILE_ATTRIBUTE_HIDDEN);
        walk.SetAttribute({TssDirWalkAttribute::dwaHidden});
        walk.SetisDoProcessMessages(false);
        Record();
    }

    String A() const { return tmp / L"A"; }
    // A path below the temporary folder, as the log shows it.
    String Rel(const String& path) const { return path.substr(tmp.Path().size() + 1); }

    // Logs every event as "what level folder", and checks that the folder concerned is current.
    void Record() {
        walk.OnEnterDirectory = [this](TssDirectory* d) { Log(L"enter", d->DirName()); };
        walk.OnExitDirectory = [this](TssDirectory* d) { Log(L"exit", d->DirName()); };
        walk.OnFoundDir = [this](TssDirectory* d) { Log(L"dir", d->DirName()); };
        walk.OnFoundFile = [this](TssDirectory* d, const WIN32_FIND_DATAW& rec) {
            Log(L"file", d->DirName(), String(L"\\") + rec.cFileName);
        };
    }
    void Log(const String& what, const String& folder, const String& file = L"") {
        EXPECT_EQ(CurrentDir(), folder) << Utf8(what + L" " + file);
        String entry = what + L" " + IntToStr(walk.Level()) + L" " + Rel(folder) + file;
        log.push_back(entry);
        if (entry == stopAt) walk.Stop();
        if (entry == throwAt) throw std::runtime_error("handler failed");
    }

    TempDir tmp;
    KeepCurrentDir keep;
    TssDirWalk walk{nullptr};
    std::vector<String> log;
    String stopAt, throwAt;
};

TEST_F(WalkTree, EventsInOrderDownToMaxLevel) {
    struct Case {
        bool recursive;
        int maxLevel;
        const wchar_t* targetFile;
        const wchar_t* subDirMask;
        std::vector<String> events;
    };
    const int all = TssDirWalk::NoLevelLimit;
    const Case cases[] = {
        {true, all, L"*.*", L"*.*",
         {L"enter 0 A", L"file 0 A\\a.txt", L"enter 1 A\\B", L"file 1 A\\B\\b.txt", L"enter 2 A\\B\\C",
          L"file 2 A\\B\\C\\c.txt", L"exit 2 A\\B\\C", L"exit 1 A\\B", L"exit 0 A"}},
        {true, 1, L"*.*", L"*.*",
         {L"enter 0 A", L"file 0 A\\a.txt", L"enter 1 A\\B", L"file 1 A\\B\\b.txt", L"exit 1 A\\B", L"exit 0 A"}},
        {true, 0, L"*.*", L"*.*", {L"enter 0 A", L"file 0 A\\a.txt", L"exit 0 A"}},
        {true, -1, L"*.*", L"*.*", {}},
        // Not recursive: subfolders are reported from the start folder, never opened.
        {false, all, L"*.*", L"*.*", {L"enter 0 A", L"file 0 A\\a.txt", L"dir 0 A\\B", L"exit 0 A"}},
        {false, 1, L"*.*", L"*.*", {L"enter 0 A", L"file 0 A\\a.txt", L"dir 0 A\\B", L"exit 0 A"}},
        {false, all, L"*.log", L"X*", {L"enter 0 A", L"exit 0 A"}},
        {true, all, L"?.txt", L"B", {L"enter 0 A", L"file 0 A\\a.txt", L"enter 1 A\\B", L"file 1 A\\B\\b.txt",
                                      L"exit 1 A\\B", L"exit 0 A"}},
    };
    SetCurrentDirectoryW(tmp.Path().c_str());
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "recursive " << c.recursive << ", max level " << c.maxLevel << ", "
                                        << Utf8(c.targetFile) << " " << Utf8(c.subDirMask));
        walk.SetTargetDirectory(L"A\\");  // relative to the current folder, with a trailing "\"
        walk.SetRecursive(c.recursive);
        walk.SetMaxLevel(c.maxLevel);
        walk.SetTargetFile(c.targetFile);
        walk.SetSubDirMask(c.subDirMask);
        log.clear();
        EXPECT_EQ(walk.Level(), -1);
        walk.Execute();
        EXPECT_EQ(log, c.events);
        EXPECT_EQ(walk.Level(), -1);
        EXPECT_EQ(CurrentDir(), tmp.Path());
        EXPECT_EQ(walk.ComponentCount(), 0);
    }
}

TEST_F(WalkTree, FoundFileCarriesItsSearchRecord) {
    std::vector<std::pair<String, DWORD>> files;
    walk.OnFoundFile = [&](TssDirectory*, const WIN32_FIND_DATAW& rec) {
        files.push_back({rec.cFileName, rec.nFileSizeLow});
        EXPECT_FALSE(rec.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    };
    walk.SetTargetDirectory(A());
    walk.Execute();
    std::sort(files.begin(), files.end());
    std::vector<std::pair<String, DWORD>> expected = {{L"a.txt", 1}, {L"b.txt", 2}, {L"c.txt", 3}};
    EXPECT_EQ(files, expected);
}

TEST_F(WalkTree, StopEndsTheWalkAfterTheRunningHandler) {
    struct Case {
        bool recursive;
        const wchar_t* stopAt;
        int levelAfter;  // the exits that would lower it do not come
    };
    const Case cases[] = {
        {true, L"file 0 A\\a.txt", 0},
        {true, L"enter 1 A\\B", 1},
        {true, L"file 2 A\\B\\C\\c.txt", 2},
        {true, L"exit 2 A\\B\\C", 1},
        {false, L"dir 0 A\\B", 0},
    };
    SetCurrentDirectoryW(tmp.Path().c_str());
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.stopAt));
        walk.SetTargetDirectory(A());
        walk.SetRecursive(c.recursive);
        stopAt = c.stopAt;
        log.clear();
        walk.Execute();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back(), c.stopAt);
        EXPECT_TRUE(walk.StopFlag());
        EXPECT_EQ(walk.Level(), c.levelAfter);
        EXPECT_EQ(CurrentDir(), tmp.Path());
        EXPECT_EQ(walk.ComponentCount(), 0);
    }
}

TEST_F(WalkTree, HandlerExceptionPassesOutAndLeavesItsFolderCurrent) {
    SetCurrentDirectoryW(tmp.Path().c_str());
    throwAt = L"file 2 A\\B\\C\\c.txt";
    walk.SetTargetDirectory(A());
    EXPECT_THROW(walk.Execute(), std::runtime_error);
    EXPECT_EQ(log.back(), throwAt);
    EXPECT_EQ(CurrentDir(), A() + L"\\B\\C");
    EXPECT_EQ(walk.ComponentCount(), 0) << "the folder objects of the walk are gone";

    // The next walk starts afresh.
    throwAt.clear();
    log.clear();
    walk.Execute();
    EXPECT_EQ(log.size(), 9u);
    EXPECT_EQ(walk.Level(), -1);
}

TEST_F(WalkTree, StartFolderMissingOrAFile) {
    struct Case {
        String target;
        int code;
    };
    const Case cases[] = {
        {A() + L"\\missing", 2},
        {L"", 2},
        {A() + L"\\a.txt", 80},
    };
    SetCurrentDirectoryW(A().c_str());
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.target));
        walk.SetTargetDirectory(c.target);
        EXPECT_EQ(InOutErrorOf([&] { walk.Execute(); }), c.code);
        EXPECT_TRUE(log.empty());
        EXPECT_EQ(CurrentDir(), A());
        EXPECT_EQ(walk.ComponentCount(), 0);
    }
}

TEST_F(WalkTree, SubDirMaskWithAPathIsRefused) {
    walk.SetSubDirMask(L"B*");
    for (const wchar_t* mask : {L"sub\\*", L"C:*", L"\\"}) {
        SCOPED_TRACE(Utf8(mask));
        EXPECT_EQ(InOutErrorOf([&] { walk.SetSubDirMask(mask); }), 123);
        EXPECT_EQ(walk.SubDirMask(), L"B*");
    }
}

TEST(DirWalk, Defaults) {
    TssDirWalk walk(nullptr);
    EXPECT_TRUE(walk.Attribute().Empty());
    EXPECT_EQ(walk.TargetFile(), L"*.*");
    EXPECT_EQ(walk.SubDirMask(), L"*.*");
    EXPECT_TRUE(walk.Recursive());
    EXPECT_EQ(walk.MaxLevel(), 2147483647);
    EXPECT_TRUE(walk.isDoProcessMessages());
    EXPECT_EQ(walk.Level(), -1);
    EXPECT_FALSE(walk.StopFlag());
}

// Hidden and system entries are reported only when asked for; read-only and archived ones always.
TEST(DirWalk, AttributeMasksChooseHiddenAndSystemEntries) {
    TempDir tmp;
    const std::pair<const wchar_t*, DWORD> entries[] = {
        {L"plain", FILE_ATTRIBUTE_NORMAL}, {L"ro", FILE_ATTRIBUTE_READONLY}, {L"arc", FILE_ATTRIBUTE_ARCHIVE},
        {L"hid", FILE_ATTRIBUTE_HIDDEN},   {L"sys", FILE_ATTRIBUTE_SYSTEM},
    };
    for (auto [name, attr] : entries) {
        WriteBytes(tmp / (String(name) + L".txt"), "x");
        SetAttr(tmp / (String(name) + L".txt"), attr);
        MakeDir(tmp / (String(name) + L"Dir"));
        if (attr != FILE_ATTRIBUTE_READONLY) SetAttr(tmp / (String(name) + L"Dir"), attr);
    }
    struct Case {
        TssDirWalkAttributes attrs;
        std::vector<String> found;
    };
    using A = TssDirWalkAttribute;
    const Case cases[] = {
        {{}, {L"arc.txt", L"arcDir", L"plain.txt", L"plainDir", L"ro.txt", L"roDir"}},
        {{A::dwaHidden}, {L"arc.txt", L"arcDir", L"hid.txt", L"hidDir", L"plain.txt", L"plainDir", L"ro.txt", L"roDir"}},
        {{A::dwaSysFile}, {L"arc.txt", L"arcDir", L"plain.txt", L"plainDir", L"ro.txt", L"roDir", L"sys.txt", L"sysDir"}},
    };
    TssDirWalk walk(nullptr);
    walk.SetTargetDirectory(tmp.Path());
    walk.SetRecursive(false);
    std::vector<String> found;
    walk.OnFoundFile = [&](TssDirectory*, const WIN32_FIND_DATAW& rec) { found.push_back(rec.cFileName); };
    walk.OnFoundDir = [&](TssDirectory* d) { found.push_back(ExtractFileName(d->DirName())); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attrs.Mask());
        walk.SetAttribute(c.attrs);
        found.clear();
        walk.Execute();
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, c.found);
    }
}

// A subfolder that cannot be entered is passed over without an event. Wine lets every folder be
// entered whatever its access rights and length, so the first subfolder's handler removes its
// sibling, which the search has already read and still answers.
TEST(DirWalk, FolderThatCannotBeEnteredIsSkipped) {
    TempDir tmp;
    for (bool recursive : {false, true}) {
        SCOPED_TRACE(recursive);
        MakeDir(tmp / L"one");
        MakeDir(tmp / L"two");
        TssDirWalk walk(nullptr);
        walk.SetTargetDirectory(tmp.Path());
        walk.SetRecursive(recursive);
        std::vector<String> events;
        auto log = [&](const wchar_t* what, TssDirectory* d) {
            String name = d->DirName() == tmp.Path() ? L"root" : ExtractFileName(d->DirName());
            events.push_back(what + name);
            if (name != L"root" && events.size() == 2) RemoveTree(tmp / (name == L"one" ? L"two" : L"one"));
        };
        walk.OnEnterDirectory = [&](TssDirectory* d) { log(L"enter ", d); };
        walk.OnFoundDir = [&](TssDirectory* d) { log(L"dir ", d); };
        walk.OnExitDirectory = [&](TssDirectory* d) { log(L"exit ", d); };
        walk.Execute();
        ASSERT_EQ(events.size(), 4u);
        String first = events[1].substr(events[1].find(L' ') + 1), other = first == L"one" ? L"two" : L"one";
        if (recursive)  // the removed sibling brings no event
            EXPECT_EQ(events, (std::vector<String>{L"enter root", L"enter " + first, L"exit " + first, L"exit root"}));
        else  // the search had read the removed sibling already
            EXPECT_EQ(events, (std::vector<String>{L"enter root", L"dir " + first, L"dir " + other, L"exit root"}));
        RemoveTree(tmp / L"one");
        RemoveTree(tmp / L"two");
    }
}

// Window messages that arrive while a walk runs are handled after each handler, unless switched off.
TEST(DirWalk, MessagesAreProcessedAfterEachHandler) {
    TempDir tmp;
    WriteBytes(tmp / L"a.txt", "a");
    for (bool process : {true, false}) {
        SCOPED_TRACE(process);
        TssDirWalk walk(nullptr);
        walk.SetTargetDirectory(tmp.Path());
        walk.SetisDoProcessMessages(process);
        walk.OnFoundFile = [](TssDirectory*, const WIN32_FIND_DATAW&) {
            PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
        };
        walk.Execute();
        MSG msg;
        bool left = PeekMessageW(&msg, nullptr, WM_APP, WM_APP, PM_REMOVE);
        EXPECT_EQ(left, !process);
    }
}

TEST(Directory, NamesAreNormalised) {
    TempDir tmp;
    KeepCurrentDir keep;
    MakeDir(tmp / L"Data");
    SetCurrentDirectoryW(tmp.Path().c_str());
    struct Case {
        String value, name, root;
        const wchar_t* parent;  // null: not checked
    };
    const String drive = tmp.Path().substr(0, 3);
    const Case cases[] = {
        {tmp / L"Data\\", tmp / L"Data", drive, tmp.Path().c_str()},
        {tmp / L"Data", tmp / L"Data", drive, tmp.Path().c_str()},
        {L"Data\\sub\\..\\", tmp / L"Data", drive, tmp.Path().c_str()},  // relative, need not exist
        {L"C:\\", L"C:\\", L"C:\\", L""},
        {L"C:\\Data\\", L"C:\\Data", L"C:\\", L"C:\\"},
        // The root of a UNC name is just its first three characters.
        {L"\\\\srv\\share\\dir\\", L"\\\\srv\\share\\dir", L"\\\\s", nullptr},
    };
    TssDirectory dir(nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.value));
        dir.SetDirName(c.value);
        EXPECT_EQ(dir.DirName(), c.name);
        if (c.parent) {
            EXPECT_EQ(dir.ParentName(), c.parent);
        }
        EXPECT_EQ(dir.RootName(), c.root);
        EXPECT_EQ(dir.IsRoot(), c.name.size() == 3);
    }
    dir.SetRightDirName(L"Data\\");
    EXPECT_EQ(dir.DirName(), tmp / L"Data\\") << "taken as it comes";
    dir.SetRightDirName(L"");
    EXPECT_EQ(dir.RootName(), L"");
}

TEST(Directory, ExistenceAndFilesInPlaceOfFolders) {
    TempDir tmp;
    WriteBytes(tmp / L"file", "x");
    TssDirectory dir(nullptr);
    dir.SetDirName(tmp.Path());
    EXPECT_TRUE(dir.IsExist());
    EXPECT_EQ(InOutErrorOf([&] { dir.SetDirName(tmp / L"file"); }), 80);
    EXPECT_EQ(dir.DirName(), L"");
    dir.SetDirName(tmp / L"missing");
    EXPECT_FALSE(dir.IsExist());
    dir.SetRightDirName(tmp / L"file");
    EXPECT_EQ(InOutErrorOf([&] { dir.IsExist(); }), 80);
}

TEST(Directory, AttributesKeepTheFolderBit) {
    TempDir tmp;
    TssDirectory dir(nullptr);
    dir.SetDirName(tmp.Path());
    const int folder = FILE_ATTRIBUTE_DIRECTORY;
    EXPECT_EQ(dir.AttributePlus(FILE_ATTRIBUTE_HIDDEN) & ~FILE_ATTRIBUTE_ARCHIVE, folder | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(dir.Attribute() & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(dir.AttributeMinus(FILE_ATTRIBUTE_HIDDEN) & ~FILE_ATTRIBUTE_ARCHIVE, folder);
    EXPECT_EQ(dir.Attribute() & (folder | FILE_ATTRIBUTE_HIDDEN), folder);
    dir.SetAttribute(0);
    EXPECT_TRUE(dir.Attribute() & folder);

    dir.SetRightDirName(tmp / L"missing");
    EXPECT_EQ(dir.Attribute(), -1);
    EXPECT_EQ(InOutErrorOf([&] { dir.SetAttribute(0); }), ERROR_FILE_NOT_FOUND);
}

}  // namespace
