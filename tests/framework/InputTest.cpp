// Mouse and keyboard messages reach a control's handlers and events; the edit control.
#include <gtest/gtest.h>

#include <vector>

#include "Forms.h"
#include "StdCtrls.h"
#include "TestSupport.h"

namespace {

class TPad : public TCustomControl {
    SS_CLASS(TPad, TCustomControl)
public:
    explicit TPad(TComponent* AOwner) : TCustomControl(AOwner) { FCaptureOnPress = true; }
    std::vector<String> Log;

protected:
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override {
        Log.push_back(Format(L"down %d %d,%d%s", {(long long)Button, (long long)X, (long long)Y,
                                                   String(Shift.Contains(TShiftStateItem::ssDouble) ? L" double" : L"")}));
        TCustomControl::MouseDown(Button, Shift, X, Y);
    }
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override {
        Log.push_back(Format(L"up %d", {(long long)Button}));
    }
    void DblClick() override { Log.push_back(L"dblclick"); }
};

TEST(Input, MouseMessagesReachTheHandlersAndCaptureFollowsTheLeftButton) {
    TForm form(Application);
    auto* pad = new TPad(&form);
    pad->SetParent(&form);
    pad->SetBounds(0, 0, 100, 100);
    form.Show();
    HWND h = pad->Handle();
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
    EXPECT_TRUE(pad->MouseCapture());
    SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
    EXPECT_FALSE(pad->MouseCapture());
    SendMessageW(h, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(7, 8));
    SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(7, 8));
    SendMessageW(h, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(1, 2));
    EXPECT_FALSE(pad->MouseCapture());  // only the left button captures
    EXPECT_EQ(pad->Log, (std::vector<String>{L"down 0 5,6", L"up 0", L"dblclick", L"down 0 7,8 double", L"up 0",
                                             L"down 1 1,2"}));
}

TEST(Input, KeyHandlersSeeAndCanSwallowKeys) {
    TForm form(Application);
    auto* edit = new TCustomEdit(&form);
    edit->SetParent(&form);
    form.Show();
    std::vector<String> changes;
    edit->OnChange = [&](TObject*) { changes.push_back(edit->Text()); };
    edit->OnKeyPress = [](TObject*, wchar_t& key) {
        if (key == L'x') key = 0;  // refused
        else if (key == L'a') key = L'A';
    };
    WORD seenKey = 0;
    edit->OnKeyDown = [&](TObject*, WORD& key, TShiftState) { seenKey = key; };
    HWND h = edit->Handle();
    for (wchar_t c : String(L"axb")) SendMessageW(h, WM_CHAR, c, 0);
    EXPECT_EQ(edit->Text(), L"Ab");
    EXPECT_EQ(changes, (std::vector<String>{L"A", L"Ab"}));
    SendMessageW(h, WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_EQ(seenKey, VK_LEFT);
    EXPECT_EQ(edit->SelStart(), 1);

    edit->SetMaxLength(3);
    edit->SelectAll();
    EXPECT_EQ(edit->SelText(), L"Ab");
    edit->SetReadOnly(true);
    SendMessageW(h, WM_CHAR, L'q', 0);
    EXPECT_EQ(edit->Text(), L"Ab");
    // A re-made window keeps the text.
    edit->SetBorderStyle(TBorderStyle::bsNone);
    EXPECT_EQ(edit->Text(), L"Ab");
}

}  // namespace
