// The in-memory dataset. Records live in fixed-size slots; a record's number is its place in the
// order list, so RecNo, RecordCount, going to a record number and to a bookmark take constant
// time at any size. A bookmark names a slot and the record's creation number, so it stays valid
// across inserts and deletes of other records and fails once its own record is deleted.
//
// File format (all numbers little-endian):
//   "SSMT" (4 bytes), version u32 = 1, field count u32, then per field:
//     data type u8 (TFieldType ordinal), size i32, flags u8 (bit 0: required),
//     parent i32 (-1, or the index of an earlier structured or array field), name length u32,
//     name in UTF-16 code units (u16 each).
//   Fields are listed depth first: every child directly after its parent and its earlier siblings'
//   children. Then the records: count u32, and per record its fixed part (a NULL bit per field,
//   in field order, then each field's value: integers i32/i64, floats and date-times as IEEE
//   doubles, Booleans u8, strings as a length u16 and Size UTF-16 code units) followed by each
//   variable-length value (blobs, memos, nested datasets' records) as a length u32 and its bytes.
//   A nested dataset's value is the records part alone, in its own fields' layout.
// A file that does not follow this raises EDatabaseError and leaves the dataset as it was.
#pragma once
#include <memory>

#include "DB.h"
#include "Streams.h"

// The family base of the in-memory datasets.
class TFDDataSet : public TDataSet {
    SS_CLASS(TFDDataSet, TDataSet)
    SS_PUBLISHED(TFDDataSet)
public:
    explicit TFDDataSet(TComponent* AOwner);
    ~TFDDataSet() override;

    // Makes the fields from FieldDefs (unless fields were added) and opens the dataset.
    void CreateDataSet();
    void EmptyDataSet();

    int RecNo() const override;
    // Clamped to the records there are.
    void SetRecNo(int Value) override;
    int RecordCount() const override;
    // With Sequenced off the dataset answers IsSequenced false; RecNo stays known.
    bool IsSequenced() const override { return FSequenced; }
    bool Sequenced() const { return FSequenced; }
    void SetSequenced(bool Value) { FSequenced = Value; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    bool CanModify() const override { return !FReadOnly && TDataSet::CanModify(); }
    bool BookmarkValid(const TBookmark& Value) const override;
    int CompareBookmarks(const TBookmark& A, const TBookmark& B) const override;

    // Replaces the fields and records with a stream's (see the format above).
    void LoadFromStream(TStream& Stream);
    void SaveToStream(TStream& Stream);
    // The files (the Windows half, MemTableWin.cpp). EFOpenError when the file cannot be read.
    void LoadFromFile(const String& FileName);
    // Writes a new file beside the old one, which it replaces only once written whole: a failed
    // save leaves the previous file as it was.
    void SaveToFile(const String& FileName);

protected:
    void InternalOpen() override;
    void InternalClose() override {}
    void InternalFirst() override;
    void InternalLast() override;
    TGetResult GetRecord(TRecordBuffer& Buffer, TGetMode Mode) override;
    void InternalSetToRecord(const TRecordBuffer& Buffer) override;
    TBookmark GetBookmarkOf(const TRecordBuffer& Buffer) const override;
    void InternalGotoBookmark(const TBookmark& Value) override;
    void InternalPost() override;
    void InternalDelete() override;
    void FilterChanged() override;
    void CurrentRecordChanged() override;
    // For stores that fill the records from elsewhere: drops every record (the layout stays),
    // and adds one at the end.
    void ClearRecords();
    void AppendRecord(const TRecordBuffer& Buffer);
    // Asked when a move passes the last record held: adds records at the end and answers whether
    // it added any. This store has no records beyond its own.
    virtual bool FetchMore() { return false; }

private:
    struct TStore;
    const std::vector<std::uint32_t>& View() const;
    int ViewIndexOf(std::uint32_t Slot) const;
    void ReadSlot(std::uint32_t Slot, TRecordBuffer& Buffer) const;
    void WriteRecords(TStream& Stream) const;
    void ReadRecords(TStream& Stream);
    // Reads every nested record part once, at every depth: a damaged one raises here rather than
    // when its master record is shown later.
    void CheckNestedRecords();
    void MakeNestedDataSets();
    void SaveToMaster();

    std::unique_ptr<TStore> FStore;
    std::vector<std::uint32_t> FView;  // the slots the filter accepts, in record order
    int FCursor = -1;
    bool FSequenced = true, FReadOnly = false;
    TDataSetField* FMasterField = nullptr;  // for a nested dataset: the field holding its records
};

class TFDMemTable : public TFDDataSet {
    SS_CLASS(TFDMemTable, TFDDataSet)
public:
    explicit TFDMemTable(TComponent* AOwner) : TFDDataSet(AOwner) {}
};
