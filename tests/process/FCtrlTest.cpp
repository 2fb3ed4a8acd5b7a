#include <gtest/gtest.h>

#include "FCtrlSupport.h"
#include "ssFCtrl.h"

namespace {

using namespace fctrl_test;
using A = TssFileAttr;
using Names = std::vector<String>;

enum class Op { Copy, Move, Delete };

int FileEntries(const Names& names) {
    return int(std::count_if(names.begin(), names.end(), [](const String& n) { return n.back() != L'\\'; }));
}

bool RunOp(TssFileControl& fc, Op op, const String& from, const String& to) {
    switch (op) {
        case Op::Copy: return fc.ssCopyFile(from, to);
        case Op::Move: return fc.ssMoveFile(from, to);
        default: return fc.ssDeleteFile(from);
    }
}

TEST(FolderWildcards, ExpandOnRealTrees) {
    const Names original = {L"2019\\", L"2019\\feb\\", L"2019\\feb\\b.txt", L"2019\\jan\\", L"2019\\jan\\a.txt",
                            L"2020\\", L"2020\\jan\\", L"2020\\jan\\c.txt", L"2020\\x.log", L"other\\",
                            L"other\\d.txt"};
    struct Case { Op op; const wchar_t *from, *to; Names dst; Names src; };
    const Case cases[] = {
        // the destination has fewer wildcard folders than the source: everything lands in it
        {Op::Copy, L"src\\20*\\jan\\*.txt", L"dst\\", {L"a.txt", L"c.txt"}, original},
        {Op::Copy, L"src\\20*\\jan\\", L"dst\\*\\", {L"2019\\", L"2019\\a.txt", L"2020\\", L"2020\\c.txt"}, original},
        {Op::Copy, L"src\\*\\*\\", L"dst\\*\\*\\",
         {L"2019\\", L"2019\\feb\\", L"2019\\feb\\b.txt", L"2019\\jan\\", L"2019\\jan\\a.txt", L"2020\\",
          L"2020\\jan\\", L"2020\\jan\\c.txt"},
         original},
        {Op::Copy, L"src\\2019\\jan\\", L"dst\\*\\*\\", {L"2019\\", L"2019\\jan\\", L"2019\\jan\\a.txt"}, original},
        {Op::Copy, L"src\\2?2?\\*.log", L"dst\\y*\\", {L"y020\\", L"y020\\x.log"}, original},
        {Op::Copy, L"src\\none*\\*.*", L"dst\\", {}, original},
        {Op::Move, L"src\\*\\jan\\*.txt", L"dst", {L"a.txt", L"c.txt"},
         {L"2019\\", L"2019\\feb\\", L"2019\\feb\\b.txt", L"2019\\jan\\", L"2020\\", L"2020\\jan\\", L"2020\\x.log",
          L"other\\", L"other\\d.txt"}},
        {Op::Delete, L"src\\20*\\jan\\", L"", {},
         {L"2019\\", L"2019\\feb\\", L"2019\\feb\\b.txt", L"2020\\", L"2020\\x.log", L"other\\", L"other\\d.txt"}},
        {Op::Delete, L"src\\*\\*.txt", L"", {},
         {L"2019\\", L"2019\\feb\\", L"2019\\feb\\b.txt", L"2019\\jan\\", L"2019\\jan\\a.txt", L"2020\\",
          L"2020\\jan\\", L"2020\\jan\\c.txt", L"2020\\x.log", L"other\\"}},
    };
    for (const Case& c : cases) {
        TempDir root;
        MakeTree(root.Path(), {L"src\\2019\\jan\\a.txt", L"src\\2019\\feb\\b.txt", L"src\\2020\\jan\\c.txt",
                               L"src\\2020\\x.log", L"src\\other\\d.txt"});
        TssFileControl fc(nullptr);
        EXPECT_TRUE(RunOp(fc, c.op, root / c.from, root / c.to)) << Utf8(c.from) << " " << fc.ErrorCode();
        EXPECT_EQ(ListTree(root / L"dst"), c.dst) << Utf8(c.from) << " -> " << Utf8(c.to);
        EXPECT_EQ(ListTree(root / L"src"), c.src) << Utf8(c.from);
        if (c.op != Op::Delete) {
            EXPECT_EQ(fc.FileCount(), FileEntries(c.dst)) << Utf8(c.from);
        }
    }
}

void SetWriteTime(const String& file, long long offsetSeconds) {
    SYSTEMTIME st{2020, 6, 0, 15, 12, 0, 0, 0};
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    ULARGE_INTEGER t{{ft.dwLowDateTime, ft.dwHighDateTime}};
    t.QuadPart += offsetSeconds * 10000000LL;
    ft = {t.LowPart, t.HighPart};
    HANDLE h = CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
}

TEST(CopyAndMove, ModesAndFiltersByTimeStamp) {
    using M = TssCopyMode;
    using F = TssCopyFiles;
    // old: the destination is older; same: as old as the source; new: the destination is newer;
    // fresh: no destination yet. The destination also has extra.txt.
    struct Case { M mode; F filter; Names transferred; };
    const Case cases[] = {
        {M::cmUpdate, F::cfAllFiles, {L"fresh.txt", L"old.txt"}},
        {M::cmUpdate, F::cfExistFiles, {L"old.txt"}},
        {M::cmUpdate, F::cfNotExistFiles, {L"fresh.txt"}},
        {M::cmUpdate, F::cfRestFilesDelete, {L"fresh.txt", L"old.txt"}},
        {M::cmOverwrite, F::cfAllFiles, {L"fresh.txt", L"new.txt", L"old.txt", L"same.txt"}},
        {M::cmOverwrite, F::cfExistFiles, {L"new.txt", L"old.txt", L"same.txt"}},
        {M::cmOverwrite, F::cfNotExistFiles, {L"fresh.txt"}},
        {M::cmOverwrite, F::cfRestFilesDelete, {L"fresh.txt", L"new.txt", L"old.txt", L"same.txt"}},
    };
    const Names names = {L"fresh.txt", L"new.txt", L"old.txt", L"same.txt"};
    for (Op op : {Op::Copy, Op::Move}) {
        for (const Case& c : cases) {
            TempDir root;
            String src = root / L"src", dst = root / L"dst";
            MakeTree(root.Path(), {L"src\\", L"dst\\"});
            for (const String& n : names) {
                WriteBytes(src + L"\\" + n, "src");
                SetWriteTime(src + L"\\" + n, 0);
            }
            const std::pair<const wchar_t*, long long> existing[] = {
                {L"old.txt", -3600}, {L"same.txt", 0}, {L"new.txt", 3600}, {L"extra.txt", 0}};
            for (auto [n, offset] : existing) {
                WriteBytes(dst + L"\\" + n, "dst");
                SetWriteTime(dst + L"\\" + n, offset);
            }
            // an existing destination loses its attributes before it is replaced
            SetFileAttributesW((dst + L"\\old.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);

            TssFileControl fc(nullptr);
            fc.SetCopyMode(c.mode);
            fc.SetCopyFiles(c.filter);
            std::string label = std::string(op == Op::Copy ? "copy " : "move ") + std::to_string(int(c.mode)) + "/" +
                                std::to_string(int(c.filter));
            EXPECT_TRUE(RunOp(fc, op, src + L"\\*.*", dst + L"\\")) << label << " " << fc.ErrorCode();
            EXPECT_EQ(fc.FileCount(), int(c.transferred.size())) << label;
            for (const String& n : names) {
                bool moved = std::find(c.transferred.begin(), c.transferred.end(), n) != c.transferred.end();
                String target = dst + L"\\" + n;
                EXPECT_EQ(FileExists(target) && ReadBytes(target) == "src", moved) << label << " " << Utf8(n);
                if (op == Op::Move) {
                    EXPECT_EQ(FileExists(src + L"\\" + n), !moved) << label << " " << Utf8(n);
                }
            }
            EXPECT_EQ(FileExists(dst + L"\\extra.txt"), c.filter != F::cfRestFilesDelete) << label;
        }
    }
}

TEST(CopyAndMove, ExistFilesNeedsTheDestinationFolder) {
    TempDir root;
    MakeTree(root.Path(), {L"src\\a.txt"});
    TssFileControl fc(nullptr);
    fc.SetCopyFiles(TssCopyFiles::cfExistFiles);
    EXPECT_TRUE(fc.ssCopyFile(root / L"src\\", root / L"dst\\"));
    EXPECT_FALSE(DirectoryExists(root / L"dst"));
}

TEST(CopyAndMove, RestFilesDeletion) {
    // Without atDirectory the expected names hold files only, so every subfolder goes.
    struct Case { TssFileType mask; Names dst; int count; };
    const Case cases[] = {
        {{A::atReadOnly, A::atHidden, A::atSystem, A::atDirectory}, {L"a.txt", L"keep\\", L"sub\\", L"sub\\b.txt"}, 2},
        {{A::atReadOnly, A::atHidden, A::atSystem}, {L"a.txt"}, 1},
    };
    for (const Case& c : cases) {
        TempDir root;
        MakeTree(root.Path(), {L"src\\a.txt", L"src\\sub\\b.txt", L"src\\keep\\", L"dst\\a.txt", L"dst\\stale.txt",
                               L"dst\\sub\\stale2.txt", L"dst\\keep\\", L"dst\\gone\\g.txt"});
        SetWriteTime(root / L"dst\\a.txt", -3600);
        // rest files go whatever their attributes
        SetFileAttributesW((root / L"dst\\stale.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
        TssFileControl fc(nullptr);
        fc.SetCopyFiles(TssCopyFiles::cfRestFilesDelete);
        fc.SetAttribute(c.mask);
        EXPECT_TRUE(fc.ssCopyFile(root / L"src\\*.*", root / L"dst\\")) << fc.ErrorCode() << Utf8(fc.ErrorFile());
        EXPECT_EQ(ListTree(root / L"dst"), c.dst);
        EXPECT_EQ(fc.FileCount(), c.count);  // deletions are not counted
        EXPECT_EQ(ReadBytes(root / L"dst\\a.txt"), "src\\a.txt");
    }
}

TEST(Operations, AttributeMasks) {
    struct Case { TssFileType mask; Names taken; };
    const Case cases[] = {
        {{A::atReadOnly, A::atHidden, A::atSystem}, {L"hid.txt", L"plain.txt", L"ro.txt", L"sys.txt"}},
        {{A::atHidden, A::atSystem}, {L"hid.txt", L"plain.txt", L"sys.txt"}},
        {{A::atReadOnly, A::atSystem}, {L"plain.txt", L"ro.txt", L"sys.txt"}},
        {{A::atReadOnly, A::atHidden}, {L"hid.txt", L"plain.txt", L"ro.txt"}},
        {{A::atReadOnly, A::atHidden, A::atSystem, A::atDirectory},
         {L"dir\\", L"dir\\in.txt", L"hid.txt", L"plain.txt", L"ro.txt", L"sys.txt"}},
        {{}, {L"plain.txt"}},
    };
    const Names all = {L"dir\\", L"dir\\in.txt", L"hid.txt", L"plain.txt", L"ro.txt", L"sys.txt"};
    for (Op op : {Op::Copy, Op::Move, Op::Delete}) {
        for (const Case& c : cases) {
            TempDir root;
            MakeTree(root.Path(), {L"src\\plain.txt", L"src\\ro.txt", L"src\\hid.txt", L"src\\sys.txt", L"src\\dir\\in.txt"});
            SetFileAttributesW((root / L"src\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
            SetFileAttributesW((root / L"src\\hid.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
            SetFileAttributesW((root / L"src\\sys.txt").c_str(), FILE_ATTRIBUTE_SYSTEM);
            TssFileControl fc(nullptr);
            fc.SetAttribute(c.mask);
            std::string label = std::to_string(int(op)) + " mask " + std::to_string(c.mask.Mask());
            EXPECT_TRUE(RunOp(fc, op, root / L"src\\*.*", root / L"dst\\")) << label << " " << fc.ErrorCode();
            Names left;
            for (const String& n : all)
                if (std::find(c.taken.begin(), c.taken.end(), n) == c.taken.end()) left.push_back(n);
            EXPECT_EQ(ListTree(root / L"src"), op == Op::Copy ? all : left) << label;
            EXPECT_EQ(ListTree(root / L"dst"), op == Op::Delete ? Names{} : c.taken) << label;
            EXPECT_EQ(fc.FileCount(), FileEntries(c.taken)) << label;
        }
    }
}

TEST(Operations, ArgumentErrors) {
    TempDir root;
    MakeTree(root.Path(), {L"src\\a.txt"});
    struct Case { Op op; String from, to; };
    const Case cases[] = {
        {Op::Copy, L"", root / L"dst\\"},
        {Op::Copy, root / L"src\\", L""},
        {Op::Copy, root / L"src\\", root / L"dst\\file.txt"},  // a folder cannot become a file
        {Op::Move, L"", root / L"dst"},
        {Op::Move, root / L"src\\a.txt", L""},
        {Op::Delete, L"", L""},
    };
    for (const Case& c : cases) {
        TssFileControl fc(nullptr);
        int errors = 0;
        fc.OnError = [&](TObject* sender) {
            EXPECT_EQ(sender, &fc);
            ++errors;
        };
        EXPECT_FALSE(RunOp(fc, c.op, c.from, c.to));
        EXPECT_EQ(fc.ErrorCode(), 50u);
        EXPECT_EQ(fc.ErrorFile(), L"");
        EXPECT_EQ(errors, 1);
    }
    EXPECT_EQ(ListTree(root.Path()), (Names{L"src\\", L"src\\a.txt"}));
}

TEST(DeleteFile, FilesFoldersAndFailures) {
    TempDir root;
    MakeTree(root.Path(), {L"a.txt", L"sub\\x.txt", L"ro\\y.txt", L"held.txt"});
    TssFileControl fc(nullptr);
    int errors = 0;
    fc.OnError = [&](TObject*) { ++errors; };
    EXPECT_TRUE(fc.ssDeleteFile(root / L"missing.txt"));
    EXPECT_EQ(fc.FileCount(), 0);
    EXPECT_TRUE(fc.ssDeleteFile(root / L"sub"));  // a folder named without a wildcard is not a file
    EXPECT_TRUE(DirectoryExists(root / L"sub"));
    EXPECT_TRUE(fc.ssDeleteFile(root / L"missing\\"));
    // A folder path loses its content and then the folder, read-only or not.
    SetFileAttributesW((root / L"ro").c_str(), FILE_ATTRIBUTE_READONLY);
    fc.SetAttribute({A::atReadOnly, A::atDirectory});
    EXPECT_TRUE(fc.ssDeleteFile(root / L"sub\\"));
    EXPECT_EQ(fc.FileCount(), 1);
    EXPECT_TRUE(fc.ssDeleteFile(root / L"r?\\"));
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(ListTree(root.Path()), (Names{L"a.txt", L"held.txt"}));

    // A file held open without delete sharing cannot go: the failure names it and stops.
    HANDLE h = CreateFileW((root / L"held.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_FALSE(fc.ssDeleteFile(root / L"held.txt"));
    EXPECT_EQ(fc.ErrorCode(), DWORD(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(fc.ErrorFile(), root / L"held.txt");
    EXPECT_EQ(errors, 1);
    CloseHandle(h);
}

// Records the file count when the window gets its message.
LRESULT CALLBACK CountingProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m != WM_APP) return DefWindowProcW(w, m, wp, lp);
    auto* seen = reinterpret_cast<std::pair<TssFileControl*, std::vector<int>>*>(lp);
    seen->second.push_back(seen->first->FileCount());
    return 0;
}

TEST(Operations, WindowMessagesArePumpedAsEntriesAreDone) {
    TempDir root;
    MakeTree(root.Path(), {L"src\\a.txt", L"src\\b.txt", L"src\\c.txt"});
    WNDCLASSW wc{};
    wc.lpfnWndProc = CountingProc;
    wc.lpszClassName = L"ssFCtrlCounting";
    RegisterClassW(&wc);
    HWND w = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    const std::tuple<Op, const wchar_t*, const wchar_t*> steps[] = {
        {Op::Copy, L"src\\*.*", L"dst\\"}, {Op::Move, L"dst\\*.*", L"moved"}, {Op::Delete, L"moved\\*.*", L""}};
    for (auto [op, from, to] : steps) {
        TssFileControl fc(nullptr);
        std::pair<TssFileControl*, std::vector<int>> seen{&fc, {}};
        PostMessageW(w, WM_APP, 0, reinterpret_cast<LPARAM>(&seen));
        EXPECT_TRUE(RunOp(fc, op, root / from, root / to));
        EXPECT_EQ(fc.FileCount(), 3);
        EXPECT_EQ(seen.second, std::vector<int>{1}) << int(op);  // after the first entry, not at the end
    }
    DestroyWindow(w);
}

}  // namespace
