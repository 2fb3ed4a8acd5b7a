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

// Counts its deletions, to show every owned component is freed exactly once.
class TCounted : public TComponent {
    SS_CLASS(TCounted, TComponent)
public:
    TCounted(TComponent* owner, std::vector<String>& log, const String& name) : TComponent(owner), FLog(log) {
        SetName(name);
    }
    ~TCounted() override { FLog.push_back(Name()); }

private:
    std::vector<String>& FLog;
};

TEST(Ownership, OwnerFreesItsComponentsLastCreatedFirst) {
    std::vector<String> log;
    {
        auto owner = std::make_unique<TCounted>(nullptr, log, L"owner");
        auto* a = new TCounted(owner.get(), log, L"a");
        new TCounted(a, log, L"a1");
        new TCounted(owner.get(), log, L"b");
        EXPECT_EQ(owner->ComponentCount(), 2);
        EXPECT_EQ(owner->FindComponent(L"B")->Name(), L"b");
        EXPECT_EQ(owner->FindComponent(L"a1"), nullptr);  // only direct components
    }
    EXPECT_EQ(log, (std::vector<String>{L"owner", L"b", L"a", L"a1"}));
}

TEST(Ownership, AComponentFreedAloneLeavesItsOwner) {
    std::vector<String> log;
    TCounted owner(nullptr, log, L"owner");
    auto* a = new TCounted(&owner, log, L"a");
    new TCounted(&owner, log, L"b");
    delete a;
    ASSERT_EQ(owner.ComponentCount(), 1);
    EXPECT_EQ(owner.Components(0)->Name(), L"b");
    EXPECT_THROW(owner.Components(1), EListError);
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

TEST(StringList, IndexesOutOfRangeRaise) {
    TStringList list;
    list.Add(L"a");
    list.Insert(0, L"b");
    EXPECT_EQ(list.Text(), L"b\r\na\r\n");
    EXPECT_EQ(list.IndexOf(L"A"), 1);
    EXPECT_THROW(list.Get(2), EStringListError);
    EXPECT_THROW(list.Insert(3, L"x"), EStringListError);
    EXPECT_THROW(list.Delete(-1), EStringListError);
}

}  // namespace
