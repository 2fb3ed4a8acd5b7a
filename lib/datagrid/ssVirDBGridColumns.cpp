// The data grid's columns, titles, column sets, data link and bookmark list.
#include <algorithm>

#include "Filer.h"
#include "ssSysInf.h"
#include "ssVirDBGrid.h"
#include "ssVirDBGridSupport.h"

namespace {

// A default column never gets wider than this many characters: long text fields report a size
// of up to 2^31 - 1, and the width in pixels would overflow.
constexpr int MaxDefaultDisplayWidth = 255;

}  // namespace

const String& ScreenDefaultImeName() {
    static const String name = TssSystemInfo().DefaultIme();
    return name;
}

namespace {

// Copies Source into Target unless they already describe the same font; Copying guards the
// target's change handler meanwhile. The colour counts too: an unset font follows its default's
// colour like everything else.
void CopyDefaultFont(TFont* Target, const TFont* Source, bool& Copying) {
    if (Target == Source) return;
    if (Target->Handle() == Source->Handle() && Target->Color() == Source->Color()) return;
    TFlagScope copying(Copying);
    Target->Assign(*Source);
}

// A stored attribute's setter: an equal value that is already set changes nothing; otherwise
// the value is stored and marked as set. Answers whether it changed anything.
template <class V>
bool StoreAssigned(TColumnValues& Assigned, TColumnValue Flag, V& Stored, const V& Value) {
    if (Assigned.Contains(Flag) && Value == Stored) return false;
    Stored = Value;
    Assigned.Include(Flag);
    return true;
}

}  // namespace

// ---- TColumnTitle ----

SS_PUBLISH(TColumnTitle) {
    p.Property(L"Alignment", &TColumnTitle::Alignment, &TColumnTitle::SetAlignment)
        .Stored(&TColumnTitle::IsAlignmentStored);
    p.Property(L"Caption", &TColumnTitle::Caption, &TColumnTitle::SetCaption).Stored(&TColumnTitle::IsCaptionStored);
    p.Property(L"Color", &TColumnTitle::Color, &TColumnTitle::SetColor).Stored(&TColumnTitle::IsColorStored);
    p.Property(L"Font", &TColumnTitle::Font, &TColumnTitle::SetFont).Stored(&TColumnTitle::IsFontStored);
}

TColumnTitle::TColumnTitle(TssColumn* Column) : FColumn(Column), FFont(std::make_unique<TFont>()) {
    FFont->SetOwnerNotify([this](TObject*) { FontChanged(); });
}

TColumnTitle::~TColumnTitle() = default;

void TColumnTitle::Assign(const TPersistent* Source) {
    auto* src = dynamic_cast<const TColumnTitle*>(Source);
    if (!src) return TPersistent::Assign(Source);
    TColumnValues flags = src->FColumn->AssignedValues();
    if (flags.Contains(TColumnValue::cvTitleAlignment)) SetAlignment(src->FAlignment);
    if (flags.Contains(TColumnValue::cvTitleColor)) SetColor(src->FColor);
    if (flags.Contains(TColumnValue::cvTitleCaption)) SetCaption(src->FCaption);
    if (flags.Contains(TColumnValue::cvTitleFont)) SetFont(src->Font());
}

TAlignment TColumnTitle::Alignment() const {
    return FColumn->FAssignedValues.Contains(TColumnValue::cvTitleAlignment) ? FAlignment : DefaultAlignment();
}

void TColumnTitle::SetAlignment(TAlignment Value) {
    if (StoreAssigned(FColumn->FAssignedValues, TColumnValue::cvTitleAlignment, FAlignment, Value))
        FColumn->ColumnChanged(false);
}

String TColumnTitle::Caption() const {
    return FColumn->FAssignedValues.Contains(TColumnValue::cvTitleCaption) ? FCaption : DefaultCaption();
}

void TColumnTitle::SetCaption(const String& Value) {
    if (FColumn->WritesThrough()) {
        FColumn->Field()->SetDisplayLabel(Value);
        return;
    }
    if (StoreAssigned(FColumn->FAssignedValues, TColumnValue::cvTitleCaption, FCaption, Value))
        FColumn->ColumnChanged(false);
}

TColor TColumnTitle::Color() const {
    return FColumn->FAssignedValues.Contains(TColumnValue::cvTitleColor) ? FColor : DefaultColor();
}

void TColumnTitle::SetColor(TColor Value) {
    if (StoreAssigned(FColumn->FAssignedValues, TColumnValue::cvTitleColor, FColor, Value))
        FColumn->ColumnChanged(false);
}

TFont* TColumnTitle::Font() const {
    if (!FColumn->FAssignedValues.Contains(TColumnValue::cvTitleFont)) RefreshDefaultFont();
    return FFont.get();
}

void TColumnTitle::SetFont(TFont* Value) {
    FFont->Assign(*Value);
    FColumn->ColumnChanged(false);
}

String TColumnTitle::DefaultCaption() const {
    TField* field = FColumn->Field();
    return field ? field->DisplayName() : FColumn->FieldName();
}

TColor TColumnTitle::DefaultColor() const {
    TssCustomDBGrid* grid = FColumn->Grid();
    return grid ? grid->FixedColor() : clBtnFace;
}

TFont* TColumnTitle::DefaultFont() const {
    TssCustomDBGrid* grid = FColumn->Grid();
    return grid ? grid->TitleFont() : FColumn->Font();
}

void TColumnTitle::RefreshDefaultFont() const { CopyDefaultFont(FFont.get(), DefaultFont(), FCopyingFont); }

void TColumnTitle::FontChanged() {
    if (FCopyingFont) return;
    FColumn->FAssignedValues.Include(TColumnValue::cvTitleFont);
    FColumn->ColumnChanged(true);
}

void TColumnTitle::RestoreDefaults() {
    TColumnValues& flags = FColumn->FAssignedValues;
    bool fontAssigned = flags.Contains(TColumnValue::cvTitleFont);
    flags = flags - TColumnValues{TColumnValue::cvTitleColor, TColumnValue::cvTitleCaption,
                                  TColumnValue::cvTitleAlignment, TColumnValue::cvTitleFont};
    FCaption.clear();
    RefreshDefaultFont();
    FColumn->ColumnChanged(fontAssigned);
}

bool TColumnTitle::IsAlignmentStored() const {
    return FColumn->FAssignedValues.Contains(TColumnValue::cvTitleAlignment) && FAlignment != DefaultAlignment();
}
bool TColumnTitle::IsCaptionStored() const {
    return FColumn->FAssignedValues.Contains(TColumnValue::cvTitleCaption) && FCaption != DefaultCaption();
}
bool TColumnTitle::IsColorStored() const {
    return FColumn->FAssignedValues.Contains(TColumnValue::cvTitleColor) && FColor != DefaultColor();
}
bool TColumnTitle::IsFontStored() const { return FColumn->FAssignedValues.Contains(TColumnValue::cvTitleFont); }

// ---- TssColumn ----

SS_PUBLISH(TssColumn) {
    p.Property(L"Alignment", &TssColumn::Alignment, &TssColumn::SetAlignment).Stored(&TssColumn::IsAlignmentStored);
    p.Property(L"ButtonStyle", &TssColumn::ButtonStyle, &TssColumn::SetButtonStyle)
        .Default(TColumnButtonStyle::cbsAuto);
    p.Property(L"Color", &TssColumn::Color, &TssColumn::SetColor).Stored(&TssColumn::IsColorStored);
    p.Property(L"DropDownRows", &TssColumn::DropDownRows, &TssColumn::SetDropDownRows).Default(7);
    p.Property(L"Expanded", &TssColumn::Expanded, &TssColumn::SetExpanded).Default(true);
    p.Property(L"FieldName", &TssColumn::FieldName, &TssColumn::SetFieldName);
    p.Property(L"Font", &TssColumn::Font, &TssColumn::SetFont).Stored(&TssColumn::IsFontStored);
    p.Property(L"ImeMode", &TssColumn::ImeMode, &TssColumn::SetImeMode).Stored(&TssColumn::IsImeModeStored);
    p.Property(L"ImeName", &TssColumn::ImeName, &TssColumn::SetImeName).Stored(&TssColumn::IsImeNameStored);
    p.Property(L"PickList", &TssColumn::PickList, &TssColumn::SetPickList);
    p.Property(L"PopupMenu", &TssColumn::PopupMenu, &TssColumn::SetPopupMenu);
    p.Property(L"ReadOnly", &TssColumn::ReadOnly, &TssColumn::SetReadOnly).Stored(&TssColumn::IsReadOnlyStored);
    p.Property(L"Title", &TssColumn::Title, &TssColumn::SetTitle);
    p.Property(L"Width", &TssColumn::Width, &TssColumn::SetWidth).Stored(&TssColumn::IsWidthStored);
    p.Property(L"Visible", &TssColumn::Visible, &TssColumn::SetVisible).Default(true);
}

namespace {
// The grid whose own column set Collection is (a column set being loaded is not), or none.
TssCustomDBGrid* GridShowing(TCollection* Collection) {
    auto* columns = dynamic_cast<TssDBGridColumns*>(Collection);
    TssCustomDBGrid* grid = columns ? columns->Grid() : nullptr;
    return grid && grid->Columns() == columns ? grid : nullptr;
}

// Takes the layout bracket of the grid a new column joins, so that inserting it and making its
// parts relays the grid out once (and never sees the column half made).
TCollection* LockGridOf(TCollection* Collection) {
    if (TssCustomDBGrid* grid = GridShowing(Collection)) grid->LayoutLock();
    return Collection;
}
}  // namespace

TssColumn::TssColumn(TCollection* Collection)
    : TCollectionItem(LockGridOf(Collection)), FFont(std::make_unique<TFont>()) {
    FFont->SetOwnerNotify([this](TObject*) { FontChanged(); });
    FImeName = ScreenDefaultImeName();
    FTitle.reset(MakeTitle());
    RefreshDefaultFont();
    FTitle->RefreshDefaultFont();
    if (TssCustomDBGrid* grid = GridShowing(Collection)) grid->LayoutUnlock();
}

TssColumn::~TssColumn() {
    if (FField) FField->RemoveFreeNotification(this);
    if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
}

TColumnTitle* TssColumn::MakeTitle() { return new TColumnTitle(this); }

TssCustomDBGrid* TssColumn::Grid() const {
    auto* columns = dynamic_cast<TssDBGridColumns*>(Collection());
    return columns ? columns->Grid() : nullptr;
}

String TssColumn::DisplayName() const { return FFieldName.empty() ? TCollectionItem::DisplayName() : FFieldName; }

bool TssColumn::WritesThrough() const {
    TssCustomDBGrid* grid = Grid();
    return !FStored && grid && grid->DataLink()->Active() && Field();
}

TField* TssColumn::Field() const {
    if (!FField && !FFieldName.empty()) {
        TssCustomDBGrid* grid = Grid();
        TDataSet* ds = grid ? grid->DataLink()->DataSet() : nullptr;
        if (ds && (ds->Active() || !ds->DefaultFields()))
            if (TField* found = ds->FindField(FFieldName)) const_cast<TssColumn*>(this)->SetField(found);
    }
    return FField;
}

void TssColumn::SetField(TField* Value) {
    if (FField == Value) return;
    if (FField) FField->RemoveFreeNotification(this);
    if (Value && Value->ComponentState().Contains(TComponentStateItem::csDestroying)) Value = nullptr;
    FField = Value;
    if (Value) {
        TssCustomDBGrid* grid = Grid();
        Value->FreeNotification(this, [this, grid](TComponent* Freed) {
            // The grid unbinds every column of the field (and may free this one meanwhile).
            if (grid) grid->FieldRemoved(Freed);
            else FField = nullptr;
        });
        FFieldName = Value->FullName();
    }
    if (!FStored && !Value) {
        FFieldName.clear();
        RestoreDefaults();
    }
    ColumnChanged(false);
}

void TssColumn::SetFieldName(const String& Value) {
    TField* found = nullptr;
    TssCustomDBGrid* grid = Grid();
    TDataSet* ds = grid ? grid->DataLink()->DataSet() : nullptr;
    if (ds && !grid->Loading() && !Value.empty()) found = ds->FindField(Value);
    FFieldName = Value;
    SetField(found);
    ColumnChanged(false);
}

TAlignment TssColumn::Alignment() const {
    return FAssignedValues.Contains(TColumnValue::cvAlignment) ? FAlignment : DefaultAlignment();
}

void TssColumn::SetAlignment(TAlignment Value) {
    if (WritesThrough()) {
        Field()->SetAlignment(Value);
        return;
    }
    if (StoreAssigned(FAssignedValues, TColumnValue::cvAlignment, FAlignment, Value)) ColumnChanged(false);
}

void TssColumn::SetButtonStyle(TColumnButtonStyle Value) {
    if (Value == FButtonStyle) return;
    FButtonStyle = Value;
    ColumnChanged(false);
}

TColor TssColumn::Color() const { return FAssignedValues.Contains(TColumnValue::cvColor) ? FColor : DefaultColor(); }

void TssColumn::SetColor(TColor Value) {
    if (StoreAssigned(FAssignedValues, TColumnValue::cvColor, FColor, Value)) ColumnChanged(false);
}

bool TssColumn::Expanded() const { return FExpanded && Expandable(); }

void TssColumn::SetExpanded(bool Value) {
    if (Value == FExpanded) return;
    TssCustomDBGrid* grid = Grid();
    auto selectedShowing = [grid] {
        int index = grid->SelectedIndex();
        return index >= 0 && index < grid->Columns()->Count() && grid->Columns()->Items(index)->Showing();
    };
    bool wasShowing = grid && selectedShowing();
    FExpanded = Value;
    ColumnChanged(true);
    if (wasShowing && !selectedShowing()) {
        int step = Value ? 1 : -1;
        grid->MoveToColumn(grid->Col() + step, step);
    }
}

TFont* TssColumn::Font() const {
    if (!FAssignedValues.Contains(TColumnValue::cvFont)) RefreshDefaultFont();
    return FFont.get();
}

void TssColumn::SetFont(TFont* Value) {
    FFont->Assign(*Value);
    ColumnChanged(false);
}

void TssColumn::RefreshDefaultFont() const { CopyDefaultFont(FFont.get(), DefaultFont(), FCopyingFont); }

void TssColumn::FontChanged() {
    if (FCopyingFont) return;
    FAssignedValues.Include(TColumnValue::cvFont);
    if (!FAssignedValues.Contains(TColumnValue::cvTitleFont)) FTitle->RefreshDefaultFont();
    ColumnChanged(false);
}

TImeMode TssColumn::ImeMode() const {
    return FAssignedValues.Contains(TColumnValue::cvImeMode) ? FImeMode : DefaultImeMode();
}

void TssColumn::SetImeMode(TImeMode Value) {
    if (FAssignedValues.Contains(TColumnValue::cvImeMode) || Value != DefaultImeMode()) {
        FImeMode = Value;
        FAssignedValues.Include(TColumnValue::cvImeMode);
    }
    ColumnChanged(false);
}

String TssColumn::ImeName() const {
    return FAssignedValues.Contains(TColumnValue::cvImeName) ? FImeName : DefaultImeName();
}

void TssColumn::SetImeName(const String& Value) {
    if (FAssignedValues.Contains(TColumnValue::cvImeName) || Value != DefaultImeName()) {
        FImeName = Value;
        FAssignedValues.Include(TColumnValue::cvImeName);
    }
    ColumnChanged(false);
}

TStrings* TssColumn::PickList() const {
    if (!FPickList) FPickList = std::make_unique<TStringList>();
    return FPickList.get();
}

void TssColumn::SetPickList(TStrings* Value) {
    if (!Value) FPickList.reset();
    else PickList()->Assign(Value);
}

void TssColumn::SetPopupMenu(TPopupMenu* Value) {
    if (FPopupMenu == Value) return;
    if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
    FPopupMenu = Value;
    // A menu freed elsewhere leaves every column that used it.
    if (Value) Value->FreeNotification(this, [this](TComponent*) { FPopupMenu = nullptr; });
}

bool TssColumn::ReadOnly() const {
    return FAssignedValues.Contains(TColumnValue::cvReadOnly) ? FReadonly : DefaultReadOnly();
}

void TssColumn::SetReadOnly(bool Value) {
    if (WritesThrough()) {
        Field()->SetReadOnly(Value);
        return;
    }
    if (StoreAssigned(FAssignedValues, TColumnValue::cvReadOnly, FReadonly, Value)) ColumnChanged(false);
}

void TssColumn::SetTitle(TColumnTitle* Value) { FTitle->Assign(Value); }

int TssColumn::Width() const {
    if (!Showing()) return -1;
    return FAssignedValues.Contains(TColumnValue::cvWidth) ? FWidth : DefaultWidth();
}

void TssColumn::SetWidth(int Value) {
    TssCustomDBGrid* grid = Grid();
    if (!FStored && grid) {
        TField* field = Field();
        if (grid->HandleAllocated() && field && grid->FUpdateFields) {
            TFontMeasure measure(grid, Font());
            const TEXTMETRICW& tm = measure.Metrics();
            if (tm.tmAveCharWidth > 0)
                field->SetDisplayWidth((Value + tm.tmAveCharWidth / 2 - tm.tmOverhang - 3) / tm.tmAveCharWidth);
        }
        if (grid->FLayoutFromDataset && !FAssignedValues.Contains(TColumnValue::cvWidth)) {
            ColumnChanged(false);
            return;
        }
    }
    if ((FAssignedValues.Contains(TColumnValue::cvWidth) || Value != DefaultWidth()) && Value != -1) {
        FWidth = Value;
        FAssignedValues.Include(TColumnValue::cvWidth);
    }
    ColumnChanged(false);
}

bool TssColumn::Visible() const {
    TssColumn* parent = ParentColumn();
    return FVisible && (!parent || parent->Visible());
}

void TssColumn::SetVisible(bool Value) {
    if (Value == FVisible) return;
    FVisible = Value;
    ColumnChanged(true);
}

bool TssColumn::Expandable() const { return dynamic_cast<TObjectField*>(Field()) != nullptr; }

TssColumn* TssColumn::ParentColumn() const {
    TField* field = Field();
    TField* parent = field ? field->ParentField() : nullptr;
    auto* columns = dynamic_cast<TssDBGridColumns*>(Collection());
    if (!parent || !columns) return nullptr;
    for (int i = Index() - 1; i >= 0; --i)
        if (columns->Items(i)->Field() == parent) return columns->Items(i);
    return nullptr;
}

int TssColumn::Depth() const {
    TssColumn* parent = ParentColumn();
    return parent ? parent->Depth() + 1 : 0;
}

bool TssColumn::Showing() const {
    if (Expanded() || !Visible()) return false;
    for (TssColumn* parent = ParentColumn(); parent; parent = parent->ParentColumn())
        if (!parent->Expanded()) return false;
    return true;
}

TAlignment TssColumn::DefaultAlignment() const {
    TField* field = Field();
    return field ? field->Alignment() : TAlignment::taLeftJustify;
}

TColor TssColumn::DefaultColor() const {
    TssCustomDBGrid* grid = Grid();
    return grid ? grid->Color() : clWindow;
}

TFont* TssColumn::DefaultFont() const {
    TssCustomDBGrid* grid = Grid();
    return grid ? grid->Font() : FFont.get();
}

TImeMode TssColumn::DefaultImeMode() const {
    TssCustomDBGrid* grid = Grid();
    return grid ? grid->ImeMode() : FImeMode;
}

String TssColumn::DefaultImeName() const {
    TssCustomDBGrid* grid = Grid();
    return grid ? grid->ImeName() : FImeName;
}

bool TssColumn::DefaultReadOnly() const {
    TssCustomDBGrid* grid = Grid();
    TField* field = Field();
    return (grid && grid->ReadOnly()) || (field && field->ReadOnly());
}

int TssColumn::DefaultWidth() const {
    TssCustomDBGrid* grid = Grid();
    if (!grid) return 64;
    TField* field = Field();
    if (!field) return grid->DefaultColWidth();
    return MeasureDefaultWidth(field);
}

int TssColumn::MeasureDefaultWidth(TField* F) const {
    TssCustomDBGrid* grid = Grid();
    int width;
    {
        TFontMeasure measure(grid, Font());
        int overhang = measure.Metrics().tmOverhang;
        int chars = std::clamp(F->DisplayWidth(), 0, MaxDefaultDisplayWidth);
        width = (measure.TextWidth(L"0") - overhang) * chars + overhang + 4;
    }
    if (grid->Options().Contains(TDBGridOption::dgTitles)) {
        TFontMeasure measure(grid, FTitle->Font());
        width = std::max(width, measure.TextWidth(FTitle->Caption()) + 4);
    }
    return width;
}

void TssColumn::RestoreDefaults() {
    bool fontAssigned = FAssignedValues.Contains(TColumnValue::cvFont);
    FTitle->RestoreDefaults();
    FAssignedValues = TColumnValues();
    RefreshDefaultFont();
    FPickList.reset();
    FButtonStyle = TColumnButtonStyle::cbsAuto;
    ColumnChanged(fontAssigned);
}

void TssColumn::Assign(const TPersistent* Source) {
    auto* src = dynamic_cast<const TssColumn*>(Source);
    if (!src) return TCollectionItem::Assign(Source);
    TCollection* collection = Collection();
    if (collection) collection->BeginUpdate();
    try {
        RestoreDefaults();
        SetFieldName(src->FFieldName);
        TColumnValues flags = src->FAssignedValues;
        if (flags.Contains(TColumnValue::cvColor)) SetColor(src->FColor);
        if (flags.Contains(TColumnValue::cvWidth)) SetWidth(src->FWidth);
        if (flags.Contains(TColumnValue::cvFont)) SetFont(src->FFont.get());
        if (flags.Contains(TColumnValue::cvImeMode)) SetImeMode(src->FImeMode);
        if (flags.Contains(TColumnValue::cvImeName)) SetImeName(src->FImeName);
        if (flags.Contains(TColumnValue::cvAlignment)) SetAlignment(src->FAlignment);
        if (flags.Contains(TColumnValue::cvReadOnly)) SetReadOnly(src->FReadonly);
        FTitle->Assign(src->FTitle.get());
        FDropDownRows = src->FDropDownRows;
        SetButtonStyle(src->FButtonStyle);
        SetPickList(src->FPickList.get());
        SetPopupMenu(src->FPopupMenu);
        FVisible = src->FVisible;
        FExpanded = src->FExpanded;
    } catch (...) {
        if (collection) collection->EndUpdate();
        throw;
    }
    if (collection) collection->EndUpdate();
}

void TssColumn::SetIndex(int Value) {
    TssCustomDBGrid* grid = Grid();
    if (!FStored) {
        if (grid && grid->DataLink()->Active() && grid->TryLayoutLock()) {
            try {
                TssColumn* target = static_cast<TssDBGridColumns*>(Collection())->Items(Value);
                while (target->ParentColumn() && target->Depth() > Depth()) target = target->ParentColumn();
                if (target->Field() && Field()) Field()->SetIndex(target->Field()->Index());
            } catch (...) {
                grid->LayoutUnlock();
                throw;
            }
            grid->LayoutUnlock();
        }
        TCollectionItem::SetIndex(Value);
        return;
    }
    // A stored column moves with its child columns as one block.
    auto* columns = static_cast<TssDBGridColumns*>(Collection());
    if (!columns) return TCollectionItem::SetIndex(Value);
    if (grid) grid->LayoutLock();
    try {
        int current = Index();
        int children = 0;
        auto descends = [this](TssColumn* c) {
            for (TssColumn* p = c->ParentColumn(); p; p = p->ParentColumn())
                if (p == this) return true;
            return false;
        };
        while (current + children + 1 < columns->Count() && descends(columns->Items(current + children + 1)))
            ++children;
        if (Value < current) {
            for (int i = 0; i < children; ++i) columns->Items(current + children)->TCollectionItem::SetIndex(Value);
            TCollectionItem::SetIndex(Value);
        } else if (Value > current) {
            TCollectionItem::SetIndex(Value);
            for (int i = 0; i < children; ++i) columns->Items(current)->TCollectionItem::SetIndex(Value);
        }
    } catch (...) {
        if (grid) grid->LayoutUnlock();
        throw;
    }
    if (grid) grid->LayoutUnlock();
}

bool TssColumn::IsAlignmentStored() const {
    return FAssignedValues.Contains(TColumnValue::cvAlignment) && FAlignment != DefaultAlignment();
}
bool TssColumn::IsColorStored() const {
    return FAssignedValues.Contains(TColumnValue::cvColor) && FColor != DefaultColor();
}
bool TssColumn::IsFontStored() const { return FAssignedValues.Contains(TColumnValue::cvFont); }
bool TssColumn::IsImeModeStored() const {
    return FAssignedValues.Contains(TColumnValue::cvImeMode) && FImeMode != DefaultImeMode();
}
bool TssColumn::IsImeNameStored() const {
    return FAssignedValues.Contains(TColumnValue::cvImeName) && FImeName != DefaultImeName();
}
bool TssColumn::IsReadOnlyStored() const {
    return FAssignedValues.Contains(TColumnValue::cvReadOnly) && FReadonly != DefaultReadOnly();
}
bool TssColumn::IsWidthStored() const {
    return FAssignedValues.Contains(TColumnValue::cvWidth) && FWidth != DefaultWidth();
}

// ---- TssDBGridColumns ----

TssDBGridColumns::TssDBGridColumns(TssCustomDBGrid* Grid, TCollectionItemClass ColumnClass)
    : TCollection(ColumnClass, Grid), FGrid(Grid) {}

TssColumn* TssDBGridColumns::Add() { return static_cast<TssColumn*>(TCollection::Add()); }

TssColumn* TssDBGridColumns::AddUnstored() {
    TssColumn* column = Add();
    column->FStored = false;
    return column;
}

TssColumn* TssDBGridColumns::Items(int Index) const { return static_cast<TssColumn*>(TCollection::Items(Index)); }

TDBGridColumnsState TssDBGridColumns::State() const {
    return Count() > 0 && Items(0)->FStored ? TDBGridColumnsState::csCustomized : TDBGridColumnsState::csDefault;
}

void TssDBGridColumns::SetState(TDBGridColumnsState Value) {
    if (Value == State()) return;
    if (Value == TDBGridColumnsState::csCustomized) RebuildColumns();
    else Clear();
}

void TssDBGridColumns::RestoreDefaults() {
    BeginUpdate();
    try {
        for (int i = 0; i < Count(); ++i) Items(i)->RestoreDefaults();
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TssDBGridColumns::RebuildColumns() {
    TDataSet* ds = FGrid && FGrid->DataSource() ? FGrid->DataSource()->DataSet() : nullptr;
    if (!ds) return Clear();
    FGrid->LayoutLock();
    try {
        Clear();
        std::function<void(TField*)> add = [&](TField* field) {
            Add()->SetFieldName(field->FullName());
            if (auto* parent = dynamic_cast<TObjectField*>(field))
                for (int i = 0; i < parent->Fields().Count(); ++i) add(parent->Fields()[i]);
        };
        // Without object view the dataset lists children too; they follow their parents here.
        for (int i = 0; i < ds->Fields().Count(); ++i)
            if (!ds->Fields()[i]->ParentField()) add(ds->Fields()[i]);
    } catch (...) {
        FGrid->LayoutUnlock();
        throw;
    }
    FGrid->LayoutUnlock();
}

void TssDBGridColumns::Update(TCollectionItem* Item) {
    if (!FGrid || FGrid->Loading() || FGrid->FDestroying || FGrid->Columns() != this) return;
    if (!Item) return FGrid->RequestLayout();
    auto* column = static_cast<TssColumn*>(Item);
    int gridCol = column->Index() + FGrid->FIndicatorOffset;
    if (gridCol >= FGrid->ColCount()) return;
    FGrid->InvalidateCol(gridCol);
    FGrid->SetColWidths(gridCol, column->Width());
}

SS_PUBLISH(TColumnsWrapper) { p.Property(L"Columns", &TColumnsWrapper::Columns); }

void TssDBGridColumns::SaveToStream(TStream& S) {
    TColumnsWrapper wrapper(nullptr);
    wrapper.SetColumns(this);
    WriteComponentStream(S, &wrapper);
}

void TssDBGridColumns::LoadFromStream(TStream& S) {
    std::unique_ptr<TssDBGridColumns> loaded(FGrid ? FGrid->CreateColumns() : new TssDBGridColumns(nullptr, ItemClass()));
    TColumnsWrapper wrapper(nullptr);
    wrapper.SetColumns(loaded.get());
    ReadComponentStream(S, &wrapper);
    Assign(loaded.get());
}

void TssDBGridColumns::SaveToFile(const String& FileName) {
    SaveFileReplacing(FileName, [this](TStream& S) { SaveToStream(S); });
}

void TssDBGridColumns::LoadFromFile(const String& FileName) {
    TFileStream stream(FileName, TFileMode::fmOpenRead);
    LoadFromStream(stream);
}

// ---- TssGridDataLink ----

TssGridDataLink::TssGridDataLink(TssCustomDBGrid* Grid) : FGrid(Grid) { SetVisualControl(true); }

TssGridDataLink::~TssGridDataLink() { ClearMapping(); }

bool TssGridDataLink::AddMapping(const String& FieldName) {
    if (FFieldCount >= MaxMapping) throw EInvalidGridOperation(L"グリッドの 256 カラム数の限界を超えました");
    TDataSet* ds = DataSet();
    TField* field = nullptr;
    if (ds) field = FSparseMap ? ds->FindField(FieldName) : ds->FieldByName(FieldName);
    // A field on its way out maps to nothing.
    if (field && field->ComponentState().Contains(TComponentStateItem::csDestroying)) field = nullptr;
    if (FFieldCount == int(FFieldMap.size())) {
        long long grown = FFieldMap.empty() ? 8 : 2LL * FFieldMap.size();
        grown = std::min<long long>(std::max<long long>(grown, FFieldCount + 1), MaxMapping);
        FFieldMap.resize(std::size_t(grown));
    }
    FFieldMap[std::size_t(FFieldCount)] = field ? ds->FieldList().IndexOf(field) : -1;
    if (field && std::find(FNotified.begin(), FNotified.end(), field) == FNotified.end()) {
        FNotified.push_back(field);
        field->FreeNotification(this, [this](TComponent* Freed) {
            FNotified.erase(std::remove(FNotified.begin(), FNotified.end(), Freed), FNotified.end());
            FGrid->FieldRemoved(Freed);
        });
    }
    ++FFieldCount;
    return true;
}

void TssGridDataLink::ClearMapping() {
    for (TField* field : FNotified) field->RemoveFreeNotification(this);
    FNotified.clear();
    FFieldMap.clear();
    FFieldCount = 0;
}

int TssGridDataLink::FieldIndex(int I) const {
    return I >= 0 && I < FFieldCount ? FFieldMap[std::size_t(I)] : -1;
}

TField* TssGridDataLink::GetFields(int I) const {
    int index = FieldIndex(I);
    TDataSet* ds = DataSet();
    if (index < 0 || !ds || index >= ds->FieldList().Count()) return nullptr;
    return ds->FieldList()[index];
}

bool TssGridDataLink::DefaultFields() const {
    TDataSet* ds = DataSet();
    if (!ds) return true;
    if (FSparseMap)
        for (int i = 0; i < FFieldCount; ++i)
            if (FFieldMap[std::size_t(i)] < 0) return false;
    return ds->DefaultFields();
}

void TssGridDataLink::Reset() {
    if (FModified) RecordChanged(nullptr);
    else if (DataSet()) DataSet()->Cancel();
}

void TssGridDataLink::ActiveChanged() {
    if (Active() && DataSet() && DataSet()->IsUnidirectional())
        throw EDatabaseError(L"指定の操作は単方向データセットでは許されません");
    FGrid->DataLinkActiveChanged(Active());
    FModified = false;
}

void TssGridDataLink::DataSetChanged() {
    FGrid->RefreshFromDataSet();
    FModified = false;
}

void TssGridDataLink::DataSetScrolled(int Distance) { FGrid->RecordsScrolled(Distance); }

void TssGridDataLink::LayoutChanged() {
    {
        TFlagScope fromDataSet(FGrid->FLayoutFromDataset);
        FGrid->RequestLayout();
    }
    TDataLink::LayoutChanged();
}

void TssGridDataLink::FocusControl(TField** Field) {
    if (!*Field) return;
    FGrid->SetSelectedField(*Field);
    if (FGrid->SelectedField() == *Field && FGrid->AcquireFocus()) {
        *Field = nullptr;
        FGrid->ShowEditor();
    }
}

void TssGridDataLink::EditingChanged() { FGrid->EditingChanged(); }

void TssGridDataLink::RecordChanged(TField* Field) {
    if (FModified && Field && Field->FieldKind() == TFieldKind::fkData && Field != FGrid->SelectedField() &&
        !FInUpdateData)
        UpdateData();
    FGrid->RecordChanged(Field);
    FModified = false;
}

void TssGridDataLink::UpdateData() {
    TFlagScope updating(FInUpdateData);
    if (FModified) FGrid->WriteEditText();
    FModified = false;
}

// ---- TssBookmarkList ----

TssBookmarkList::TssBookmarkList(TssCustomDBGrid* Grid) : FGrid(Grid) {}

TssBookmarkList::~TssBookmarkList() = default;

int TssBookmarkList::Compare(const TBookmark& A, const TBookmark& B) const {
    return FGrid->DataLink()->DataSet()->CompareBookmarks(A, B);
}

void TssBookmarkList::InvalidateCache() {
    FCacheIndex = -1;
    FCache.reset();
}

bool TssBookmarkList::Find(const TBookmark& Item, int& Index) {
    if (Item && Item == FCache && FCacheIndex >= 0) {
        Index = FCacheIndex;
        return FCacheFind;
    }
    bool found = false;
    int low = 0, high = Count() - 1;
    while (high >= low) {
        int mid = (low + high) / 2;
        int c = Compare(FList[std::size_t(mid)], Item);
        if (c < 0) {
            low = mid + 1;
        } else {
            high = mid - 1;
            if (c == 0) {
                low = mid;
                found = true;
            }
        }
    }
    Index = low;
    FCache = Item;
    FCacheIndex = low;
    FCacheFind = found;
    return found;
}

int TssBookmarkList::IndexOf(const TBookmark& Item) {
    int index;
    return Find(Item, index) ? index : -1;
}

const TBookmark& TssBookmarkList::Items(int Index) const {
    CheckListIndex<EListError>(Index, Count() - 1);
    return FList[std::size_t(Index)];
}

TBookmark TssBookmarkList::CurrentBookmark() const {
    if (!FLinkActive) throw EInvalidGridOperation(L"データセットは閉じているため, この操作は実行できません");
    return FGrid->DataLink()->DataSet()->Bookmark();
}

bool TssBookmarkList::CurrentRowSelected() {
    TBookmark current = CurrentBookmark();
    int index;
    return current && Find(current, index);
}

void TssBookmarkList::SetCurrentRowSelected(bool Value) {
    TBookmark current = CurrentBookmark();
    if (!current) return;
    int index;
    if (Find(current, index) == Value) return;
    if (Value) InsertItem(index, current);
    else DeleteItem(index);
    FGrid->InvalidateRow(FGrid->Row());
}

void TssBookmarkList::InsertItem(int Index, const TBookmark& Item) {
    CheckListIndex<EListError>(Index, Count());
    FList.insert(FList.begin() + Index, Item);
    InvalidateCache();
}

void TssBookmarkList::DeleteItem(int Index) {
    CheckListIndex<EListError>(Index, Count() - 1);
    FList.erase(FList.begin() + Index);
    InvalidateCache();
}

void TssBookmarkList::Clear() {
    if (FList.empty()) return;
    FList.clear();
    InvalidateCache();
    FGrid->Invalidate();
}

void TssBookmarkList::Delete() {
    TDataSet* ds = FGrid->DataLink()->DataSet();
    if (!ds) return;
    // A record deleted elsewhere raises here, before any of the selection is deleted.
    for (const TBookmark& bookmark : FList)
        if (!ds->BookmarkValid(bookmark)) ds->GotoBookmark(bookmark);
    ds->DisableControls();
    try {
        for (int i = Count() - 1; i >= 0; --i) {
            ds->GotoBookmark(FList[std::size_t(i)]);
            ds->Delete();
            DeleteItem(i);
        }
    } catch (...) {
        ds->EnableControls();
        throw;
    }
    ds->EnableControls();
}

bool TssBookmarkList::Refresh() {
    TDataSet* ds = FGrid->DataLink()->DataSet();
    if (!ds) return false;
    ds->CheckBrowseMode();
    bool removed = false;
    auto finish = [&] {
        ds->UpdateCursorPos();
        if (removed) FGrid->Invalidate();
    };
    try {
        for (int i = Count() - 1; i >= 0; --i)
            if (!ds->BookmarkValid(FList[std::size_t(i)])) {
                DeleteItem(i);
                removed = true;
            }
    } catch (...) {
        finish();
        throw;
    }
    finish();
    return removed;
}

void TssBookmarkList::SetLinkActive(bool Value) {
    Clear();
    FLinkActive = Value;
}
