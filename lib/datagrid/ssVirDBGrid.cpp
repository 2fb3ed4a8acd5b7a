// The data grid: layout, rows mapped to the data link's buffer, reactions to the data link,
// vertical scrolling, focus and input method, the column set's stream property and the popup
// grid of nested datasets.
#include "ssVirDBGrid.h"

#include <algorithm>
#include <cstdlib>

#include "Filer.h"
#include "Forms.h"
#include "Imm.h"
#include "ssSysInf.h"
#include "ssVirDBGridSupport.h"

namespace {

// The keyboard layout of an installed input method by its description, or none.
HKL InputMethodLayout(const String& Name) {
    if (Name.empty()) return nullptr;
    int n = GetKeyboardLayoutList(0, nullptr);
    std::vector<HKL> layouts(std::size_t(std::max(n, 0)));
    if (n > 0) GetKeyboardLayoutList(n, layouts.data());
    for (HKL layout : layouts) {
        wchar_t buf[256] = {};
        UINT len = ImmIsIME(layout) ? ImmGetDescriptionW(layout, buf, 255) : 0;
        if (len && String(buf, len) == Name) return layout;
    }
    return nullptr;
}

// A lookup field counts as read-only when its dataset lacks the key field, or that is read-only.
bool FieldReadOnly(TField* Field) {
    if (Field->ReadOnly()) return true;
    if (Field->FieldKind() != TFieldKind::fkLookup) return false;
    TField* key = Field->DataSet() ? Field->DataSet()->FindField(Field->KeyFields()) : nullptr;
    return !key || key->ReadOnly();
}

bool Destroying(const TComponent* Component) {
    return Component->ComponentState().Contains(TComponentStateItem::csDestroying);
}

}  // namespace

TDBGridOptions DefaultDBGridOptions() {
    TDBGridOptions options = DBGridDefaultOptions;
    if (KoreanSystem()) options.Include(TDBGridOption::dgAlwaysShowEditor);
    return options;
}

// ---- construction ----

TssCustomDBGrid::TssCustomDBGrid(TComponent* AOwner) : TCustomGrid(AOwner) {
    FOptions = DefaultDBGridOptions();
    SetScrollBars(TScrollStyle::ssHorizontal);
    TCustomGrid::SetOptions({TGridOption::goFixedVertLine, TGridOption::goFixedHorzLine, TGridOption::goVertLine,
                             TGridOption::goHorzLine, TGridOption::goColSizing, TGridOption::goColMoving,
                             TGridOption::goEditing, TGridOption::goTabs});
    TCustomGrid::SetDefaultDrawing(false);
    SetVirtualView(true);
    FColumns.reset(CreateColumns());
    SetColCount(2);
    SetRowCount(2);
    FDataLink = std::make_unique<TssGridDataLink>(this);
    SetColor(clWindow);
    FTitleFont = std::make_unique<TFont>();
    FTitleFont->Assign(*Font());
    FTitleFont->SetOwnerNotify([this](TObject*) { TitleFontChanged(); });
    FBookmarks = std::make_unique<TssBookmarkList>(this);
    FIndicators = MakeIndicatorImages();
    SetTabStop(true);
}

TssCustomDBGrid::~TssCustomDBGrid() {
    FDestroying = true;
    if (TDataSource* source = DataSource()) source->RemoveFreeNotification(this);
    FColumns.reset();
    FVisibleColumns.clear();
    FDataLink.reset();
    FBookmarks.reset();
}

TssDBGridColumns* TssCustomDBGrid::CreateColumns() {
    return new TssDBGridColumns(this, TCollectionItemClass::Of<TssColumn>());
}

void TssCustomDBGrid::SetDataSource(TDataSource* Value) {
    TDataSource* old = DataSource();
    if (Value == old) return;
    FBookmarks->Clear();
    if (old) old->RemoveFreeNotification(this);
    FDataLink->SetDataSource(Value);
    if (Value) Value->FreeNotification(this, [this](TComponent*) { DataSourceRemoved(); });
}

void TssCustomDBGrid::DataSourceRemoved() { SetDataSource(nullptr); }

void TssCustomDBGrid::SetColumns(TssDBGridColumns* Value) { FColumns->Assign(Value); }

void TssCustomDBGrid::SetTitleFont(TFont* Value) {
    FTitleFont->Assign(*Value);
    if (FOptions.Contains(TDBGridOption::dgTitles)) RequestLayout();
}

void TssCustomDBGrid::SetReadOnly(bool Value) {
    if (Value == FReadOnly) return;
    FReadOnly = Value;
    RequestLayout();
}

void TssCustomDBGrid::SetOptions(TDBGridOptions Value) {
    if (Value == FOptions) return;
    TGridOptions base;
    if (Value.Contains(TDBGridOption::dgColLines))
        base = base + TGridOptions{TGridOption::goFixedVertLine, TGridOption::goVertLine};
    if (Value.Contains(TDBGridOption::dgRowLines))
        base = base + TGridOptions{TGridOption::goFixedHorzLine, TGridOption::goHorzLine};
    if (Value.Contains(TDBGridOption::dgColumnResize))
        base = base + TGridOptions{TGridOption::goColSizing, TGridOption::goColMoving};
    if (Value.Contains(TDBGridOption::dgTabs)) base.Include(TGridOption::goTabs);
    if (Value.Contains(TDBGridOption::dgRowSelect)) {
        base.Include(TGridOption::goRowSelect);
        Value.Exclude(TDBGridOption::dgEditing).Exclude(TDBGridOption::dgAlwaysShowEditor);
    }
    if (Value.Contains(TDBGridOption::dgEditing)) base.Include(TGridOption::goEditing);
    if (Value.Contains(TDBGridOption::dgAlwaysShowEditor)) base.Include(TGridOption::goAlwaysShowEditor);
    TCustomGrid::SetOptions(base);
    if (FOptions.Contains(TDBGridOption::dgMultiSelect) && !Value.Contains(TDBGridOption::dgMultiSelect))
        FBookmarks->Clear();
    TDBGridOptions old = FOptions;
    FOptions = Value;
    constexpr std::uint32_t LayoutOptions = 0x36F;
    if ((old.Mask() ^ Value.Mask()) & LayoutOptions) RequestLayout();
}

// ---- the layout bracket ----

void TssCustomDBGrid::UpdateUnlock() {
    if (FUpdateLock > 0) --FUpdateLock;
    // A queued relayout that found the grid busy runs once the last bracket has closed.
    if (FUpdateLock == 0 && FLayoutPending) RequestLayout();
}

void TssCustomDBGrid::LayoutLock() {
    UpdateLock();
    if (FLayoutLock == 0) FColumns->BeginUpdate();
    ++FLayoutLock;
}

bool TssCustomDBGrid::TryLayoutLock() {
    if (FUpdateLock != 0 || FLayoutLock != 0) return false;
    LayoutLock();
    return true;
}

void TssCustomDBGrid::LayoutUnlock() {
    if (FLayoutLock == 0) return;
    auto release = [this] {
        --FLayoutLock;
        UpdateUnlock();
    };
    try {
        if (FLayoutLock == 1) {
            try {
                Relayout();
            } catch (...) {
                FColumns->EndUpdate();
                throw;
            }
            FColumns->EndUpdate();
        }
    } catch (...) {
        release();
        throw;
    }
    release();
}

void TssCustomDBGrid::CancelLayoutLock() {
    if (FLayoutLock == 0) return;
    if (FLayoutLock == 1) FColumns->EndUpdate();
    --FLayoutLock;
    UpdateUnlock();
}

void TssCustomDBGrid::QueueLayout() {
    if (HandleAllocated()) {
        MSG msg;
        if (!PeekMessageW(&msg, Handle(), WM_SSDBGRIDLAYOUT, WM_SSDBGRIDLAYOUT, PM_NOREMOVE))
            PostMessageW(Handle(), WM_SSDBGRIDLAYOUT, 0, 0);
    }
    CancelLayoutLock();
}

void TssCustomDBGrid::LayoutMessage() {
    // While another caller holds a bracket, its closing relays out; neither cancel its bracket
    // nor post again (that would spin until it closed).
    if (TryLayoutLock()) LayoutUnlock();
    else FLayoutPending = true;
}

void TssCustomDBGrid::RequestLayout() {
    if (TryLayoutLock()) LayoutUnlock();
}

void TssCustomDBGrid::RemoveQueuedLayout() {
    if (!HandleAllocated()) return;
    MSG msg;
    if (PeekMessageW(&msg, Handle(), WM_SSDBGRIDLAYOUT, WM_SSDBGRIDLAYOUT, PM_REMOVE) && msg.message == WM_QUIT)
        PostQuitMessage(int(msg.wParam));
}

// ---- the layout pass ----

void TssCustomDBGrid::Relayout() {
    if (Loading() || FDestroying) return;
    RemoveQueuedLayout();
    FLayoutPending = false;
    // Unstored columns stand together or not at all.
    bool unstoredSeen = false, mixed = false;
    for (int i = 0; i < FColumns->Count(); ++i) {
        if (!FColumns->Items(i)->FStored) unstoredSeen = true;
        else if (unstoredSeen) mixed = true;
    }
    if (mixed)
        for (int i = FColumns->Count() - 1; i >= 0; --i)
            if (!FColumns->Items(i)->FStored) delete FColumns->Items(i);
    FIndicatorOffset = FOptions.Contains(TDBGridOption::dgIndicator) ? 1 : 0;
    FDataLink->ClearMapping();
    if (FDataLink->Active()) BuildFieldMap();
    TDataSet* ds = FDataLink->DataSet();
    SetDoubleBuffered(ds && ds->ObjectView());
    RebindColumns();
    FVisibleColumns.clear();
    for (int i = 0; i < FColumns->Count(); ++i)
        if (FColumns->Items(i)->Showing()) FVisibleColumns.push_back(FColumns->Items(i));
    int colCount = std::max(FColumns->Count() + FIndicatorOffset, FIndicatorOffset + 1);
    if (FixedCols() >= colCount) SetFixedCols(0);
    SetColCount(colCount);
    SetFixedCols(FIndicatorOffset);
    FTitleOffset = 0;
    if (FOptions.Contains(TDBGridOption::dgTitles)) {
        int depth = 0;
        if (ds && ds->ObjectView())
            for (TssColumn* column : FVisibleColumns) depth = std::max(depth, column->Depth());
        FTitleOffset = std::uint8_t(1 + depth);
    }
    SizeRowsToBuffer();
    MeasureRowHeights();
    ApplyColumnAttributes();
    SyncCurrentRow();
    Invalidate();
}

void TssCustomDBGrid::BuildFieldMap() {
    TDataSet* ds = FDataLink->DataSet();
    if (FColumns->State() == TDBGridColumnsState::csCustomized) {
        FDataLink->SetSparseMap(true);
        for (int i = 0; i < FColumns->Count(); ++i) FDataLink->AddMapping(FColumns->Items(i)->FieldName());
    } else {
        FDataLink->SetSparseMap(false);
        for (int i = 0; i < ds->Fields().Count(); ++i) {
            TField* field = ds->Fields()[i];
            if (field->Visible() && !Destroying(field)) FDataLink->AddMapping(field->FullName());
        }
    }
}

void TssCustomDBGrid::RebindColumns() {
    if (FColumns->State() == TDBGridColumnsState::csCustomized) {
        for (int i = 0; i < FColumns->Count(); ++i) FColumns->Items(i)->SetField(nullptr);
        return;
    }
    int mapped = FDataLink->FieldCount();
    if (FDataLink->Active() || !FDataLink->DefaultFields()) {
        std::vector<TField*> fields;
        for (int i = 0; i < mapped; ++i) fields.push_back(FDataLink->GetFields(i));
        for (int i = FColumns->Count() - 1; i >= 0; --i) {
            TField* field = FColumns->Items(i)->Field();
            if (!field || std::find(fields.begin(), fields.end(), field) == fields.end()) delete FColumns->Items(i);
        }
    } else {
        FColumns->Clear();
    }
    int positions = mapped > 0 || FColumns->Count() > 0 ? mapped : 1;
    for (int i = 0; i < positions; ++i) {
        TField* field = FDataLink->GetFields(i);
        TssColumn* column = nullptr;
        if (field) {
            for (int j = i; j < FColumns->Count() && !column; ++j)
                if (FColumns->Items(j)->Field() == field) column = FColumns->Items(j);
            if (!column) {
                column = FColumns->AddUnstored();
                column->SetField(field);
            }
        } else {
            column = FColumns->AddUnstored();
        }
        column->TCollectionItem::SetIndex(i);
    }
}

void TssCustomDBGrid::MeasureRowHeights() {
    bool rowLines = FOptions.Contains(TDBGridOption::dgRowLines);
    {
        TFontMeasure measure(this, Font());
        SetDefaultRowHeight(measure.TextHeight(L"Wg") + 3 + (rowLines ? GridLineWidth() : 0));
    }
    if (!FOptions.Contains(TDBGridOption::dgTitles)) return;
    std::vector<int> heights(std::size_t(FTitleOffset) + 1, 0);
    for (int i = 0; i < FColumns->Count(); ++i) {
        TssColumn* column = FColumns->Items(i);
        TFontMeasure measure(this, column->Title()->Font());
        int h = measure.TextHeight(L"Wg") + 4;
        if (column->Expandable()) h = std::max(h, GetSystemMetrics(SM_CYHSCROLL));
        int depth = column->Depth();
        if (depth <= FTitleOffset) heights[std::size_t(depth)] = std::max(heights[std::size_t(depth)], h);
    }
    if (heights[0] == 0) {
        TFontMeasure measure(this, FTitleFont.get());
        heights[0] = measure.TextHeight(L"Wg") + 4;
    }
    for (int r = 0; r < FTitleOffset; ++r) SetRowHeights(r, heights[std::size_t(r)]);
}

void TssCustomDBGrid::ApplyColumnAttributes() {
    bool active = FDataLink->Active();
    for (int i = 0; i < FColumns->Count() && i + FIndicatorOffset < ColCount(); ++i) {
        TssColumn* column = FColumns->Items(i);
        TField* field = column->Field();
        bool tabStop = column->Showing() && !column->ReadOnly() && active && field &&
                       field->FieldKind() != TFieldKind::fkCalculated && !FieldReadOnly(field);
        SetTabStops(i + FIndicatorOffset, tabStop);
        SetColWidths(i + FIndicatorOffset, column->Width());
    }
    if (FOptions.Contains(TDBGridOption::dgIndicator)) SetColWidths(0, 11);
}

// ---- rows and records ----

void TssCustomDBGrid::SizeRowsToBuffer() {
    int old = RowCount();
    if (RowCount() <= FTitleOffset) SetRowCount(FTitleOffset + 1);
    SetFixedRows(FTitleOffset);
    if (FDataLink->Active() && FDataLink->RecordCount() > 0 && HandleAllocated()) {
        // As many records as rows fit, and never none: a window shorter than a row still shows one.
        SetRowCount(1000);
        FDataLink->SetBufferCount(std::max(1, VisibleRowCount()));
        SetRowCount(FDataLink->RecordCount() + FTitleOffset);
        if (FOptions.Contains(TDBGridOption::dgRowSelect)) SetTopRow(FixedRows());
        SyncCurrentRow();
    } else {
        SetRowCount(FTitleOffset + 1);
    }
    if (RowCount() != old) Invalidate();
}

void TssCustomDBGrid::SyncCurrentRow() {
    if (!FDataLink->Active() || !HandleAllocated() || Loading()) return;
    int target = FDataLink->ActiveRecord() + FTitleOffset;
    if (target != Row() && target < RowCount()) {
        if (!FOptions.Contains(TDBGridOption::dgAlwaysShowEditor)) HideEditor();
        MoveColRow(Col(), target, true, false);
        InvalidateEditor();
    }
    TField* field = SelectedField();
    if (field && field->Text() != FEditText) InvalidateEditor();
}

// ---- reactions to the data link ----

void TssCustomDBGrid::DataLinkActiveChanged(bool Value) {
    if (!Value) HideEditor();
    FBookmarks->SetLinkActive(Value);
    try {
        RequestLayout();
    } catch (...) {
        FreePopupGrids();
        SyncScrollBar();
        throw;
    }
    FreePopupGrids();
    SyncScrollBar();
    if (Value && FOptions.Contains(TDBGridOption::dgAlwaysShowEditor)) ShowEditor();
}

void TssCustomDBGrid::RefreshFromDataSet() {
    if (!HandleAllocated()) return;
    SizeRowsToBuffer();
    SyncScrollBar();
    SyncCurrentRow();
    InvalidateEditor();
    ValidateRect(Handle(), nullptr);
    Invalidate();
}

void TssCustomDBGrid::RecordsScrolled(int Distance) {
    if (!HandleAllocated()) return;
    HWND h = Handle();
    RECT oldRow = BoxRect(0, Row(), ColCount() - 1, Row());
    if (FDataLink->ActiveRecord() >= RowCount() - FTitleOffset) SizeRowsToBuffer();
    SyncScrollBar();
    SyncCurrentRow();
    RECT newRow = BoxRect(0, Row(), ColCount() - 1, Row());
    ValidateRect(h, &oldRow);
    InvalidateRect(h, &oldRow, FALSE);
    InvalidateRect(h, &newRow, FALSE);
    if (Distance != 0) {
        HideEditor();
        auto afterScroll = [this] {
            if (FOptions.Contains(TDBGridOption::dgAlwaysShowEditor)) ShowEditor();
        };
        try {
            if (std::abs(Distance) > VisibleRowCount()) {
                Invalidate();
            } else {
                int rowHeight = DefaultRowHeight() +
                                (FOptions.Contains(TDBGridOption::dgRowLines) ? GridLineWidth() : 0);
                RECT client = ClientRect();
                RECT firstRow = BoxRect(0, FTitleOffset, ColCount() - 1, FTitleOffset);
                RECT area{client.left, firstRow.top, client.right, client.bottom};
                bool indicator = FOptions.Contains(TDBGridOption::dgIndicator);
                if (indicator) InvalidateCell(0, FSelRow);
                ScrollClient(0, -Distance * rowHeight, &area, false);
                if (indicator) InvalidateCell(0, Row());
            }
        } catch (...) {
            afterScroll();
            throw;
        }
        afterScroll();
    }
    if (FUpdateLock == 0) Update();
}

void TssCustomDBGrid::RecordChanged(TField* Field) {
    if (!HandleAllocated()) return;
    if (Field) {
        for (int i = 0; i < FColumns->Count(); ++i)
            if (FColumns->Items(i)->Field() == Field && i + FIndicatorOffset < ColCount())
                InvalidateCol(i + FIndicatorOffset);
    } else {
        Invalidate();
    }
    TField* selected = SelectedField();
    if ((!Field || Field == selected) && selected && selected->Text() != FEditText &&
        (!KoreanSystem() || FIsESCKey)) {
        InvalidateEditor();
        if (InplaceEditor()) InplaceEditor()->Deselect();
    }
}

void TssCustomDBGrid::EditingChanged() {
    if (FOptions.Contains(TDBGridOption::dgIndicator) && HandleAllocated()) InvalidateCell(0, FSelRow);
}

void TssCustomDBGrid::WriteEditText() {
    if (TField* field = SelectedField()) field->SetText(FEditText);
}

String TssCustomDBGrid::GetEditText(int ACol, int ARow) {
    TField* field = SelectedField();
    FEditText = field ? field->Text() : String();
    return FEditText;
}

void TssCustomDBGrid::SetEditText(int ACol, int ARow, const String& Value) {
    if (Value == FEditText) return;
    FEditText = Value;
    if (FDataLink->Edit()) FDataLink->Modified();
}

// ---- the vertical scroll bar ----

void TssCustomDBGrid::SyncScrollBar() {
    if (!FDataLink->Active() || !HandleAllocated()) return;
    TDataSet* ds = FDataLink->DataSet();
    SCROLLINFO old{sizeof(SCROLLINFO), SIF_ALL};
    if (!GetScrollInfo(Handle(), SB_VERT, &old)) old = SCROLLINFO{sizeof(SCROLLINFO), SIF_ALL};
    SCROLLINFO info = old;
    if (ds->IsSequenced()) {
        info.nMin = 1;
        info.nPage = UINT(std::max(0, VisibleRowCount()));
        info.nMax = ds->RecordCount() + int(info.nPage) - 1;
        TDataSetState state = ds->State();
        if (state == TDataSetState::dsInactive || state == TDataSetState::dsBrowse || state == TDataSetState::dsEdit)
            info.nPos = ds->RecNo();
    } else {
        // Without record numbers the bar only tells the beginning, the end and the middle.
        info.nMin = 0;
        info.nMax = 4;
        info.nPage = 0;
        info.nPos = ds->Bof() ? 0 : ds->Eof() ? 4 : 2;
    }
    if (info.nMin != old.nMin || info.nMax != old.nMax || info.nPage != old.nPage || info.nPos != old.nPos) {
        info.fMask = SIF_ALL;
        SetScrollInfo(Handle(), SB_VERT, &info, TRUE);
    }
}

void TssCustomDBGrid::ScrollCommand(int Bar, int Code, int Pos) {
    if (Bar != SB_VERT) return TCustomGrid::ScrollCommand(Bar, Code, Pos);
    if (!AcquireFocus() || !FDataLink->Active()) return;
    TDataSet* ds = FDataLink->DataSet();
    int page = VisibleRowCount();
    switch (Code) {
        case SB_LINEUP: FDataLink->MoveBy(-FDataLink->ActiveRecord() - 1); break;
        case SB_LINEDOWN: FDataLink->MoveBy(FDataLink->RecordCount() - FDataLink->ActiveRecord()); break;
        case SB_PAGEUP: FDataLink->MoveBy(-page); break;
        case SB_PAGEDOWN: FDataLink->MoveBy(page); break;
        case SB_THUMBPOSITION:
            if (ds->IsSequenced()) {
                // The 32-bit track position: the message carries only 16 bits.
                SCROLLINFO info{sizeof(SCROLLINFO), SIF_TRACKPOS};
                GetScrollInfo(Handle(), SB_VERT, &info);
                int count = ds->RecordCount();
                if (info.nTrackPos > 1 && info.nTrackPos < count) ds->SetRecNo(info.nTrackPos);
                else if (info.nTrackPos >= count) ds->Last();
                else ds->First();
            } else {
                switch (Pos) {
                    case 0: ds->First(); break;
                    case 1: FDataLink->MoveBy(-page); break;
                    case 3: FDataLink->MoveBy(page); break;
                    case 4: ds->Last(); break;
                    default: break;
                }
            }
            break;
        case SB_TOP: ds->First(); break;
        case SB_BOTTOM: ds->Last(); break;
        default: break;
    }
}

void TssCustomDBGrid::TimedScroll(TGridScrollDirection Direction) {
    if (FDataLink->Active()) {
        if (Direction.Contains(TGridScrollDirectionItem::sdUp)) FDataLink->MoveBy(-FDataLink->ActiveRecord() - 1);
        if (Direction.Contains(TGridScrollDirectionItem::sdDown))
            FDataLink->MoveBy(FDataLink->RecordCount() - FDataLink->ActiveRecord());
        Direction.Exclude(TGridScrollDirectionItem::sdUp).Exclude(TGridScrollDirectionItem::sdDown);
        if (Direction.Empty()) return;
    }
    TCustomGrid::TimedScroll(Direction);
}

// ---- columns ----

TField* TssCustomDBGrid::SelectedField() const {
    int index = SelectedIndex();
    return index >= 0 && index < FColumns->Count() ? FColumns->Items(index)->Field() : nullptr;
}

void TssCustomDBGrid::SetSelectedField(TField* Value) {
    if (!Value) return;
    for (int i = 0; i < FColumns->Count(); ++i)
        if (FColumns->Items(i)->Field() == Value) MoveToColumn(i + FIndicatorOffset, 0);
}

void TssCustomDBGrid::MoveToColumn(int GridCol, int Direction) {
    FDataLink->UpdateData();
    GridCol = std::clamp(GridCol, int(FIndicatorOffset), ColCount() - 1);
    if (Direction != 0) {
        while (ColWidths(GridCol) <= 0) {
            GridCol += Direction;
            if (GridCol < FIndicatorOffset || GridCol >= ColCount()) return;
        }
    }
    if (GridCol == Col()) return;
    if (!FInColExit) {
        int before = Col();
        {
            TFlagScope exiting(FInColExit);
            ColExit();
        }
        if (Col() != before) return;
    }
    if (!FOptions.Contains(TDBGridOption::dgAlwaysShowEditor)) HideEditor();
    MoveColRow(GridCol, Row(), true, true);
    ColEnter();
}

void TssCustomDBGrid::ColWidthsChanged() {
    TCustomGrid::ColWidthsChanged();
    if ((FDataLink->Active() || FColumns->State() == TDBGridColumnsState::csCustomized) && TryLayoutLock()) {
        try {
            for (int i = 0; i < FColumns->Count() && i + FIndicatorOffset < ColCount(); ++i)
                FColumns->Items(i)->SetWidth(ColWidths(i + FIndicatorOffset));
        } catch (...) {
            LayoutUnlock();
            throw;
        }
        LayoutUnlock();
    }
}

void TssCustomDBGrid::ColumnMoved(int FromIndex, int ToIndex) {
    int from = FromIndex - FIndicatorOffset, to = ToIndex - FIndicatorOffset;
    if (from < 0 || from >= FColumns->Count() || to < 0 || to >= FColumns->Count()) return;
    FColumns->Items(from)->SetIndex(to);
    if (OnColumnMoved) OnColumnMoved(this, from, to);
}

void TssCustomDBGrid::CellClick(TssColumn* Column) {
    if (OnCellClick) OnCellClick(Column);
}

void TssCustomDBGrid::ColEnter() {
    ApplyColumnIme(true);
    if (OnColEnter) OnColEnter(this);
}

void TssCustomDBGrid::ColExit() {
    if (OnColExit) OnColExit(this);
}

void TssCustomDBGrid::EditButtonClick() {
    if (OnEditButtonClick) OnEditButtonClick(this);
    else if (SelectedIndex() >= 0 && SelectedIndex() < FColumns->Count())
        ShowPopupEditor(FColumns->Items(SelectedIndex()));
}

void TssCustomDBGrid::TitleClick(TssColumn* Column) {
    if (OnTitleClick) OnTitleClick(Column);
}

// ---- titles ----

void TssCustomDBGrid::InvalidateTitles() {
    if (!HandleAllocated() || !FOptions.Contains(TDBGridOption::dgTitles) || FTitleOffset == 0) return;
    RECT titles = BoxRect(0, 0, ColCount() - 1, FTitleOffset - 1);
    RECT r{0, 0, Width(), titles.bottom};
    InvalidateRect(Handle(), &r, FALSE);
}

void TssCustomDBGrid::TopLeftChanged() {
    InvalidateTitles();
    TCustomGrid::TopLeftChanged();
}

// ---- fonts ----

void TssCustomDBGrid::TitleFontChanged() {
    if (!FSelfChangingTitleFont && !Loading()) SetParentFont(false);
    if (FOptions.Contains(TDBGridOption::dgTitles)) RequestLayout();
}

void TssCustomDBGrid::FontChanged() {
    TCustomGrid::FontChanged();
    if (!FColumns || !FTitleFont) return;
    if (ParentFont()) {
        TFlagScope copying(FSelfChangingTitleFont);
        FTitleFont->Assign(*Font());
    }
    LayoutLock();
    try {
        for (int i = 0; i < FColumns->Count(); ++i) {
            TssColumn* column = FColumns->Items(i);
            if (!column->FAssignedValues.Contains(TColumnValue::cvFont)) column->RefreshDefaultFont();
        }
    } catch (...) {
        LayoutUnlock();
        throw;
    }
    LayoutUnlock();
}

// ---- focus and the input method ----

bool TssCustomDBGrid::AcquireFocus() {
    if (FAcquireFocus && CanFocus() && !ComponentState().Contains(TComponentStateItem::csDesigning)) {
        SetFocus();
        return Focused() || (InplaceEditor() && InplaceEditor()->Focused());
    }
    return true;
}

void TssCustomDBGrid::DoExit() {
    try {
        if (FDataLink->Active()) {
            TDataSet* ds = FDataLink->DataSet();
            if (FOptions.Contains(TDBGridOption::dgCancelOnExit) && ds->State() == TDataSetState::dsInsert &&
                !ds->Modified() && !FDataLink->IsModified())
                ds->Cancel();
            else
                FDataLink->UpdateData();
        }
    } catch (...) {
        SetFocus();
        throw;
    }
    TCustomGrid::DoExit();
}

void TssCustomDBGrid::ApplyColumnIme(bool Activate) {
    if (!EastAsianSystem()) return;
    FImeName = FOriginalImeName;
    FImeMode = FOriginalImeMode;
    int index = SelectedIndex();
    if (index >= 0 && index < FColumns->Count()) {
        TssColumn* column = FColumns->Items(index);
        if (column->IsImeNameStored()) FImeName = column->ImeName();
        if (column->IsImeModeStored()) FImeMode = column->ImeMode();
    }
    if (!Activate || !HandleAllocated()) return;
    if (HKL layout = InputMethodLayout(FImeName)) ActivateKeyboardLayout(layout, 0);
    ::SetImeMode(Handle(), FImeMode);
}

// ---- window ----

void TssCustomDBGrid::CreateWnd() {
    UpdateLock();
    try {
        TCustomGrid::CreateWnd();
        SizeRowsToBuffer();
        SyncCurrentRow();
        SyncScrollBar();
        FOriginalImeName = FImeName;
        FOriginalImeMode = FImeMode;
    } catch (...) {
        UpdateUnlock();
        throw;
    }
    UpdateUnlock();
}

bool TssCustomDBGrid::IsEditorWindow(HWND Wnd) const {
    return Wnd && InplaceEditor() && InplaceEditor()->HandleAllocated() && InplaceEditor()->Handle() == Wnd;
}

bool TssCustomDBGrid::PopupColumnMenu(int X, int Y) {
    TGridCoord cell = MouseCoord(X, Y);
    int index = cell.X - FIndicatorOffset;
    if (cell.X < FIndicatorOffset || cell.Y < 0 || index >= FColumns->Count()) return false;
    TPopupMenu* menu = FColumns->Items(index)->PopupMenu();
    if (!menu) return false;
    CancelMode();
    POINT p{X, Y};
    ClientToScreen(Handle(), &p);
    menu->Popup(Handle(), p.x, p.y);
    return true;
}

void TssCustomDBGrid::WndProc(TMessage& Msg) {
    switch (Msg.Msg) {
        case WM_SSDBGRIDLAYOUT: LayoutMessage(); return;
        case WM_SETFOCUS:
            if (!IsEditorWindow(HWND(Msg.WParam))) ApplyColumnIme(false);
            break;
        case WM_KILLFOCUS:
            if (EastAsianSystem()) {
                FImeName = ScreenDefaultImeName();
                FImeMode = TImeMode::imDontCare;
            }
            break;
        default: break;
    }
    TCustomGrid::WndProc(Msg);
    switch (Msg.Msg) {
        case WM_SIZE:
            if (FUpdateLock == 0) SizeRowsToBuffer();
            InvalidateTitles();
            break;
        case WM_KILLFOCUS:
            if (EastAsianSystem() && !IsEditorWindow(HWND(Msg.WParam))) {
                HKL layout = nullptr;
                if (SystemParametersInfoW(SPI_GETDEFAULTINPUTLANG, 0, &layout, 0) && layout)
                    ActivateKeyboardLayout(layout, 0);
            }
            break;
        case WM_IME_STARTCOMPOSITION: ShowEditor(); break;
        case WM_RBUTTONUP:
            if (PopupColumnMenu(short(LOWORD(Msg.LParam)), short(HIWORD(Msg.LParam)))) Msg.Result = 1;
            break;
        default: break;
    }
}

// ---- streaming ----

void TssCustomDBGrid::Loaded() {
    TCustomGrid::Loaded();
    if (FColumns->Count() > 0) SetColCount(FColumns->Count() + FIndicatorOffset);
    RequestLayout();
}

void TssCustomDBGrid::DefineProperties(TFiler& Filer) {
    TCustomGrid::DefineProperties(Filer);
    bool customised = FColumns->State() == TDBGridColumnsState::csCustomized;
    bool stored = customised;
    if (auto* ancestor = dynamic_cast<const TssCustomDBGrid*>(Filer.Ancestor())) {
        bool ancestorCustomised = ancestor->Columns()->State() == TDBGridColumnsState::csCustomized;
        stored = ancestorCustomised != customised ||
                 (customised && !CollectionsEqual(FColumns.get(), ancestor->Columns()));
    }
    Filer.DefineProperty(
        L"Columns",
        [this](TReader& Reader) {
            FColumns->Clear();
            Reader.ReadCollection(FColumns.get());
        },
        [this, customised](TWriter& Writer) {
            if (customised) return Writer.WriteCollection(FColumns.get());
            std::unique_ptr<TssDBGridColumns> empty(CreateColumns());
            Writer.WriteCollection(empty.get());
        },
        stored);
}

// ---- freed components ----

void TssCustomDBGrid::FieldRemoved(TComponent* Field) {
    if (!FColumns) return;
    if (FDestroying) {
        for (int i = 0; i < FColumns->Count(); ++i)
            if (FColumns->Items(i)->FField == Field) FColumns->Items(i)->FField = nullptr;
        return;
    }
    bool unbound = false;
    LayoutLock();
    try {
        for (int i = 0; i < FColumns->Count(); ++i)
            if (FColumns->Items(i)->FField == Field) {
                FColumns->Items(i)->SetField(nullptr);
                unbound = true;
            }
    } catch (...) {
        CancelLayoutLock();
        throw;
    }
    TDataSet* ds = FDataLink->DataSet();
    if (unbound && ds && !ds->ControlsDisabled()) LayoutUnlock();
    else QueueLayout();
}

// ---- nested datasets ----

void TssCustomDBGrid::FreePopupGrids() {
    for (int i = ComponentCount() - 1; i >= 0; --i)
        if (i < ComponentCount() && dynamic_cast<TssCustomDBGrid*>(Components(i))) delete Components(i);
}

void TssCustomDBGrid::ShowPopupEditor(TssColumn* Column, int X, int Y) {
    auto* field = Column ? dynamic_cast<TDataSetField*>(Column->Field()) : nullptr;
    TDataSet* nested = field ? field->NestedDataSet() : nullptr;
    if (!nested) return;
    for (int i = 0; i < ComponentCount(); ++i) {
        auto* grid = dynamic_cast<TssCustomDBGrid*>(Components(i));
        if (grid && grid->DataSource() && grid->DataSource()->DataSet() == nested && grid->Parent() &&
            grid->Parent()->CanFocus()) {
            if (auto* form = dynamic_cast<TCustomForm*>(grid->Parent())) form->Show();
            grid->SetFocus();
            return;
        }
    }
    const TComponentClass* own = FindComponentClass(ClassName());
    TComponent* made = own ? own->Create(this) : new TssVirtualDBGrid(this);
    auto* grid = dynamic_cast<TssCustomDBGrid*>(made);
    try {
        if (!grid) throw EInvalidGridOperation(ClassName());
        auto* source = new TDataSource(grid);
        nested->CheckBrowseMode();
        source->SetDataSet(nested);
        grid->SetDataSource(source);
        grid->Columns()->SetState(FColumns->State());
        if (grid->Columns()->Count() > 0) grid->Columns()->Items(0)->SetExpanded(true);
        grid->SetVisible(false);
        // The floating window: at the current cell's bottom-right corner unless told otherwise.
        auto* form = new TForm(grid);
        form->SetPosition(TPosition::poDesigned);
        form->SetBorderStyle(TFormBorderStyle::bsSizeToolWin);
        form->SetBiDiMode(BiDiMode());
        RECT cell = CellRect(Col(), Row());
        POINT corner{cell.right, cell.bottom};
        ClientToScreen(Handle(), &corner);
        if (X != INT_MIN) corner.x = X;
        if (Y != INT_MIN) corner.y = Y;
        form->SetBounds(corner.x, corner.y, Width(), Height());
        int right = 0;
        for (int c = 0; c < grid->ColCount(); ++c)
            if (grid->ColWidths(c) > 0) right += grid->ColWidths(c) + grid->GridLineWidth();
        if (right > 0 && right < Screen->Width() / 2) form->SetClientWidth(right);
        else form->SetWidth(Screen->Width() / 4);
        form->SetHeight(Screen->Height() / 4);
        grid->SetParent(form);
        grid->SetAlign(TAlign::alClient);
        grid->FFloatingWindow = form;
        grid->SetColor(Color());
        grid->SetCtl3D(Ctl3D());
        grid->SetEnabled(Enabled());
        grid->SetFixedColor(FixedColor());
        grid->Font()->Assign(*Font());
        grid->SetHelpContext(HelpContext());
        grid->SetImeMode(FImeMode);
        grid->SetImeName(FImeName);
        grid->SetOptions(FOptions);
        grid->SetTitleFont(FTitleFont.get());
        grid->SetVisible(true);
        form->Show();
    } catch (...) {
        delete made;
        throw;
    }
}

// ---- the published grid ----

SS_PUBLISH(TssVirtualDBGrid) {
    p.Property<TColor, TColor>(L"Color", &TssVirtualDBGrid::Color, &TssVirtualDBGrid::SetColor).Default(clWindow);
    p.Property<TDataSource*, TDataSource*>(L"DataSource", &TssVirtualDBGrid::DataSource,
                                           &TssVirtualDBGrid::SetDataSource);
    p.Property<bool, bool>(L"DefaultDrawing", &TssVirtualDBGrid::DefaultDrawing, &TssVirtualDBGrid::SetDefaultDrawing)
        .Default(true);
    p.Property<TColor, TColor>(L"FixedColor", &TssVirtualDBGrid::FixedColor, &TssVirtualDBGrid::SetFixedColor)
        .Default(clBtnFace);
    p.Property<TImeMode, TImeMode>(L"ImeMode", &TssVirtualDBGrid::ImeMode, &TssVirtualDBGrid::SetImeMode)
        .Default(TImeMode::imDontCare);
    p.Property<const String&, const String&>(L"ImeName", &TssVirtualDBGrid::ImeName, &TssVirtualDBGrid::SetImeName);
    p.Property<TDBGridOptions, TDBGridOptions>(L"Options", &TssVirtualDBGrid::Options, &TssVirtualDBGrid::SetOptions)
        .Default(DBGridDefaultOptions);
    p.Property<bool, bool>(L"ReadOnly", &TssVirtualDBGrid::ReadOnly, &TssVirtualDBGrid::SetReadOnly).Default(false);
    p.Property<TFont*, TFont*>(L"TitleFont", &TssVirtualDBGrid::TitleFont, &TssVirtualDBGrid::SetTitleFont);
    p.Property<bool, bool>(L"TabStop", &TssVirtualDBGrid::TabStop, &TssVirtualDBGrid::SetTabStop).Default(true);
}
