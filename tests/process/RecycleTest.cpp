#include <gtest/gtest.h>

#include "DateUtils.h"
#include "FCtrlSupport.h"
#include "ssComFolder.h"
#include "ssFCtrl.h"
#include "ssTrash.h"

namespace {

using namespace fctrl_test;
using A = TssFileAttr;
using Names = std::vector<String>;

// A file control whose today is fixed, so that the purge's cut-off is known.
class DatedControl : public TssFileControl {
public:
    explicit DatedControl(int y = 2016, int m = 10, int d = 14) : TssFileControl(nullptr), FToday(EncodeDate(y, m, d)) {}

protected:
    TDateTime Today() const override { return FToday; }

private:
    TDateTime FToday;
};

bool IsTwelveDigits(const String& s) {
    return s.size() == 12 && s.find_first_not_of(L"0123456789") == String::npos;
}

// Files, a pattern and a folder land below one dated root, in the source's folder path; a
// moved folder leaves nothing behind.
TEST(RecycleDelete, MovesIntoTheDatedTrashRoot) {
    struct Case {
        const wchar_t* source;  // below the tree
        Names moved;            // below the receiving folder
        Names left;             // what stays in the tree
    };
    const Case cases[] = {
        {L"src\\a.txt", {L"a.txt"}, {L"src\\", L"src\\b.log", L"src\\sub\\", L"src\\sub\\c.txt"}},
        {L"src\\*.txt", {L"a.txt"}, {L"src\\", L"src\\b.log", L"src\\sub\\", L"src\\sub\\c.txt"}},
        {L"src\\", {L"a.txt", L"b.log", L"sub\\", L"sub\\c.txt"}, {}},
    };
    for (const Case& c : cases) {
        TempDir root;
        MakeTree(root.Path(), {L"tree\\src\\a.txt", L"tree\\src\\b.log", L"tree\\src\\sub\\c.txt"});
        SetFileAttributesW((root / L"tree\\src\\a.txt").c_str(), FILE_ATTRIBUTE_READONLY);
        DatedControl fc;
        ASSERT_TRUE(fc.ssRecycleDelete(root / (L"tree\\" + String(c.source)), root / L"trash\\"))
            << Utf8(c.source) << " " << fc.ErrorCode();

        const String purgeFolder = root / L"trash\\Recycle\\";
        ASSERT_EQ(fc.RecycleRootPath().rfind(purgeFolder, 0), 0u) << Utf8(fc.RecycleRootPath());
        EXPECT_TRUE(IsTwelveDigits(fc.RecycleRootPath().substr(purgeFolder.size()))) << Utf8(fc.RecycleRootPath());
        // the receiving folder mirrors the source's folder without its drive
        const String receiving = fc.RecycleRootPath() + (root / L"tree\\src").substr(2);
        EXPECT_EQ(ListTree(receiving), c.moved) << Utf8(c.source);
        EXPECT_EQ(ListTree(root / L"tree"), c.left) << Utf8(c.source);
    }
}

// Today is fixed; the cut-off is the day nine days back, and roots dated before it go. Names
// that are not eight digits and four more characters stay, and so do files.
TEST(RecycleDelete, PurgesTrashRootsTenOrMoreDaysOld) {
    struct Case {
        int y, m, d;  // today
        Names before;
        Names after;
    };
    const Case cases[] = {
        {2016, 10, 14,
         {L"201610040900\\", L"201610050000\\", L"201609301259\\", L"201610140905\\",
          L"20161004\\", L"2016100409000\\", L"2016x0040900\\", L"20161004abcd\\", L"201610040900.txt"},
         {L"201610050000\\", L"201610140905\\", L"20161004\\", L"2016100409000\\", L"2016x0040900\\",
          L"201610040900.txt"}},
        // across a month end in a leap year: nine days back from March 1st is February 21st
        {2016, 3, 1, {L"201602200000\\", L"201602210000\\"}, {L"201602210000\\"}},
        // across a year end
        {2017, 1, 5, {L"201612260000\\", L"201612270000\\"}, {L"201612270000\\"}},
    };
    for (const Case& c : cases) {
        TempDir root;
        const String purgeFolder = root / L"trash\\Recycle";
        CreateDirectoryW((root / L"trash").c_str(), nullptr);
        CreateDirectoryW(purgeFolder.c_str(), nullptr);
        for (const String& name : c.before) {
            const bool folder = name.back() == L'\\';
            MakeTree(purgeFolder, {(folder ? name + L"inner\\old.txt" : name).c_str()});
        }
        MakeTree(root.Path(), {L"src\\new.txt"});
        DatedControl fc(c.y, c.m, c.d);
        ASSERT_TRUE(fc.ssRecycleDelete(root / L"src\\new.txt", root / L"trash\\")) << fc.ErrorCode();

        Names kept;
        for (const String& entry : ListTree(purgeFolder))
            if (std::count(entry.begin(), entry.end(), L'\\') == (entry.back() == L'\\' ? 1 : 0)) kept.push_back(entry);
        Names expected = c.after;
        expected.push_back(fc.RecycleRootPath().substr(purgeFolder.size() + 1) + L"\\");
        EXPECT_EQ(kept, Sorted(expected)) << c.y << "-" << c.m << "-" << c.d;
    }
}

// The purge reaches only the dated roots inside the purge folder: what lies beside it or is
// reached through a link stays whole.
TEST(RecycleDelete, PurgeTouchesNothingOutsideThePurgeFolder) {
    TempDir root;
    MakeTree(root.Path(), {L"outside\\o.txt", L"outside\\deep\\d.txt", L"trash\\201001010000\\beside.txt",
                           L"trash\\keep.txt", L"trash\\Recycle\\201001010000\\old.txt", L"src\\new.txt",
                           L"201001010000\\sibling.txt"});
    const Names outside = ListTree(root / L"outside");
    // A read-only root with a read-only file is emptied and removed like any other. (Wine removes a
    // read-only folder itself; Windows refuses to unless its read-only bit is cleared first.)
    MakeTree(root / L"trash\\Recycle", {L"201001020000\\ro.txt"});
    SetFileAttributesW((root / L"trash\\Recycle\\201001020000\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW((root / L"trash\\Recycle\\201001020000").c_str(), FILE_ATTRIBUTE_READONLY);

    // A name with trailing dots stands for the folder without them ("20100104" here, no trash
    // root by its length), so it is passed over rather than handed on.
    MakeTree(root / L"trash\\Recycle", {L"20100104\\kept.txt"});
    const bool dotted = CreateDirectoryW((L"\\\\?\\" + root / L"trash\\Recycle\\20100104....").c_str(), nullptr);

    struct Link {
        std::string path;
        ~Link() {
            if (!path.empty()) HostShell("rm -f '" + path + "'");  // beyond Wine's reach
        }
    } link;
    if (UnderWine()) {
        // an old-dated name on a link to a folder elsewhere: the link stays, its target too
        link.path = UnixPath(root / L"trash\\Recycle") + "/201001030000";
        HostLink(UnixPath(root / L"outside"), root / L"trash\\Recycle\\201001030000");
        ASSERT_TRUE(FileExists(root / L"trash\\Recycle\\201001030000\\o.txt"));
    }

    DatedControl fc;
    ASSERT_TRUE(fc.ssRecycleDelete(root / L"src\\new.txt", root / L"trash\\")) << fc.ErrorCode();
    EXPECT_EQ(ListTree(root / L"outside"), outside);
    EXPECT_TRUE(FileExists(root / L"trash\\201001010000\\beside.txt"));
    EXPECT_TRUE(FileExists(root / L"trash\\keep.txt"));
    EXPECT_TRUE(FileExists(root / L"201001010000\\sibling.txt"));
    EXPECT_FALSE(DirectoryExists(root / L"trash\\Recycle\\201001010000"));
    EXPECT_FALSE(DirectoryExists(root / L"trash\\Recycle\\201001020000"));
    EXPECT_TRUE(FileExists(root / L"trash\\Recycle\\20100104\\kept.txt")) << dotted;
    if (UnderWine()) {
        EXPECT_TRUE(FileExists(root / L"trash\\Recycle\\201001030000\\o.txt"));
    }
}

// The operation sets its own search and transfer settings and gives the caller's back, after
// a success, a failed move and a refused trash destination alike.
TEST(RecycleDelete, RestoresTheCallersSettings) {
    TempDir root;
    MakeTree(root.Path(), {L"src\\a.txt", L"src\\b.txt", L"blocker"});
    enum class Outcome { ok, fails, raises };
    struct Case {
        const wchar_t* source;
        String trash;
        Outcome outcome;
    };
    const Case cases[] = {
        {L"src\\a.txt", root / L"trash\\", Outcome::ok},
        {L"src\\b.txt", root / L"blocker\\trash\\", Outcome::fails},  // a file stands where a folder must go
        {L"src\\b.txt", L"E:\\", Outcome::raises},                     // a drive root is no trash folder
    };
    for (const Case& c : cases) {
        DatedControl fc;
        fc.SetAttribute({A::atHidden});
        fc.SetCopyFiles(TssCopyFiles::cfExistFiles);
        fc.SetCopyMode(TssCopyMode::cmUpdate);
        switch (c.outcome) {
            case Outcome::ok:
                EXPECT_TRUE(fc.ssRecycleDelete(root / c.source, c.trash)) << fc.ErrorCode();
                break;
            case Outcome::fails:
                EXPECT_FALSE(fc.ssRecycleDelete(root / c.source, c.trash));
                EXPECT_NE(fc.ErrorCode(), 0u);
                EXPECT_TRUE(FileExists(root / c.source));
                break;
            case Outcome::raises:
                EXPECT_THROW(fc.ssRecycleDelete(root / c.source, c.trash), ETrashException);
                break;
        }
        EXPECT_EQ(fc.Attribute(), TssFileType{A::atHidden}) << Utf8(c.trash);
        EXPECT_EQ(fc.CopyFiles(), TssCopyFiles::cfExistFiles) << Utf8(c.trash);
        EXPECT_EQ(fc.CopyMode(), TssCopyMode::cmUpdate) << Utf8(c.trash);
    }
}

// A protected folder's whole content never goes to the trash: the move is refused before
// anything moves, with the message and code of a refused deletion. The Windows folder and the
// system folder tree are stand-ins; the maker's folders are scratch folders named by the folder
// library; E: is the build's own fixed drive, with marker files.
TEST(RecycleDelete, RefusesProtectedSources) {
    TempDir scratch;
    ScopedEnv env{L"KVR3FLDR_ROOT", scratch / L"KVR"};
    MakeTree(scratch.Path(), {L"KVR\\Bin\\m.txt", L"Windows\\m.txt", L"Windows\\system32\\drivers\\m.sys"});
    TssCommonFolder::SetObject(std::make_unique<TssCommonFolder>());
    struct ResetFolders {
        ~ResetFolders() { TssCommonFolder::SetObject(nullptr); }
    } resetFolders;
    WriteBytes(L"E:\\fops_marker.txt", "marker");
    struct RemoveMarker {
        ~RemoveMarker() { DeleteFileW(L"E:\\fops_marker.txt"); }
    } removeMarker;
    const Names before = ListTree(scratch.Path());

    struct Case {
        String source;
        DWORD code;
    };
    const Case cases[] = {
        {scratch / L"Windows\\", 19},
        {scratch / L"Windows\\*.*", 19},
        {scratch / L"Windows\\system32\\drivers\\", 19},
        {scratch / L"KVR\\Bin\\", 19},
        {L"E:\\", 5},
    };
    for (const Case& c : cases) {
        TempDir trash;
        DialogAnswerer answerer([](const String&) { return IDOK; });
        TGuardedStandIns fc(scratch / L"Windows", scratch / L"Windows\\system32");
        EXPECT_FALSE(fc.ssRecycleDelete(c.source, trash.Path() + L"\\")) << Utf8(c.source);
        EXPECT_EQ(fc.ErrorCode(), c.code) << Utf8(c.source);
        ASSERT_EQ(answerer.Texts().size(), 1u) << Utf8(c.source);
        EXPECT_NE(answerer.Texts()[0].find(L"フォルダの削除に失敗しました。\r\n処理を中止します。"), String::npos);
        EXPECT_EQ(ListTree(scratch.Path()), before) << Utf8(c.source);
        EXPECT_TRUE(FileExists(L"E:\\fops_marker.txt"));
        for (const String& entry : ListTree(trash.Path())) EXPECT_EQ(entry.back(), L'\\') << Utf8(entry);
    }
}

// Recycling the same names again within one minute lands in the same dated root: every
// version stays, the later ones under numbered names.
TEST(RecycleDelete, NothingInTheTrashIsReplaced) {
    struct Case {
        const wchar_t* source;
        Names received;  // below the receiving folder after three recyclings
    };
    const Case cases[] = {
        {L"a.txt", {L"a (2).txt", L"a (3).txt", L"a.txt"}},
        {L"README", {L"README", L"README (2)", L"README (3)"}},
        {L"", {L"README", L"README (2)", L"README (3)", L"a (2).txt", L"a (3).txt", L"a.txt", L"sub (2)\\",
               L"sub (2)\\c.txt", L"sub (3)\\", L"sub (3)\\c.txt", L"sub\\", L"sub\\c.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.source));
        TempDir root;
        DatedControl fc;
        Names roots;
        // A minute may turn between two recyclings; then all three are done again.
        for (int attempt = 0; attempt < 2 && (roots.empty() || roots.front() != roots.back()); ++attempt) {
            roots.clear();
            for (int round = 1; round <= 3; ++round) {
                MakeTree(root.Path(), {L"src\\a.txt", L"src\\README", L"src\\sub\\c.txt"});
                WriteBytes(root / L"src\\a.txt", std::to_string(round));
                ASSERT_TRUE(fc.ssRecycleDelete(root / L"src\\" + c.source, root / L"trash\\")) << fc.ErrorCode();
                roots.push_back(fc.RecycleRootPath());
            }
        }
        ASSERT_EQ(roots.front(), roots.back());
        const String receiving = roots.front() + (root / L"src").substr(2);
        EXPECT_EQ(ListTree(receiving), c.received);
        if (String(c.source) != L"README") {
            EXPECT_EQ(ReadBytes(receiving + L"\\a.txt"), "1");
            EXPECT_EQ(ReadBytes(receiving + L"\\a (3).txt"), "3");
        }
    }
}

// Only what went into the trash leaves the source: a link inside a recycled folder stays where
// it is, and what it points to stays whole, also when a folder wildcard meets the link. (Under
// Wine a host link cannot be removed through the Windows calls, so the deletion that once
// followed the move could not show its fault here; a folder wildcard that followed the link
// moved its target's content into the trash.)
TEST(RecycleDelete, LinksStayWithTheirFolder) {
    if (!UnderWine()) GTEST_SKIP() << "links are made with the host's ln";
    TempDir root;
    MakeTree(root.Path(), {L"other\\o.txt", L"tree\\src\\f.txt", L"tree\\plain\\p.txt"});
    HostLinks links(root / L"other", {root / L"tree\\src\\link", root / L"tree\\link"});
    ASSERT_TRUE(FileExists(root / L"tree\\link\\o.txt"));

    DatedControl fc;
    ASSERT_TRUE(fc.ssRecycleDelete(root / L"tree\\src\\", root / L"trash\\")) << fc.ErrorCode();
    EXPECT_TRUE(FileExists(root / L"tree\\src\\link\\o.txt"));
    EXPECT_FALSE(FileExists(root / L"tree\\src\\f.txt"));
    ASSERT_TRUE(fc.ssRecycleDelete(root / L"tree\\*\\", root / L"trash\\")) << fc.ErrorCode();
    EXPECT_FALSE(DirectoryExists(root / L"tree\\plain"));  // emptied, so removed
    EXPECT_TRUE(FileExists(root / L"tree\\link\\o.txt"));
    EXPECT_EQ(ListTree(root / L"other"), Names{L"o.txt"});
}

}  // namespace
