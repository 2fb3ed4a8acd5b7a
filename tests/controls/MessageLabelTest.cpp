// The message label on real windows: wrapping against the plain measure, the caret and the
// selection by keyboard and mouse, copying, scrolling and what it draws.
#include <gtest/gtest.h>

#include "Clipbrd.h"
#include "ControlsFixture.h"
#include "ssMsgLbl.h"
#include "ssRect.h"

using namespace controls_test;
using testing_support::Utf8;

namespace {

constexpr const wchar_t* kGothic = L"ＭＳ ゴシック";
constexpr const wchar_t* kPGothic = L"ＭＳ Ｐゴシック";
const String kYoshi{wchar_t(0xD842), wchar_t(0xDFB7)};  // 𠮷, beyond the basic plane

TssMessageLabel* NewLabel(TForm* form, const String& face = kGothic, int height = -12) {
    auto* l = new TssMessageLabel(form);
    l->SetParent(form);
    l->Font()->SetName(face);
    l->Font()->SetHeight(height);
    l->Font()->SetColor(clBlack);
    l->SetBounds(10, 10, 100, 100);  // the clip rectangle: 5 to 95 both ways
    l->EndUpdate();
    form->Show();  // the label can take the focus
    return l;
}

// The breaks as measured prefix by prefix: without pitch the longest prefix whose text extent
// is within the width, with pitch each character alone against a strict running total; at
// least one character per line. Units, not characters: the reference knows nothing of pairs.
std::vector<String> PlainWrap(const String& face, int height, const String& text, int width, int pitch) {
    TFont font;
    font.SetName(face);
    font.SetHeight(height);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font.Handle());
    auto extent = [&](const wchar_t* s, int n) {
        SIZE size{};
        GetTextExtentPoint32W(dc, s, n, &size);
        return int(size.cx);
    };
    std::vector<String> lines;
    for (std::size_t at = 0; at < text.size();) {
        const wchar_t* rest = text.c_str() + at;
        int len = int(text.size() - at), n = 0;
        if (pitch == 0) {
            for (n = len; n > 0 && extent(rest, n) > width; --n) {
            }
        } else {
            for (int total = 0; n < len && total + extent(rest + n, 1) < width; ++n) total += extent(rest + n, 1) + pitch;
        }
        n = std::max(n, 1);
        lines.push_back(text.substr(at, std::size_t(n)));
        at += std::size_t(n);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    return lines;
}

std::vector<String> ViewLines(TssMessageLabel* l) {
    std::vector<String> lines;
    for (int i = 0; i < l->ViewLineCount(); ++i) lines.push_back(l->ViewLine(i));
    return lines;
}

TEST(SsMessageLabel, BreaksEqualThePlainPrefixMeasure) {
    ShownForm f;
    const String japanese = String(100, L'あ');
    const String mixed = L"エラー番号 1234: ファイル\"C:\\Data\\ctrlDate2.KVR\"を開けませんでした。iiiWWW mmm ll "
                         L"管理者に連絡してください。";
    struct Case { const wchar_t* face; String text; int pitch; int right; };
    const Case cases[] = {
        {kGothic, japanese, 0, 95},  // 100 full-width characters in 90 pixels
        {kGothic, japanese, 2, 95},  {kPGothic, mixed, 0, 95}, {kPGothic, mixed, 3, 95},
        {kPGothic, mixed, 0, 200},   {kGothic, mixed, 1, 61},
    };
    for (const Case& c : cases) {
        TssMessageLabel* l = NewLabel(f.Form, c.face);
        l->SetBounds(10, 10, 220, 100);
        l->ClipRect()->SetRight(c.right);
        l->SetPitch(c.pitch);
        l->Lines()->SetText(c.text);
        auto expected = PlainWrap(c.face, -12, c.text, c.right - 5, c.pitch);
        EXPECT_EQ(ViewLines(l), expected) << Utf8(c.face) << " pitch " << c.pitch << " right " << c.right;
        EXPECT_GT(expected.size(), 1u);
        delete l;
    }
}

TEST(SsMessageLabel, ASurrogatePairStaysWholeInWrappingCaretAndSelection) {
    ShownForm f;
    TssMessageLabel* l = NewLabel(f.Form);
    String text;
    for (int i = 0; i < 30; ++i) text += L"あ" + kYoshi;
    l->Lines()->SetText(text);
    String joined;
    for (const String& s : ViewLines(l)) {
        ASSERT_FALSE(s.empty());
        EXPECT_FALSE(s.back() >= 0xD800 && s.back() <= 0xDBFF) << "a view line ends inside a pair";
        joined += s;
    }
    EXPECT_EQ(joined, text);

    l->SetFocus();
    auto key = [&](WORD vk) { SendMessageW(l->Handle(), WM_KEYDOWN, vk, 0); };
    key(VK_RIGHT);
    key(VK_RIGHT);
    EXPECT_EQ(l->CaretPosition().x, 3);  // over あ, then over both halves of the pair
    key(VK_LEFT);
    EXPECT_EQ(l->CaretPosition().x, 1);
    // A click in the middle of the pair's cell never lands between its halves.
    for (int x = 5; x < 95; ++x) {
        SendMessageW(l->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 8));
        SendMessageW(l->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, 8));
        String s = l->ViewLine(0);
        int cx = l->CaretPosition().x;
        ASSERT_FALSE(cx > 0 && cx < int(s.size()) && s[cx] >= 0xDC00 && s[cx] <= 0xDFFF) << x;
    }
    delete l;
}

// Keys with modifiers, as the keyboard state has them while the message is handled.
void Press(TssMessageLabel* l, WORD vk, bool shift = false, bool ctrl = false) {
    BYTE state[256]{}, saved[256]{};
    GetKeyboardState(saved);
    std::copy(std::begin(saved), std::end(saved), state);
    state[VK_SHIFT] = shift ? 0x80 : 0;
    state[VK_CONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(state);
    SendMessageW(l->Handle(), WM_KEYDOWN, vk, 0);
    SetKeyboardState(saved);
}

struct Stroke {
    WORD vk;
    bool shift = false, ctrl = false;
};

TEST(SsMessageLabel, KeysMoveTheCaretAndShiftSelects) {
    ShownForm f;
    TssMessageLabel* l = NewLabel(f.Form);
    // Source lines of 5, 3 and 12 characters; the last wraps after 7 into two view lines.
    l->Lines()->SetText(L"あいうえお\r\nかきく\r\nさしすせそたちつてとなに");
    ASSERT_EQ(l->ViewLineCount(), 4);
    l->SetFocus();
    struct Case { std::vector<Stroke> keys; POINT caret, selStart; };
    const Case cases[] = {
        {{{VK_RIGHT}}, {1, 0}, {1, 0}},
        {{{VK_END}, {VK_RIGHT}}, {5, 0}, {5, 0}},  // no wrap to the next line
        {{{VK_DOWN}, {VK_LEFT}}, {0, 1}, {0, 1}},
        {{{VK_END}, {VK_DOWN}}, {3, 1}, {3, 1}},    // clamped to the shorter line
        {{{VK_DOWN}, {VK_END}, {VK_HOME}}, {0, 1}, {0, 1}},
        {{{VK_RIGHT}, {VK_RIGHT, true}, {VK_RIGHT, true}}, {3, 0}, {1, 0}},
        {{{VK_END}, {VK_DOWN, true}}, {3, 1}, {5, 0}},
        {{{VK_END, false, true}}, {5, 3}, {5, 3}},
        {{{VK_END, false, true}, {VK_HOME, false, true}}, {0, 0}, {0, 0}},
        {{{VK_RIGHT}, {VK_RIGHT, false, true}, {VK_DOWN, true, true}}, {1, 0}, {1, 0}},  // nothing
        {{{VK_NEXT}}, {0, 3}, {0, 3}},
        {{{VK_NEXT}, {VK_PRIOR, true}}, {0, 0}, {0, 3}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        Press(l, VK_HOME, false, true);
        for (Stroke s : cases[i].keys) Press(l, s.vk, s.shift, s.ctrl);
        EXPECT_TRUE(l->CaretPosition().x == cases[i].caret.x && l->CaretPosition().y == cases[i].caret.y &&
                    l->SelStart().x == cases[i].selStart.x && l->SelStart().y == cases[i].selStart.y &&
                    l->SelEnd().x == cases[i].caret.x && l->SelEnd().y == cases[i].caret.y)
            << "case " << i << ": caret " << l->CaretPosition().x << "," << l->CaretPosition().y << " start "
            << l->SelStart().x << "," << l->SelStart().y;
    }
    // Without CanSelect, Shift moves nothing and Ctrl+A selects nothing.
    l->SetCanSelect(false);
    Press(l, VK_HOME, false, true);
    Press(l, VK_RIGHT, true);
    Press(l, 'A', false, true);
    EXPECT_EQ(l->SelText(), L"");
    EXPECT_EQ(l->CaretPosition().x, 0);
    delete l;
}

TEST(SsMessageLabel, SelTextJoinsViewLinesWithCrLfAndCtrlCCopiesIt) {
    ShownForm f;
    TssMessageLabel* l = NewLabel(f.Form);
    l->Lines()->SetText(String(100, L'あ') + L"\r\n\r\nおわり");
    l->SetFocus();
    Press(l, VK_RIGHT);
    Press(l, VK_RIGHT);
    Press(l, VK_DOWN, true);
    const String line0 = l->ViewLine(0);
    EXPECT_EQ(l->SelText(), line0.substr(2) + L"\r\n" + l->ViewLine(1).substr(0, 2));

    Clipboard()->SetAsText(L"前の内容");
    Press(l, 'A', false, true);
    String all = l->SelText();
    EXPECT_EQ(std::count(all.begin(), all.end(), L'\n'), l->ViewLineCount() - 1);
    EXPECT_EQ(all.substr(all.size() - 7), L"\r\n\r\nおわり");  // the empty line stays a line
    Press(l, 'C', false, true);
    EXPECT_EQ(Clipboard()->AsText(), all);
    Press(l, VK_HOME, false, true);
    Press(l, 'C', false, true);  // nothing selected: the clipboard keeps its text
    EXPECT_EQ(Clipboard()->AsText(), all);
    delete l;
}

TEST(SsMessageLabel, DraggingBelowTheClipSelectsAndScrollsLineByLine) {
    ShownForm f;
    TssMessageLabel* l = NewLabel(f.Form);
    l->SetScrollBar(TScrollStyle::ssVertical);
    String text;
    for (int i = 0; i < 20; ++i) text += L"行" + IntToStr(i) + L"\r\n";
    l->Lines()->SetText(text);
    const int page = l->ViewCount();
    ASSERT_GT(page, 2);
    HWND h = l->Handle();
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(6, 6));
    EXPECT_TRUE(l->Focused());
    for (int i = 0; i < page + 3; ++i) SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 97));
    SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(40, 97));
    EXPECT_EQ(l->CaretPosition().y, page + 3);
    EXPECT_EQ(l->SelStart().y, 0);
    EXPECT_EQ(l->ViewLineStart(), 4);  // the caret's line is the last shown
    EXPECT_EQ(GetScrollPos(h, SB_VERT), 4);
    EXPECT_EQ(l->SelText().substr(0, 3), L"行0\r");

    SendMessageW(h, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    EXPECT_EQ(l->ViewLineStart(), 5);
    l->SetViewLineStart(1000);  // stops at the last full page
    EXPECT_EQ(l->ViewLineStart(), l->ViewLineCount() - page);
    delete l;
}

// Share of dark pixels in a column of rows [y0, y1).
double DarkShare(const testing_support::ClientPixels& px, int x, int y0, int y1) {
    int dark = 0;
    for (int y = y0; y < y1; ++y) dark += Dark(px.At(x, y));
    return double(dark) / (y1 - y0);
}

TEST(SsMessageLabel, TheSelectionIsDrawnInvertedOverItsCharactersOnly) {
    ShownForm f;
    TssMessageLabel* l = NewLabel(f.Form);
    l->SetLineSpacing(6);
    l->Lines()->SetText(L"あいうえお");
    TFont font;
    font.SetName(kGothic);
    font.SetHeight(-12);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font.Handle());
    SIZE one{};
    GetTextExtentPoint32W(dc, L"あ", 1, &one);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    DeleteDC(dc);
    const int top = 5, bottom = 5 + tm.tmHeight + tm.tmExternalLeading + 6;

    auto before = f.Capture(l);
    EXPECT_LT(DarkShare(before, 5 + one.cx + one.cx / 2, top, bottom), 0.5);
    l->SetFocus();
    Press(l, VK_RIGHT);
    Press(l, VK_RIGHT, true);
    Press(l, VK_RIGHT, true);
    auto px = f.Capture(l);
    for (int c : {1, 2}) EXPECT_GT(DarkShare(px, 5 + c * one.cx + one.cx / 2, top, bottom), 0.5) << c;
    for (int c : {0, 3}) EXPECT_LT(DarkShare(px, 5 + c * one.cx + one.cx / 2, top, bottom), 0.5) << c;
    EXPECT_LT(DarkShare(px, 5 + one.cx + one.cx / 2, bottom, 95), 0.01);  // the next line is empty
    EXPECT_EQ(px.At(2, 50), RGB(255, 255, 255));                          // the margin in the colour
    delete l;
}

TEST(SsMessageLabel, ALongLineScrollsByPixelsInAPictureOfTheClipSize) {
    ShownForm f;
    TssMessageLabel* l = NewLabel(f.Form);
    l->SetScrollBar(TScrollStyle::ssBoth);
    l->SetWordWrap(false);
    l->ClipRect()->SetRect(RECT{5, 5, 75, 75});  // inside the client area the bars leave
    l->Lines()->SetText(String(100000, L'あ'));
    HWND h = l->Handle();
    const int cw = 70;
    EXPECT_EQ(l->Picture()->Width(), cw);  // not the line's width
    EXPECT_GT(l->MaxWidth(), 100000);
    SCROLLINFO si{sizeof(si), SIF_ALL};
    GetScrollInfo(h, SB_HORZ, &si);
    EXPECT_EQ(si.nMax, l->MaxWidth() - 1);
    EXPECT_EQ(si.nPage, UINT(cw));
    SendMessageW(h, WM_HSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
    EXPECT_EQ(l->HorzPosition(), l->MaxWidth() - cw);
    auto px = f.Capture(l);
    EXPECT_FALSE(px.ColumnRuns(Dark, 5, 5 + cw, 5, 20).empty()) << "the end of the line is drawn";
    SendMessageW(h, WM_HSCROLL, MAKEWPARAM(SB_LINEUP, 0), 0);
    EXPECT_LT(l->HorzPosition(), l->MaxWidth() - cw);

    // Wrapping resets both positions and leaves nothing to scroll sideways.
    l->SetWordWrap(true);
    EXPECT_EQ(l->HorzPosition(), 0);
    EXPECT_EQ(l->ViewLineStart(), 0);
    GetScrollInfo(h, SB_HORZ, &si);
    EXPECT_EQ(si.nMax, 0);
    SendMessageW(h, WM_HSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
    EXPECT_EQ(l->HorzPosition(), 0);
    delete l;
}

TEST(SsMessageLabel, TheClipRectangleStaysInsideTheClientAndNeverInverts) {
    ShownForm f;
    TssMessageLabel* l = NewLabel(f.Form);
    l->Lines()->SetText(L"あいう" + kYoshi + L"え");
    RECT client;
    GetClientRect(l->Handle(), &client);
    l->ClipRect()->SetRight(500);
    EXPECT_EQ(l->ClipRect()->Right(), client.right);
    l->ClipRect()->SetBottom(-3);
    EXPECT_EQ(l->ClipRect()->Bottom(), 0);
    // Narrower than any character, or crossed: one character per view line, nothing drawn outside.
    for (RECT r : {RECT{5, 5, 9, 95}, RECT{60, 5, 40, 95}}) {
        l->ClipRect()->SetRect(r);
        EXPECT_EQ(ViewLines(l), (std::vector<String>{L"あ", L"い", L"う", kYoshi, L"え"}));
        EXPECT_GE(l->Picture()->Width(), 1);
        f.Capture(l);
    }
    delete l;
}

TEST(SsMessageLabel, ALabelMadeInCodeShowsItsTextAfterEndUpdate) {
    ShownForm f;
    auto* l = new TssMessageLabel(f.Form);
    l->SetParent(f.Form);
    l->Lines()->Add(L"一行目");
    EXPECT_EQ(l->ViewLineCount(), 0);
    l->EndUpdate();
    EXPECT_EQ(l->ViewLineCount(), 1);
    testing_support::TempDir dir;
    testing_support::WriteBytes(dir / L"msg.txt", "first\r\nsecond\r\n");
    l->Lines()->LoadFromFile(dir / L"msg.txt");
    EXPECT_EQ(ViewLines(l), (std::vector<String>{L"first", L"second"}));
    EXPECT_THROW(TssClipRect(nullptr), EssMsgLblOwner);
    delete l;
}

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) { EndMenu(); }

TEST(SsMessageLabel, TheContextMenuEnablesCopyOnlyForASelection) {
    ShownForm f;
    TssMessageLabel* l = NewLabel(f.Form);
    l->Lines()->SetText(L"あいう");
    std::vector<String> seen;
    auto open = [&] {
        testing_support::WindowProbe probe(L"#32768", [&](HWND menuWnd) {
            HMENU m = HMENU(SendMessageW(menuWnd, MN_GETHMENU, 0, 0));
            for (int i = 0; i < GetMenuItemCount(m); ++i) {
                wchar_t text[64]{};
                GetMenuStringW(m, UINT(i), text, 64, MF_BYPOSITION);
                bool grayed = GetMenuState(m, UINT(i), MF_BYPOSITION) & MF_GRAYED;
                seen.push_back(String(text) + (grayed ? L" (off)" : L""));
            }
            EndMenu();
        });
        // Should the probe miss the menu, it still closes.
        UINT_PTR guard = SetTimer(nullptr, 0, 5000, CloseMenu);
        SendMessageW(l->Handle(), WM_CONTEXTMENU, WPARAM(l->Handle()), MAKELPARAM(20, 20));
        KillTimer(nullptr, guard);
    };
    open();
    l->SetFocus();
    Press(l, VK_RIGHT, true);
    open();
    EXPECT_EQ(seen, (std::vector<String>{L"コピー\tCtrl+C (off)", L"すべて選択\tCtrl+A", L"コピー\tCtrl+C",
                                         L"すべて選択\tCtrl+A"}));
    delete l;
}

TEST(SsRect, EdgesMoveTogetherAndOnlySetSizeTakesOtherRectangles) {
    TssRect r(10, 20, 110, 70);
    EXPECT_EQ(r.Width(), 100);
    EXPECT_EQ(r.Height(), 50);
    r.Move(0, 0);
    EXPECT_TRUE(r.Left() == 0 && r.Top() == 0 && r.Right() == 100 && r.Bottom() == 50);
    r.Grow(5, -10);
    r.SetWidth(30);
    EXPECT_TRUE(r.Right() == 30 && r.Bottom() == 40);
    TssRect copy(RECT{});
    copy.Assign(&r);
    EXPECT_TRUE(copy.Right() == 30 && copy.Bottom() == 40);
    TStringList other;
    copy.Assign(&other);  // ignored
    EXPECT_EQ(copy.Right(), 30);
}

}  // namespace
