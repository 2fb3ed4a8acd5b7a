// The masked edit on a real window, driven by key and clipboard messages.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "Forms.h"
#include "Mask.h"

namespace {

class MaskEdit : public ::testing::Test {
protected:
    void SetUp() override {
        Form = std::make_unique<TForm>(Application);
        Edit = new TCustomMaskEdit(Form.get());
        Edit->SetParent(Form.get());
        Form->Show();
        Edit->OnChange = [this](TObject*) { Changes.push_back(Edit->Text()); };
    }
    HWND H() { return Edit->Handle(); }
    void Type(const String& chars) {
        for (wchar_t c : chars) SendMessageW(H(), WM_CHAR, c, 0);
    }
    void Press(WORD key) {
        SendMessageW(H(), WM_KEYDOWN, key, 0);
        if (key == VK_BACK) SendMessageW(H(), WM_CHAR, VK_BACK, 0);
        SendMessageW(H(), WM_KEYUP, key, 0);
    }
    void Select(int start, int end) { SendMessageW(H(), EM_SETSEL, start, end); }
    void SetClipboard(const String& text) {
        ASSERT_TRUE(OpenClipboard(H()));
        EmptyClipboard();
        HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
        memcpy(GlobalLock(data), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(data);
        SetClipboardData(CF_UNICODETEXT, data);
        CloseClipboard();
    }

    std::unique_ptr<TForm> Form;
    TCustomMaskEdit* Edit = nullptr;
    std::vector<String> Changes;
};

TEST_F(MaskEdit, TypedDateAndPostalCodeFillTheirPositions) {
    struct Case {
        String Mask, Typed, Shown, Text;
        int Caret;
        std::size_t Changes;
    } cases[] = {
        {L"0000/00/00;1;_", L"20240105", L"2024/01/05", L"2024/01/05", 10, 8},
        {L"000-0000;0;_", L"123", L"123-____", L"123    ", 4, 3},  // the caret steps over the "-"
        // A letter is refused; the "-" the caret just stepped over is taken without a change.
        {L"000-0000;0;_", L"12x3-45", L"123-45__", L"12345  ", 6, 5},
        {L"000-0000;0;*", L"１２３４", L"123-4***", L"1234   ", 5, 4},  // an input method in full-width mode
        {L">LL-9999;1; ", L"ab12", L"AB-12  ", L"AB-12  ", 5, 4},
    };
    for (const Case& c : cases) {
        Edit->SetEditMask(c.Mask);
        Edit->SetText(L"");
        Changes.clear();
        Type(c.Typed);
        EXPECT_EQ(Edit->EditText(), c.Shown) << c.Mask;
        EXPECT_EQ(Edit->Text(), c.Text) << c.Mask;
        EXPECT_EQ(Edit->SelStart(), c.Caret) << c.Mask;
        EXPECT_EQ(Changes.size(), c.Changes) << c.Mask;  // one per character that changed the text
        EXPECT_EQ(Changes.back(), c.Text) << c.Mask;
        EXPECT_TRUE(Edit->Modified());
    }
    // A refused character changes nothing and reports nothing.
    Edit->SetEditMask(L"000-0000;0;_");
    Edit->SetText(L"12");
    Changes.clear();
    Type(L"x");
    EXPECT_EQ(Edit->EditText(), L"12_-____");
    EXPECT_TRUE(Changes.empty());
}

TEST_F(MaskEdit, BackspaceAndDeleteBlankPositionsAndLeaveLiterals) {
    Edit->SetEditMask(L"000-0000;1;_");
    Edit->SetText(L"123-4567");
    Select(4, 4);
    Press(VK_BACK);  // over the literal: empties the digit before it
    EXPECT_EQ(Edit->EditText(), L"12_-4567");
    EXPECT_EQ(Edit->SelStart(), 2);
    Select(4, 4);
    Press(VK_DELETE);
    EXPECT_EQ(Edit->EditText(), L"12_-_567");
    EXPECT_EQ(Edit->SelStart(), 4);
    Select(1, 6);
    Press(VK_DELETE);
    EXPECT_EQ(Edit->EditText(), L"1__-__67");
    EXPECT_EQ(Edit->Text(), L"1  -  67");
    Select(0, 0);
    Press(VK_BACK);  // nothing before the caret
    EXPECT_EQ(Edit->EditText(), L"1__-__67");
    // Cut empties the selection too, and copies it as shown.
    Select(6, 8);
    SendMessageW(H(), WM_CUT, 0, 0);
    EXPECT_EQ(Edit->EditText(), L"1__-____");
}

TEST_F(MaskEdit, CaretSkipsLiterals) {
    Edit->SetEditMask(L"(000) 0000;1;_");
    Edit->SetText(L"(123) 4567");
    Select(6, 6);
    Press(VK_LEFT);
    EXPECT_EQ(Edit->SelStart(), 3);
    Press(VK_RIGHT);
    EXPECT_EQ(Edit->SelStart(), 6);
    Press(VK_HOME);
    EXPECT_EQ(Edit->SelStart(), 1);
    Press(VK_END);
    EXPECT_EQ(Edit->SelStart(), 10);
}

TEST_F(MaskEdit, PasteIsFittedToTheMask) {
    Edit->SetEditMask(L"000-0000;0;_");
    SetClipboard(L"〒123-4567\r\nsecond line");
    Select(0, 0);
    SendMessageW(H(), WM_PASTE, 0, 0);
    EXPECT_EQ(Edit->EditText(), L"123-4567");
    EXPECT_EQ(Edit->Text(), L"1234567");
    // Ctrl+V over a selection: the selection is emptied, then the text laid over it.
    SetClipboard(L"99");
    Select(1, 6);
    Type(L"\x16");
    EXPECT_EQ(Edit->EditText(), L"199-__67");
    EXPECT_EQ(Edit->SelStart(), 4);
    // Nothing that fits: the text stays.
    SetClipboard(L"abc");
    Select(0, 8);
    SendMessageW(H(), WM_PASTE, 0, 0);
    EXPECT_EQ(Edit->EditText(), L"199-__67");
}

TEST_F(MaskEdit, TextThatReachesTheWindowOtherwiseIsFitted) {
    Edit->SetEditMask(L"000-0000;0;_");
    Edit->SetText(L"12");
    Changes.clear();
    Select(2, 2);
    Edit->SetSelText(L"３4");  // laid over the selection as typed
    EXPECT_EQ(Edit->EditText(), L"123-4___");
    EXPECT_EQ(Edit->SelStart(), 5);
    // Text the window takes in by itself (an input method's result is inserted that way) is
    // fitted by what it inserted: here "9" before the "4".
    SetWindowTextW(H(), L"123-94___");
    EXPECT_EQ(Edit->EditText(), L"123-9___");
    EXPECT_EQ(Edit->SelStart(), 5);
    EXPECT_EQ(Changes, (std::vector<String>{L"1234   ", L"1239   "}));
    SetWindowTextW(H(), L"x123-9___");  // nothing fits: back to what was shown, no change
    EXPECT_EQ(Edit->EditText(), L"123-9___");
    EXPECT_EQ(Changes.size(), 2u);
}

TEST_F(MaskEdit, LoadingAValueReportsOnlyTheFinalText) {
    std::vector<String> shown;
    Edit->OnChange = [&](TObject*) { shown.push_back(Edit->EditText()); Changes.push_back(Edit->Text()); };
    Edit->SetText(L"1234567");
    Changes.clear();
    shown.clear();
    // A new mask reformats the value without a change.
    Edit->SetEditMask(L"000-0000;0;_");
    EXPECT_EQ(Edit->EditText(), L"123-4567");
    EXPECT_EQ(Edit->Text(), L"1234567");
    Edit->SetEditMask(L"000-0000;1;_");
    EXPECT_EQ(Edit->Text(), L"123-4567");
    EXPECT_TRUE(Changes.empty());
    // A value is shown formatted in one step: one change, with the final text.
    Edit->SetText(L"765-4321");
    EXPECT_EQ(Changes, std::vector<String>{L"765-4321"});
    EXPECT_EQ(shown, std::vector<String>{L"765-4321"});
    // Set before the window exists, the value is there when it is made.
    auto* late = new TCustomMaskEdit(Form.get());
    late->SetEditMask(L"0000/00/00;0");
    late->SetText(L"20240105");
    late->SetParent(Form.get());
    EXPECT_EQ(GetWindowTextLengthW(late->Handle()), 10);
    EXPECT_EQ(late->EditText(), L"2024/01/05");
    EXPECT_EQ(late->Text(), L"20240105");
}

TEST_F(MaskEdit, ValidateEditRaisesOnAnEmptyRequiredPosition) {
    Edit->SetEditMask(L"000-9999;1;_");
    Edit->SetText(L"12");
    try {
        Edit->ValidateEdit();
        FAIL() << "no EMaskError";
    } catch (const EMaskError& e) {
        EXPECT_EQ(e.Message(), L"入力が完了していません。3 文字目を入力してください。");
    }
    EXPECT_EQ(Edit->SelStart(), 2);
    Edit->SetText(L"123");  // the optional digits may stay empty
    EXPECT_NO_THROW(Edit->ValidateEdit());
}

TEST_F(MaskEdit, AnEmptyMaskIsAPlainEdit) {
    EXPECT_FALSE(Edit->IsMasked());
    Type(L"ab-x\x08");
    EXPECT_EQ(Edit->Text(), L"ab-");
    EXPECT_EQ(Edit->EditText(), L"ab-");
    EXPECT_EQ(Changes, (std::vector<String>{L"a", L"ab", L"ab-", L"ab-x", L"ab-"}));
    EXPECT_NO_THROW(Edit->ValidateEdit());
    // Dropping a mask keeps the value.
    Edit->SetEditMask(L"000;1;_");
    Edit->SetText(L"12");
    Edit->SetEditMask(L"");
    EXPECT_EQ(Edit->Text(), L"12 ");
    Type(L"z");
    EXPECT_EQ(Edit->Text(), L"z12 ");
}

}  // namespace
