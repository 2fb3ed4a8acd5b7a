#include "DB.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "DateUtils.h"

namespace {
const wchar_t* const SFieldNotFound = L"Field '%s' not found";
const wchar_t* const SFieldRequired = L"Field '%s' must have a value";
const wchar_t* const SFieldReadOnly = L"Field '%s' cannot be modified";
const wchar_t* const SDataSetReadOnly = L"Cannot modify a read-only dataset";
const wchar_t* const SDataSetClosed = L"Cannot perform this operation on a closed dataset";
const wchar_t* const SDataSetOpen = L"Cannot perform this operation on an open dataset";
const wchar_t* const SDataSetEmpty = L"Cannot perform this operation on an empty dataset";
const wchar_t* const SNotEditing = L"Dataset not in edit or insert mode";
const wchar_t* const SBookmarkInvalid = L"Bookmark not found: its record no longer exists";
const wchar_t* const SRecordNotFound = L"Record not found";
const wchar_t* const SInvalidValue = L"'%s' is not a valid %s value";

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// A decimal integer with an optional sign and blanks around it; false for anything else.
bool ParseInt64(const String& Text, std::int64_t& Value) {
    String t = Trim(Text);
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == L'+' || t[i] == L'-')) negative = t[i++] == L'-';
    if (i == t.size()) return false;
    std::uint64_t v = 0;
    for (; i < t.size(); ++i) {
        if (!IsDigit(t[i])) return false;
        std::uint64_t next = v * 10 + std::uint64_t(t[i] - L'0');
        if (next / 10 != v || next > std::uint64_t(INT64_MAX) + (negative ? 1 : 0)) return false;
        v = next;
    }
    Value = negative ? std::int64_t(0 - v) : std::int64_t(v);
    return true;
}

// A decimal number in the C locale's form ("-1.5", "2e3"); false for anything else.
bool ParseFloat(const String& Text, double& Value) {
    String t = Trim(Text);
    if (t.empty()) return false;
    std::string narrow;
    for (wchar_t c : t) {
        if (!(IsDigit(c) || c == L'+' || c == L'-' || c == L'.' || c == L'e' || c == L'E')) return false;
        narrow += char(c);
    }
    char* end = nullptr;
    Value = std::strtod(narrow.c_str(), &end);
    return end == narrow.c_str() + narrow.size() && std::isfinite(Value);
}

String Widen(const char* s) { return String(s, s + std::strlen(s)); }

String FormatFloat(double Value, const char* Format) {
    char buf[64];
    std::snprintf(buf, sizeof buf, Format, Value);
    return Widen(buf);
}

bool NumberChar(wchar_t c) { return IsDigit(c) || c == L'+' || c == L'-'; }
}  // namespace

// ---- fields ----

TField* TFields::Fields(int Index) const {
    CheckListIndex(Index, Count() - 1);
    return FList[std::size_t(Index)];
}

int TFields::IndexOf(const TField* Field) const {
    auto it = std::find(FList.begin(), FList.end(), Field);
    return it == FList.end() ? -1 : int(it - FList.begin());
}

TField* TFields::FindField(const String& Name) const {
    for (TField* f : FList)
        if (SameText(f->FieldName(), Name) || SameText(f->FullName(), Name)) return f;
    return nullptr;
}

TField* TFields::FieldByName(const String& Name) const {
    TField* f = FindField(Name);
    if (!f) throw EDatabaseError(Format(SFieldNotFound, {Name}));
    return f;
}

TField::TField(TComponent* AOwner) : TComponent(AOwner) {}

TField::~TField() {
    FComponentState.Include(TComponentStateItem::csDestroying);
    NotifyFreed(this);
    if (FParentField) std::erase(FParentField->FFields.FList, this);
    if (FDataSet) FDataSet->RemoveField(this);
}

String TField::FullName() const {
    return FParentField ? FParentField->FullName() + L"." + FFieldName : FFieldName;
}

void TField::SetDisplayLabel(const String& Value) {
    FDisplayLabel = Value == FFieldName ? String() : Value;
    PropertyChanged(false);
}

void TField::SetSize(int Value) {
    if (FDataSet && FDataSet->Active()) throw EDatabaseError(SDataSetOpen);
    FSize = Value;
}

void TField::SetAlignment(TAlignment Value) {
    FAlignment = Value;
    FAlignmentSet = true;
    PropertyChanged(false);
}

void TField::SetVisible(bool Value) {
    if (FVisible == Value) return;
    FVisible = Value;
    PropertyChanged(true);
}

void TField::SetDisplayWidth(int Value) {
    FDisplayWidth = Value;
    PropertyChanged(true);
}

void TField::PropertyChanged(bool Layout) {
    if (FDataSet && FDataSet->Active())
        FDataSet->DataEvent(Layout ? TDataEvent::deLayoutChange : TDataEvent::deDataSetChange, 0);
}

int TField::Index() const {
    if (FParentField) return FParentField->FFields.IndexOf(this);
    return FDataSet ? FDataSet->Fields().IndexOf(this) : -1;
}

void TField::SetIndex(int Value) {
    if (!FDataSet) return;
    FDataSet->MoveField(this, Value);
}

void TField::SetDataSet(TDataSet* Value) {
    if (Value == FDataSet) return;
    if ((FDataSet && FDataSet->Active()) || (Value && Value->Active())) throw EDatabaseError(SDataSetOpen);
    if (FDataSet) FDataSet->RemoveField(this);
    if (Value) Value->AddField(this);
}

bool TField::CanModify() const {
    return !FReadOnly && (FFieldKind == TFieldKind::fkData || FFieldKind == TFieldKind::fkInternalCalc) &&
           FDataSet && FDataSet->CanModify();
}

bool TField::IsNull() const {
    TRecordBuffer* b = FDataSet ? FDataSet->CurrentBuffer() : nullptr;
    if (!b || FFieldNo < 0) return true;
    return (b->Data[std::size_t(FFieldNo / 8)] & (1u << (FFieldNo % 8))) == 0;
}

void TField::Clear() {
    if (IsBlob()) SetBlob(nullptr);
    else SetData(nullptr);
}

bool TField::GetData(void* Dest) const {
    if (IsNull()) return false;
    std::memcpy(Dest, FDataSet->CurrentBuffer()->Data.data() + FOffset, std::size_t(DataSize()));
    return true;
}

void TField::SetData(const void* Source) { FDataSet->SetFieldData(this, Source); }

const TBytes* TField::GetBlob() const {
    if (IsNull()) return nullptr;
    return &FDataSet->CurrentBuffer()->Blobs[std::size_t(FBlobIndex)];
}

void TField::SetBlob(const TBytes* Value) { FDataSet->SetFieldBlob(this, Value); }

void TField::ConvertError(const wchar_t* TypeName) const {
    throw EDatabaseError(Format(L"Field '%s' cannot be read or written as %s", {DisplayName(), String(TypeName)}));
}

String TField::AsString() const { ConvertError(L"text"); }
void TField::SetAsString(const String&) { ConvertError(L"text"); }
std::int32_t TField::AsInteger() const { ConvertError(L"an integer"); }
void TField::SetAsInteger(std::int32_t) { ConvertError(L"an integer"); }
std::int64_t TField::AsLargeInt() const { return AsInteger(); }
void TField::SetAsLargeInt(std::int64_t) { ConvertError(L"a large integer"); }
double TField::AsFloat() const { ConvertError(L"a float"); }
void TField::SetAsFloat(double) { ConvertError(L"a float"); }
bool TField::AsBoolean() const { ConvertError(L"a Boolean"); }
void TField::SetAsBoolean(bool) { ConvertError(L"a Boolean"); }
TDateTime TField::AsDateTime() const { ConvertError(L"a date and time"); }
void TField::SetAsDateTime(TDateTime) { ConvertError(L"a date and time"); }

String TField::Text() const {
    String text = GetText(false);
    if (FOnGetText) FOnGetText(const_cast<TField*>(this), text, false);
    return text;
}

String TField::DisplayText() const {
    String text = GetText(true);
    if (FOnGetText) FOnGetText(const_cast<TField*>(this), text, true);
    return text;
}

void TField::SetText(const String& Value) {
    if (FOnSetText) FOnSetText(this, Value);
    else SetAsString(Value);
}

void TField::FocusControl() {
    if (!FDataSet || !FDataSet->Active()) return;
    TField* field = this;
    FDataSet->DataEvent(TDataEvent::deFocusControl, std::intptr_t(&field));
}

// Numbers: empty text is NULL; text that is not a number raises and leaves the value.

TIntegerField::TIntegerField(TComponent* AOwner) : TField(AOwner) { FDataType = TFieldType::ftInteger; }

std::int32_t TIntegerField::AsInteger() const {
    std::int32_t v = 0;
    GetData(&v);
    return v;
}

String TIntegerField::AsString() const { return IsNull() ? String() : IntToStr(AsInteger()); }

void TIntegerField::SetAsInteger(std::int32_t Value) { SetData(&Value); }

void TIntegerField::SetAsLargeInt(std::int64_t Value) {
    if (Value < INT32_MIN || Value > INT32_MAX)
        throw EDatabaseError(Format(L"%s is not a valid value for field '%s'", {IntToStr(Value), DisplayName()}));
    SetAsInteger(std::int32_t(Value));
}

void TIntegerField::SetAsFloat(double Value) { SetAsLargeInt(std::llround(Value)); }

void TIntegerField::SetAsString(const String& Value) {
    if (Trim(Value).empty()) return Clear();
    std::int64_t v;
    if (!ParseInt64(Value, v) || v < INT32_MIN || v > INT32_MAX)
        throw EConvertError(Format(SInvalidValue, {Value, String(L"integer")}));
    SetAsInteger(std::int32_t(v));
}

bool TIntegerField::IsValidChar(wchar_t Ch) const { return NumberChar(Ch); }

TLargeintField::TLargeintField(TComponent* AOwner) : TField(AOwner) { FDataType = TFieldType::ftLargeint; }

std::int64_t TLargeintField::AsLargeInt() const {
    std::int64_t v = 0;
    GetData(&v);
    return v;
}

std::int32_t TLargeintField::AsInteger() const {
    std::int64_t v = AsLargeInt();
    if (v < INT32_MIN || v > INT32_MAX)
        throw EDatabaseError(Format(L"%s is not a valid integer value", {IntToStr(v)}));
    return std::int32_t(v);
}

String TLargeintField::AsString() const { return IsNull() ? String() : IntToStr(AsLargeInt()); }
void TLargeintField::SetAsLargeInt(std::int64_t Value) { SetData(&Value); }

void TLargeintField::SetAsString(const String& Value) {
    if (Trim(Value).empty()) return Clear();
    std::int64_t v;
    if (!ParseInt64(Value, v)) throw EConvertError(Format(SInvalidValue, {Value, String(L"integer")}));
    SetAsLargeInt(v);
}

bool TLargeintField::IsValidChar(wchar_t Ch) const { return NumberChar(Ch); }

TFloatField::TFloatField(TComponent* AOwner) : TField(AOwner) { FDataType = TFieldType::ftFloat; }

double TFloatField::AsFloat() const {
    double v = 0;
    GetData(&v);
    return v;
}

std::int32_t TFloatField::AsInteger() const { return std::int32_t(std::llround(AsFloat())); }
String TFloatField::AsString() const { return IsNull() ? String() : FormatFloat(AsFloat(), "%.15g"); }

void TFloatField::SetAsFloat(double Value) {
    if (!std::isfinite(Value)) throw EDatabaseError(Format(L"Field '%s' takes finite numbers only", {DisplayName()}));
    SetData(&Value);
}

void TFloatField::SetAsString(const String& Value) {
    if (Trim(Value).empty()) return Clear();
    double v;
    if (!ParseFloat(Value, v)) throw EConvertError(Format(SInvalidValue, {Value, String(L"floating point")}));
    SetAsFloat(v);
}

bool TFloatField::IsValidChar(wchar_t Ch) const { return NumberChar(Ch) || Ch == L'.' || Ch == L'e' || Ch == L'E'; }

TCurrencyField::TCurrencyField(TComponent* AOwner) : TFloatField(AOwner) { FDataType = TFieldType::ftCurrency; }

String TCurrencyField::GetText(bool Display) const {
    if (!Display || IsNull()) return AsString();
    return FormatFloat(AsFloat(), "%.2f");
}

TBooleanField::TBooleanField(TComponent* AOwner) : TField(AOwner) { FDataType = TFieldType::ftBoolean; }

bool TBooleanField::AsBoolean() const {
    std::uint8_t v = 0;
    GetData(&v);
    return v != 0;
}

void TBooleanField::SetAsBoolean(bool Value) {
    std::uint8_t v = Value ? 1 : 0;
    SetData(&v);
}

String TBooleanField::AsString() const { return IsNull() ? String() : AsBoolean() ? L"True" : L"False"; }

void TBooleanField::SetAsString(const String& Value) {
    String t = Trim(Value);
    if (t.empty()) return Clear();
    for (const wchar_t* yes : {L"True", L"T", L"Yes", L"Y", L"1"})
        if (SameText(t, yes)) return SetAsBoolean(true);
    for (const wchar_t* no : {L"False", L"F", L"No", L"N", L"0"})
        if (SameText(t, no)) return SetAsBoolean(false);
    throw EConvertError(Format(SInvalidValue, {Value, String(L"Boolean")}));
}

// A string's bytes: its length in characters (16 bits), then Size UTF-16 code units.
TStringField::TStringField(TComponent* AOwner) : TField(AOwner) {
    FDataType = TFieldType::ftString;
    FSize = 20;
}

String TStringField::AsString() const {
    if (IsNull()) return String();
    const std::uint8_t* p = DataSet()->CurrentBuffer()->Data.data() + ValueOffset();
    std::uint16_t length;
    std::memcpy(&length, p, 2);
    String s(std::min<int>(length, FSize), L'\0');
    for (std::size_t i = 0; i < s.size(); ++i) {
        std::uint16_t unit;
        std::memcpy(&unit, p + 2 + 2 * i, 2);
        s[i] = wchar_t(unit);
    }
    return s;
}

void TStringField::SetAsString(const String& Value) {
    std::vector<std::uint8_t> bytes(std::size_t(DataSize()), 0);
    std::uint16_t length = std::uint16_t(std::min<std::size_t>(Value.size(), std::size_t(FSize)));
    std::memcpy(bytes.data(), &length, 2);
    for (std::size_t i = 0; i < length; ++i) {
        std::uint16_t unit = std::uint16_t(Value[i]);
        std::memcpy(bytes.data() + 2 + 2 * i, &unit, 2);
    }
    SetData(bytes.data());
}

std::int32_t TStringField::AsInteger() const {
    std::int64_t v;
    if (!ParseInt64(AsString(), v) || v < INT32_MIN || v > INT32_MAX)
        throw EConvertError(Format(SInvalidValue, {AsString(), String(L"integer")}));
    return std::int32_t(v);
}

TWideStringField::TWideStringField(TComponent* AOwner) : TStringField(AOwner) {
    FDataType = TFieldType::ftWideString;
}

TBlobField::TBlobField(TComponent* AOwner) : TField(AOwner) { FDataType = TFieldType::ftBlob; }

TBytes TBlobField::AsBytes() const {
    const TBytes* b = GetBlob();
    return b ? *b : TBytes();
}

void TBlobField::SetAsBytes(const TBytes& Value) { SetBlob(&Value); }

String TBlobField::AsString() const {
    TBytes b = AsBytes();
    return String(b.begin(), b.end());
}

void TBlobField::SetAsString(const String& Value) {
    TBytes b;
    for (wchar_t c : Value) b.push_back(std::uint8_t(c));
    SetBlob(&b);
}

String TBlobField::GetText(bool Display) const {
    if (!Display) return AsString();
    bool empty = IsNull();
    switch (FDataType) {
        case TFieldType::ftGraphic: return empty ? L"(graphic)" : L"(GRAPHIC)";
        case TFieldType::ftBytes: return empty ? L"(bytes)" : L"(BYTES)";
        default: return empty ? L"(blob)" : L"(BLOB)";
    }
}

// Memo text is kept as UTF-16 code units, little-endian.
TMemoField::TMemoField(TComponent* AOwner) : TBlobField(AOwner) { FDataType = TFieldType::ftMemo; }

String TMemoField::AsString() const {
    const TBytes* b = GetBlob();
    if (!b) return String();
    String s(b->size() / 2, L'\0');
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = wchar_t((*b)[2 * i] | ((*b)[2 * i + 1] << 8));
    return s;
}

void TMemoField::SetAsString(const String& Value) {
    TBytes b;
    b.reserve(Value.size() * 2);
    for (wchar_t c : Value) {
        b.push_back(std::uint8_t(c & 0xFF));
        b.push_back(std::uint8_t((c >> 8) & 0xFF));
    }
    SetBlob(&b);
}

String TMemoField::GetText(bool Display) const {
    if (!Display) return AsString();
    return IsNull() ? L"(memo)" : L"(MEMO)";
}

TGraphicField::TGraphicField(TComponent* AOwner) : TBlobField(AOwner) { FDataType = TFieldType::ftGraphic; }
TBytesField::TBytesField(TComponent* AOwner) : TBlobField(AOwner) { FDataType = TFieldType::ftBytes; }

TDateTimeField::TDateTimeField(TComponent* AOwner) : TField(AOwner) { FDataType = TFieldType::ftDateTime; }

TDateTime TDateTimeField::AsDateTime() const {
    double v = 0;
    GetData(&v);
    return v;
}

void TDateTimeField::SetAsDateTime(TDateTime Value) {
    if (!std::isfinite(Value) || Value < MinDateTime || Value > MaxDateTime)
        throw EDatabaseError(Format(L"Field '%s' takes dates from year 1 to 9999", {DisplayName()}));
    SetData(&Value);
}

String TDateTimeField::AsString() const {
    if (IsNull()) return String();
    TDateTime v = AsDateTime();
    switch (FDataType) {
        case TFieldType::ftDate: return FormatDateTime(L"yyyy/mm/dd", v);
        case TFieldType::ftTime: return FormatDateTime(L"hh:nn:ss", v);
        default: return FormatDateTime(v == DateOf(v) ? L"yyyy/mm/dd" : L"yyyy/mm/dd hh:nn:ss", v);
    }
}

// "yyyy/mm/dd", "hh:nn[:ss]" or both separated by a blank; '-' may separate the date's parts.
void TDateTimeField::SetAsString(const String& Value) {
    String t = Trim(Value);
    if (t.empty()) return Clear();
    auto fail = [&]() { throw EConvertError(Format(SInvalidValue, {Value, String(L"date and time")})); };
    std::vector<int> numbers;
    std::vector<wchar_t> seps;
    std::size_t i = 0;
    while (i < t.size()) {
        if (!IsDigit(t[i])) fail();
        int n = 0, digits = 0;
        for (; i < t.size() && IsDigit(t[i]); ++i, ++digits) {
            if (digits == 4) fail();
            n = n * 10 + (t[i] - L'0');
        }
        numbers.push_back(n);
        if (i < t.size()) seps.push_back(t[i++]);
    }
    TDateTime date = 0, time = 0;
    std::size_t k = 0;
    bool hasDate = seps.size() >= 2 && (seps[0] == L'/' || seps[0] == L'-') && seps[1] == seps[0];
    if (hasDate) {
        if (numbers.size() < 3 || !TryEncodeDate(numbers[0], numbers[1], numbers[2], date)) fail();
        k = 3;
        if (k < numbers.size() && seps[2] != L' ') fail();
    } else if (FDataType == TFieldType::ftDate) {
        fail();
    }
    if (k < numbers.size()) {
        std::size_t parts = numbers.size() - k;
        if (parts < 2 || parts > 3) fail();
        for (std::size_t j = k; j + 1 < numbers.size(); ++j)
            if (seps[j] != L':') fail();
        if (!TryEncodeTime(numbers[k], numbers[k + 1], parts == 3 ? numbers[k + 2] : 0, 0, time)) fail();
        if (FDataType == TFieldType::ftDate) fail();
    } else if (!hasDate) {
        fail();
    }
    SetAsDateTime(date + time);
}

TDateField::TDateField(TComponent* AOwner) : TDateTimeField(AOwner) { FDataType = TFieldType::ftDate; }
TTimeField::TTimeField(TComponent* AOwner) : TDateTimeField(AOwner) { FDataType = TFieldType::ftTime; }

TObjectField::TObjectField(TComponent* AOwner) : TField(AOwner) {}

TObjectField::~TObjectField() {
    for (TField* child : FFields.FList) child->FParentField = nullptr;
}

String TObjectField::AsString() const {
    String s = FDataType == TFieldType::ftArray ? L"[" : L"(";
    for (std::size_t i = 0; i < FFields.FList.size(); ++i) {
        if (i) s += L", ";
        s += FFields.FList[i]->DisplayText();
    }
    return s + (FDataType == TFieldType::ftArray ? L"]" : L")");
}

TADTField::TADTField(TComponent* AOwner) : TObjectField(AOwner) { FDataType = TFieldType::ftADT; }
TArrayField::TArrayField(TComponent* AOwner) : TObjectField(AOwner) { FDataType = TFieldType::ftArray; }

TDataSetField::TDataSetField(TComponent* AOwner) : TField(AOwner) { FDataType = TFieldType::ftDataSet; }

String TDataSetField::AsString() const { return L"(DATASET)"; }

TField* CreateFieldOfType(TFieldType DataType, TComponent* Owner) {
    using T = TFieldType;
    switch (DataType) {
        case T::ftSmallint:
        case T::ftWord:
        case T::ftAutoInc:
        case T::ftInteger: return new TIntegerField(Owner);
        case T::ftLargeint: return new TLargeintField(Owner);
        case T::ftFloat: return new TFloatField(Owner);
        case T::ftCurrency: return new TCurrencyField(Owner);
        case T::ftBoolean: return new TBooleanField(Owner);
        case T::ftString:
        case T::ftFixedChar: return new TStringField(Owner);
        case T::ftWideString: return new TWideStringField(Owner);
        case T::ftMemo:
        case T::ftFmtMemo: return new TMemoField(Owner);
        case T::ftGraphic: return new TGraphicField(Owner);
        case T::ftBytes:
        case T::ftVarBytes: return new TBytesField(Owner);
        case T::ftBlob:
        case T::ftTypedBinary: return new TBlobField(Owner);
        case T::ftDate: return new TDateField(Owner);
        case T::ftTime: return new TTimeField(Owner);
        case T::ftDateTime: return new TDateTimeField(Owner);
        case T::ftADT: return new TADTField(Owner);
        case T::ftArray: return new TArrayField(Owner);
        case T::ftDataSet: return new TDataSetField(Owner);
        default:
            throw EDatabaseError(Format(L"Fields of type %s are not supported", {EnumInfo(DataType).Name(int(DataType))}));
    }
}

TFieldDef& TFieldDefs::Add(const String& Name, TFieldType DataType, int Size, bool Required) {
    FItems.push_back(TFieldDef{Name, DataType, Size, Required, {}});
    return FItems.back();
}

SS_PUBLISH(TFetchOptions) { p.Property(L"Mode", &TFetchOptions::Mode, &TFetchOptions::SetMode).Default(TFDFetchMode::fmAll); }

// ---- the dataset ----

SS_PUBLISH(TDataSet) {
    p.Property(L"Active", &TDataSet::Active, &TDataSet::SetActive).Default(false);
    p.Property(L"Filter", &TDataSet::Filter, &TDataSet::SetFilter);
    p.Property(L"Filtered", &TDataSet::Filtered, &TDataSet::SetFiltered).Default(false);
    p.Property(L"ObjectView", &TDataSet::ObjectView, &TDataSet::SetObjectView).Default(true);
    p.Property(L"FetchOptions", &TDataSet::FetchOptions);
}

TDataSet::TDataSet(TComponent* AOwner) : TComponent(AOwner), FFetchOptions(std::make_unique<TFetchOptions>()) {}

TDataSet::~TDataSet() {
    FComponentState.Include(TComponentStateItem::csDestroying);
    NotifyFreed(this);
    while (!FDataSources.empty()) FDataSources.back()->SetDataSet(nullptr);
    // Fields that others own stay, without a dataset; those the dataset owns go with it.
    for (TField* f : std::vector<TField*>(FOwnFields)) f->FDataSet = nullptr;
    DropStandIns();
    FOwnFields.clear();
    FFields.FList.clear();
    FFieldList.FList.clear();
}

void TDataSet::RaiseError(const String& Message) const { throw EDatabaseError(Message); }

void TDataSet::CheckActive() const {
    if (!Active()) RaiseError(SDataSetClosed);
}

void TDataSet::CheckEditing() const {
    if (FState != TDataSetState::dsEdit && FState != TDataSetState::dsInsert) RaiseError(SNotEditing);
}

void TDataSet::CheckCanModify() const {
    if (!CanModify()) RaiseError(SDataSetReadOnly);
}

bool TDataSet::IsEmpty() const { return !Active() || (FRecordCount == 0 && FState != TDataSetState::dsInsert); }

TRecordBuffer* TDataSet::CurrentBuffer() const {
    if (FFilterBuffer) return FFilterBuffer;
    if (!Active() || FRecordCount == 0) return nullptr;
    return FBuffers[std::size_t(FActiveRecord)].get();
}

void TDataSet::SetState(TDataSetState Value) {
    if (FState == Value) return;
    FState = Value;
    FModified = false;
    DataEvent(TDataEvent::deUpdateState, 0);
}

void TDataSet::DataEvent(TDataEvent Event, std::intptr_t Info) {
    switch (Event) {
        case TDataEvent::deFieldChange: {
            FModified = true;
            TField* field = reinterpret_cast<TField*>(Info);
            if (field->FOnChange) field->FOnChange(field);
            break;
        }
        case TDataEvent::deUpdateState:
            if (ControlsDisabled()) FStateChangedWhileDisabled = true;
            break;
        case TDataEvent::deRecordChange:
        case TDataEvent::deDataSetChange:
        case TDataEvent::deDataSetScroll:
            if (Active()) CurrentRecordChanged();
            break;
        default: break;
    }
    for (TDataSource* source : std::vector<TDataSource*>(FDataSources)) source->DataEvent(Event, Info);
}

void TDataSet::SetActive(bool Value) {
    if (Active() == Value) return;
    if (Value) {
        Fire(FBeforeOpen);
        OpenCursor();
        SetState(TDataSetState::dsBrowse);
        Fire(FAfterOpen);
        Fire(FAfterScroll);
    } else {
        if (FState != TDataSetState::dsBrowse) Cancel();
        Fire(FBeforeClose);
        SetState(TDataSetState::dsInactive);
        CloseCursor();
        Fire(FAfterClose);
    }
}

void TDataSet::OpenCursor() {
    InternalInitFieldDefs();
    if (FOwnFields.empty()) CreateFields();
    BindFields();
    InternalOpen();
    try {
        FBufferCount = 0;
        FBuffers.clear();
        FBuffers.push_back(std::make_unique<TRecordBuffer>());  // the spare
        ClearBuffers();
        UpdateBufferCount();
        InternalFirst();
        FCurrentRecord = -1;
        GetNextRecords();
        FBOF = true;
        FEOF = FRecordCount == 0;
    } catch (...) {
        InternalClose();
        FBuffers.clear();
        throw;
    }
}

void TDataSet::CloseCursor() {
    InternalClose();
    FBuffers.clear();
    FBufferCount = 0;
    ClearBuffers();
    FBOF = FEOF = true;
    DropStandIns();
    if (FDefaultFields) DestroyFields();
}

void TDataSet::BindFields() {
    FLayout = FFieldList.FList;
    int n = int(FLayout.size());
    FRecordSize = (n + 7) / 8;
    FBlobCount = 0;
    for (int i = 0; i < n; ++i) {
        TField* f = FLayout[std::size_t(i)];
        f->FFieldNo = i;
        f->FOffset = FRecordSize;
        f->FBlobIndex = f->IsBlob() ? FBlobCount++ : -1;
        FRecordSize += f->DataSize();
    }
}

void TDataSet::InternalInitRecord(TRecordBuffer& Buffer) {
    Buffer.Data.assign(std::size_t(FRecordSize), 0);
    Buffer.Blobs.assign(std::size_t(FBlobCount), TBytes());
}

void TDataSet::CreateFields() {
    FDefaultFields = true;
    std::function<void(const TFieldDef&, TObjectField*)> make = [&](const TFieldDef& def, TObjectField* parent) {
        TField* f = CreateFieldOfType(def.DataType, this);
        f->FDataType = def.DataType;  // kinds that share a class keep their own type
        f->FFieldName = def.Name;
        if (def.Size > 0 || f->DataType() != TFieldType::ftString) f->FSize = def.Size > 0 ? def.Size : f->FSize;
        f->FRequired = def.Required;
        f->FParentField = parent;
        if (parent) parent->FFields.FList.push_back(f);
        AddField(f);
        if (auto* object = dynamic_cast<TObjectField*>(f))
            for (const TFieldDef& child : def.ChildDefs) make(child, object);
    };
    for (int i = 0; i < FFieldDefs.Count(); ++i) make(FFieldDefs.Items(i), nullptr);
}

void TDataSet::DestroyFields() {
    for (TField* f : std::vector<TField*>(FOwnFields))
        if (f->Owner() == this) delete f;
    FDefaultFields = false;
}

void TDataSet::AddField(TField* Field) {
    Field->FDataSet = this;
    FOwnFields.push_back(Field);
    RebuildFieldList();
}

void TDataSet::RemoveField(TField* Field) {
    if (TObjectField* parent = Field->FParentField) std::erase(parent->FFields.FList, Field);
    std::erase(FOwnFields, Field);
    if (Active() && !ComponentState().Contains(TComponentStateItem::csDestroying))
        PutStandIn(Field);
    else
        std::replace(FLayout.begin(), FLayout.end(), Field, static_cast<TField*>(nullptr));
    Field->FDataSet = nullptr;
    Field->FFieldNo = -1;
    RebuildFieldList();
    if (Active() && !ComponentState().Contains(TComponentStateItem::csDestroying))
        DataEvent(TDataEvent::deLayoutChange, 0);
}

// The record layout is fixed while the dataset is open: the stores, the files and the database
// statements walk it field by field. A field freed meanwhile leaves a stand-in of its kind at its
// place, which reads the same bytes but is neither listed, shown nor written to. Field is being
// destroyed: its data members are still its own, its kind's virtual functions no longer.
void TDataSet::PutStandIn(TField* Field) {
    auto at = std::find(FLayout.begin(), FLayout.end(), Field);
    if (at == FLayout.end()) return;
    std::unique_ptr<TField> made;
    try {
        made.reset(CreateFieldOfType(Field->FDataType, nullptr));
    } catch (const EDatabaseError&) {
        made = std::make_unique<TField>(nullptr);
    }
    TField* s = made.get();
    s->FDataType = Field->FDataType;
    s->FFieldName = Field->FFieldName;
    s->FSize = Field->FSize;
    s->FRequired = Field->FRequired;
    s->FFieldKind = Field->FFieldKind;
    s->FReadOnly = true;
    s->FVisible = false;
    s->FDataSet = this;
    s->FParentField = Field->FParentField;
    s->FFieldNo = Field->FFieldNo;
    s->FOffset = Field->FOffset;
    s->FBlobIndex = Field->FBlobIndex;
    *at = s;
    // Stand-ins of children freed before their parent keep a parent of the layout.
    for (auto& other : FStandIns)
        if (other->FParentField == Field) other->FParentField = dynamic_cast<TObjectField*>(s);
    FStandIns.push_back(std::move(made));
}

void TDataSet::DropStandIns() {
    for (auto& s : FStandIns) {
        std::replace(FLayout.begin(), FLayout.end(), s.get(), static_cast<TField*>(nullptr));
        s->FDataSet = nullptr;
        s->FParentField = nullptr;
    }
    FStandIns.clear();
}

bool TDataSet::SameValue(const TField* Field, const TRecordBuffer& A, const TRecordBuffer& B) {
    std::size_t byte = std::size_t(Field->FFieldNo / 8);
    std::uint8_t bit = std::uint8_t(1u << (Field->FFieldNo % 8));
    bool nullA = (A.Data[byte] & bit) == 0, nullB = (B.Data[byte] & bit) == 0;
    if (nullA || nullB) return nullA == nullB;
    if (Field->FBlobIndex >= 0) {
        std::size_t i = std::size_t(Field->FBlobIndex);
        if (i >= A.Blobs.size() || i >= B.Blobs.size()) return A.Blobs.size() == B.Blobs.size();
        return A.Blobs[i] == B.Blobs[i];
    }
    return std::memcmp(A.Data.data() + Field->FOffset, B.Data.data() + Field->FOffset,
                       std::size_t(Field->DataSize())) == 0;
}

void TDataSet::MoveField(TField* Field, int NewIndex) {
    std::vector<TField*>& siblings = Field->FParentField ? Field->FParentField->FFields.FList : FFields.FList;
    NewIndex = std::clamp(NewIndex, 0, int(siblings.size()) - 1);
    TField* target = siblings[std::size_t(NewIndex)];
    if (target == Field) return;
    if (Field->FParentField) {
        std::erase(siblings, Field);
        siblings.insert(siblings.begin() + NewIndex, Field);
    } else {
        // The top-level order is the joining order of the top-level fields.
        bool after = Field->Index() < NewIndex;
        std::erase(FOwnFields, Field);
        auto at = std::find(FOwnFields.begin(), FOwnFields.end(), target);
        FOwnFields.insert(after ? at + 1 : at, Field);
    }
    RebuildFieldList();
    if (Active()) DataEvent(TDataEvent::deLayoutChange, 0);
}

void TDataSet::RebuildFieldList() {
    FFieldList.FList.clear();
    std::function<void(TField*)> walk = [&](TField* f) {
        FFieldList.FList.push_back(f);
        if (auto* object = dynamic_cast<TObjectField*>(f))
            for (TField* child : object->FFields.FList) walk(child);
    };
    std::vector<TField*> top;
    for (TField* f : FOwnFields)
        if (!f->FParentField) top.push_back(f);
    for (TField* f : top) walk(f);
    FFields.FList = FObjectView ? top : FFieldList.FList;
}

void TDataSet::SetObjectView(bool Value) {
    if (FObjectView == Value) return;
    FObjectView = Value;
    RebuildFieldList();
    if (Active()) DataEvent(TDataEvent::deLayoutChange, 0);
}

// ---- the buffer window ----

void TDataSet::ClearBuffers() {
    FRecordCount = 0;
    FActiveRecord = 0;
    FCurrentRecord = -1;
}

void TDataSet::UpdateBufferCount() {
    int count = 1;
    for (TDataSource* source : FDataSources)
        for (TDataLink* link : source->FLinks) count = std::max(count, link->FBufferCount);
    SetBufferCount(count);
}

void TDataSet::SetBufferCount(int Value) {
    if (Value == FBufferCount || FBuffers.empty()) return;
    auto makeBuffer = [this]() {
        auto b = std::make_unique<TRecordBuffer>();
        InternalInitRecord(*b);
        return b;
    };
    if (FBuffers.size() == 1) InternalInitRecord(*FBuffers[0]);
    int shift = 0;
    if (Value > FBufferCount) {
        // New buffers go before the spare, which stays last.
        for (int i = FBufferCount; i < Value; ++i) FBuffers.insert(FBuffers.end() - 1, makeBuffer());
        FBufferCount = Value;
        if (FRecordCount > 0) {
            GetNextRecords();
            int before = FRecordCount;
            GetPriorRecords();
            shift = before - FRecordCount;
        }
    } else {
        // Keep the active record: drop from the start what would push it out, then the end.
        int drop = std::max(0, FActiveRecord - (Value - 1));
        std::rotate(FBuffers.begin(), FBuffers.begin() + drop, FBuffers.begin() + FBufferCount);
        FActiveRecord -= drop;
        FRecordCount = std::max(0, std::min(FRecordCount - drop, Value));
        FBuffers.erase(FBuffers.begin() + Value, FBuffers.begin() + FBufferCount);
        FBufferCount = Value;
        FCurrentRecord = -1;
        shift = drop;
    }
    for (TDataSource* source : FDataSources)
        for (TDataLink* link : source->FLinks)
            if (link->FActive) link->AdjustWindow(shift, nullptr);
}

bool TDataSet::GetNextRecord() {
    if (FRecordCount > 0 && FCurrentRecord != FRecordCount - 1) {
        InternalSetToRecord(*FBuffers[std::size_t(FRecordCount - 1)]);
        FCurrentRecord = FRecordCount - 1;
    }
    TRecordBuffer& spare = *FBuffers[std::size_t(FBufferCount)];
    if (GetRecord(spare, TGetMode::gmNext) != TGetResult::grOK) {
        FCurrentRecord = -1;
        return false;
    }
    if (FRecordCount < FBufferCount) {
        std::swap(FBuffers[std::size_t(FRecordCount)], FBuffers[std::size_t(FBufferCount)]);
        ++FRecordCount;
    } else {
        // The spare (now holding the record) moves in at the end; the first becomes the spare.
        std::rotate(FBuffers.begin(), FBuffers.begin() + 1, FBuffers.end());
        if (FActiveRecord > 0) --FActiveRecord;
        ++FScrollShift;
    }
    FCurrentRecord = FRecordCount - 1;
    return true;
}

bool TDataSet::GetPriorRecord() {
    if (FRecordCount > 0 && FCurrentRecord != 0) {
        InternalSetToRecord(*FBuffers[0]);
        FCurrentRecord = 0;
    }
    TRecordBuffer& spare = *FBuffers[std::size_t(FBufferCount)];
    if (GetRecord(spare, TGetMode::gmPrior) != TGetResult::grOK) {
        FCurrentRecord = -1;
        return false;
    }
    // The spare goes to the front; when the window is full its last record becomes the spare.
    std::rotate(FBuffers.begin(), FBuffers.end() - 1, FBuffers.end());
    if (FRecordCount < FBufferCount) {
        if (FRecordCount > 0) ++FActiveRecord;
        ++FRecordCount;
    } else if (FActiveRecord < FBufferCount - 1) {
        ++FActiveRecord;
    }
    --FScrollShift;
    FCurrentRecord = 0;
    return true;
}

void TDataSet::GetNextRecords() {
    while (FRecordCount < FBufferCount && GetNextRecord()) {
    }
}

void TDataSet::GetPriorRecords() {
    while (FRecordCount < FBufferCount && GetPriorRecord()) {
    }
}

void TDataSet::FillWindow(int Before) {
    while (FActiveRecord < Before && FRecordCount < FBufferCount && GetPriorRecord()) {
    }
    GetNextRecords();
    GetPriorRecords();
}

void TDataSet::UpdateCursorPos() {
    if (FRecordCount > 0 && FCurrentRecord != FActiveRecord) {
        InternalSetToRecord(ActiveBuffer());
        FCurrentRecord = FActiveRecord;
    }
}

void TDataSet::Resync(bool Center) {
    CheckActive();
    TRecordBuffer& spare = *FBuffers[std::size_t(FBufferCount)];
    TGetResult r = GetRecord(spare, TGetMode::gmCurrent);
    if (r != TGetResult::grOK) r = GetRecord(spare, TGetMode::gmNext);
    if (r != TGetResult::grOK) r = GetRecord(spare, TGetMode::gmPrior);
    int before = Center ? (FBufferCount - 1) / 2 : std::min(FActiveRecord, FBufferCount - 1);
    ClearBuffers();
    if (r == TGetResult::grOK) {
        std::swap(FBuffers[0], FBuffers[std::size_t(FBufferCount)]);
        FRecordCount = 1;
        FCurrentRecord = 0;
        FillWindow(before);
        FBOF = FEOF = false;
    } else {
        FBOF = FEOF = true;
    }
    DataEvent(TDataEvent::deDataSetChange, 0);
}

void TDataSet::Refresh() {
    CheckBrowseMode();
    UpdateCursorPos();
    FCurrentRecord = -1;
    Resync();
}

// ---- moving ----

void TDataSet::First() {
    CheckBrowseMode();
    Fire(FBeforeScroll);
    ClearBuffers();
    InternalFirst();
    GetNextRecords();
    FBOF = true;
    FEOF = FRecordCount == 0;
    DataEvent(TDataEvent::deDataSetChange, 0);
    Fire(FAfterScroll);
}

void TDataSet::Last() {
    CheckBrowseMode();
    if (FIsUnidirectional) RaiseError(L"Operation not allowed on a unidirectional dataset");
    Fire(FBeforeScroll);
    ClearBuffers();
    InternalLast();
    GetPriorRecords();
    FActiveRecord = std::max(0, FRecordCount - 1);
    FBOF = FRecordCount == 0;
    FEOF = true;
    DataEvent(TDataEvent::deDataSetChange, 0);
    Fire(FAfterScroll);
}

int TDataSet::MoveBy(int Distance) {
    CheckBrowseMode();
    int moved = 0;
    if ((Distance > 0 && !FEOF) || (Distance < 0 && !FBOF)) {
        if (Distance < 0 && FIsUnidirectional) RaiseError(L"Operation not allowed on a unidirectional dataset");
        FBOF = FEOF = false;
        Fire(FBeforeScroll);
        FScrollShift = 0;
        while (Distance > 0) {
            if (FActiveRecord < FRecordCount - 1) ++FActiveRecord;
            else if (GetNextRecord()) FActiveRecord = FRecordCount - 1;
            else {
                FEOF = true;
                break;
            }
            --Distance;
            ++moved;
        }
        while (Distance < 0) {
            if (FActiveRecord > 0) --FActiveRecord;
            else if (GetPriorRecord()) FActiveRecord = 0;
            else {
                FBOF = true;
                break;
            }
            ++Distance;
            --moved;
        }
        DataEvent(TDataEvent::deDataSetScroll, FScrollShift);
        Fire(FAfterScroll);
    }
    return moved;
}

TBookmark TDataSet::Bookmark() const {
    if (!Active() || FRecordCount == 0) return nullptr;
    const TRecordBuffer& b = ActiveBuffer();
    return b.Flag == TBookmarkFlag::bfCurrent ? GetBookmarkOf(b) : nullptr;
}

void TDataSet::GotoBookmark(const TBookmark& Value) {
    CheckActive();
    if (!BookmarkValid(Value)) RaiseError(SBookmarkInvalid);
    CheckBrowseMode();
    if (!BookmarkValid(Value)) RaiseError(SBookmarkInvalid);  // the post may have removed it
    MoveCursorTo([&] { InternalGotoBookmark(Value); });
}

void TDataSet::MoveCursorTo(const std::function<void()>& Position) {
    CheckBrowseMode();
    Fire(FBeforeScroll);
    Position();
    FCurrentRecord = -1;
    Resync(true);
    Fire(FAfterScroll);
}

int TDataSet::CompareBookmarks(const TBookmark& A, const TBookmark& B) const {
    if (!A || !B) return int(bool(A)) - int(bool(B));
    return A == B || *A == *B ? 0 : *A < *B ? -1 : 1;
}

void TDataSet::DisableControls() { ++FDisableCount; }

void TDataSet::EnableControls() {
    if (FDisableCount == 0 || --FDisableCount > 0) return;
    if (FStateChangedWhileDisabled) {
        FStateChangedWhileDisabled = false;
        DataEvent(TDataEvent::deUpdateState, 0);
    }
    if (Active()) DataEvent(TDataEvent::deDataSetChange, 0);
}

// ---- editing ----

void TDataSet::Edit() {
    if (FState == TDataSetState::dsEdit || FState == TDataSetState::dsInsert) return;
    CheckActive();
    CheckCanModify();
    if (FRecordCount == 0) return Insert();
    Fire(FBeforeEdit);
    UpdateCursorPos();
    if (GetRecord(ActiveBuffer(), TGetMode::gmCurrent) != TGetResult::grOK) RaiseError(SRecordNotFound);
    InternalEdit();
    SetState(TDataSetState::dsEdit);
    DataEvent(TDataEvent::deRecordChange, 0);
    Fire(FAfterEdit);
}

void TDataSet::BeginInsertAppend() {
    CheckBrowseMode();
    CheckCanModify();
    Fire(FBeforeInsert);
    Fire(FBeforeScroll);
}

void TDataSet::EndInsertAppend() {
    SetState(TDataSetState::dsInsert);
    FModified = false;
    DataEvent(TDataEvent::deDataSetChange, 0);
    Fire(FAfterInsert);
    Fire(FAfterScroll);
}

void TDataSet::Insert() {
    BeginInsertAppend();
    UpdateCursorPos();
    // The new record takes the active row; the rows below move down, the last one falls out
    // of a full window.
    std::unique_ptr<TRecordBuffer> fresh = std::move(FBuffers.back());
    FBuffers.pop_back();
    InternalInitRecord(*fresh);
    if (FRecordCount == 0) {
        fresh->Flag = TBookmarkFlag::bfEOF;
    } else {
        fresh->Key = ActiveBuffer().Key;
        fresh->Flag = ActiveBuffer().Flag == TBookmarkFlag::bfCurrent ? TBookmarkFlag::bfInserted : ActiveBuffer().Flag;
    }
    FBuffers.insert(FBuffers.begin() + FActiveRecord, std::move(fresh));
    if (FRecordCount < FBufferCount) ++FRecordCount;
    FCurrentRecord = -1;
    FBOF = FEOF = false;
    EndInsertAppend();
}

void TDataSet::Append() {
    BeginInsertAppend();
    ClearBuffers();
    TRecordBuffer& fresh = *FBuffers[0];
    InternalInitRecord(fresh);
    fresh.Flag = TBookmarkFlag::bfEOF;
    FRecordCount = 1;
    GetPriorRecords();
    FActiveRecord = FRecordCount - 1;
    FBOF = false;
    FEOF = true;
    EndInsertAppend();
}

void TDataSet::CheckRequiredFields() {
    for (TField* f : FFieldList.FList)
        if (f->Required() && !f->ReadOnly() && f->FieldKind() == TFieldKind::fkData && f->IsNull()) {
            f->FocusControl();
            RaiseError(Format(SFieldRequired, {f->DisplayName()}));
        }
}

void TDataSet::Post() {
    CheckActive();
    if (FState != TDataSetState::dsEdit && FState != TDataSetState::dsInsert) return;
    UpdateRecord();
    PostRecord();
}

void TDataSet::PostRecord() {
    Fire(FBeforePost);
    CheckRequiredFields();
    UpdateCursorPos();
    InternalPost();
    FCurrentRecord = -1;
    SetState(TDataSetState::dsBrowse);
    Resync();
    Fire(FAfterPost);
}

void TDataSet::Cancel() {
    if (FState != TDataSetState::dsEdit && FState != TDataSetState::dsInsert) return;
    Fire(FBeforeCancel);
    UpdateCursorPos();
    FCurrentRecord = -1;
    SetState(TDataSetState::dsBrowse);
    Resync();
    Fire(FAfterCancel);
}

void TDataSet::Delete() {
    CheckActive();
    // A record being edited is put back as read before it goes: the store deletes the record as
    // it holds it (a database the row its key as read names), never one an edited key would
    // name. A new record never posted is only dropped.
    if (FState == TDataSetState::dsInsert) return Cancel();
    if (FState == TDataSetState::dsEdit) Cancel();
    if (FRecordCount == 0) RaiseError(SDataSetEmpty);
    CheckCanModify();
    Fire(FBeforeDelete);
    Fire(FBeforeScroll);
    UpdateCursorPos();
    InternalDelete();
    FCurrentRecord = -1;
    SetState(TDataSetState::dsBrowse);
    Resync();
    Fire(FAfterDelete);
    Fire(FAfterScroll);
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    if (FState != TDataSetState::dsEdit && FState != TDataSetState::dsInsert) return;
    UpdateRecord();
    if (FModified) PostRecord();
    else Cancel();
}

void TDataSet::UpdateRecord() {
    CheckEditing();
    DataEvent(TDataEvent::deUpdateRecord, 0);
}

void TDataSet::SetFieldData(TField* Field, const void* Source) {
    CheckEditing();
    if (!Field->CanModify()) RaiseError(Format(SFieldReadOnly, {Field->DisplayName()}));
    TRecordBuffer& b = *CurrentBuffer();
    std::uint8_t bit = std::uint8_t(1u << (Field->FFieldNo % 8));
    std::uint8_t& nulls = b.Data[std::size_t(Field->FFieldNo / 8)];
    if (Source) {
        std::memcpy(b.Data.data() + Field->FOffset, Source, std::size_t(Field->DataSize()));
        nulls |= bit;
    } else {
        std::memset(b.Data.data() + Field->FOffset, 0, std::size_t(Field->DataSize()));
        nulls &= std::uint8_t(~bit);
    }
    DataEvent(TDataEvent::deFieldChange, std::intptr_t(Field));
}

void TDataSet::SetFieldBlob(TField* Field, const TBytes* Value) {
    CheckEditing();
    if (!Field->CanModify()) RaiseError(Format(SFieldReadOnly, {Field->DisplayName()}));
    TRecordBuffer& b = *CurrentBuffer();
    b.Blobs[std::size_t(Field->FBlobIndex)] = Value ? *Value : TBytes();
    std::uint8_t bit = std::uint8_t(1u << (Field->FFieldNo % 8));
    std::uint8_t& nulls = b.Data[std::size_t(Field->FFieldNo / 8)];
    nulls = Value ? std::uint8_t(nulls | bit) : std::uint8_t(nulls & ~bit);
    DataEvent(TDataEvent::deFieldChange, std::intptr_t(Field));
}

// ---- filtering ----

bool TDataSet::FilterRecord(TRecordBuffer& Buffer) {
    bool accept = true;
    TRecordBuffer* saved = FFilterBuffer;
    FFilterBuffer = &Buffer;
    try {
        FOnFilterRecord(this, accept);
    } catch (...) {
        FFilterBuffer = saved;
        throw;
    }
    FFilterBuffer = saved;
    return accept;
}

void TDataSet::SetFiltered(bool Value) {
    if (FFiltered == Value) return;
    if (Active()) CheckBrowseMode();
    FFiltered = Value;
    if (Active()) {
        FilterChanged();
        First();
    }
}

void TDataSet::SetOnFilterRecord(TFilterRecordEvent Value) {
    if (FOnFilterRecord == Value) return;
    if (Active() && FFiltered) CheckBrowseMode();
    FOnFilterRecord = Value;
    if (Active() && FFiltered) {
        FilterChanged();
        First();
    }
}

// ---- data source ----

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource() {
    FComponentState.Include(TComponentStateItem::csDestroying);
    NotifyFreed(this);
    SetDataSet(nullptr);
    while (!FLinks.empty()) FLinks.back()->SetDataSource(nullptr);
}

void TDataSource::SetDataSet(TDataSet* Value) {
    if (Value == FDataSet) return;
    if (FDataSet) std::erase(FDataSet->FDataSources, this);
    FDataSet = Value;
    if (FDataSet) {
        FDataSet->FDataSources.push_back(this);
        if (FDataSet->Active()) FDataSet->UpdateBufferCount();
    }
    UpdateState();
}

void TDataSource::SetEnabled(bool Value) {
    FEnabled = Value;
    UpdateState();
}

void TDataSource::Edit() {
    if (FState == TDataSetState::dsBrowse) FDataSet->Edit();
}

void TDataSource::UpdateState() {
    TDataSetState state = FEnabled && FDataSet ? FDataSet->State() : TDataSetState::dsInactive;
    if (state == FState) return;
    FState = state;
    for (TDataLink* link : std::vector<TDataLink*>(FLinks)) link->DataEvent(TDataEvent::deUpdateState, 0);
    if (FOnStateChange) FOnStateChange(this);
}

void TDataSource::DataEvent(TDataEvent Event, std::intptr_t Info) {
    bool held = FDataSet->ControlsDisabled();
    if (Event == TDataEvent::deUpdateState) {
        if (!held) UpdateState();
        else
            for (TDataLink* link : std::vector<TDataLink*>(FLinks))
                if (!link->FVisualControl) link->DataEvent(Event, Info);
        return;
    }
    if (!FEnabled) return;
    for (TDataLink* link : std::vector<TDataLink*>(FLinks))
        if (!held || !link->FVisualControl || Event == TDataEvent::deUpdateRecord) link->DataEvent(Event, Info);
    switch (Event) {
        case TDataEvent::deFieldChange:
        case TDataEvent::deRecordChange:
        case TDataEvent::deDataSetChange:
        case TDataEvent::deDataSetScroll:
        case TDataEvent::deLayoutChange:
            if (!held && FOnDataChange)
                FOnDataChange(this, Event == TDataEvent::deFieldChange ? reinterpret_cast<TField*>(Info) : nullptr);
            break;
        case TDataEvent::deUpdateRecord:
            if (FOnUpdateData) FOnUpdateData(this);
            break;
        default: break;
    }
}

// ---- data link ----

TDataLink::TDataLink() = default;

TDataLink::~TDataLink() {
    if (FDataSource) std::erase(FDataSource->FLinks, this);
}

void TDataLink::SetDataSource(TDataSource* Value) {
    if (Value == FDataSource) return;
    if (FDataSource) std::erase(FDataSource->FLinks, this);
    FDataSource = Value;
    if (FDataSource) FDataSource->FLinks.push_back(this);
    UpdateActiveState();
    UpdateEditingState();
}

void TDataLink::SetReadOnly(bool Value) {
    FReadOnly = Value;
    UpdateEditingState();
}

void TDataLink::SetBufferCount(int Value) {
    Value = std::max(1, Value);
    if (Value == FBufferCount) return;
    FBufferCount = Value;
    if (FActive) {
        DataSet()->UpdateBufferCount();
        AdjustWindow(0, nullptr);
    }
}

int TDataLink::RecordCount() const {
    if (!FActive) return 0;
    return std::max(0, std::min(DataSet()->FRecordCount - FFirstRecord, FBufferCount));
}

int TDataLink::ActiveRecord() const { return FActive ? DataSet()->FActiveRecord - FFirstRecord : 0; }

void TDataLink::SetActiveRecord(int Value) {
    if (FActive) DataSet()->FActiveRecord = Value + FFirstRecord;
}

int TDataLink::MoveBy(int Distance) { return FActive ? DataSet()->MoveBy(Distance) : 0; }

bool TDataLink::Edit() {
    if (FActive && !FReadOnly) FDataSource->Edit();
    return FEditing;
}

void TDataLink::UpdateRecord() {
    if (FUpdating) return;
    FUpdating = true;
    try {
        UpdateData();
    } catch (...) {
        FUpdating = false;
        throw;
    }
    FUpdating = false;
}

bool TDataLink::ExecuteAction(TObject* Action) {
    TDataSet* ds = DataSet();
    return Action && ds && ds->ExecuteAction(Action);
}

bool TDataLink::UpdateAction(TObject* Action) {
    TDataSet* ds = DataSet();
    return Action && ds && ds->UpdateAction(Action);
}

void TDataLink::UpdateActiveState() {
    TDataSet* ds = DataSet();
    bool active = ds && FDataSource->Enabled() && ds->Active();
    if (active == FActive) return;
    FActive = active;
    if (FActive) {
        FFirstRecord = 0;
        ds->UpdateBufferCount();
        AdjustWindow(0, nullptr);
    }
    ActiveChanged();
}

void TDataLink::UpdateEditingState() {
    TDataSet* ds = DataSet();
    bool editing = FActive && !FReadOnly &&
                   (ds->State() == TDataSetState::dsEdit || ds->State() == TDataSetState::dsInsert);
    if (editing == FEditing) return;
    FEditing = editing;
    EditingChanged();
}

// Shift: how many records the dataset's window moved (its buffer i now holds what was at
// i + Shift). The link keeps its top record where it can and its active record inside its own
// window; Distance is how many records its top row moved.
void TDataLink::AdjustWindow(int Shift, int* Distance) {
    const TDataSet* ds = DataSet();
    int first = FFirstRecord - Shift;
    int active = ds->FActiveRecord;
    if (active > first + FBufferCount - 1) first = active - FBufferCount + 1;
    if (active < first) first = active;
    first = std::max(0, std::min(first, std::max(0, ds->FRecordCount - FBufferCount)));
    if (Distance) *Distance = first + Shift - FFirstRecord;
    FFirstRecord = first;
}

void TDataLink::DataEvent(TDataEvent Event, std::intptr_t Info) {
    if (Event == TDataEvent::deUpdateState) {
        UpdateActiveState();
        UpdateEditingState();
        return;
    }
    if (!FActive) return;
    switch (Event) {
        case TDataEvent::deFieldChange: RecordChanged(reinterpret_cast<TField*>(Info)); break;
        case TDataEvent::deRecordChange: RecordChanged(nullptr); break;
        case TDataEvent::deDataSetScroll: {
            int distance = 0;
            AdjustWindow(int(Info), &distance);
            DataSetScrolled(distance);
            break;
        }
        case TDataEvent::deDataSetChange:
            AdjustWindow(0, nullptr);
            DataSetChanged();
            break;
        case TDataEvent::deLayoutChange:
            AdjustWindow(0, nullptr);
            LayoutChanged();
            break;
        case TDataEvent::deUpdateRecord: UpdateRecord(); break;
        case TDataEvent::deFocusControl: FocusControl(reinterpret_cast<TField**>(Info)); break;
        default: break;
    }
}
