// The framework's animation control and the library's choice of clip source. This program
// carries the clips 160 and 164; the test resource library beside it carries a good clip 150
// and a broken 151. Wine's shell has the common clips 150-152, 160, 161, 163 and 164 (not 162).
#include <gtest/gtest.h>

#include <functional>

#include "ClipSource.h"
#include "Forms.h"
#include "TestSupport.h"

namespace {

using namespace testing_support;

// A hidden form as the controls' parent; it owns them.
class AnimateTest : public ::testing::Test {
protected:
    template <typename T = TAnimate>
    T* NewAnimate() {
        auto* ani = new T(&form);
        ani->SetParent(&form);
        return ani;
    }
    TForm form{nullptr};
};

std::string ClipBytes(int id) {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC res = FindResourceW(self, MAKEINTRESOURCEW(id), L"AVI");
    return {static_cast<const char*>(LockResource(LoadResource(self, res))), SizeofResource(self, res)};
}

TEST_F(AnimateTest, OpensEachKindOfSource) {
    TempDir dir;
    String file = dir / L"clip.avi";
    WriteBytes(file, ClipBytes(164));
    struct Case { const char* what; std::function<void(TAnimate&)> set; int frames, width; };
    const Case cases[] = {
        {"file", [&](TAnimate& a) { a.SetFileName(file); }, 24, 304},
        {"resource number", [](TAnimate& a) { a.SetResId(160); }, 34, 272},
        {"resource name", [](TAnimate& a) { a.SetResName(L"#164"); }, 24, 304},
        {"module and number", [](TAnimate& a) { a.SetResHandle(GetModuleHandleW(nullptr)); a.SetResId(160); }, 34, 272},
        {"common clip", [](TAnimate& a) { a.SetCommonAVI(TCommonAVI::aviCopyFiles); }, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TAnimate* ani = NewAnimate();
        c.set(*ani);
        EXPECT_TRUE(ani->Open());
        EXPECT_FALSE(ani->Active());
        if (c.frames < 0) {
            EXPECT_GT(ani->FrameCount(), 0);
            continue;
        }
        EXPECT_EQ(ani->FrameCount(), c.frames);
        EXPECT_EQ(ani->FrameWidth(), c.width);
        EXPECT_EQ(ani->FrameHeight(), 60);
        EXPECT_EQ(ani->StartFrame(), 1);
        EXPECT_EQ(ani->StopFrame(), c.frames);
    }
}

TEST_F(AnimateTest, AClipThatCannotOpenRaisesAndLeavesTheControlClosed) {
    TAnimate* ani = NewAnimate();
    ani->SetResId(160);
    EXPECT_THROW(ani->SetResId(999), Exception);
    EXPECT_FALSE(ani->Open());
    EXPECT_THROW(ani->SetFileName(L"C:\\no such folder\\clip.avi"), Exception);
    EXPECT_FALSE(ani->Open());
    EXPECT_THROW(ani->SetActive(true), Exception);
    EXPECT_FALSE(ani->Active());
    // Without a parent there is no window to open a clip in; the source waits for one.
    TAnimate orphan(nullptr);
    orphan.SetResId(160);
    EXPECT_FALSE(orphan.Open());
    EXPECT_THROW(orphan.SetOpen(true), Exception);
    orphan.SetParent(&form);
    EXPECT_TRUE(orphan.Open()) << "opened with its window";
}

TEST_F(AnimateTest, WhileLoadingNothingOpensUntilReset) {
    TAnimate* ani = NewAnimate();
    ani->SetLoading(true);
    ani->SetResHandle(GetModuleHandleW(nullptr));
    ani->SetResId(164);
    EXPECT_FALSE(ani->Open());
    ani->SetLoading(false);
    ani->Reset();
    EXPECT_TRUE(ani->Open());
    EXPECT_FALSE(ani->Active());
    EXPECT_EQ(ani->FrameCount(), 24);
}

TEST_F(AnimateTest, PlaysUntilStoppedOrUntilItsCountIsDone) {
    TAnimate* ani = NewAnimate();
    ani->SetResId(160);
    ani->SetActive(true);
    EXPECT_TRUE(ani->Active());
    PumpUntil([] { return false; }, 300);
    EXPECT_TRUE(ani->Active()) << "plays on until stopped";
    ani->Stop();
    EXPECT_FALSE(ani->Active());

    ani->SetStopFrame(3);
    ani->SetRepetitions(1);
    ani->SetActive(true);
    EXPECT_TRUE(ani->Active());
    EXPECT_TRUE(PumpUntil([&] { return !ani->Active(); }, 3000)) << "three frames take 300 ms";
}

// The program carries 160 and 164, the resource library 150 and a broken 151, Wine's shell 152.
TEST_F(AnimateTest, LibraryClipsComeFromTheProgramThenTheResourceLibraryThenTheShell) {
    using A = TCommonAVI;
    struct Case { TCommonAVI value; const char* source; };
    const Case cases[] = {
        {A::aviCopyFiles, "program 160"},  {A::aviDeleteFile, "program 164"},
        {A::aviFindFolder, "library 150"}, {A::aviFindFile, "shell 151"},  // the broken clip fails over
        {A::aviFindComputer, "shell 152"}, {A::aviNone, "closed"},
    };
    auto* ani = NewAnimate<TssAnimate>();
    for (const Case& c : cases) {
        ani->SetCommonAVI(c.value);
        EXPECT_EQ(ClipSource(*ani), c.source);
        EXPECT_EQ(ani->CommonAVI(), c.value);
    }
    // A fresh control takes the same path.
    auto* other = NewAnimate<TssAnimate>();
    other->SetCommonAVI(A::aviFindFolder);
    EXPECT_EQ(ClipSource(*other), "library 150");
}

TEST_F(AnimateTest, ModuleAndNumberSwitchTogether) {
    NewAnimate<TssAnimate>()->SetCommonAVI(TCommonAVI::aviFindFolder);  // loads the resource library
    HMODULE library = GetModuleHandleW(L"KVR3SS1.DLL");
    ASSERT_NE(library, nullptr);
    auto* ani = NewAnimate<TssAnimate>();
    ani->SetResHandleId(GetModuleHandleW(nullptr), 164);
    // The library has no 164: opening the module with the old number first would fail.
    ani->SetResHandleId(library, 150);
    EXPECT_EQ(ClipSource(*ani), "library 150");
    EXPECT_FALSE(ani->Active());
    ani->SetResHandleName(GetModuleHandleW(nullptr), L"#160");
    EXPECT_TRUE(ani->Open());
    EXPECT_EQ(ani->FrameWidth(), 272);
    ani->SetResHandleId(nullptr, 0);
    EXPECT_FALSE(ani->Open());
}

// In a process of its own: before Vista the shell's clip plays although the program carries
// its own; without the resource library the shell's clip stands in for its clip.
TEST(LibraryAnimate, ShellClipsBeforeVistaAndWithoutTheResourceLibrary) {
    TempDir alone;
    String lonely = alone / L"animprobe.exe";
    ASSERT_TRUE(CopyFileW((BinDir() + L"animprobe.exe").c_str(), lonely.c_str(), FALSE));
    const String probe = BinDir() + L"animprobe.exe";
    struct Case { String exe; const wchar_t* version; const wchar_t* value; const char* source; };
    const Case cases[] = {
        {probe, L"winxp", L"4", "shell 160"},
        {probe, L"winxp", L"8", "shell 164"},
        {probe, L"win7", L"4", "program 160"},
        {probe, L"win7", L"1", "library 150"},
        {lonely, L"win7", L"1", "shell 150"},
    };
    for (const Case& c : cases) {
        WineVersionFor version(L"animprobe.exe", c.version);
        EXPECT_EQ(CaptureOutput(c.exe, c.value), c.source) << Utf8(c.version) << " " << Utf8(c.value);
    }
}

}  // namespace
