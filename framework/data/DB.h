// The dataset layer: datasets with a window of record buffers, typed fields, data sources and
// data links. Windows-free. A dataset keeps as many record buffers as its largest data link asks
// for; each link sees its own slice of them (its first-record offset) and is told, in order, of
// every change through its virtual notifications.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "Classes.h"
#include "TypInfo.h"

SS_EXCEPTION(EDatabaseError, Exception)

using TBytes = std::vector<std::uint8_t>;
// Immutable and shared: holders keep a reference, and may compare two by identity.
using TBookmark = std::shared_ptr<const TBytes>;

// An event that a caller can detach, keep and put back: copies share one identity, so a value
// compares equal to itself after a round trip, and a newly assigned function never equals it.
template <class Signature>
class TEvent;
template <class R, class... A>
class TEvent<R(A...)> {
public:
    TEvent() = default;
    TEvent(std::nullptr_t) {}
    template <class F, class = std::enable_if_t<!std::is_same_v<std::decay_t<F>, TEvent> &&
                                                std::is_invocable_r_v<R, F&, A...>>>
    TEvent(F f) : FFn(std::make_shared<const std::function<R(A...)>>(std::move(f))) {}
    explicit operator bool() const { return bool(FFn); }
    R operator()(A... args) const { return (*FFn)(std::forward<A>(args)...); }
    bool operator==(const TEvent& other) const { return FFn == other.FFn; }

private:
    std::shared_ptr<const std::function<R(A...)>> FFn;
};

SS_ENUM(TDataSetState, dsInactive, dsBrowse, dsEdit, dsInsert)
SS_ENUM(TFieldType, ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency,
        ftBCD, ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic,
        ftFmtMemo, ftParadoxOle, ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString,
        ftLargeint, ftADT, ftArray, ftReference, ftDataSet)
SS_ENUM(TFieldKind, fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate)
SS_ENUM(TFDFetchMode, fmOnDemand, fmAll, fmManual)

enum class TDataEvent {
    deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange, deUpdateRecord,
    deUpdateState, deFocusControl
};
enum class TGetMode { gmCurrent, gmNext, gmPrior };
enum class TGetResult { grOK, grBOF, grEOF, grError };
// Where a buffer's record stands: a stored record, or a new one before a stored one or at the end.
enum class TBookmarkFlag { bfCurrent, bfInserted, bfEOF };

class TDataSet;
class TDataSource;
class TField;

// One record as the dataset holds it between the store and the fields: the fixed part (a NULL
// bit per field, then each field's bytes at its offset), the variable-length values, and where
// the record stands in its store.
struct TRecordBuffer {
    TBytes Data;
    std::vector<TBytes> Blobs;
    std::uint64_t Key = 0;  // the store's own reference to the record
    TBookmarkFlag Flag = TBookmarkFlag::bfCurrent;
};

using TFieldNotifyEvent = TEvent<void(TField* Sender)>;
using TFieldGetTextEvent = TEvent<void(TField* Sender, String& Text, bool DisplayText)>;
using TFieldSetTextEvent = TEvent<void(TField* Sender, const String& Text)>;
using TDataSetNotifyEvent = TEvent<void(TDataSet* DataSet)>;
using TFilterRecordEvent = TEvent<void(TDataSet* DataSet, bool& Accept)>;
using TDataChangeEvent = TEvent<void(TObject* Sender, TField* Field)>;
using TDataNotifyEvent = TEvent<void(TObject* Sender)>;

// An ordered list of fields, not owning them.
class TFields {
public:
    int Count() const { return int(FList.size()); }
    TField* Fields(int Index) const;
    TField* operator[](int Index) const { return Fields(Index); }
    int IndexOf(const TField* Field) const;
    // By name (ASCII case ignored), or nullptr.
    TField* FindField(const String& Name) const;
    // By name; EDatabaseError when there is no such field.
    TField* FieldByName(const String& Name) const;

private:
    friend class TDataSet;
    friend class TField;
    friend class TObjectField;
    std::vector<TField*> FList;
};

// A field: one column of a dataset, reading and writing the dataset's current record. It belongs
// to its owner (the dataset for fields made from definitions).
class TField : public TComponent, public TFreeNotifier {
    SS_CLASS(TField, TComponent)
public:
    explicit TField(TComponent* AOwner);
    ~TField() override;

    const String& FieldName() const { return FFieldName; }
    void SetFieldName(const String& Value) { FFieldName = Value; }
    String FullName() const;  // "Parent.Child" under an object field
    String DisplayLabel() const { return FDisplayLabel.empty() ? FFieldName : FDisplayLabel; }
    void SetDisplayLabel(const String& Value);
    String DisplayName() const { return DisplayLabel(); }
    TFieldType DataType() const { return FDataType; }
    int Size() const { return FSize; }
    void SetSize(int Value);
    TFieldKind FieldKind() const { return FFieldKind; }
    void SetFieldKind(TFieldKind Value) { FFieldKind = Value; }
    const String& KeyFields() const { return FKeyFields; }
    void SetKeyFields(const String& Value) { FKeyFields = Value; }
    TAlignment Alignment() const { return FAlignmentSet ? FAlignment : DefaultAlignment(); }
    void SetAlignment(TAlignment Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    bool Required() const { return FRequired; }
    void SetRequired(bool Value) { FRequired = Value; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    int DisplayWidth() const { return FDisplayWidth > 0 ? FDisplayWidth : DefaultDisplayWidth(); }
    void SetDisplayWidth(int Value);
    const String& EditMask() const { return FEditMask; }
    void SetEditMask(const String& Value) { FEditMask = Value; }
    // The position in its dataset's (or parent's) field list; writing it reorders the list.
    int Index() const;
    void SetIndex(int Value);
    TDataSet* DataSet() const { return FDataSet; }
    // Joins Value's fields (at the end); nullptr leaves the current dataset.
    void SetDataSet(TDataSet* Value);
    class TObjectField* ParentField() const { return FParentField; }
    bool CanModify() const;
    virtual bool IsValidChar(wchar_t Ch) const { return true; }
    virtual bool IsBlob() const { return false; }

    // Values. NULL is distinct from every value, also from an empty string.
    bool IsNull() const;
    void Clear();
    virtual String AsString() const;
    virtual void SetAsString(const String& Value);
    virtual std::int32_t AsInteger() const;
    virtual void SetAsInteger(std::int32_t Value);
    virtual std::int64_t AsLargeInt() const;
    virtual void SetAsLargeInt(std::int64_t Value);
    virtual double AsFloat() const;
    virtual void SetAsFloat(double Value);
    virtual bool AsBoolean() const;
    virtual void SetAsBoolean(bool Value);
    virtual TDateTime AsDateTime() const;
    virtual void SetAsDateTime(TDateTime Value);
    // The text an editor shows (Text) and the text a grid cell shows (DisplayText), both through
    // OnGetText when assigned; writing Text goes through OnSetText when assigned.
    String Text() const;
    void SetText(const String& Value);
    String DisplayText() const;
    // Asks the controls showing this field to take the focus (the first willing one takes it).
    void FocusControl();

    TFieldGetTextEvent OnGetText() const { return FOnGetText; }
    void SetOnGetText(TFieldGetTextEvent Value) { FOnGetText = Value; }
    TFieldSetTextEvent OnSetText() const { return FOnSetText; }
    void SetOnSetText(TFieldSetTextEvent Value) { FOnSetText = Value; }
    TFieldNotifyEvent OnChange() const { return FOnChange; }
    void SetOnChange(TFieldNotifyEvent Value) { FOnChange = Value; }

    // The bytes the field takes in the fixed part of a record (0: none, or a variable value).
    virtual int DataSize() const { return 0; }

protected:
    virtual String GetText(bool Display) const { return AsString(); }
    virtual TAlignment DefaultAlignment() const { return TAlignment::taLeftJustify; }
    virtual int DefaultDisplayWidth() const { return 10; }
    [[noreturn]] void ConvertError(const wchar_t* TypeName) const;
    // The field's bytes in the current record; false when NULL or there is no record.
    bool GetData(void* Dest) const;
    // Writes the field's bytes (nullptr: NULL) into the record being edited.
    void SetData(const void* Source);
    const TBytes* GetBlob() const;  // nullptr when NULL
    int ValueOffset() const { return FOffset; }
    void SetBlob(const TBytes* Value);
    void PropertyChanged(bool Layout);

    TFieldType FDataType = TFieldType::ftUnknown;
    int FSize = 0;

private:
    friend class TDataSet;
    friend class TObjectField;
    String FFieldName, FDisplayLabel, FKeyFields, FEditMask;
    TFieldKind FFieldKind = TFieldKind::fkData;
    TAlignment FAlignment = TAlignment::taLeftJustify;
    bool FAlignmentSet = false, FReadOnly = false, FRequired = false, FVisible = true;
    int FDisplayWidth = 0;
    TDataSet* FDataSet = nullptr;
    class TObjectField* FParentField = nullptr;
    // Where the value lies in a record, set by the dataset's layout.
    int FFieldNo = -1, FOffset = 0, FBlobIndex = -1;
    TFieldGetTextEvent FOnGetText;
    TFieldSetTextEvent FOnSetText;
    TFieldNotifyEvent FOnChange;
};

class TIntegerField : public TField {
    SS_CLASS(TIntegerField, TField)
public:
    explicit TIntegerField(TComponent* AOwner);
    String AsString() const override;
    void SetAsString(const String& Value) override;
    std::int32_t AsInteger() const override;
    void SetAsInteger(std::int32_t Value) override;
    std::int64_t AsLargeInt() const override { return AsInteger(); }
    void SetAsLargeInt(std::int64_t Value) override;
    double AsFloat() const override { return AsInteger(); }
    void SetAsFloat(double Value) override;
    bool IsValidChar(wchar_t Ch) const override;
    int DataSize() const override { return 4; }

protected:
    TAlignment DefaultAlignment() const override { return TAlignment::taRightJustify; }
    int DefaultDisplayWidth() const override { return 11; }
};

class TLargeintField : public TField {
    SS_CLASS(TLargeintField, TField)
public:
    explicit TLargeintField(TComponent* AOwner);
    String AsString() const override;
    void SetAsString(const String& Value) override;
    std::int32_t AsInteger() const override;
    void SetAsInteger(std::int32_t Value) override { SetAsLargeInt(Value); }
    std::int64_t AsLargeInt() const override;
    void SetAsLargeInt(std::int64_t Value) override;
    double AsFloat() const override { return double(AsLargeInt()); }
    bool IsValidChar(wchar_t Ch) const override;
    int DataSize() const override { return 8; }

protected:
    TAlignment DefaultAlignment() const override { return TAlignment::taRightJustify; }
    int DefaultDisplayWidth() const override { return 15; }
};

class TFloatField : public TField {
    SS_CLASS(TFloatField, TField)
public:
    explicit TFloatField(TComponent* AOwner);
    String AsString() const override;
    void SetAsString(const String& Value) override;
    std::int32_t AsInteger() const override;
    double AsFloat() const override;
    void SetAsFloat(double Value) override;
    void SetAsInteger(std::int32_t Value) override { SetAsFloat(Value); }
    bool IsValidChar(wchar_t Ch) const override;
    int DataSize() const override { return 8; }

protected:
    TAlignment DefaultAlignment() const override { return TAlignment::taRightJustify; }
    int DefaultDisplayWidth() const override { return 10; }
};

// A float shown with two decimals.
class TCurrencyField : public TFloatField {
    SS_CLASS(TCurrencyField, TFloatField)
public:
    explicit TCurrencyField(TComponent* AOwner);

protected:
    String GetText(bool Display) const override;
};

class TBooleanField : public TField {
    SS_CLASS(TBooleanField, TField)
public:
    explicit TBooleanField(TComponent* AOwner);
    String AsString() const override;  // "True" / "False"
    // Takes True/False, T/F, Yes/No, Y/N, 1/0 (ASCII case ignored); empty text is NULL.
    void SetAsString(const String& Value) override;
    bool AsBoolean() const override;
    void SetAsBoolean(bool Value) override;
    int DataSize() const override { return 1; }

protected:
    int DefaultDisplayWidth() const override { return 5; }
};

// Text of at most Size characters; longer text is cut to Size.
class TStringField : public TField {
    SS_CLASS(TStringField, TField)
public:
    explicit TStringField(TComponent* AOwner);
    String AsString() const override;
    void SetAsString(const String& Value) override;
    std::int32_t AsInteger() const override;
    void SetAsInteger(std::int32_t Value) override { SetAsString(IntToStr(Value)); }
    int DataSize() const override { return 2 + 2 * FSize; }

protected:
    int DefaultDisplayWidth() const override { return FSize; }
};

class TWideStringField : public TStringField {
    SS_CLASS(TWideStringField, TStringField)
public:
    explicit TWideStringField(TComponent* AOwner);
};

// A variable-length value of any size.
class TBlobField : public TField {
    SS_CLASS(TBlobField, TField)
public:
    explicit TBlobField(TComponent* AOwner);
    bool IsBlob() const override { return true; }
    TBytes AsBytes() const;
    void SetAsBytes(const TBytes& Value);
    String AsString() const override;  // the bytes as 8-bit characters
    void SetAsString(const String& Value) override;

protected:
    String GetText(bool Display) const override;
};

// Text of any length.
class TMemoField : public TBlobField {
    SS_CLASS(TMemoField, TBlobField)
public:
    explicit TMemoField(TComponent* AOwner);
    String AsString() const override;
    void SetAsString(const String& Value) override;

protected:
    String GetText(bool Display) const override;
};

class TGraphicField : public TBlobField {
    SS_CLASS(TGraphicField, TBlobField)
public:
    explicit TGraphicField(TComponent* AOwner);
};

class TBytesField : public TBlobField {
    SS_CLASS(TBytesField, TBlobField)
public:
    explicit TBytesField(TComponent* AOwner);
};

// Date and time values; text "yyyy/mm/dd hh:nn:ss" (the time part left out at midnight).
class TDateTimeField : public TField {
    SS_CLASS(TDateTimeField, TField)
public:
    explicit TDateTimeField(TComponent* AOwner);
    String AsString() const override;
    void SetAsString(const String& Value) override;
    TDateTime AsDateTime() const override;
    void SetAsDateTime(TDateTime Value) override;
    double AsFloat() const override { return AsDateTime(); }
    void SetAsFloat(double Value) override { SetAsDateTime(Value); }
    int DataSize() const override { return 8; }

protected:
    int DefaultDisplayWidth() const override { return 19; }
};

class TDateField : public TDateTimeField {  // "yyyy/mm/dd"
    SS_CLASS(TDateField, TDateTimeField)
public:
    explicit TDateField(TComponent* AOwner);

protected:
    int DefaultDisplayWidth() const override { return 10; }
};

class TTimeField : public TDateTimeField {  // "hh:nn:ss"
    SS_CLASS(TTimeField, TDateTimeField)
public:
    explicit TTimeField(TComponent* AOwner);

protected:
    int DefaultDisplayWidth() const override { return 8; }
};

// A field made of child fields (a structured or an array value); the children hold the data.
class TObjectField : public TField {
    SS_CLASS(TObjectField, TField)
public:
    explicit TObjectField(TComponent* AOwner);
    ~TObjectField() override;
    const TFields& Fields() const { return FFields; }
    // The children's texts, in parentheses for a structure and brackets for an array.
    String AsString() const override;

private:
    friend class TField;
    friend class TDataSet;
    TFields FFields;
};

class TADTField : public TObjectField {
    SS_CLASS(TADTField, TObjectField)
public:
    explicit TADTField(TComponent* AOwner);
};

class TArrayField : public TObjectField {
    SS_CLASS(TArrayField, TObjectField)
public:
    explicit TArrayField(TComponent* AOwner);
};

// A field whose value is a set of records, shown through NestedDataSet. The nested records are
// kept with the master record (as one variable-length value in the dataset's own format).
class TDataSetField : public TField {
    SS_CLASS(TDataSetField, TField)
public:
    explicit TDataSetField(TComponent* AOwner);
    // The nested dataset it owns goes first, while it can still leave this field.
    ~TDataSetField() override { DestroyComponents(); }
    TDataSet* NestedDataSet() const { return FNestedDataSet; }
    // The dataset that shows the nested records (not owned); the master's dataset loads it on
    // every move and takes its records back when it posts.
    void SetNestedDataSet(TDataSet* Value) { FNestedDataSet = Value; }
    bool IsBlob() const override { return true; }
    String AsString() const override;
    const TBytes* NestedData() const { return GetBlob(); }
    void SetNestedData(const TBytes& Value) { SetBlob(&Value); }

private:
    TDataSet* FNestedDataSet = nullptr;
};

// Makes an empty field of the class that keeps values of DataType (small integers, words and
// counters in an integer field, variable bytes in a bytes field, ...), owned by Owner.
TField* CreateFieldOfType(TFieldType DataType, TComponent* Owner);

// One field as a dataset is told to make it.
struct TFieldDef {
    String Name;
    TFieldType DataType = TFieldType::ftUnknown;
    int Size = 0;
    bool Required = false;
    std::vector<TFieldDef> ChildDefs;  // structured and array fields
};

class TFieldDefs {
public:
    TFieldDef& Add(const String& Name, TFieldType DataType, int Size = 0, bool Required = false);
    int Count() const { return int(FItems.size()); }
    const TFieldDef& Items(int Index) const { return FItems[std::size_t(Index)]; }
    TFieldDef& Items(int Index) { return FItems[std::size_t(Index)]; }
    void Clear() { FItems.clear(); }

private:
    std::vector<TFieldDef> FItems;
};

class TFetchOptions : public TPersistent {
    SS_CLASS(TFetchOptions, TPersistent)
    SS_PUBLISHED(TFetchOptions)
public:
    TFDFetchMode Mode() const { return FMode; }
    void SetMode(TFDFetchMode Value) { FMode = Value; }

private:
    TFDFetchMode FMode = TFDFetchMode::fmAll;
};

class TDataLink;

// The dataset. A derived store supplies records through the protected cursor interface; the
// dataset keeps the buffer window, the state, the events and the notifications.
class TDataSet : public TComponent, public TFreeNotifier {
    SS_CLASS(TDataSet, TComponent)
    SS_PUBLISHED(TDataSet)
public:
    explicit TDataSet(TComponent* AOwner);
    ~TDataSet() override;

    bool Active() const { return FState != TDataSetState::dsInactive; }
    void SetActive(bool Value);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    TDataSetState State() const { return FState; }
    bool Bof() const { return FBOF; }
    bool Eof() const { return FEOF; }
    bool IsEmpty() const;

    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    // Moves up to Distance records (negative: back); answers how many it moved.
    int MoveBy(int Distance);
    // 1-based; -1 where the store cannot tell.
    virtual int RecNo() const { return -1; }
    virtual void SetRecNo(int Value) {}
    virtual int RecordCount() const { return -1; }
    virtual bool IsSequenced() const { return false; }
    bool IsUnidirectional() const { return FIsUnidirectional; }

    // nullptr on an empty dataset or a record not yet posted.
    TBookmark Bookmark() const;
    // Goes to Value's record; EDatabaseError, without moving, when it is no longer valid.
    void SetBookmark(const TBookmark& Value) { GotoBookmark(Value); }
    void GotoBookmark(const TBookmark& Value);
    // Negative, zero or positive in record order; nullptr sorts first.
    virtual int CompareBookmarks(const TBookmark& A, const TBookmark& B) const;
    virtual bool BookmarkValid(const TBookmark& Value) const { return false; }

    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return FDisableCount > 0; }

    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    // Deletes the active record. A record being edited is put back as read first, so the record
    // deleted is the one read, whatever the edit changed; a new record never posted is only dropped.
    void Delete();
    bool Modified() const { return FModified; }
    virtual bool CanModify() const { return !FIsUnidirectional; }
    // Posts a pending edit (Cancel when nothing was changed); raises on a closed dataset.
    void CheckBrowseMode();
    // Lets the controls write what they hold into the fields.
    void UpdateRecord();
    // Puts the store's cursor on the active record.
    void UpdateCursorPos();
    // Reads the buffer window again around the cursor; Center puts the record in its middle.
    void Resync(bool Center = false);
    // Reads the records again from the store (after the store changed on its own).
    void Refresh();

    const TFields& Fields() const { return FFields; }
    // Every field, children after their parent.
    const TFields& FieldList() const { return FFieldList; }
    TField* FindField(const String& FieldName) const { return FFieldList.FindField(FieldName); }
    TField* FieldByName(const String& FieldName) const { return FFieldList.FieldByName(FieldName); }
    TFieldDefs& FieldDefs() { return FFieldDefs; }
    // True when the fields were made from the definitions at opening.
    bool DefaultFields() const { return FDefaultFields; }
    // With ObjectView, the children of structured fields are reached through their parents
    // only; without it Fields lists them after their parents.
    bool ObjectView() const { return FObjectView; }
    void SetObjectView(bool Value);

    bool Filtered() const { return FFiltered; }
    void SetFiltered(bool Value);
    // The filter text is kept for the controls; records are filtered by OnFilterRecord.
    const String& Filter() const { return FFilter; }
    void SetFilter(const String& Value) { FFilter = Value; }
    TFilterRecordEvent OnFilterRecord() const { return FOnFilterRecord; }
    void SetOnFilterRecord(TFilterRecordEvent Value);

    TFetchOptions* FetchOptions() const { return FFetchOptions.get(); }
    virtual bool ExecuteAction(TObject* Action) { return false; }
    virtual bool UpdateAction(TObject* Action) { return false; }

#define SS_DATASET_EVENT(Name)                                   \
    TDataSetNotifyEvent Name() const { return F##Name; }         \
    void Set##Name(TDataSetNotifyEvent Value) { F##Name = Value; }
    SS_DATASET_EVENT(BeforeOpen) SS_DATASET_EVENT(AfterOpen) SS_DATASET_EVENT(BeforeClose)
    SS_DATASET_EVENT(AfterClose) SS_DATASET_EVENT(BeforeInsert) SS_DATASET_EVENT(AfterInsert)
    SS_DATASET_EVENT(BeforeEdit) SS_DATASET_EVENT(AfterEdit) SS_DATASET_EVENT(BeforePost)
    SS_DATASET_EVENT(AfterPost) SS_DATASET_EVENT(BeforeCancel) SS_DATASET_EVENT(AfterCancel)
    SS_DATASET_EVENT(BeforeDelete) SS_DATASET_EVENT(AfterDelete) SS_DATASET_EVENT(BeforeScroll)
    SS_DATASET_EVENT(AfterScroll)
#undef SS_DATASET_EVENT

    // The buffer window, for the data links.
    int BufferCount() const { return FBufferCount; }
    int ActiveRecord() const { return FActiveRecord; }
    // The record the fields read: the one being filtered, or the active one.
    TRecordBuffer* CurrentBuffer() const;
    // Writes Field's value (Source nullptr: NULL) into the record being edited and reports it.
    void SetFieldData(TField* Field, const void* Source);
    void SetFieldBlob(TField* Field, const TBytes* Value);

protected:
    // The store's cursor. It lies on a record or on a crack before the first or after the last.
    // InternalOpen runs once the fields are made and laid out.
    virtual void InternalOpen() = 0;
    // Opening starts here, before the fields are made: a store that learns its fields only
    // when it opens fills FieldDefs.
    virtual void InternalInitFieldDefs() {}
    virtual void InternalClose() = 0;
    virtual void InternalFirst() = 0;  // to the crack before the first record
    virtual void InternalLast() = 0;   // to the crack after the last record
    // gmNext / gmPrior move the cursor one record, then read it; gmCurrent reads it.
    virtual TGetResult GetRecord(TRecordBuffer& Buffer, TGetMode Mode) = 0;
    virtual void InternalSetToRecord(const TRecordBuffer& Buffer) = 0;
    virtual TBookmark GetBookmarkOf(const TRecordBuffer& Buffer) const = 0;
    virtual void InternalGotoBookmark(const TBookmark& Value) = 0;
    // Stores the active buffer: a new record at its flag's place, or the edited one. Afterwards
    // the cursor lies on the stored record.
    virtual void InternalPost() = 0;
    // Removes the record under the cursor; the cursor goes to the record after it.
    virtual void InternalDelete() = 0;
    virtual void InternalEdit() {}
    // A new record: every field NULL.
    virtual void InternalInitRecord(TRecordBuffer& Buffer);
    // The filter changed: the store shows only the records FilterRecord accepts.
    virtual void FilterChanged() {}
    bool FilterRecord(TRecordBuffer& Buffer);
    bool FilterActive() const { return FFiltered && bool(FOnFilterRecord); }

    // The record layout: offsets of the fields' values and the size of a record's fixed part.
    int RecordSize() const { return FRecordSize; }
    int BlobCount() const { return FBlobCount; }
    // Makes the fields from the definitions (a dataset that has none of its own).
    void CreateFields();
    void DestroyFields();
    void SetUnidirectional(bool Value) { FIsUnidirectional = Value; }
    void DataEvent(TDataEvent Event, std::intptr_t Info);
    void RaiseError(const String& Message) const;
    TRecordBuffer& ActiveBuffer() const { return *FBuffers[std::size_t(FActiveRecord)]; }
    // Puts the cursor where Position puts it and reads the window around it, as one move.
    void MoveCursorTo(const std::function<void()>& Position);
    // The active record changed or was read again (nested datasets follow it).
    virtual void CurrentRecordChanged() {}
    // The fields in the order of their values in a record. A field freed while the dataset is
    // open leaves a hidden read-only stand-in of its kind in its place until the dataset closes,
    // so the layout never has a gap.
    const std::vector<TField*>& LayoutFields() const { return FLayout; }
    // True when Field holds the same value in both records: its NULL flag and its bytes.
    static bool SameValue(const TField* Field, const TRecordBuffer& A, const TRecordBuffer& B);

private:
    friend class TField;
    friend class TDataLink;
    friend class TDataSource;
    void CheckActive() const;
    void CheckEditing() const;
    void CheckCanModify() const;
    void SetState(TDataSetState Value);
    void OpenCursor();
    void CloseCursor();
    void BindFields();
    void AddField(TField* Field);
    void RemoveField(TField* Field);
    void PutStandIn(TField* Field);
    void DropStandIns();
    void MoveField(TField* Field, int NewIndex);
    void RebuildFieldList();
    void ClearBuffers();
    void SetBufferCount(int Value);
    void UpdateBufferCount();
    bool GetNextRecord();
    bool GetPriorRecord();
    void GetNextRecords();
    void GetPriorRecords();
    void FillWindow(int Before);
    void BeginInsertAppend();
    void EndInsertAppend();
    void CheckRequiredFields();
    void PostRecord();  // Post once the controls have written their values
    void Fire(const TDataSetNotifyEvent& Event) { if (Event) Event(this); }

    TDataSetState FState = TDataSetState::dsInactive;
    bool FBOF = true, FEOF = true, FModified = false, FIsUnidirectional = false;
    bool FDefaultFields = false, FObjectView = true, FFiltered = false;
    bool FStateChangedWhileDisabled = false;
    int FDisableCount = 0;
    std::vector<std::unique_ptr<TRecordBuffer>> FBuffers;  // FBufferCount, then a spare one
    int FBufferCount = 0, FRecordCount = 0, FActiveRecord = 0, FCurrentRecord = -1;
    TRecordBuffer* FFilterBuffer = nullptr;
    int FRecordSize = 0, FBlobCount = 0;
    TFields FFields, FFieldList;
    std::vector<TField*> FOwnFields;  // every field joined, in joining order
    std::vector<TField*> FLayout;     // by field number, fixed while open
    std::vector<std::unique_ptr<TField>> FStandIns;  // in FLayout for fields freed while open
    int FScrollShift = 0;             // how far the buffer window moved during one move
    TFieldDefs FFieldDefs;
    std::vector<TDataSource*> FDataSources;
    String FFilter;
    TFilterRecordEvent FOnFilterRecord;
    std::unique_ptr<TFetchOptions> FFetchOptions;
    TDataSetNotifyEvent FBeforeOpen, FAfterOpen, FBeforeClose, FAfterClose, FBeforeInsert,
        FAfterInsert, FBeforeEdit, FAfterEdit, FBeforePost, FAfterPost, FBeforeCancel,
        FAfterCancel, FBeforeDelete, FAfterDelete, FBeforeScroll, FAfterScroll;
};

// Connects data links to a dataset.
class TDataSource : public TComponent, public TFreeNotifier {
    SS_CLASS(TDataSource, TComponent)
public:
    explicit TDataSource(TComponent* AOwner);
    ~TDataSource() override;
    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* Value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    // The dataset's state while enabled, else inactive.
    TDataSetState State() const { return FState; }
    // Puts the dataset into edit mode when it is browsing.
    void Edit();
    TDataChangeEvent OnDataChange() const { return FOnDataChange; }
    void SetOnDataChange(TDataChangeEvent Value) { FOnDataChange = Value; }
    TDataNotifyEvent OnStateChange() const { return FOnStateChange; }
    void SetOnStateChange(TDataNotifyEvent Value) { FOnStateChange = Value; }
    TDataNotifyEvent OnUpdateData() const { return FOnUpdateData; }
    void SetOnUpdateData(TDataNotifyEvent Value) { FOnUpdateData = Value; }

private:
    friend class TDataSet;
    friend class TDataLink;
    void DataEvent(TDataEvent Event, std::intptr_t Info);
    void UpdateState();
    TDataSet* FDataSet = nullptr;
    bool FEnabled = true;
    TDataSetState FState = TDataSetState::dsInactive;
    std::vector<TDataLink*> FLinks;
    TDataChangeEvent FOnDataChange;
    TDataNotifyEvent FOnStateChange, FOnUpdateData;
};

// A control's view of a dataset through a data source: a window of BufferCount records, of
// which ActiveRecord is the current one.
class TDataLink : public TPersistent {
    SS_CLASS(TDataLink, TPersistent)
public:
    TDataLink();
    ~TDataLink() override;
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* Value);
    TDataSet* DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }
    bool Active() const { return FActive; }
    bool Editing() const { return FEditing; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    // A visual link is held back while the dataset's controls are disabled.
    bool VisualControl() const { return FVisualControl; }
    void SetVisualControl(bool Value) { FVisualControl = Value; }
    int BufferCount() const { return FBufferCount; }
    void SetBufferCount(int Value);
    int RecordCount() const;
    // Which buffered record is current; writing it (for drawing a row) moves no cursor and
    // tells no one.
    int ActiveRecord() const;
    void SetActiveRecord(int Value);
    int MoveBy(int Distance);
    // Puts the dataset into edit mode unless the link is read-only; answers Editing.
    bool Edit();
    // Asks this link to write what it holds into the fields.
    void UpdateRecord();
    virtual bool ExecuteAction(TObject* Action);
    virtual bool UpdateAction(TObject* Action);

protected:
    virtual void ActiveChanged() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    virtual void DataSetScrolled(int Distance) { DataSetChanged(); }
    virtual void LayoutChanged() { DataSetChanged(); }
    // Field is a pointer to the field to focus; a link that takes the focus sets it to nullptr.
    virtual void FocusControl(TField** Field) {}
    virtual void EditingChanged() {}
    virtual void RecordChanged(TField* Field) {}
    virtual void UpdateData() {}

private:
    friend class TDataSource;
    friend class TDataSet;
    void DataEvent(TDataEvent Event, std::intptr_t Info);
    void UpdateActiveState();
    void UpdateEditingState();
    void AdjustWindow(int Shift, int* Distance);
    TDataSource* FDataSource = nullptr;
    int FFirstRecord = 0, FBufferCount = 1;
    bool FActive = false, FEditing = false, FReadOnly = false, FVisualControl = false;
    bool FUpdating = false;
};
