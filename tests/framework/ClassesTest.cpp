#include <gtest/gtest.h>

#include "Classes.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "TestSupport.h"

namespace {

using testing_support::ReadBytes;
using testing_support::TempDir;

TEST(ClassNames, AnswerTheWholeParentChainWithoutRegardToCase) {
    TButton button(nullptr);
    EXPECT_EQ(button.ClassName(), L"TButton");
    struct Case { const wchar_t* name; bool result; };
    const Case cases[] = {{L"TButton", true}, {L"twincontrol", true}, {L"TCONTROL", true}, {L"TComponent", true},
                          {L"TObject", true}, {L"TForm", false}, {L"TLabel", false}, {L"", false}};
    for (const Case& c : cases) EXPECT_EQ(InheritsFromName(&button, c.name), c.result) << testing_support::Utf8(c.name);
    EXPECT_FALSE(InheritsFromName(nullptr, L"TObject"));
    EXPECT_TRUE(button.InheritsFrom(TWinControl::StaticClassInfo()));
    EXPECT_FALSE(button.InheritsFrom(TForm::StaticClassInfo()));
}

TEST(Ownership, ControlsOwnedByAFormGoWithItsWindow) {
    auto* form = new TForm(Application);
    auto* button = new TButton(form);
    button->SetParent(form);
    HWND formWnd = form->Handle();
    HWND buttonWnd = button->Handle();
    ASSERT_TRUE(IsWindow(buttonWnd));
    EXPECT_EQ(GetParent(buttonWnd), formWnd);
    delete form;
    EXPECT_FALSE(IsWindow(formWnd));
    EXPECT_FALSE(IsWindow(buttonWnd));
}

TEST(StringList, SaveToFileWritesAnsiLinesWithCrLfAndReplacesTheFile) {
    TempDir dir;
    String file = dir / L"out.txt";
    testing_support::WriteBytes(file, std::string(100, 'x'));
    TStringList list;
    list.Add(L"USE master");
    list.Add(L"");
    list.Add(L"日本語");
    list.SaveToFile(file);
    std::string expected = "USE master\r\n\r\n" + StringToAnsi(L"日本語") + "\r\n";
    EXPECT_EQ(ReadBytes(file), expected);
    if (GetACP() == 932) {
        EXPECT_EQ(StringToAnsi(L"日本語"), "\x93\xfa\x96\x7b\x8c\xea");
    }

    TStringList empty;
    empty.SaveToFile(file);
    EXPECT_EQ(ReadBytes(file), "");
}

TEST(StringList, SaveToFileRaisesWhenTheFileCannotBeCreated) {
    TempDir dir;
    TStringList list;
    list.Add(L"x");
    try {
        list.SaveToFile(dir.Path());  // a folder
        FAIL() << "no exception";
    } catch (const EFCreateError& e) {
        EXPECT_NE(e.Message().find(dir.Path()), String::npos);
    }
}

TEST(StringList, LoadFromFileReadsAnsiLinesWithAnyLineEnd) {
    TempDir dir;
    String file = dir / L"in.txt";
    struct Case { std::string bytes; std::vector<String> lines; };
    const Case cases[] = {
        {"a\r\nb\nc\rd", {L"a", L"b", L"c", L"d"}},
        {"x\r\n\r\n", {L"x", L""}},
        {"\n\n", {L"", L""}},
        {"", {}},
        {StringToAnsi(L"日本語") + "\r\n", {L"日本語"}},
    };
    for (const Case& c : cases) {
        testing_support::WriteBytes(file, c.bytes);
        TStringList list;
        list.Add(L"old");
        list.LoadFromFile(file);
        std::vector<String> lines;
        for (int i = 0; i < list.Count(); ++i) lines.push_back(list[i]);
        EXPECT_EQ(lines, c.lines) << c.bytes;
    }
    if (GetACP() == 932) {
        testing_support::WriteBytes(file, "\x93\xfa\x96\x7b\x8c\xea");
        TStringList list;
        list.LoadFromFile(file);
        EXPECT_EQ(list[0], L"日本語");
    }
}

TEST(StringList, LoadFromFileRaisesWhenTheFileCannotBeOpened) {
    TempDir dir;
    TStringList list;
    EXPECT_THROW(list.LoadFromFile(dir / L"missing.txt"), EFOpenError);
    String file = dir / L"locked.txt";
    testing_support::WriteBytes(file, "x");
    HANDLE lock = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_THROW(list.LoadFromFile(file), EFOpenError);
    CloseHandle(lock);
    list.LoadFromFile(file);
    EXPECT_EQ(list.Count(), 1);
}

}  // namespace
