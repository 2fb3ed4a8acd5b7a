#include "ssGridStores.h"

namespace {

bool Inside(int index, int count) { return index >= 0 && index < count; }

}  // namespace

// ---- TssCellLine ----

TssCellLine::TssCellLine(TComponent* AOwner) : TComponent(AOwner) {}

bool TssCellLine::isLineSetting() const {
    for (const auto& line : FLines)
        if (line) return true;
    return false;
}

void TssCellLine::SetSide(TSide s, const TPen* v) {
    auto& own = FLines[s];
    if (v && !own) {
        own = std::make_unique<TPen>();
        own->SetOwnerNotify([this](TObject*) { SideChanged(); });
    }
    struct Copying {
        bool& flag;
        ~Copying() { flag = false; }
    } copying{FCopying = true};
    CopyOwned(own, v);
}

void TssCellLine::SideChanged() {
    if (FCopying || !OnChange) return;
    auto busy = [](const TComponent* c) {
        return c && (c->ComponentState().Contains(TComponentStateItem::csDesigning) ||
                     c->ComponentState().Contains(TComponentStateItem::csLoading));
    };
    if (busy(this) || busy(Owner())) return;
    OnChange(this);
}

void TssCellLine::Assign(const TPersistent* Source) {
    auto src = dynamic_cast<const TssCellLine*>(Source);
    if (!src) AssignError(Source);
    for (int s = 0; s < sideCount; ++s) SetSide(TSide(s), src->Side(TSide(s)));
}

// ---- the column and row stores ----

template <typename Rec>
Rec* TssGridAxisInfo<Rec>::Current() const {
    return Inside(FIndex, FList.Count()) ? FList.Find(FIndex) : nullptr;
}

template <typename Rec>
Rec* TssGridAxisInfo<Rec>::Ensure() {
    return Inside(FIndex, FList.Count()) ? &FList.Ensure(FIndex) : nullptr;
}

template <typename Rec>
void TssGridAxisInfo<Rec>::Tidy() {
    if (Rec* r = Current(); r && r->IsDefault()) FList.Erase(FIndex);
}

template <typename Rec>
TColor TssGridAxisInfo<Rec>::Color() const {
    Rec* r = Current();
    return r ? r->Color : clNotSet;
}

template <typename Rec>
void TssGridAxisInfo<Rec>::SetColor(TColor Value) {
    if (Rec* r = Ensure()) r->Color = Value;
    Tidy();
}

template <typename Rec>
TFont* TssGridAxisInfo<Rec>::Font() const {
    Rec* r = Current();
    return r ? r->Font.get() : nullptr;
}

template <typename Rec>
TPen* TssGridAxisInfo<Rec>::Line() const {
    Rec* r = Current();
    return r ? r->Line.get() : nullptr;
}

template <typename Rec>
void TssGridAxisInfo<Rec>::SetFont(const TFont* Value) {
    if (Rec* r = Value ? Ensure() : Current()) CopyOwned(r->Font, Value);
    Tidy();
}

template <typename Rec>
void TssGridAxisInfo<Rec>::SetLine(const TPen* Value) {
    if (Rec* r = Value ? Ensure() : Current()) CopyOwned(r->Line, Value);
    Tidy();
}

template <typename Rec>
void TssGridAxisInfo<Rec>::ForEachStored(const std::function<void(int)>& f) {
    FList.ForEach([&](int i, Rec&) {
        FIndex = i;
        f(i);
    });
}

template class TssGridAxisInfo<TssGridColRec>;
template class TssGridAxisInfo<TssGridRowRec>;

TAlignment TssGridColInfo::Alignment() const {
    CheckCursor();
    TssGridColRec* r = Current();
    return r ? r->Alignment : TAlignment::taLeftJustify;
}

TAlignment TssGridColInfo::FixedAlignment() const {
    CheckCursor();
    TssGridColRec* r = Current();
    return r ? r->FixedAlignment : TAlignment::taLeftJustify;
}

void TssGridColInfo::SetAlignment(TAlignment Value) {
    CheckCursor();
    Ensure()->Alignment = Value;
    Tidy();
}

void TssGridColInfo::SetFixedAlignment(TAlignment Value) {
    CheckCursor();
    Ensure()->FixedAlignment = Value;
    Tidy();
}

TImeMode TssGridColInfo::ImeMode() const {
    TssGridColRec* r = Current();
    return r ? r->ImeMode : TImeMode::imDontCare;
}

void TssGridColInfo::SetImeMode(TImeMode Value) {
    if (TssGridColRec* r = Ensure()) r->ImeMode = Value;
    Tidy();
}

// ---- TssGridCellInfo ----

TssGridCellInfo::TssGridCellInfo(TComponent* AOwner) : FOwner(AOwner) {
    SetColCount(5);
    SetRowCount(5);
}

void TssGridCellInfo::SetColCount(int Value) {
    if (Value < 0) CheckListIndex(Value, 0);
    if (FLinedCells > 0)
        FList.ForEach([&](int col, TColumn& column) {
            if (col >= Value) column.ForEach([&](int, TssGridCellRec& r) { Uncount(r); });
        });
    FList.SetCount(Value);
    if (Value == 0) FRowCount = 0;
}

void TssGridCellInfo::SetRowCount(int Value) {
    if (Value < 0) CheckListIndex(Value, 0);
    if (ColCount() == 0) return;
    FRowCount = Value;
    FList.ForEach([&](int, TColumn& column) {
        if (FLinedCells > 0)
            column.ForEach([&](int row, TssGridCellRec& r) {
                if (row >= Value) Uncount(r);
            });
        column.SetCount(Value);
    });
}

void TssGridCellInfo::MoveCol(int FromCol, int ToCol) {
    if (FromCol != ToCol) FList.Move(FromCol, ToCol);
}

void TssGridCellInfo::MoveRow(int FromRow, int ToRow) {
    if (FromRow == ToRow || ColCount() == 0) return;
    CheckListIndex(FromRow, FRowCount - 1);
    CheckListIndex(ToRow, FRowCount - 1);
    FList.ForEach([&](int, TColumn& column) { column.Move(FromRow, ToRow); });
}

TssGridCellRec* TssGridCellInfo::Current() const {
    if (!Inside(FRow, FRowCount) || !Inside(FCol, ColCount())) return nullptr;
    TColumn* column = FList.Find(FCol);
    return column ? column->Find(FRow) : nullptr;
}

TssGridCellRec* TssGridCellInfo::Ensure() {
    if (!Inside(FRow, FRowCount) || !Inside(FCol, ColCount())) return nullptr;
    TColumn& column = FList.Ensure(FCol);
    if (column.Count() != FRowCount) column.SetCount(FRowCount);
    return &column.Ensure(FRow);
}

void TssGridCellInfo::Tidy() {
    if (TssGridCellRec* r = Current(); r && r->IsDefault()) FList.Find(FCol)->Erase(FRow);
}

TColor TssGridCellInfo::Color() const {
    TssGridCellRec* r = Current();
    return r ? r->Color : clNotSet;
}

// A colour makes the record; taking it back may leave the record without attributes.
void TssGridCellInfo::SetColor(TColor Value) {
    if (Value != clNotSet) {
        if (TssGridCellRec* r = Ensure()) r->Color = Value;
    } else if (TssGridCellRec* r = Current()) {
        r->Color = Value;
        Tidy();
    }
}

TFont* TssGridCellInfo::Font() const {
    TssGridCellRec* r = Current();
    return r ? r->Font.get() : nullptr;
}

void TssGridCellInfo::SetFont(const TFont* Value) {
    if (TssGridCellRec* r = Value ? Ensure() : Current()) CopyOwned(r->Font, Value);
    Tidy();
}

TssCellLine* TssGridCellInfo::CellOuterLine() const {
    TssGridCellRec* r = Current();
    return r ? r->CellOuterLine.get() : nullptr;
}

TssCellLine* TssGridCellInfo::CellInnerLine() const {
    TssGridCellRec* r = Current();
    return r ? r->CellInnerLine.get() : nullptr;
}

void TssGridCellInfo::SetLine(std::unique_ptr<TssCellLine> TssGridCellRec::*line, const TssCellLine* Value) {
    TssGridCellRec* r = Value ? Ensure() : Current();
    if (!r) return;
    auto& own = r->*line;
    if (!Value) own.reset();
    else {
        if (!own) own = std::make_unique<TssCellLine>(FOwner);
        own->Assign(Value);
    }
    const bool lined = LineSetting(*r);
    FLinedCells += int(lined) - int(r->Lined);
    r->Lined = lined;
    Tidy();
}

void TssGridCellInfo::SetCellOuterLine(const TssCellLine* Value) { SetLine(&TssGridCellRec::CellOuterLine, Value); }
void TssGridCellInfo::SetCellInnerLine(const TssCellLine* Value) { SetLine(&TssGridCellRec::CellInnerLine, Value); }

bool TssGridCellInfo::LineSetting(const TssGridCellRec& r) {
    if (r.CellInnerLine) return r.CellInnerLine->isLineSetting();
    return r.CellOuterLine && r.CellOuterLine->isLineSetting();
}

bool TssGridCellInfo::isLineSetting() const {
    TssGridCellRec* r = Current();
    return r && LineSetting(*r);
}

TssCellLine* TssGridCellInfo::Scratch(std::unique_ptr<TssCellLine> TssGridCellRec::*line) {
    TssGridCellRec* r = Ensure();
    if (!r) return nullptr;
    auto& own = r->*line;
    if (!own) own = std::make_unique<TssCellLine>(FOwner);
    return own.get();
}

TssCellLine* TssGridCellInfo::OuterLineScratch() { return Scratch(&TssGridCellRec::OuterLineScratch); }
TssCellLine* TssGridCellInfo::InnerLineScratch() { return Scratch(&TssGridCellRec::InnerLineScratch); }

TssLineAttribute* TssGridCellInfo::LineAttribute(int LineIndex, bool Create) {
    TssGridCellRec* r = Create ? Ensure() : Current();
    if (!r) return nullptr;
    if (r->LineAttributes)
        for (TssLineAttribute& a : *r->LineAttributes)
            if (a.LineIndex == LineIndex) return &a;
    if (!Create) return nullptr;
    if (!r->LineAttributes) r->LineAttributes = std::make_unique<std::deque<TssLineAttribute>>();
    r->LineAttributes->push_back(TssLineAttribute{LineIndex});
    return &r->LineAttributes->back();
}

void TssGridCellInfo::ForEachStored(const std::function<void(int, int)>& f) {
    ForEachRecord([&](int col, int row, const TssGridCellRec&) {
        FCol = col;
        FRow = row;
        f(col, row);
    });
}

void TssGridCellInfo::ForEachRecord(const std::function<void(int, int, const TssGridCellRec&)>& f) {
    FList.ForEach([&](int col, TColumn& column) { column.ForEach([&](int row, TssGridCellRec& r) { f(col, row, r); }); });
}
