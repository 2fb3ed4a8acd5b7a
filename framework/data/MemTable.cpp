#include "MemTable.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "DateUtils.h"

namespace {
constexpr std::uint32_t kChunkRecords = 4096;
constexpr std::uint32_t kFormatVersion = 1;
const char kMagic[4] = {'S', 'S', 'M', 'T'};

[[noreturn]] void Damaged(const String& Why) { throw EDatabaseError(L"The dataset file is damaged: " + Why); }

std::uint64_t KeyOf(std::uint32_t Slot, std::uint32_t Stamp) { return Slot | (std::uint64_t(Stamp) << 32); }

void PutU32(TStream& s, std::uint32_t v) {
    std::uint8_t b[4] = {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
    s.WriteBuffer(b, 4);
}

std::uint32_t GetU32(TStream& s) {
    std::uint8_t b[4];
    s.ReadBuffer(b, 4);
    return b[0] | (b[1] << 8) | (b[2] << 16) | (std::uint32_t(b[3]) << 24);
}

std::uint8_t GetU8(TStream& s) {
    std::uint8_t b;
    s.ReadBuffer(&b, 1);
    return b;
}

std::int64_t Remaining(TStream& s) { return s.Size() - s.Position(); }

// A field as a file describes it.
struct TFieldSpec {
    TFieldDef Def;
    int Parent = -1;
};
}  // namespace

// Slots of RecordSize bytes in chunks; the order list holds the slots in record order.
struct TFDDataSet::TStore {
    int RecordSize = 0, BlobCount = 0;
    std::vector<std::pair<TFieldType, int>> Signature;  // the layout the slots follow
    std::vector<std::unique_ptr<std::uint8_t[]>> Chunks;
    std::vector<std::uint32_t> Order;
    std::vector<std::int32_t> Pos;     // slot: its index in Order, -1 when free
    std::vector<std::uint32_t> Stamp;  // slot: its record's creation number
    std::vector<std::vector<TBytes>> Blobs;
    std::vector<std::uint32_t> Free;
    std::uint32_t NextStamp = 1;

    std::uint8_t* Record(std::uint32_t Slot) const {
        return Chunks[Slot / kChunkRecords].get() + std::size_t(Slot % kChunkRecords) * std::size_t(RecordSize);
    }
    std::uint32_t NewSlot() {
        std::uint32_t slot;
        if (!Free.empty()) {
            slot = Free.back();
            Free.pop_back();
        } else {
            slot = std::uint32_t(Pos.size());
            if (slot % kChunkRecords == 0)
                Chunks.emplace_back(new std::uint8_t[std::size_t(kChunkRecords) * std::size_t(std::max(RecordSize, 1))]);
            Pos.push_back(-1);
            Stamp.push_back(0);
            if (BlobCount) Blobs.emplace_back();
        }
        Stamp[slot] = NextStamp++;
        return slot;
    }
    void Renumber(std::size_t From) {
        for (std::size_t i = From; i < Order.size(); ++i) Pos[Order[i]] = std::int32_t(i);
    }
    void InsertAt(std::size_t Index, std::uint32_t Slot) {
        Order.insert(Order.begin() + std::ptrdiff_t(Index), Slot);
        Renumber(Index);
    }
    void Remove(std::uint32_t Slot) {
        std::size_t index = std::size_t(Pos[Slot]);
        Order.erase(Order.begin() + std::ptrdiff_t(index));
        Renumber(index);
        Pos[Slot] = -1;
        if (BlobCount) Blobs[Slot].clear();
        Free.push_back(Slot);
    }
};

SS_PUBLISH(TFDDataSet) {
    p.Property(L"ReadOnly", &TFDDataSet::ReadOnly, &TFDDataSet::SetReadOnly).Default(false);
}

TFDDataSet::TFDDataSet(TComponent* AOwner) : TDataSet(AOwner), FStore(std::make_unique<TStore>()) {}

TFDDataSet::~TFDDataSet() {
    if (FMasterField) FMasterField->SetNestedDataSet(nullptr);
}

void TFDDataSet::CreateDataSet() {
    Close();
    Open();
}

void TFDDataSet::EmptyDataSet() {
    CheckBrowseMode();
    ClearRecords();
    First();
}

void TFDDataSet::ClearRecords() {
    auto signature = FStore->Signature;
    FStore = std::make_unique<TStore>();
    FStore->RecordSize = RecordSize();
    FStore->BlobCount = BlobCount();
    FStore->Signature = signature;
    FView.clear();
}

void TFDDataSet::AppendRecord(const TRecordBuffer& Buffer) {
    TStore& s = *FStore;
    std::uint32_t slot = s.NewSlot();
    s.Order.push_back(slot);
    s.Pos[slot] = std::int32_t(s.Order.size() - 1);
    std::memcpy(s.Record(slot), Buffer.Data.data(), std::size_t(s.RecordSize));
    if (s.BlobCount) s.Blobs[slot] = Buffer.Blobs;
    if (FilterActive()) {
        TRecordBuffer stored;
        ReadSlot(slot, stored);
        if (FilterRecord(stored)) FView.push_back(slot);
    }
}

void TFDDataSet::InternalOpen() {
    std::vector<std::pair<TFieldType, int>> signature;
    for (TField* f : LayoutFields()) signature.emplace_back(f->DataType(), f->Size());
    if (signature != FStore->Signature) {
        FStore = std::make_unique<TStore>();
        FStore->RecordSize = RecordSize();
        FStore->BlobCount = BlobCount();
        FStore->Signature = signature;
    }
    MakeNestedDataSets();
    FCursor = -1;
    FilterChanged();
}

const std::vector<std::uint32_t>& TFDDataSet::View() const { return FilterActive() ? FView : FStore->Order; }

int TFDDataSet::ViewIndexOf(std::uint32_t Slot) const {
    if (!FilterActive()) return FStore->Pos[Slot];
    const auto& pos = FStore->Pos;
    auto it = std::lower_bound(FView.begin(), FView.end(), pos[Slot],
                               [&pos](std::uint32_t s, std::int32_t p) { return pos[s] < p; });
    return int(it - FView.begin());
}

void TFDDataSet::ReadSlot(std::uint32_t Slot, TRecordBuffer& Buffer) const {
    const std::uint8_t* p = FStore->Record(Slot);
    Buffer.Data.assign(p, p + FStore->RecordSize);
    if (FStore->BlobCount) {
        Buffer.Blobs = FStore->Blobs[Slot];
        Buffer.Blobs.resize(std::size_t(FStore->BlobCount));
    }
    Buffer.Key = KeyOf(Slot, FStore->Stamp[Slot]);
    Buffer.Flag = TBookmarkFlag::bfCurrent;
}

void TFDDataSet::InternalFirst() { FCursor = -1; }
void TFDDataSet::InternalLast() {
    while (FetchMore()) {}
    FCursor = int(View().size());
}

TGetResult TFDDataSet::GetRecord(TRecordBuffer& Buffer, TGetMode Mode) {
    if (Mode == TGetMode::gmNext)
        while (FCursor + 1 >= int(View().size()) && FetchMore()) {}
    const auto& view = View();
    int n = int(view.size());
    if (Mode == TGetMode::gmNext) FCursor = std::min(FCursor + 1, n);
    else if (Mode == TGetMode::gmPrior) FCursor = std::max(FCursor - 1, -1);
    if (FCursor >= n) return TGetResult::grEOF;
    if (FCursor < 0) return TGetResult::grBOF;
    ReadSlot(view[std::size_t(FCursor)], Buffer);
    return TGetResult::grOK;
}

void TFDDataSet::InternalSetToRecord(const TRecordBuffer& Buffer) {
    if (Buffer.Flag == TBookmarkFlag::bfEOF) FCursor = int(View().size());
    else FCursor = ViewIndexOf(std::uint32_t(Buffer.Key));
}

TBookmark TFDDataSet::GetBookmarkOf(const TRecordBuffer& Buffer) const {
    auto bytes = std::make_shared<TBytes>(8);
    std::memcpy(bytes->data(), &Buffer.Key, 8);
    return bytes;
}

bool TFDDataSet::BookmarkValid(const TBookmark& Value) const {
    if (!Active() || !Value || Value->size() != 8) return false;
    std::uint64_t key;
    std::memcpy(&key, Value->data(), 8);
    std::uint32_t slot = std::uint32_t(key);
    if (slot >= FStore->Pos.size() || FStore->Pos[slot] < 0 || FStore->Stamp[slot] != std::uint32_t(key >> 32))
        return false;
    if (!FilterActive()) return true;
    int i = ViewIndexOf(slot);
    return i < int(FView.size()) && FView[std::size_t(i)] == slot;
}

int TFDDataSet::CompareBookmarks(const TBookmark& A, const TBookmark& B) const {
    if (!BookmarkValid(A) || !BookmarkValid(B)) return TDataSet::CompareBookmarks(A, B);
    std::uint64_t a, b;
    std::memcpy(&a, A->data(), 8);
    std::memcpy(&b, B->data(), 8);
    std::int32_t pa = FStore->Pos[std::uint32_t(a)], pb = FStore->Pos[std::uint32_t(b)];
    return pa < pb ? -1 : pa > pb ? 1 : 0;
}

void TFDDataSet::InternalGotoBookmark(const TBookmark& Value) {
    std::uint64_t key;
    std::memcpy(&key, Value->data(), 8);
    FCursor = ViewIndexOf(std::uint32_t(key));
}

int TFDDataSet::RecNo() const {
    const TRecordBuffer* b = Active() ? CurrentBuffer() : nullptr;
    if (!b) return Active() ? 0 : -1;
    if (b->Flag == TBookmarkFlag::bfEOF) return int(View().size()) + 1;
    return ViewIndexOf(std::uint32_t(b->Key)) + 1;
}

void TFDDataSet::SetRecNo(int Value) {
    CheckBrowseMode();
    while (Value > int(View().size()) && FetchMore()) {}
    int n = int(View().size());
    if (n == 0) return;
    Value = std::clamp(Value, 1, n);
    int distance = Value - RecNo();
    if (distance == 0) return;
    // Inside the buffer window a move scrolls exactly; further away the window is read anew.
    if (std::abs(distance) < BufferCount()) MoveBy(distance);
    else MoveCursorTo([&] { FCursor = Value - 1; });
}

int TFDDataSet::RecordCount() const { return Active() ? int(View().size()) : -1; }

void TFDDataSet::InternalPost() {
    TRecordBuffer& b = *CurrentBuffer();
    TStore& s = *FStore;
    std::uint32_t slot;
    if (State() == TDataSetState::dsEdit) {
        slot = std::uint32_t(b.Key);
    } else {
        slot = s.NewSlot();
        std::size_t at = b.Flag == TBookmarkFlag::bfInserted ? std::size_t(s.Pos[std::uint32_t(b.Key)]) : s.Order.size();
        s.InsertAt(at, slot);
    }
    std::memcpy(s.Record(slot), b.Data.data(), std::size_t(s.RecordSize));
    if (s.BlobCount) s.Blobs[slot] = b.Blobs;
    if (FilterActive()) {
        int i = ViewIndexOf(slot);
        bool listed = i < int(FView.size()) && FView[std::size_t(i)] == slot;
        TRecordBuffer stored;
        ReadSlot(slot, stored);
        bool accepted = FilterRecord(stored);
        if (accepted && !listed) FView.insert(FView.begin() + i, slot);
        if (!accepted && listed) FView.erase(FView.begin() + i);
        FCursor = i;
    } else {
        FCursor = s.Pos[slot];
    }
    SaveToMaster();
}

void TFDDataSet::InternalDelete() {
    const auto& view = View();
    if (FCursor < 0 || FCursor >= int(view.size())) return;
    std::uint32_t slot = view[std::size_t(FCursor)];
    if (FilterActive()) FView.erase(FView.begin() + FCursor);
    FStore->Remove(slot);
    SaveToMaster();
}

void TFDDataSet::FilterChanged() {
    FView.clear();
    if (FilterActive()) {
        TRecordBuffer b;
        for (std::uint32_t slot : FStore->Order) {
            ReadSlot(slot, b);
            if (FilterRecord(b)) FView.push_back(slot);
        }
    }
    FCursor = -1;
}

// ---- nested datasets ----

void TFDDataSet::MakeNestedDataSets() {
    for (TField* f : LayoutFields()) {
        auto* field = dynamic_cast<TDataSetField*>(f);
        if (!field || field->NestedDataSet()) continue;
        auto* nested = new TFDMemTable(field);
        std::function<const TFieldDef*(const std::vector<TFieldDef>&)> find;
        const TFieldDef* def = nullptr;
        for (int i = 0; i < FieldDefs().Count() && !def; ++i) {
            std::vector<const TFieldDef*> stack{&FieldDefs().Items(i)};
            while (!stack.empty() && !def) {
                const TFieldDef* d = stack.back();
                stack.pop_back();
                if (d->Name == field->FieldName() && d->DataType == TFieldType::ftDataSet) def = d;
                for (const TFieldDef& c : d->ChildDefs) stack.push_back(&c);
            }
        }
        if (def)
            for (const TFieldDef& c : def->ChildDefs) nested->FieldDefs().Add(c.Name, c.DataType, c.Size, c.Required).ChildDefs = c.ChildDefs;
        nested->FMasterField = field;
        field->SetNestedDataSet(nested);
        nested->Open();
    }
}

// The master moved or was read again: each nested dataset shows the new record's records.
void TFDDataSet::CurrentRecordChanged() {
    for (TField* f : LayoutFields()) {
        auto* field = dynamic_cast<TDataSetField*>(f);
        auto* nested = field ? dynamic_cast<TFDDataSet*>(field->NestedDataSet()) : nullptr;
        if (!nested || nested->FMasterField != field) continue;
        if (nested->State() == TDataSetState::dsEdit || nested->State() == TDataSetState::dsInsert) continue;
        if (!nested->Active()) nested->Open();
        TMemoryStream records;
        if (const TBytes* data = field->NestedData()) records.WriteBuffer(data->data(), data->size());
        else PutU32(records, 0);  // NULL: no records
        records.SetPosition(0);
        nested->ReadRecords(records);
        nested->FilterChanged();
        nested->First();
    }
}

void TFDDataSet::CheckNestedRecords() {
    std::vector<TFDDataSet*> nested;
    for (TField* f : LayoutFields()) {
        auto* field = dynamic_cast<TDataSetField*>(f);
        auto* ds = field ? dynamic_cast<TFDDataSet*>(field->NestedDataSet()) : nullptr;
        if (ds && ds->FMasterField == field) nested.push_back(ds);
    }
    if (nested.empty()) return;
    // Each move reads the new record's nested parts (CurrentRecordChanged).
    for (First(); !Eof(); Next())
        for (TFDDataSet* ds : nested) ds->CheckNestedRecords();
}

// A nested dataset keeps its records in its master's record, which goes into edit mode for it.
void TFDDataSet::SaveToMaster() {
    if (!FMasterField || !FMasterField->DataSet()) return;
    TMemoryStream records;
    WriteRecords(records);
    TDataSet* master = FMasterField->DataSet();
    if (master->State() == TDataSetState::dsBrowse) master->Edit();
    FMasterField->SetNestedData(TBytes(records.Memory(), records.Memory() + records.DataSize()));
}

// ---- streams and files ----

void TFDDataSet::WriteRecords(TStream& Stream) const {
    const TStore& s = *FStore;
    PutU32(Stream, std::uint32_t(s.Order.size()));
    for (std::uint32_t slot : s.Order) {
        Stream.WriteBuffer(s.Record(slot), std::size_t(s.RecordSize));
        for (int i = 0; i < s.BlobCount; ++i) {
            const TBytes* blob = std::size_t(i) < s.Blobs[slot].size() ? &s.Blobs[slot][std::size_t(i)] : nullptr;
            PutU32(Stream, blob ? std::uint32_t(blob->size()) : 0);
            if (blob && !blob->empty()) Stream.WriteBuffer(blob->data(), blob->size());
        }
    }
}

// Reads the records part into a new store and checks every value before it replaces the old.
void TFDDataSet::ReadRecords(TStream& Stream) {
    auto store = std::make_unique<TStore>();
    store->RecordSize = FStore->RecordSize;
    store->BlobCount = FStore->BlobCount;
    store->Signature = FStore->Signature;
    try {
        std::uint32_t count = GetU32(Stream);
        if (std::int64_t(count) * std::max(store->RecordSize, 1) > Remaining(Stream)) Damaged(L"it ends early");
        const auto& fields = LayoutFields();
        for (std::uint32_t r = 0; r < count; ++r) {
            std::uint32_t slot = store->NewSlot();
            store->InsertAt(store->Order.size(), slot);
            std::uint8_t* p = store->Record(slot);
            Stream.ReadBuffer(p, std::size_t(store->RecordSize));
            int offset = (int(fields.size()) + 7) / 8;
            for (std::size_t i = 0; i < fields.size(); ++i) {
                TField* f = fields[i];
                bool present = p[i / 8] & (1u << (i % 8));
                const std::uint8_t* v = p + offset;
                offset += f->DataSize();
                if (!present || !f) continue;
                if (dynamic_cast<TStringField*>(f)) {
                    std::uint16_t length;
                    std::memcpy(&length, v, 2);
                    if (length > f->Size()) Damaged(Format(L"a text of field '%s' is too long", {f->FieldName()}));
                } else if (f->DataType() == TFieldType::ftBoolean) {
                    if (*v > 1) Damaged(Format(L"a value of field '%s' is not a Boolean", {f->FieldName()}));
                } else if (dynamic_cast<TFloatField*>(f) || dynamic_cast<TDateTimeField*>(f)) {
                    double d;
                    std::memcpy(&d, v, 8);
                    bool date = dynamic_cast<TDateTimeField*>(f) != nullptr;
                    if (!std::isfinite(d) || (date && (d < MinDateTime || d > MaxDateTime)))
                        Damaged(Format(L"a value of field '%s' is out of range", {f->FieldName()}));
                }
            }
            if (store->BlobCount) {
                auto& blobs = store->Blobs[slot];
                blobs.resize(std::size_t(store->BlobCount));
                for (auto& blob : blobs) {
                    std::uint32_t length = GetU32(Stream);
                    if (length > Remaining(Stream)) Damaged(L"it ends early");
                    blob.resize(length);
                    if (length) Stream.ReadBuffer(blob.data(), length);
                }
            }
        }
    } catch (const EReadError&) {
        Damaged(L"it ends early");
    }
    FStore = std::move(store);
}

void TFDDataSet::SaveToStream(TStream& Stream) {
    if (Active()) CheckBrowseMode();
    else Open();
    Stream.WriteBuffer(kMagic, 4);
    PutU32(Stream, kFormatVersion);
    // Every field, and after a nested dataset's field the fields of its records.
    std::vector<std::pair<TField*, std::int32_t>> all;  // field, parent index
    std::function<void(const std::vector<TField*>&, std::int32_t)> collect = [&](const std::vector<TField*>& fields,
                                                                                std::int32_t top) {
        std::size_t first = all.size();
        for (TField* f : fields) {
            std::int32_t parent = top;
            for (std::size_t k = first; k < all.size(); ++k)
                if (all[k].first == f->ParentField()) parent = std::int32_t(k);
            all.emplace_back(f, parent);
            auto* field = dynamic_cast<TDataSetField*>(f);
            if (auto* nested = field ? dynamic_cast<TFDDataSet*>(field->NestedDataSet()) : nullptr)
                collect(nested->LayoutFields(), std::int32_t(all.size() - 1));
        }
    };
    collect(LayoutFields(), -1);
    PutU32(Stream, std::uint32_t(all.size()));
    for (auto [f, parent] : all) {
        std::uint8_t type = std::uint8_t(f->DataType()), flags = f->Required() ? 1 : 0;
        Stream.WriteBuffer(&type, 1);
        PutU32(Stream, std::uint32_t(f->Size()));
        Stream.WriteBuffer(&flags, 1);
        PutU32(Stream, std::uint32_t(parent));
        PutU32(Stream, std::uint32_t(f->FieldName().size()));
        for (wchar_t c : f->FieldName()) {
            std::uint8_t unit[2] = {std::uint8_t(c), std::uint8_t(c >> 8)};
            Stream.WriteBuffer(unit, 2);
        }
    }
    WriteRecords(Stream);
}

void TFDDataSet::LoadFromStream(TStream& Stream) {
    std::vector<TFieldSpec> specs;
    try {
        char magic[4];
        Stream.ReadBuffer(magic, 4);
        if (std::memcmp(magic, kMagic, 4) != 0) Damaged(L"it is not a dataset file");
        if (GetU32(Stream) != kFormatVersion) Damaged(L"its version is not known");
        std::uint32_t count = GetU32(Stream);
        if (count == 0 || std::int64_t(count) * 14 > Remaining(Stream)) Damaged(L"its field count is wrong");
        for (std::uint32_t i = 0; i < count; ++i) {
            TFieldSpec spec;
            std::uint8_t type = GetU8(Stream);
            if (type == 0 || type >= EnumInfo(TFieldType{}).Count()) Damaged(L"a field's type is not known");
            spec.Def.DataType = TFieldType(type);
            spec.Def.Size = std::int32_t(GetU32(Stream));
            std::uint8_t flags = GetU8(Stream);
            if (flags > 1) Damaged(L"a field's flags are not known");
            spec.Def.Required = flags == 1;
            spec.Parent = std::int32_t(GetU32(Stream));
            std::uint32_t length = GetU32(Stream);
            if (length == 0 || length > 1024 || length * 2 > Remaining(Stream)) Damaged(L"a field's name is wrong");
            for (std::uint32_t k = 0; k < length; ++k) {
                std::uint8_t unit[2];
                Stream.ReadBuffer(unit, 2);
                spec.Def.Name += wchar_t(unit[0] | (unit[1] << 8));
            }
            bool text = spec.Def.DataType == TFieldType::ftString || spec.Def.DataType == TFieldType::ftWideString ||
                        spec.Def.DataType == TFieldType::ftFixedChar;
            if (text ? spec.Def.Size < 1 || spec.Def.Size > 8192 : spec.Def.Size < 0 || spec.Def.Size > 65536)
                Damaged(Format(L"field '%s' has a wrong size", {spec.Def.Name}));
            if (spec.Parent < -1 || spec.Parent >= int(i)) Damaged(L"a field's parent is wrong");
            if (spec.Parent >= 0) {
                TFieldType parent = specs[std::size_t(spec.Parent)].Def.DataType;
                if (parent != TFieldType::ftADT && parent != TFieldType::ftArray && parent != TFieldType::ftDataSet)
                    Damaged(L"a field's parent is wrong");
                // Depth first: the previous field is the parent or one of its descendants.
                int up = int(i) - 1;
                while (up >= 0 && up != spec.Parent) up = specs[std::size_t(up)].Parent;
                if (up != spec.Parent) Damaged(L"the fields are out of order");
                int depth = 0;
                for (int p = spec.Parent; p >= 0; p = specs[std::size_t(p)].Parent) ++depth;
                if (depth > 16) Damaged(L"its fields nest too deep");
            }
            for (const TFieldSpec& other : specs)
                if (other.Parent == spec.Parent && SameText(other.Def.Name, spec.Def.Name))
                    Damaged(Format(L"field '%s' appears twice", {spec.Def.Name}));
            specs.push_back(std::move(spec));
        }
    } catch (const EReadError&) {
        Damaged(L"it ends early");
    }
    // Definitions as a tree; a nested dataset's children describe its records only.
    std::function<std::vector<TFieldDef>(int)> childrenOf = [&](int parent) {
        std::vector<TFieldDef> defs;
        for (std::size_t i = 0; i < specs.size(); ++i)
            if (specs[i].Parent == parent) {
                defs.push_back(specs[i].Def);
                defs.back().ChildDefs = childrenOf(int(i));
            }
        return defs;
    };
    std::size_t laidOut = 0;
    for (const TFieldSpec& spec : specs) {
        int up = spec.Parent;
        while (up >= 0 && specs[std::size_t(up)].Def.DataType != TFieldType::ftDataSet) up = specs[std::size_t(up)].Parent;
        if (up < 0) ++laidOut;
    }
    // Build the new dataset beside this one and take its fields and records when all is read.
    TFDMemTable loaded(nullptr);
    for (TFieldDef& def : childrenOf(-1)) loaded.FieldDefs().Add(def.Name, def.DataType, def.Size, def.Required).ChildDefs = def.ChildDefs;
    try {
        loaded.CreateDataSet();
    } catch (const EDatabaseError& e) {
        Damaged(e.Message());
    }
    if (loaded.LayoutFields().size() != laidOut) Damaged(L"its field layout is not supported");
    loaded.ReadRecords(Stream);
    if (Stream.Position() != Stream.Size()) Damaged(L"it has bytes after its records");
    loaded.CheckNestedRecords();

    Close();
    DestroyFields();
    while (FieldList().Count() > 0) FieldList()[0]->SetDataSet(nullptr);
    FieldDefs() = loaded.FieldDefs();
    FStore = std::make_unique<TStore>();
    Open();
    FStore = std::move(loaded.FStore);
    FilterChanged();
    First();
}

