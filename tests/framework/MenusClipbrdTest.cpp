// String-list change notifications, menu shortcuts and the clipboard's text.
#include <gtest/gtest.h>

#include "Clipbrd.h"
#include "Menus.h"

namespace {

TEST(StringListChanges, OnChangeWaitsForTheOutermostEndUpdate) {
    TStringList list;
    int changing = 0, changed = 0;
    list.OnChanging = [&](TObject*) { ++changing; };
    list.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &list);
        ++changed;
    };
    list.Add(L"a");
    list.Insert(0, L"b");
    list.Put(1, L"c");
    list.Delete(0);
    list.Clear();
    list.Clear();  // nothing to clear: no change
    EXPECT_EQ(changed, 5);
    EXPECT_EQ(changing, 5);

    changed = 0;
    list.BeginUpdate();
    list.BeginUpdate();
    list.Add(L"x");
    list.SetText(L"1\r\n2");
    list.EndUpdate();
    EXPECT_EQ(changed, 0);
    list.EndUpdate();
    list.EndUpdate();  // unbalanced: ignored
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(list.UpdateCount(), 0);
}

TEST(StringListChanges, AssignCopiesTheLinesAsOneChange) {
    TStringList src, dst;
    src.SetText(L"一\r\n二\r\n三");
    dst.Add(L"old");
    int changed = 0;
    dst.OnChange = [&](TObject*) { ++changed; };
    dst.Assign(&src);
    EXPECT_EQ(dst.Text(), L"一\r\n二\r\n三\r\n");
    EXPECT_EQ(changed, 1);
    TComponent notStrings(nullptr);
    EXPECT_THROW(dst.Assign(&notStrings), EConvertError);
}

TEST(Menus, ShortCutsReadAsTheMenuShowsThem) {
    struct Case { TShortCut value; const wchar_t* text; };
    for (Case c : {Case{scCtrl | 'C', L"Ctrl+C"}, Case{scCtrl | 'A', L"Ctrl+A"}, Case{TShortCut(VK_F2), L"F2"},
                   Case{scShift | scCtrl | '1', L"Shift+Ctrl+1"}, Case{0, L""}})
        EXPECT_EQ(ShortCutToText(c.value), c.text);
    TShiftState ctrl;
    ctrl.Include(TShiftStateItem::ssCtrl);
    EXPECT_EQ(ShortCut('C', ctrl), scCtrl | 'C');
}

TEST(Menus, AShortCutClicksItsEnabledItemOnly) {
    TPopupMenu menu(nullptr);
    int copies = 0, popups = 0;
    TMenuItem* copy = menu.Add(L"コピー", scCtrl | 'C');
    copy->OnClick = [&](TObject*) { ++copies; };
    menu.OnPopup = [&](TObject*) { ++popups; };
    TShiftState ctrl;
    ctrl.Include(TShiftStateItem::ssCtrl);
    EXPECT_TRUE(menu.IsShortCut('C', ctrl));
    EXPECT_FALSE(menu.IsShortCut('C', TShiftState()));
    EXPECT_FALSE(menu.IsShortCut('V', ctrl));
    copy->SetEnabled(false);
    EXPECT_FALSE(menu.IsShortCut('C', ctrl));
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(popups, 2);  // the items' states are asked for before a matching shortcut
}

TEST(ClipboardText, RoundTripsUnicodeText) {
    const String text = String(L"メッセージ\r\n") + wchar_t(0xD842) + wchar_t(0xDFB7) + L"\tend";
    Clipboard()->SetAsText(text);
    EXPECT_TRUE(Clipboard()->HasText());
    EXPECT_EQ(Clipboard()->AsText(), text);
    Clipboard()->SetAsText(L"");
    EXPECT_EQ(Clipboard()->AsText(), L"");
}

}  // namespace
