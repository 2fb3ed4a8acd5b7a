// The component gallery started as a user would start it.
#include <gtest/gtest.h>

#include <algorithm>

#include "TestSupport.h"

namespace {

using namespace testing_support;

struct ButtonWindow {
    String Caption;
    bool Enabled;
    bool operator==(const ButtonWindow&) const = default;
};

BOOL CALLBACK CollectChild(HWND h, LPARAM l) {
    reinterpret_cast<std::vector<HWND>*>(l)->push_back(h);
    return TRUE;
}

// The windows anywhere inside window, of the given class (all for an empty one).
std::vector<HWND> Children(HWND window, const String& className = L"") {
    std::vector<HWND> all, found;
    EnumChildWindows(window, CollectChild, LPARAM(&all));
    for (HWND h : all) {
        wchar_t cls[64];
        GetClassNameW(h, cls, 64);
        if (className.empty() || String(cls) == className) found.push_back(h);
    }
    return found;
}

// The glyph buttons anywhere inside the window.
std::vector<ButtonWindow> GlyphButtons(HWND window) {
    std::vector<ButtonWindow> buttons;
    for (HWND h : Children(window, L"TssButton")) {
        wchar_t text[256];
        GetWindowTextW(h, text, 256);
        buttons.push_back({text, IsWindowEnabled(h) != 0});
    }
    return buttons;
}

// The gallery's window once it shows, or null.
HWND ShownGallery(const ChildProcess& gallery) {
    HWND form = nullptr;
    if (!PumpUntil([&] { return (form = FindProcessWindow(gallery.Pid(), L"TfmGallery")) != nullptr; }, 30000))
        return nullptr;
    return PumpUntil([&] { return IsWindowVisible(form) != 0; }, 10000) ? form : nullptr;
}

TEST(GalleryProcess, ShowsEveryButtonKindEnabledAndDisabledAndClosesCleanly) {
    ChildProcess gallery(BinDir() + L"ssGallery.exe", L"");
    HWND form = ShownGallery(gallery);
    ASSERT_TRUE(form);

    auto buttons = GlyphButtons(form);
    for (const wchar_t* caption : {L"OK", L"ｷｬﾝｾﾙ", L"ﾍﾙﾌﾟ(&H)", L"はい(&Y)", L"いいえ(&N)", L"閉じる(&C)", L"中止(&A)",
                                   L"再試行(&R)", L"無視(&I)", L"すべて", L"プログラムの終了(&X)", L"処理終了(&Q)"}) {
        SCOPED_TRACE(Utf8(caption));
        for (bool enabled : {true, false})
            EXPECT_EQ(std::count(buttons.begin(), buttons.end(), ButtonWindow{caption, enabled}), 1) << enabled;
    }

    PostMessageW(form, WM_CLOSE, 0, 0);
    EXPECT_EQ(gallery.WaitExit(20000), 0u);
}

TEST(GalleryProcess, StartsOnThePageAskedForAndShowsTheGridThere) {
    ChildProcess gallery(BinDir() + L"ssGallery.exe", L"3");
    HWND form = ShownGallery(gallery);
    ASSERT_TRUE(form);
    std::vector<HWND> grids = Children(form, L"TssDrawGrid");
    ASSERT_EQ(grids.size(), 1u);
    EXPECT_TRUE(IsWindowVisible(grids[0]));
    PostMessageW(form, WM_CLOSE, 0, 0);
    EXPECT_EQ(gallery.WaitExit(20000), 0u);
}

// The data-grid page: the editable grid, and the smooth grid over memory and over the SQLite
// database (which shows a message instead when the driver cannot open it).
TEST(GalleryProcess, TheDataGridPageShowsTheMemoryAndDatabaseGrids) {
    ChildProcess gallery(BinDir() + L"ssGallery.exe", L"6");
    HWND form = ShownGallery(gallery);
    ASSERT_TRUE(form);
    EXPECT_EQ(Children(form, L"TssVirtualDBGrid").size(), 1u);
    std::vector<HWND> smooth = Children(form, L"TssDBGrid");
    ASSERT_EQ(smooth.size(), 2u);
    for (HWND grid : smooth) EXPECT_TRUE(IsWindowVisible(grid));
    PostMessageW(form, WM_CLOSE, 0, 0);
    EXPECT_EQ(gallery.WaitExit(20000), 0u);
}

// The save button writes the left grid to a file and reads it into the right one, says so on
// the status line, and the copy then looks the same: widths, heights, colours, fonts, lines, texts.
TEST(GalleryProcess, TheStringGridPageSavesOneGridAndLoadsItIntoTheOther) {
    ChildProcess gallery(BinDir() + L"ssGallery.exe", L"4");
    HWND form = ShownGallery(gallery);
    ASSERT_TRUE(form);
    std::vector<HWND> grids = Children(form, L"TssStringGrid");
    ASSERT_EQ(grids.size(), 2u);
    for (HWND grid : grids) EXPECT_TRUE(IsWindowVisible(grid));
    HWND save = FindWindowExW(GetParent(grids[0]), nullptr, L"TssButton", L"保存して右に読み込む");
    ASSERT_TRUE(save);
    auto reported = [&] {
        std::vector<HWND> windows = Children(form);
        return std::any_of(windows.begin(), windows.end(), [](HWND h) {
            wchar_t text[256];
            GetWindowTextW(h, text, 256);
            return String(text).find(L"に保存して読み込みました") != String::npos;
        });
    };
    EXPECT_NE(CaptureClient(grids[0]).Data, CaptureClient(grids[1]).Data);
    PostMessageW(save, BM_CLICK, 0, 0);
    EXPECT_TRUE(PumpUntil(reported, 10000));
    EXPECT_TRUE(PumpUntil([&] { return CaptureClient(grids[0]).Data == CaptureClient(grids[1]).Data; }, 10000));
    PostMessageW(form, WM_CLOSE, 0, 0);
    EXPECT_EQ(gallery.WaitExit(20000), 0u);
}

TEST(GalleryProcess, TheMessageLabelPageShowsWrappedTextWithBothBars) {
    ChildProcess gallery(BinDir() + L"ssGallery.exe", L"5");
    HWND form = ShownGallery(gallery);
    ASSERT_TRUE(form);
    std::vector<HWND> labels = Children(form, L"TssMessageLabel");
    ASSERT_EQ(labels.size(), 2u);
    for (HWND label : labels) {
        EXPECT_TRUE(IsWindowVisible(label));
        LONG_PTR style = GetWindowLongPtrW(label, GWL_STYLE);
        EXPECT_TRUE((style & WS_VSCROLL) && (style & WS_HSCROLL));
        // The message is drawn: dark text on the white label.
        ClientPixels px;
        ASSERT_TRUE(PumpUntil([&] {
            px = CaptureClient(label);
            return !px.ColumnRuns([](COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 300; }, 0,
                                  px.Width).empty() &&
                   !px.ColumnRuns([](COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) > 600; }, 0,
                                  px.Width).empty();
        }, 10000));
    }
    // The wrapped one has lines to scroll down to; the other scrolls sideways. Wine keeps a
    // window's own scroll bars inside the process that owns the window, so from here their
    // ranges cannot be read there (GetScrollInfo fails); the label's own tests check them.
    int readable = 0, down = 0, sideways = 0;
    for (HWND label : labels) {
        SCROLLINFO v{sizeof(v), SIF_ALL}, h{sizeof(h), SIF_ALL};
        if (!GetScrollInfo(label, SB_VERT, &v) || !GetScrollInfo(label, SB_HORZ, &h)) continue;
        ++readable;
        down += v.nMax + 1 > int(v.nPage);
        sideways += h.nMax + 1 > int(h.nPage);
    }
    if (readable == int(labels.size())) {
        EXPECT_GE(down, 1);
        EXPECT_EQ(sideways, 1);
    }
    PostMessageW(form, WM_CLOSE, 0, 0);
    EXPECT_EQ(gallery.WaitExit(20000), 0u);
}

}  // namespace
