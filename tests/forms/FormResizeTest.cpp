// Form scaling between the base widths on real windows: string and data grids, message labels,
// frames, fonts, the screen rule (also on a screen 1024 pixels wide), the size memory's file, and the message dialog of a library form.
#include <gtest/gtest.h>

#include "ExtCtrls.h"
#include "MemTable.h"
#include "TestSupport.h"
#include "ssFmResize.h"
#include "ssGrids.h"
#include "ssMsgDlg.h"
#include "ssMsgLbl.h"
#include "ssVirDBGrid.h"
#include "ssZoomFontEditor.h"

namespace {

const std::vector<int> kColWidths{64, 77, 33, 101, 59};
const std::vector<int> kRowHeights{24, 19, 31, 22, 27, 18};
const std::vector<int> kDataColWidths{70, 133, 41};

TssStringGrid* MakeGrid(TComponent* owner, TWinControl* parent) {
    auto* g = new TssStringGrid(owner);
    g->SetParent(parent);
    g->SetBounds(10, 10, 400, 200);
    g->SetColCount(int(kColWidths.size()));
    g->SetRowCount(int(kRowHeights.size()));
    for (int i = 0; i < int(kColWidths.size()); ++i) g->SetColWidths(i, kColWidths[i]);
    for (int i = 0; i < int(kRowHeights.size()); ++i) g->SetRowHeights(i, kRowHeights[i]);
    return g;
}

// A data grid over a table of three fields, with a column of its own per field at its design
// width.
TssVirtualDBGrid* MakeDataGrid(TComponent* owner, TWinControl* parent) {
    auto* table = new TFDMemTable(owner);
    for (const wchar_t* name : {L"A", L"B", L"C"}) table->FieldDefs().Add(name, TFieldType::ftInteger);
    table->CreateDataSet();
    auto* source = new TDataSource(owner);
    source->SetDataSet(table);
    auto* g = new TssVirtualDBGrid(owner);
    g->SetParent(parent);
    g->SetBounds(10, 460, 400, 100);
    g->SetDataSource(source);
    for (int i = 0; i < int(kDataColWidths.size()); ++i) {
        TssColumn* column = g->Columns()->Add();
        column->SetFieldName(table->Fields().Fields(i)->FieldName());
        column->SetWidth(kDataColWidths[i]);
    }
    return g;
}

// A form designed at 800 with a string grid, a data grid, a message label, a frame holding a
// grid, a line and a bottom-aligned panel.
struct DesignedForm {
    TForm* Form = new TForm(Application);
    TssStringGrid* Grid;
    TssVirtualDBGrid* DataGrid;
    TssStringGrid* FrameGrid;
    TssMessageLabel* Label;
    TPanel* Line;
    TPanel* Bottom;
    TButton* Own;

    DesignedForm() {
        Form->SetPosition(TPosition::poDesigned);
        Form->SetBounds(0, 0, 800, 600);
        Form->Font()->SetSize(12);
        Grid = MakeGrid(Form, Form);
        Grid->ColFont(1)->SetSize(Grid->Font()->Size());  // follows the grid's size
        DataGrid = MakeDataGrid(Form, Form);
        Label = new TssMessageLabel(Form);
        Label->SetParent(Form);
        Label->SetBounds(420, 10, 300, 120);
        TssClipRect clip(Label);
        clip.SetRect(RECT{5, 7, 290, 110});
        Label->SetClipRect(&clip);
        Label->SetLineSpacing(3);
        Label->SetPitch(1);
        Label->Lines()->Add(L"一行目のメッセージ");
        Label->Lines()->Add(L"二行目");
        Label->EndUpdate();
        auto* frame = new TFrame(Form);
        frame->SetParent(Form);
        frame->SetBounds(10, 230, 500, 220);
        FrameGrid = MakeGrid(frame, frame);
        Line = new TPanel(Form);
        Line->SetParent(Form);
        Line->SetBounds(520, 230, 1, 200);
        Own = new TButton(Form);
        Own->SetParent(Form);
        Own->SetBounds(600, 300, 90, 25);
        Own->Font()->SetHeight(-15);
        Bottom = new TPanel(Form);
        Bottom->SetParent(Form);
        Bottom->SetHeight(40);
        Bottom->SetAlign(TAlign::alBottom);
    }
    ~DesignedForm() { delete Form; }
};

void ExpectGeometry(TssStringGrid* g, int n) {
    ASSERT_EQ(g->ColCount(), int(kColWidths.size()));
    for (int i = 0; i < g->ColCount(); ++i) EXPECT_EQ(g->ColWidths(i), kColWidths[i] * n / 800) << "column " << i;
    for (int i = 0; i < g->RowCount(); ++i) EXPECT_EQ(g->RowHeights(i), kRowHeights[i] * n / 800) << "row " << i;
}

void ExpectGeometry(TssVirtualDBGrid* g, int n) {
    ASSERT_EQ(g->Columns()->Count(), int(kDataColWidths.size()));
    for (int i = 0; i < g->Columns()->Count(); ++i)
        EXPECT_EQ(g->Columns()->Items(i)->Width(), kDataColWidths[i] * n / 800) << "data column " << i;
}

// Removes the size memory's file before and after a test.
struct IniFile {
    IniFile() { Remove(); }
    ~IniFile() { Remove(); }
    static void Remove() {
        DeleteFileW(TssFormSizeMem::FileName().c_str());
        RemoveDirectoryW(TssFormSizeMem::FileName().c_str());
    }
    static void Write(const std::string& s) { testing_support::WriteBytes(TssFormSizeMem::FileName(), s); }
    static std::string Read() { return testing_support::ReadBytes(TssFormSizeMem::FileName()); }
};

}  // namespace

TEST(FormResize, ScalingTo1024AndBackRestoresGridsLabelsFontsAndLinesExactly) {
    DesignedForm d;
    d.Form->Show();
    TssFormResize resize(d.Form);
    int formFont = d.Form->Font()->Height(), ownFont = d.Own->Font()->Height();
    RECT clip = d.Label->ClipRect()->Rect();

    resize.ChangeSize(1024, true);
    EXPECT_EQ(resize.NowWidth(), 1024);
    ExpectGeometry(d.Grid, 1024);
    ExpectGeometry(d.FrameGrid, 1024);
    ExpectGeometry(d.DataGrid, 1024);
    EXPECT_EQ(d.Label->ClipRect()->Rect().right, 290 * 1024 / 800);
    EXPECT_EQ(d.Label->LineSpacing(), 3);  // 3 x 1024 div 800
    EXPECT_EQ(d.Line->Width(), 1);
    EXPECT_EQ(d.Grid->ColFont(1)->Size(), d.Grid->Font()->Size());
    EXPECT_EQ(d.Bottom->Top() + d.Bottom->Height(), d.Form->ClientHeight());

    resize.ChangeSize(800, true);
    ExpectGeometry(d.Grid, 800);
    ExpectGeometry(d.FrameGrid, 800);
    ExpectGeometry(d.DataGrid, 800);
    RECT back = d.Label->ClipRect()->Rect();
    EXPECT_TRUE(EqualRect(&back, &clip));
    EXPECT_EQ(d.Label->LineSpacing(), 3);
    EXPECT_EQ(d.Label->Pitch(), 1);
    ASSERT_EQ(d.Label->Lines()->Count(), 2);
    EXPECT_EQ(d.Label->Lines()->Get(0), L"一行目のメッセージ");
    EXPECT_EQ(d.Form->Font()->Height(), formFont);
    EXPECT_EQ(d.Own->Font()->Height(), ownFont);
    EXPECT_EQ(d.Line->Width(), 1);
}

TEST(FormResize, AGridWhoseCountsChangedGetsBackTheIndicesItHad) {
    for (int delta : {-2, 3}) {
        DesignedForm d;
        TssFormResize resize(d.Form);
        resize.SetBaseWidth(1024);
        d.Grid->SetColCount(d.Grid->ColCount() + delta);
        d.Grid->SetRowCount(d.Grid->RowCount() + delta);
        TssDBGridColumns* columns = d.DataGrid->Columns();
        if (delta < 0) delete columns->Items(columns->Count() - 1);
        else columns->Add()->SetWidth(50);
        resize.SetBaseWidth(800);
        int cols = std::min(d.Grid->ColCount(), int(kColWidths.size()));
        for (int i = 0; i < cols; ++i) EXPECT_EQ(d.Grid->ColWidths(i), kColWidths[i]) << delta;
        int rows = std::min(d.Grid->RowCount(), int(kRowHeights.size()));
        for (int i = 0; i < rows; ++i) EXPECT_EQ(d.Grid->RowHeights(i), kRowHeights[i]) << delta;
        int dataCols = std::min(columns->Count(), int(kDataColWidths.size()));
        for (int i = 0; i < dataCols; ++i) EXPECT_EQ(columns->Items(i)->Width(), kDataColWidths[i]) << delta;
    }
}

TEST(FormResize, TheRequestedWidthFollowsTheScreen) {
    // The screen is the virtual display's; a request wider than it falls back to 800.
    int screen = Screen->Width();
    struct Case { int request, want; };
    const Case cases[] = {
        {1024, 1024},
        {screen + 256, 800},
        {640, 800},  // on Windows XP or later 640 keeps the current width
        {0, 800},    // an unknown width changes nothing
        {-5, 800},
    };
    for (const Case& c : cases) {
        DesignedForm d;
        TssFormResize resize(d.Form);
        int width = d.Form->Width();
        resize.SetBaseWidth(c.request);
        EXPECT_EQ(resize.NowWidth(), c.want) << c.request;
        if (c.want == 800) {
            EXPECT_EQ(d.Form->Width(), width) << c.request;
        }
    }
}

// Runs only on a screen 1024 pixels wide: the forms_1024 test starts this program on a virtual
// desktop of 1024 x 768 with this test enabled.
TEST(FormResize, DISABLED_OnAScreen1024WideA1280RequestGives800) {
    ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    for (int request : {1280, 1024}) {
        DesignedForm d;
        TssFormResize resize(d.Form);
        resize.SetBaseWidth(request);
        EXPECT_EQ(resize.NowWidth(), request == 1280 ? 800 : 1024) << request;
    }
}

TEST(FormResize, PositionsConvertBetweenDesignAndCurrentBase) {
    DesignedForm d;
    TssFormResize resize(d.Form);
    resize.SetBaseWidth(1024);
    int top = 10, left = 10;
    resize.AbsolutePosition(top, left);
    EXPECT_EQ(top, 13);
    EXPECT_EQ(left, 13);
    resize.RelativePosition(top, left);
    EXPECT_EQ(top, 10);
    EXPECT_EQ(left, 10);
}

namespace {
// A zoom-capable label: its zoom settings decide whether the resizer leaves its font alone.
class TZoomLabel : public TPanel {
    SS_CLASS(TZoomLabel, TPanel)
    SS_PUBLISHED(TZoomLabel)
public:
    explicit TZoomLabel(TComponent* AOwner) : TPanel(AOwner), FZoom(this) {}
    bool RTIdfZoomLabel() const { return true; }
    TssAutoZoomFont* AutoZoomFont() const { return const_cast<TssAutoZoomFont*>(&FZoom); }

private:
    TssAutoZoomFont FZoom;
};
SS_PUBLISH(TZoomLabel) {
    p.Property(L"RTIdfZoomLabel", &TZoomLabel::RTIdfZoomLabel);
    p.Property(L"AutoZoomFont", &TZoomLabel::AutoZoomFont);
}
}  // namespace

TEST(FormResize, ZoomedControlsKeepTheFontTheirZoomSet) {
    struct Case { bool zoom, autoZoom, kept; };
    for (const Case& c : {Case{false, false, false}, Case{true, false, true}, Case{false, true, true}}) {
        DesignedForm d;
        auto* z = new TZoomLabel(d.Form);
        z->SetParent(d.Form);
        z->Font()->SetHeight(-16);
        z->AutoZoomFont()->SetZoom(c.zoom);
        z->AutoZoomFont()->SetAutoZoom(c.autoZoom);
        TssFormResize resize(d.Form);
        EXPECT_EQ(resize.IsZoomFontControl(z), c.kept);
        resize.SetBaseWidth(1024);
        z->Font()->SetHeight(-30);  // what a zoom would set
        resize.SetBaseWidth(800);
        EXPECT_EQ(z->Font()->Height(), c.kept ? MulDiv(-30, 800, 1024) : -16);
    }
}

TEST(FormSizeMem, TheIniIsReadNormalisedAndWrittenWhole) {
    // The virtual display is 1280 x 1024: an area of at most 1,310,720 pixels.
    ASSERT_LE(Screen->Width() * Screen->Height(), 1310720);
    struct Case { const char* width; int read; const char* written; };
    const Case cases[] = {
        {"900", 900, "Width=800"},
        {"1024", 1024, "Width=1024"},
        {"640", 800, "Width=800"},  // Windows XP or later
        {"0", -1, "Width=-1"},      // unknown, never scaled to 0
        {"-3", -1, "Width=-1"},
    };
    for (const Case& c : cases) {
        IniFile ini;
        IniFile::Write(std::string("[OTHER]\r\nKeep=1\r\n[FORMBASE]\r\nWidth=") + c.width + "\r\nTop=20\r\n");
        {
            TssFormSizeMem mem;
            EXPECT_EQ(mem.Width(), c.read) << c.width;
            EXPECT_EQ(mem.Top(), 20);
            EXPECT_EQ(mem.Left(), 0);
            EXPECT_EQ(TssFormSizeMem::Shared(), &mem);
        }
        EXPECT_EQ(TssFormSizeMem::Shared(), nullptr);
        std::string text = IniFile::Read();
        EXPECT_EQ(text, std::string("[OTHER]\r\nKeep=1\r\n[FORMBASE]\r\n") + c.written + "\r\nTop=20\r\nLeft=0\r\n")
            << c.width;
    }
}

TEST(FormSizeMem, AFileThatCannotBeWrittenIsSkippedSilently) {
    IniFile ini;
    // A folder in the file's place: neither readable as the file nor replaceable.
    ASSERT_TRUE(CreateDirectoryW(TssFormSizeMem::FileName().c_str(), nullptr));
    EXPECT_NO_THROW({
        TssFormSizeMem mem;
        mem.SetWidth(1024);
    });
    EXPECT_EQ(GetFileAttributesW(TssFormSizeMem::FileName().c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              DWORD(FILE_ATTRIBUTE_DIRECTORY));
}

namespace {
// The library's form base that dialogs scale like.
class TfmKvrBase00 : public TForm {
    SS_CLASS(TfmKvrBase00, TForm)
public:
    using TForm::TForm;
};
}  // namespace

TEST(MessageDialogScaling, ADialogOfALibraryFormScalesToTheRememberedWidth) {
    struct Case { const char* ini; int width; };
    for (const Case& c : {Case{"1024", 1024}, Case{"", 800}}) {
        IniFile ini;
        if (*c.ini) IniFile::Write(std::string("[FORMBASE]\r\nWidth=") + c.ini + "\r\n");
        TfmKvrBase00 owner(Application);
        owner.SetPosition(TPosition::poDesigned);
        owner.SetBounds(30, 40, 800, 600);
        TssMessageDialog dlg(&owner);
        dlg.SetButtons({TssMDialogBtnKind::dbkOk, TssMDialogBtnKind::dbkCancel});
        dlg.SetMsg(L"確認");
        dlg.PosOption()->SetScreenCenter(false);
        dlg.PosOption()->SetTop(100);
        dlg.PosOption()->SetLeft(200);
        testing_support::WindowProbe probe(L"TfmMDialog", [&](HWND h) {
            auto* fm = static_cast<TfmMDialog*>(TWinControl::FindControl(h));
            ASSERT_NE(TssFormSizeMem::Shared(), nullptr);
            EXPECT_EQ(TssFormSizeMem::Shared()->Width(), c.width);
            EXPECT_EQ(fm->ClientWidth(), MulDiv(300, c.width, 800));
            EXPECT_EQ(fm->Button(TssMDialogBtnKind::dbkOk)->Width(), MulDiv(90, c.width, 800));
            EXPECT_GE(fm->lblMsg->Top(), 15);
            EXPECT_EQ(fm->Top(), 40 + (100 * c.width + 799) / 800);
            EXPECT_EQ(fm->Left(), 30 + (200 * c.width + 799) / 800);
            PostMessageW(fm->Button(TssMDialogBtnKind::dbkOk)->Handle(), BM_CLICK, 0, 0);
        });
        EXPECT_EQ(dlg.Execute(), int(TssMDialogModalResult::dmrOk));
        EXPECT_EQ(TssFormSizeMem::Shared(), nullptr);  // the dialog made it and freed it
    }
}
