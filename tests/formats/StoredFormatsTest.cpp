// The files the library writes, byte for byte the same whichever build writes them: each is
// written with fixed content and compared against bytes checked in beside this file (golden/),
// then those bytes are read back and checked. The 32-bit and the 64-bit suite compare against the
// same bytes. The era and holiday files are only read by the library; both suites read the
// shipped ones in the calendar tests.
//
// SS_WRITE_GOLDEN=1 writes the files instead of comparing (after a deliberate format change);
// the tests then skip, so a run that rewrote them never passes.
#include <gtest/gtest.h>

#include "../controls/ControlsFixture.h"
#include "../datagrid/DataGridFixture.h"
#include "DateUtils.h"
#include "Filer.h"
#include "MemTable.h"
#include "TestSupport.h"
#include "ssFmResize.h"
#include "ssGrids.h"
#include "ssUnits.h"
#include "ssVirDBGrid.h"

namespace {

using namespace testing_support;

constexpr TColor clRed = 0x0000FF, clBlue = 0xFF0000;

String GoldenFile(const String& name) { return String(SS_GOLDEN_DIR) + L"/" + name; }

std::string Bytes(TMemoryStream& s) { return std::string(reinterpret_cast<const char*>(s.Memory()), s.DataSize()); }

// Compares what was written with the checked-in file, or writes it when asked to.
void ExpectGolden(const String& name, const std::string& written) {
    if (GetEnvironmentVariableW(L"SS_WRITE_GOLDEN", nullptr, 0)) {
        WriteBytes(GoldenFile(name), written);
        GTEST_SKIP() << "wrote " << Utf8(GoldenFile(name));
    }
    const std::string golden = ReadBytes(GoldenFile(name));
    ASSERT_FALSE(golden.empty()) << "missing " << Utf8(GoldenFile(name));
    ASSERT_EQ(written.size(), golden.size()) << Utf8(name);
    for (std::size_t i = 0; i < golden.size(); ++i)
        ASSERT_EQ(written[i], golden[i]) << Utf8(name) << ": first difference at byte " << i;
}

TMemoryStream StreamOf(const std::string& bytes) {
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), bytes.size());
    s.SetPosition(0);
    return s;
}

// Every kind of field the memory table stores, one record of values and one of NULLs.
TEST(StoredFormats, MemoryTableFile) {
    TFDMemTable t(nullptr);
    t.FieldDefs().Add(L"ID", TFieldType::ftInteger);
    t.FieldDefs().Add(L"名前", TFieldType::ftString, 12);
    t.FieldDefs().Add(L"Small", TFieldType::ftSmallint);
    t.FieldDefs().Add(L"Big", TFieldType::ftLargeint);
    t.FieldDefs().Add(L"Flag", TFieldType::ftBoolean);
    t.FieldDefs().Add(L"Ratio", TFieldType::ftFloat);
    t.FieldDefs().Add(L"Day", TFieldType::ftDate);
    t.FieldDefs().Add(L"Stamp", TFieldType::ftDateTime);
    t.FieldDefs().Add(L"Note", TFieldType::ftMemo);
    t.CreateDataSet();
    const TDateTime stamp = EncodeDate(2019, 5, 1) + EncodeTime(9, 30, 15, 250);
    t.Append();
    t.FieldByName(L"ID")->SetAsInteger(-123456);
    t.FieldByName(L"名前")->SetAsString(L"令和の𠮷田");
    t.FieldByName(L"Small")->SetAsInteger(-32768);
    t.FieldByName(L"Big")->SetAsLargeInt(-9007199254740993LL);
    t.FieldByName(L"Flag")->SetAsBoolean(true);
    t.FieldByName(L"Ratio")->SetAsFloat(0.1);
    t.FieldByName(L"Day")->SetAsDateTime(EncodeDate(1989, 1, 8));
    t.FieldByName(L"Stamp")->SetAsDateTime(stamp);
    t.FieldByName(L"Note")->SetAsString(L"一行目\r\n二行目");
    t.Post();
    t.Append();
    t.FieldByName(L"ID")->SetAsInteger(2);
    t.Post();
    TMemoryStream written;
    t.SaveToStream(written);
    ExpectGolden(L"memtable.dat", Bytes(written));

    TFDMemTable loaded(nullptr);
    TMemoryStream golden = StreamOf(ReadBytes(GoldenFile(L"memtable.dat")));
    loaded.LoadFromStream(golden);
    ASSERT_EQ(loaded.RecordCount(), 2);
    loaded.First();
    EXPECT_EQ(loaded.FieldByName(L"ID")->AsInteger(), -123456);
    EXPECT_EQ(loaded.FieldByName(L"名前")->AsString(), L"令和の𠮷田");
    EXPECT_EQ(loaded.FieldByName(L"Small")->AsInteger(), -32768);
    EXPECT_EQ(loaded.FieldByName(L"Big")->AsLargeInt(), -9007199254740993LL);
    EXPECT_TRUE(loaded.FieldByName(L"Flag")->AsBoolean());
    EXPECT_EQ(loaded.FieldByName(L"Ratio")->AsFloat(), 0.1);
    EXPECT_EQ(loaded.FieldByName(L"Day")->AsDateTime(), EncodeDate(1989, 1, 8));
    EXPECT_EQ(loaded.FieldByName(L"Stamp")->AsDateTime(), stamp);
    EXPECT_EQ(loaded.FieldByName(L"Note")->AsString(), L"一行目\r\n二行目");
    loaded.Next();
    EXPECT_EQ(loaded.FieldByName(L"ID")->AsInteger(), 2);
    EXPECT_TRUE(loaded.FieldByName(L"名前")->IsNull());
    EXPECT_TRUE(loaded.FieldByName(L"Stamp")->IsNull());
}

// A string grid with every stream property of the grid's own (extents, colours, fonts, lines).
TEST(StoredFormats, GridComponentStream) {
    RegisterLibraryUnits();
    controls_test::ShownForm form(300, 200);
    auto* grid = new TssStringGrid(form.Form);
    grid->SetName(L"Grid1");
    grid->SetParent(form.Form);
    grid->SetBounds(4, 8, 280, 180);
    grid->SetColCount(4);
    grid->SetRowCount(40);
    grid->SetColWidths(1, 90);
    grid->SetRowHeights(2, 31);
    grid->SetRowHeights(39, 0);
    grid->SetColColor(2, clRed);
    grid->SetRowColor(3, clBlue);
    grid->SetCellColor(1, 1, clRed);
    TFont font;
    font.SetName(L"ＭＳ ゴシック");
    font.SetHeight(-16);
    grid->SetRowFont(1, &font);
    grid->SetCellFont(2, 2, &font);
    TPen pen;
    pen.SetColor(clBlue);
    pen.SetWidth(2);
    grid->SetColLine(1, &pen);
    grid->SetRowLine(4, &pen);
    TssCellLine line(nullptr);
    line.SetUpperLine(&pen);
    line.SetRightLine(&pen);
    grid->SetCellOuterLine(3, 3, &line);
    TMemoryStream written;
    WriteComponentStream(written, grid);
    ExpectGolden(L"grid.bin", Bytes(written));

    controls_test::ShownForm other(300, 200);
    auto* copy = new TssStringGrid(other.Form);
    copy->SetParent(other.Form);
    TMemoryStream golden = StreamOf(ReadBytes(GoldenFile(L"grid.bin")));
    ReadComponentStream(golden, copy);
    EXPECT_EQ(copy->Name(), L"Grid1");
    EXPECT_EQ(copy->RowCount(), 40);
    EXPECT_EQ(copy->ColWidths(1), 90);
    EXPECT_EQ(copy->RowHeights(2), 31);
    EXPECT_EQ(copy->RowHeights(39), 0);
    EXPECT_EQ(copy->ColColor(2), clRed);
    EXPECT_EQ(copy->CellColor(1, 1), clRed);
    EXPECT_EQ(copy->RowFont(1)->Name(), L"ＭＳ ゴシック");
    EXPECT_EQ(copy->ColLine(1)->Width(), 2);
    EXPECT_EQ(copy->CellOuterLine(3, 3)->RightLine()->Color(), clBlue);
}

// A data grid's column set, as saved to a file.
TEST(StoredFormats, DataGridColumnSet) {
    datagrid_test::GridOnForm g(3);
    for (const wchar_t* name : {L"Name", L"ID"}) {
        TssColumn* column = g.Grid->Columns()->Add();
        column->SetFieldName(name);
    }
    TssColumn* name = g.Grid->Columns()->Items(0);
    name->SetColor(clRed);
    name->SetWidth(77);
    name->SetAlignment(TAlignment::taCenter);
    name->Title()->SetCaption(L"氏名");
    TempDir dir;
    g.Grid->Columns()->SaveToFile(dir / L"columns.bin");
    ExpectGolden(L"columns.bin", ReadBytes(dir / L"columns.bin"));

    datagrid_test::GridOnForm other(3);
    other.Grid->Columns()->LoadFromFile(GoldenFile(L"columns.bin"));
    ASSERT_EQ(other.Grid->Columns()->Count(), 2);
    EXPECT_EQ(other.Grid->Columns()->Items(0)->Title()->Caption(), L"氏名");
    EXPECT_EQ(other.Grid->Columns()->Items(0)->Width(), 77);
    EXPECT_EQ(other.Grid->Columns()->Items(0)->Color(), clRed);
    EXPECT_EQ(other.Grid->Columns()->Items(1)->FieldName(), L"ID");
}

// The remembered form base width and position.
TEST(StoredFormats, SizeSettings) {
    const String file = TssFormSizeMem::FileName();
    DeleteFileW(file.c_str());
    {
        TssFormSizeMem mem;
        mem.SetWidth(1024);
        mem.SetTop(-12);
        mem.SetLeft(345);
    }
    const std::string written = ReadBytes(file);
    ExpectGolden(L"size_ss.ini", written);

    WriteBytes(file, ReadBytes(GoldenFile(L"size_ss.ini")));
    {
        TssFormSizeMem mem;
        EXPECT_EQ(mem.Width(), 1024);
        EXPECT_EQ(mem.Top(), -12);
        EXPECT_EQ(mem.Left(), 345);
    }
    DeleteFileW(file.c_str());
}

}  // namespace
