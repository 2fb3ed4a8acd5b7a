#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "Forms.h"
#include "TestSupport.h"

namespace {

// A control that asks for a vertical scroll bar and, with Ctl3D, a sunken edge; a change of
// Ctl3D makes its window again, as the grids do. Scroll commands are recorded.
class TScroller : public TCustomControl {
    SS_CLASS(TScroller, TCustomControl)
public:
    explicit TScroller(TComponent* AOwner) : TCustomControl(AOwner) { FTabStop = true; }
    struct Command {
        int Bar, Code, Pos;
    };
    std::vector<Command> Commands;
    int Ctl3DChanges = 0;

protected:
    void CreateParams(TCreateParams& p) override {
        TCustomControl::CreateParams(p);
        p.Style |= WS_VSCROLL | WS_HSCROLL;
        if (Ctl3D()) p.ExStyle |= WS_EX_CLIENTEDGE;
    }
    void Ctl3DChanged() override {
        ++Ctl3DChanges;
        RecreateWnd();
    }
    void ScrollCommand(int Bar, int Code, int Pos) override { Commands.push_back({Bar, Code, Pos}); }
};

// A system edit: it keeps the font it is given, so WM_GETFONT shows what its window was told.
class TEditBox : public TWinControl {
    SS_CLASS(TEditBox, TWinControl)
public:
    explicit TEditBox(TComponent* AOwner) : TWinControl(AOwner) { FTabStop = true; }

protected:
    void CreateParams(TCreateParams& p) override {
        TWinControl::CreateParams(p);
        p.SysClass = L"EDIT";
    }
};

TEST(RecreateWnd, ANewWindowFromNewParamsKeepsStateChildrenTabOrderAndFocus) {
    TForm form(Application);
    auto* first = new TScroller(&form);
    first->SetParent(&form);
    first->SetBounds(5, 5, 100, 80);
    auto* scroller = new TScroller(&form);
    scroller->SetParent(&form);
    scroller->SetBounds(120, 10, 150, 90);
    scroller->SetCaption(L"表");
    scroller->Font()->SetHeight(-15);
    auto* inner = new TEditBox(&form);
    inner->SetParent(scroller);
    inner->Font()->SetHeight(-17);
    inner->SetBounds(4, 4, 40, 30);
    auto* last = new TScroller(&form);
    last->SetParent(&form);
    last->SetBounds(5, 100, 50, 50);
    int enters = 0, exits = 0;
    for (TWinControl* c : {static_cast<TWinControl*>(first), static_cast<TWinControl*>(scroller),
                           static_cast<TWinControl*>(inner)}) {
        c->OnEnter = [&](TObject*) { ++enters; };
        c->OnExit = [&](TObject*) { ++exits; };
    }
    form.Show();
    inner->SetFocus();
    enters = exits = 0;
    HWND oldHandle = scroller->Handle(), oldInner = inner->Handle();
    ASSERT_TRUE(GetWindowLongPtrW(oldHandle, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);

    scroller->SetCtl3D(false);
    scroller->SetCtl3D(false);
    EXPECT_EQ(scroller->Ctl3DChanges, 1);
    HWND h = scroller->Handle();
    EXPECT_FALSE(IsWindow(oldHandle));
    EXPECT_FALSE(IsWindow(oldInner));
    EXPECT_FALSE(GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(IsWindowVisible(h));
    RECT r;
    GetWindowRect(h, &r);
    MapWindowPoints(HWND_DESKTOP, form.Handle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 120);
    EXPECT_EQ(r.top, 10);
    EXPECT_EQ(r.right - r.left, 150);
    wchar_t text[8] = {};
    GetWindowTextW(h, text, 8);
    EXPECT_EQ(String(text), L"表");
    ASSERT_TRUE(inner->HandleAllocated());
    EXPECT_EQ(HFONT(SendMessageW(inner->Handle(), WM_GETFONT, 0, 0)), inner->Font()->Handle());
    EXPECT_EQ(GetParent(inner->Handle()), h);
    EXPECT_EQ(GetFocus(), inner->Handle());
    EXPECT_EQ(form.ActiveControl(), inner);
    EXPECT_EQ(enters + exits, 0) << "re-creation moves no focus level";
    // Tab order is the windows' z-order: the new window keeps its place among its siblings.
    EXPECT_EQ(GetWindow(first->Handle(), GW_HWNDNEXT), h);
    EXPECT_EQ(GetWindow(h, GW_HWNDNEXT), last->Handle());
}

TEST(ScrollBars, RangeAndPositionOfTheOwnBarsAndThe32BitThumb) {
    TForm form(Application);
    auto* s = new TScroller(&form);
    s->SetParent(&form);
    s->SetBounds(0, 0, 200, 150);
    form.Show();
    s->SetScrollRange(SB_VERT, 0, 100000);
    s->SetScrollPos(SB_VERT, 70000);
    int min = -1, max = -1;
    s->ScrollRange(SB_VERT, min, max);
    EXPECT_EQ(min, 0);
    EXPECT_EQ(max, 100000);
    EXPECT_EQ(s->ScrollPos(SB_VERT), 70000);
    EXPECT_TRUE(GetWindowLongPtrW(s->Handle(), GWL_STYLE) & WS_VSCROLL);
    s->SetScrollRange(SB_HORZ, 0, 0);
    EXPECT_FALSE(GetWindowLongPtrW(s->Handle(), GWL_STYLE) & WS_HSCROLL) << "an empty range hides the bar";

    // The message carries only the low 16 bits of 70000. Outside a drag the track position is
    // the thumb position (so under Wine; Windows documents it only for a drag in progress).
    SendMessageW(s->Handle(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 70000 & 0xFFFF), 0);
    SendMessageW(s->Handle(), WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    SendMessageW(s->Handle(), WM_HSCROLL, MAKEWPARAM(SB_PAGEUP, 0), 0);
    // A scroll-bar child's notification names the child: not a command of the own bars.
    HWND child = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | SBS_VERT, 0, 0, 16, 80, s->Handle(), nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    SendMessageW(s->Handle(), WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), LPARAM(child));
    ASSERT_EQ(s->Commands.size(), 3u);
    EXPECT_EQ(s->Commands[0].Bar, SB_VERT);
    EXPECT_EQ(s->Commands[0].Code, SB_THUMBPOSITION);
    EXPECT_EQ(s->Commands[0].Pos, 70000);
    EXPECT_EQ(s->Commands[1].Code, SB_LINEDOWN);
    EXPECT_EQ(s->Commands[2].Bar, SB_HORZ);
    EXPECT_EQ(s->Commands[2].Code, SB_PAGEUP);
}

TEST(ScrollBars, ScrollClientInvalidatesOnlyWhatItUncovers) {
    TForm form(Application);
    auto* s = new TScroller(&form);
    s->SetParent(&form);
    s->SetCtl3D(false);
    s->SetBounds(0, 0, 200, 150);
    form.Show();
    Application->ProcessMessages();
    ValidateRect(s->Handle(), nullptr);
    RECT band{0, 20, 100, 80};
    s->ScrollClient(0, -10, &band, false);
    RECT update;
    ASSERT_TRUE(GetUpdateRect(s->Handle(), &update, FALSE));
    EXPECT_EQ(update.left, 0);
    EXPECT_EQ(update.top, 70);
    EXPECT_EQ(update.right, 100);
    EXPECT_EQ(update.bottom, 80);
}

TEST(MouseWheel, EventsInOrderAndAnUnusedWheelGoesToTheParent) {
    TForm form(Application);
    auto* panel = new TWinControl(&form);
    panel->SetParent(&form);
    panel->SetBounds(0, 0, 200, 150);
    auto* s = new TScroller(&form);
    s->SetParent(panel);
    s->SetBounds(10, 10, 100, 100);
    form.Show();
    std::vector<String> log;
    bool wheelHandles = false;
    POINT seen{};
    TShiftState shift;
    s->OnMouseWheel = [&](TObject*, TShiftState sh, int delta, POINT pt, bool& handled) {
        log.push_back(L"wheel " + IntToStr(delta));
        seen = pt;
        shift = sh;
        handled = wheelHandles;
    };
    s->OnMouseWheelDown = [&](TObject*, TShiftState, POINT, bool& handled) {
        log.push_back(L"down");
        handled = true;
    };
    s->OnMouseWheelUp = [&](TObject*, TShiftState, POINT, bool&) { log.push_back(L"up"); };
    panel->OnMouseWheel = [&](TObject*, TShiftState, int, POINT, bool& handled) {
        log.push_back(L"panel");
        handled = true;
    };
    auto wheel = [&](int delta) {
        SendMessageW(s->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL | MK_LBUTTON, delta), MAKELPARAM(300, 400));
    };
    wheel(-120);  // down claims it
    wheel(120);   // up leaves it: on to the parent
    wheelHandles = true;
    wheel(-120);  // the wheel event claims it: no down
    EXPECT_EQ(log, (std::vector<String>{L"wheel -120", L"down", L"wheel 120", L"up", L"panel", L"wheel -120"}));
    EXPECT_EQ(seen.x, 300);
    EXPECT_EQ(seen.y, 400);
    EXPECT_TRUE(shift.Contains(TShiftStateItem::ssCtrl));
    EXPECT_TRUE(shift.Contains(TShiftStateItem::ssLeft));
    EXPECT_FALSE(shift.Contains(TShiftStateItem::ssShift));
}

TEST(ShiftState, MouseFlagsBecomeShiftItems) {
    struct Case {
        WPARAM keys;
        TShiftState expected;
    };
    using I = TShiftStateItem;
    const Case cases[] = {
        {0, {}},
        {MK_SHIFT | MK_RBUTTON, {I::ssShift, I::ssRight}},
        {MK_CONTROL | MK_MBUTTON | MK_LBUTTON, {I::ssCtrl, I::ssMiddle, I::ssLeft}},
    };
    for (const Case& k : cases) EXPECT_EQ(MouseShiftState(k.keys).Mask(), k.expected.Mask()) << "keys " << k.keys;
}

}  // namespace
