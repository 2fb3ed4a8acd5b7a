// The smooth-scrolling data grid: its row and column attribute stores, the record-number
// bookkeeping, the vertical bar over the whole dataset, paging, jumps to a record number and the
// custom line pens.
#include "ssDBGrid.h"

#include <algorithm>
#include <cstdlib>
#include <exception>

#include <imm.h>

#include "TypInfo.h"
#include "ssVirDBGridSupport.h"

namespace {

// Runs an action when the scope is left; an error of the action is passed on unless another
// exception is already passing.
class TScopeExit {
public:
    explicit TScopeExit(std::function<void()> Action)
        : FAction(std::move(Action)), FUncaught(std::uncaught_exceptions()) {}
    ~TScopeExit() noexcept(false) {
        if (!FAction) return;
        if (std::uncaught_exceptions() > FUncaught) {
            try {
                FAction();
            } catch (...) {
            }
        } else {
            FAction();
        }
    }
    // Runs the action now instead of at the end of the scope.
    void Release() {
        auto action = std::move(FAction);
        FAction = nullptr;
        if (action) action();
    }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

private:
    std::function<void()> FAction;
    int FUncaught;
};

// The dataset's controls stay disabled for the scope.
TScopeExit ControlsDisabled(TDataSet* DataSet) {
    DataSet->DisableControls();
    return TScopeExit([DataSet] { DataSet->EnableControls(); });
}

// The data source's data-change event is detached for the scope.
TScopeExit DataChangeDetached(TDataSource* Source) {
    if (!Source) return TScopeExit(nullptr);
    TDataChangeEvent saved = Source->OnDataChange();
    Source->SetOnDataChange(nullptr);
    return TScopeExit([Source, saved] { Source->SetOnDataChange(saved); });
}

bool FetchesAll(TDataSet* DataSet) {
    try {
        TObject* options = GetObjectProp(DataSet, L"FetchOptions");
        return options && GetPropValue(options, L"Mode") == L"fmAll";
    } catch (const Exception&) {
        return false;
    }
}

}  // namespace

// ---- the column store ----

namespace ssDBGrid {

void TssGridColInfo::SetCount(int Value) {
    Value = std::max(Value, 0);
    while (int(FList.size()) < Value) FList.push_back(std::make_unique<TRecord>());
    FList.resize(std::size_t(Value));
}

TssGridColInfo::TRecord* TssGridColInfo::Current() const {
    return FCol >= 0 && FCol < Count() ? FList[std::size_t(FCol)].get() : nullptr;
}

TAlignment TssGridColInfo::Alignment() const {
    return Current() ? Current()->Alignment : TAlignment::taLeftJustify;
}
void TssGridColInfo::SetAlignment(TAlignment Value) {
    if (TRecord* r = Current()) r->Alignment = Value;
}
TAlignment TssGridColInfo::FixedAlignment() const {
    return Current() ? Current()->FixedAlignment : TAlignment::taLeftJustify;
}
void TssGridColInfo::SetFixedAlignment(TAlignment Value) {
    if (TRecord* r = Current()) r->FixedAlignment = Value;
}
TImeMode TssGridColInfo::ImeMode() const { return Current() ? Current()->ImeMode : TImeMode::imDontCare; }
void TssGridColInfo::SetImeMode(TImeMode Value) {
    if (TRecord* r = Current()) r->ImeMode = Value;
}
TColor TssGridColInfo::Color() const { return Current() ? Current()->Color : TColor(-1); }
void TssGridColInfo::SetColor(TColor Value) {
    if (TRecord* r = Current()) r->Color = Value;
}
const TFont* TssGridColInfo::Font() const { return Current() ? Current()->Font.get() : nullptr; }
void TssGridColInfo::SetFont(const TFont* Value) {
    if (TRecord* r = Current()) CopyOwned(r->Font, Value);
}
const TPen* TssGridColInfo::Line() const { return Current() ? Current()->Line.get() : nullptr; }
void TssGridColInfo::SetLine(const TPen* Value) {
    if (TRecord* r = Current()) CopyOwned(r->Line, Value);
}
int TssGridColInfo::DefaultWidths() const { return Current() ? Current()->DefaultWidths : 0; }
void TssGridColInfo::SetDefaultWidths(int Value) {
    if (TRecord* r = Current()) r->DefaultWidths = Value;
}

void TssGridColInfo::Move(int FromCol, int ToCol) {
    if (FromCol < 0 || FromCol >= Count() || ToCol < 0 || ToCol >= Count() || FromCol == ToCol) return;
    auto record = std::move(FList[std::size_t(FromCol)]);
    FList.erase(FList.begin() + FromCol);
    FList.insert(FList.begin() + ToCol, std::move(record));
}

// ---- the row store ----

void TssGridRowInfo::SetCount(int Value) {
    FCount = std::max(Value, 0);
    for (auto it = FList.lower_bound(FCount); it != FList.end(); it = FList.erase(it)) CountLine(it->second.Line.get(), -1);
}

const TssGridRowInfo::TRecord* TssGridRowInfo::Current() const {
    auto it = FList.find(FRow);
    return it == FList.end() ? nullptr : &it->second;
}

TssGridRowInfo::TRecord* TssGridRowInfo::Writable() {
    if (FRow < 0 || FRow >= FCount) return nullptr;
    return &FList[FRow];
}

void TssGridRowInfo::DropIfEmpty() {
    auto it = FList.find(FRow);
    if (it != FList.end() && it->second.Empty()) FList.erase(it);
}

void TssGridRowInfo::CountLine(const TPen* Line, int Step) {
    if (!Line) return;
    int& n = FLineWidths[Line->Width()];
    n += Step;
    if (n <= 0) FLineWidths.erase(Line->Width());
}

TColor TssGridRowInfo::Color() const { return Current() ? Current()->Color : TColor(-1); }
void TssGridRowInfo::SetColor(TColor Value) {
    if (TRecord* r = Writable()) r->Color = Value;
    DropIfEmpty();
}
const TFont* TssGridRowInfo::Font() const { return Current() ? Current()->Font.get() : nullptr; }
void TssGridRowInfo::SetFont(const TFont* Value) {
    TRecord* r = Writable();
    if (!r) return;
    CopyOwned(r->Font, Value);
    DropIfEmpty();
}
const TPen* TssGridRowInfo::Line() const { return Current() ? Current()->Line.get() : nullptr; }
void TssGridRowInfo::SetLine(const TPen* Value) {
    TRecord* r = Writable();
    if (!r) return;
    CountLine(r->Line.get(), -1);
    CopyOwned(r->Line, Value);
    CountLine(r->Line.get(), +1);
    DropIfEmpty();
}

const TPen* TssGridRowInfo::LineAt(int Index) const {
    auto it = FList.find(Index);
    return it == FList.end() ? nullptr : it->second.Line.get();
}

int TssGridRowInfo::MaxLineWidth() const { return FLineWidths.empty() ? 0 : FLineWidths.rbegin()->first; }

}  // namespace ssDBGrid

// ---- the grid ----

TssDBGrid::TssDBGrid(TComponent* AOwner)
    : TssVirtualDBGrid(AOwner),
      FColLIne(std::make_unique<TPen>()),
      FRowLine(std::make_unique<TPen>()),
      FssGridRowInfo(std::make_unique<ssDBGrid::TssGridRowInfo>()),
      FssGridColInfo(std::make_unique<ssDBGrid::TssGridColInfo>()) {
    FssGridColInfo->SetCount(ColCount());
    FssGridRowInfo->SetCount(RowCount());
    UpdateOwnOffsets();
}

TssDBGrid::~TssDBGrid() = default;

TDataSet* TssDBGrid::OpenDataSet() const {
    TDataSet* ds = DataLink()->Active() ? DataLink()->DataSet() : nullptr;
    return ds && ds->Active() ? ds : nullptr;
}

bool TssDBGrid::CheckFamily() {
    TDataSet* ds = OpenDataSet();
    if (ds && InheritsFromName(ds, L"TFDDataSet") && ds->RecNo() != -1) return true;
    FSmoothScroll = false;
    return false;
}

void TssDBGrid::ApplyEligibility() {
    TDataSet* ds = DataLink()->DataSet();
    if (!ds || !ds->Active()) return;
    if (ds->IsSequenced()) FSmoothScroll = true;
    String name = ds->ClassName();
    if (name != L"TFDTable" && name != L"TFDMemTable" && name != L"TFDQuery") FSmoothScroll = false;
    else if (name != L"TFDMemTable" && !FetchesAll(ds)) FSmoothScroll = false;
    if (ds->RecNo() == -1) FSmoothScroll = false;
}

void TssDBGrid::SetSmoothScroll(bool Value) {
    TDataSet* ds = DataLink()->DataSet();
    bool open = ds && ds->Active();
    if (ComponentState().Contains(TComponentStateItem::csDesigning)) {
        FSmoothScroll = Value;
        if (open) {
            ApplyEligibility();
            ds->Close();
            ds->Open();
        }
        return;
    }
    if (!open) FSmoothScroll = Value;
}

void TssDBGrid::UpdateOwnOffsets() {
    FTitleOffset = Options().Contains(TDBGridOption::dgTitles) ? 1 : 0;
    FIndicatorOffset = Options().Contains(TDBGridOption::dgIndicator) ? 1 : 0;
}

void TssDBGrid::SetOptions(TDBGridOptions Value) {
    Inherited::SetOptions(Value);
    int oldTitles = FTitleOffset;
    UpdateOwnOffsets();
    if (FTitleOffset != oldTitles && OpenDataSet()) SyncTopRow();
}

int TssDBGrid::CurrentRecordNumber() {
    TDataSet* ds = OpenDataSet();
    if (!ds || !CheckFamily()) return -1;
    return ds->IsSequenced() ? std::max(1, ds->RecNo()) : FRecordNumber;
}

void TssDBGrid::SyncTopRow() {
    int current = CurrentRecordNumber();
    if (current >= 0) FTopRow = current - DataLink()->ActiveRecord() - TopRowBias();
}

int TssDBGrid::AbsoluteRowCount() {
    int rows = FssGridRowInfo->Count();
    // The store keeps rows of records deleted since; they are never scrolled to.
    if (TDataSet* ds = OpenDataSet())
        if (int records = ds->RecordCount(); records >= 0) rows = std::min(rows, records + FTitleOffset);
    return rows;
}

int TssDBGrid::LastPageTopRow() {
    // The buffer holds exactly the records that fit whole below the titles.
    return std::max(FTitleOffset, AbsoluteRowCount() - std::max(DataLink()->RecordCount(), 1));
}

void TssDBGrid::RaiseRowStoreTo(int Count) {
    if (FssGridRowInfo->Count() < Count) FssGridRowInfo->SetCount(Count);
}

void TssDBGrid::CountRecords(int Mode) {
    TDataSet* ds = OpenDataSet();
    if (!ds || !CheckFamily()) return;
    HCURSOR oldCursor = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    TScopeExit cursor([oldCursor] { SetCursor(oldCursor); });
    // Enabling the controls refreshes the grid plainly: the caller settles the counts.
    TFlagScope plainRefresh(bIsSetRecordNumber);
    TScopeExit controls = ControlsDisabled(ds);
    TBookmark mark = ds->Bookmark();
    TScopeExit position([ds, mark] {
        if (mark && ds->BookmarkValid(mark)) ds->GotoBookmark(mark);
    });
    if (Mode == 1 || Mode == 2) FRecordNumber = ds->RecNo();
    if (Mode == 0 || Mode == 2) {
        ds->First();
        ds->Last();
        FssGridRowInfo->SetCount(ds->RecordCount() + FTitleOffset);
    }
    position.Release();
    controls.Release();
}

void TssDBGrid::InitRowCounts() {
    TDataSet* ds = OpenDataSet();
    if (!ds || !CheckFamily()) return;
    int records = ds->RecordCount();
    if (ds->IsSequenced()) {
        FRecordNumber = ds->RecNo();
        if (records < 0) CountRecords(0);
        else FssGridRowInfo->SetCount(records + FTitleOffset);
    } else if (records < 0) {
        CountRecords(2);
    } else {
        CountRecords(1);
        FssGridRowInfo->SetCount(records + FTitleOffset);
    }
    RaiseRowStoreTo(RowCount());
}

// ---- reactions to the data link ----

void TssDBGrid::DataLinkActiveChanged(bool Value) {
    ApplyEligibility();
    if (!FSmoothScroll) {
        Inherited::DataLinkActiveChanged(Value);
        SizeRowsToBuffer();
        return;
    }
    {
        TFlagScope reacting(bIsActiveChanged);
        Inherited::DataLinkActiveChanged(Value);
    }
    {
        TFontMeasure measure(this, Font());
        FDefaultRowHeights = measure.TextHeight(L"Wg") + 3 + (Options().Contains(TDBGridOption::dgRowLines) ? 1 : 0);
    }
    UpdateOwnOffsets();
    FRecordNumber = 1;
    FTopRow = FTitleOffset;
    TDataSet* ds = OpenDataSet();
    if (!ds) return;
    if (ds->Bof() || ds->IsSequenced()) {
        int records = ds->RecordCount();
        if (records < 0) CountRecords(0);
        else FssGridRowInfo->SetCount(records + FTitleOffset);
        RaiseRowStoreTo(RowCount());
    } else {
        InitRowCounts();
    }
    FssGridColInfo->SetCount(ColCount());
    {
        TScopeExit detached = DataChangeDetached(DataSource());
        bool customized = Columns()->State() == TDBGridColumnsState::csCustomized;
        for (int c = 0; c < ColCount(); ++c) {
            FssGridColInfo->SetCol(c);
            const TPen* line = FssGridColInfo->Line();
            if (!line) {
                FssGridColInfo->SetDefaultWidths(ColWidths(c));
            } else if (customized) {
                FssGridColInfo->SetDefaultWidths(ColWidths(c) - line->Width() + 1);
            } else {
                FssGridColInfo->SetDefaultWidths(ColWidths(c));
                SetColWidths(c, ColWidths(c) + line->Width() - 1);
            }
        }
    }
    bFiltered = ds->Filtered();
    sFilter = ds->Filter();
    FilterRecord = ds->OnFilterRecord();
    UpdateMaxRowLine();
    SizeRowsToBuffer();
    SyncScrollBar();
    SyncTopRow();
}

void TssDBGrid::Relayout() {
    bool designing = ComponentState().Contains(TComponentStateItem::csDesigning);
    if (designing || !OpenDataSet()) {
        UpdateOwnOffsets();
        FTopRow = FTitleOffset;
    }
    Inherited::Relayout();
    if (ComponentState().Contains(TComponentStateItem::csLoading)) return;
    FDefaultRowHeights = DefaultRowHeight();
    if (FssGridColInfo->Count() < ColCount()) FssGridColInfo->SetCount(ColCount());
    if (!bIsActiveChanged && FSmoothScroll) {
        int before = DefaultRowHeight();
        UpdateMaxRowLine();
        if (DefaultRowHeight() != before) SizeRowsToBuffer();
    }
}

void TssDBGrid::RefreshFromDataSet() {
    if (!FSmoothScroll || bIsSetRecordNumber || bIsColWidthsChanged) return Inherited::RefreshFromDataSet();
    TDataSet* ds = OpenDataSet();
    if (!HandleAllocated() || !ds) return;
    SizeRowsToBuffer();
    SyncCurrentRow();
    InvalidateEditor();
    int records = std::max(ds->RecordCount(), 0);
    int minimum = std::max(records + FTitleOffset, RowCount());
    bool sameFilter = ds->Filtered() == bFiltered && ds->Filter() == sFilter && ds->OnFilterRecord() == FilterRecord;
    if (ds->Bof() && sameFilter) {
        FRecordNumber = 1;
        FTopRow = FTitleOffset;
        RaiseRowStoreTo(minimum);
        SyncScrollBar();
    } else if (ds->Eof()) {
        RaiseRowStoreTo(minimum);
        FTopRow = LastPageTopRow();
        FRecordNumber = DataLink()->ActiveRecord() + FTopRow + TopRowBias();
        SyncScrollBar();
    } else if (ds->State() == TDataSetState::dsInsert) {
        FssGridRowInfo->SetCount(FssGridRowInfo->Count() + 1);
        return;
    } else {
        InitRowCounts();
        SyncTopRow();
        SyncScrollBar();
        bFiltered = ds->Filtered();
        sFilter = ds->Filter();
        FilterRecord = ds->OnFilterRecord();
    }
    ValidateRect(Handle(), nullptr);
    Invalidate();
}

void TssDBGrid::RecordsScrolled(int Distance) {
    if (!FSmoothScroll) return Inherited::RecordsScrolled(Distance);
    TDataSet* ds = DataLink()->DataSet();
    if (!DataLink()->Active() || !ds) return;
    if (ds->Bof()) FTopRow = FTitleOffset;
    else if (ds->Eof()) FTopRow = LastPageTopRow();
    else FTopRow += Distance;
    FRecordNumber = DataLink()->ActiveRecord() + FTopRow + TopRowBias();
    if (Distance != 0 && HandleAllocated()) {
        RECT below = ClientRect();
        below.top = GridHeight();
        InvalidateRect(Handle(), &below, FALSE);
    }
    Inherited::RecordsScrolled(Distance);
}

// ---- the vertical scroll bar ----

void TssDBGrid::SyncScrollBar() {
    if (!FSmoothScroll) return Inherited::SyncScrollBar();
    TDataSet* ds = DataLink()->DataSet();
    if (!DataLink()->Active() || !ds || !HandleAllocated()) return;
    SCROLLINFO old{sizeof(SCROLLINFO), SIF_ALL};
    if (!GetScrollInfo(Handle(), SB_VERT, &old)) old = SCROLLINFO{sizeof(SCROLLINFO), SIF_ALL};
    SCROLLINFO info = old;
    int rows = AbsoluteRowCount();
    info.nMin = 1;
    info.nPage = UINT(std::max(0, VisibleRowCount()));
    info.nMax = rows + int(info.nPage) - FTitleOffset - 1;
    TDataSetState state = ds->State();
    if (state == TDataSetState::dsInactive || state == TDataSetState::dsBrowse || state == TDataSetState::dsEdit)
        info.nPos = ds->Eof() ? rows - FTitleOffset : ds->Bof() ? 1 : CurrentRecordNumber();
    if (!FSmoothScroll) return Inherited::SyncScrollBar();  // the record number turned out unknown
    if (info.nMin != old.nMin || info.nMax != old.nMax || info.nPage != old.nPage || info.nPos != old.nPos) {
        info.fMask = SIF_ALL;
        SetScrollInfo(Handle(), SB_VERT, &info, TRUE);
    }
}

int TssDBGrid::ScrollTrackPos(int Pos) {
    // A dragged thumb reports 32 bits through the bar; the message itself carries only the low 16.
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_TRACKPOS};
    if (GetScrollInfo(Handle(), SB_VERT, &info) && (info.nTrackPos & 0xFFFF) == (Pos & 0xFFFF)) return info.nTrackPos;
    return Pos;
}

void TssDBGrid::ScrollCommand(int Bar, int Code, int Pos) {
    if (Bar != SB_VERT || !FSmoothScroll) return Inherited::ScrollCommand(Bar, Code, Pos);
    if (!AcquireFocus() || !DataLink()->Active()) return;
    TDataSet* ds = DataLink()->DataSet();
    TDataLink* link = DataLink();
    int page = VisibleRowCount();
    switch (Code) {
        case SB_LINEUP: link->MoveBy(FScrollAllRow ? -1 : -link->ActiveRecord() - 1); break;
        case SB_LINEDOWN: link->MoveBy(FScrollAllRow ? 1 : link->RecordCount() - link->ActiveRecord()); break;
        case SB_PAGEUP:
            if (FScrollAllRow) PageScroll(false);
            else link->MoveBy(-page);
            break;
        case SB_PAGEDOWN:
            if (FScrollAllRow) PageScroll(true);
            else link->MoveBy(page);
            break;
        case SB_THUMBPOSITION: {
            int target = ScrollTrackPos(Pos);
            if (target <= 1) {
                ds->First();
            } else if (target < AbsoluteRowCount() - FTitleOffset) {
                GoToRecordNumber(target);
                SyncTopRow();
            } else {
                ds->Last();
            }
            break;
        }
        case SB_TOP: ds->First(); break;
        case SB_BOTTOM: ds->Last(); break;
        default: break;
    }
}

void TssDBGrid::PageScroll(bool Down) {
    TDataLink* link = DataLink();
    TDataSet* ds = link->DataSet();
    if (!link->Active() || !ds) return;
    UpdateLock();
    TScopeExit unlock([this] { UpdateUnlock(); });
    int active = link->ActiveRecord();
    int visible = VisibleRowCount();
    link->MoveBy(Down ? 2 * visible - active - 2 : 1 - active - visible);
    // Back to the screen row the cursor was on; the move stays inside the window.
    if (!ds->Bof() && !ds->Eof()) link->MoveBy(active - link->ActiveRecord());
}

// ---- jumping to a record number ----

void TssDBGrid::GoToRecordNumber(int N) {
    TDataSet* ds = OpenDataSet();
    if (!ds || !CheckFamily()) return;
    if (ds->IsSequenced()) return ds->SetRecNo(N);
    TDataLink* link = DataLink();
    int O = FRecordNumber;
    int A = link->ActiveRecord();
    FRecordNumber = N;
    TFlagScope jumping(bIsSetRecordNumber);
    TDataSetNotifyEvent beforeScroll = ds->BeforeScroll(), afterScroll = ds->AfterScroll();
    ds->SetBeforeScroll(nullptr);
    ds->SetAfterScroll(nullptr);
    TScopeExit events([ds, beforeScroll, afterScroll] {
        ds->SetBeforeScroll(beforeScroll);
        ds->SetAfterScroll(afterScroll);
    });
    auto reattach = [&events] { events.Release(); };
    TScopeExit controls = ControlsDisabled(ds);
    int V = std::max(VisibleRowCount(), 1);
    int H = (V - 1) / 2;
    int E = (V - 1) - H;
    int T = AbsoluteRowCount() - FTitleOffset;
    if (2 * N > T) {
        if (T - N < std::abs(N - O) || N >= T + H - V + 1) {
            ds->Last();
            if (T - N < V - H - 1) {
                reattach();
                ds->MoveBy(N - T);
            } else {
                ds->MoveBy(-(T - N) - H);
                reattach();
                ds->MoveBy(H);
            }
        } else {
            MoveRelative(N, O, A, H, E, reattach);
        }
    } else if (N - 1 < std::abs(N - O) || H + 1 >= N) {
        ds->First();
        if (N - 1 < H) {
            reattach();
            ds->MoveBy(N - 1);
        } else {
            ds->MoveBy(V + N - H - 2);
            reattach();
            ds->MoveBy(H - V + 1);
        }
    } else {
        MoveRelative(N, O, A, H, E, reattach);
    }
    reattach();
    controls.Release();
    FTopRow = FRecordNumber - link->ActiveRecord() - TopRowBias();
}

void TssDBGrid::MoveRelative(int N, int O, int A, int H, int E, const std::function<void()>& Reattach) {
    TDataSet* ds = DataLink()->DataSet();
    int D = N - O;
    auto twoSteps = [&](int First, int Second) {
        ds->MoveBy(First);
        Reattach();
        ds->MoveBy(Second);
    };
    if (D == 0) {
        Reattach();
    } else if (D > 0) {
        if (A >= H || H - A < D) twoSteps(N + E - O, -E);
        else if (D < H - A) twoSteps(D - H, H);
        else twoSteps(0, D);
    } else {
        if (H >= A || A - H < O - N) twoSteps(D - H, H);
        else if (O - N < A - H) twoSteps(D + E, -E);
        else twoSteps(0, D);
    }
}

// ---- line pens ----

bool TssDBGrid::SameAsCanvasPen(const TPen* Pen) const {
    const TPen* canvas = const_cast<TssDBGrid*>(this)->Canvas()->Pen();
    return Pen->Style() == canvas->Style() && Pen->Width() == canvas->Width() && Pen->Color() == canvas->Color() &&
           Pen->Mode() == canvas->Mode();
}

bool TssDBGrid::UpdateMaxRowLine() {
    if (!FSmoothScroll || !Options().Contains(TDBGridOption::dgRowLines)) return false;
    int widest = FssGridRowInfo->MaxLineWidth();
    bool changed = widest != FMaxRowLine;
    FMaxRowLine = widest;
    if (FDefaultRowHeights != 0) ApplyDefaultRowHeight();
    return changed;
}

void TssDBGrid::ApplyDefaultRowHeight() {
    int height = FMaxRowLine < 2 ? FDefaultRowHeights : FDefaultRowHeights + FMaxRowLine - 1;
    if (height == DefaultRowHeight()) return;
    // A new default discards the title rows' own heights: keep them.
    std::vector<int> titles;
    for (int r = 0; r < FTitleOffset && r < RowCount(); ++r) titles.push_back(RowHeights(r));
    SetDefaultRowHeight(height);
    for (int r = 0; r < int(titles.size()); ++r) SetRowHeights(r, titles[std::size_t(r)]);
}

void TssDBGrid::SetRowLine(int Index, const TPen* Pen) {
    if (Index < 0 || Index >= FssGridRowInfo->Count() || !FSmoothScroll) return;
    FssGridRowInfo->SetRow(Index);
    FssGridRowInfo->SetLine(Pen && !SameAsCanvasPen(Pen) ? Pen : nullptr);
    if (UpdateMaxRowLine() && OpenDataSet()) {
        SizeRowsToBuffer();
        SyncScrollBar();
        SyncTopRow();
    }
    Invalidate();
}

void TssDBGrid::SetColLine(int Index, const TPen* Pen) {
    if (Index < 0 || Index >= ColCount() || !FSmoothScroll) return;
    if (FssGridColInfo->Count() < ColCount()) FssGridColInfo->SetCount(ColCount());
    FssGridColInfo->SetCol(Index);
    const TPen* line = Pen && !SameAsCanvasPen(Pen) ? Pen : nullptr;
    FssGridColInfo->SetLine(line);
    if (Options().Contains(TDBGridOption::dgColLines) && OpenDataSet()) {
        TScopeExit detached = DataChangeDetached(DataSource());
        if (FssGridColInfo->DefaultWidths() <= 0) FssGridColInfo->SetDefaultWidths(ColWidths(Index));
        int width = FssGridColInfo->DefaultWidths();
        if (line && line->Width() >= 2) width += line->Width() - 1;
        SetColWidths(Index, width);
    }
    if (HandleAllocated()) InvalidateCol(Index);
}

TPen* TssDBGrid::GetColLineProp(int Index) {
    FssGridColInfo->SetCol(Index);
    const TPen* custom = FssGridColInfo->Line();
    const TPen* source = custom ? custom : Canvas()->Pen();
    if (ComponentState().Contains(TComponentStateItem::csDesigning)) return const_cast<TPen*>(source);
    FColLIne->OnChange = nullptr;
    FColLIne->Assign(*source);
    // Bound to this column: the store's cursor moves with every later use.
    FColLIne->OnChange = [this, Index](TObject*) { SetColLine(Index, FColLIne.get()); };
    return FColLIne.get();
}

TPen* TssDBGrid::GetRowLineProp(int Index) {
    FssGridRowInfo->SetRow(Index);
    const TPen* custom = FssGridRowInfo->LineAt(Index);
    const TPen* source = custom ? custom : Canvas()->Pen();
    if (ComponentState().Contains(TComponentStateItem::csDesigning)) return const_cast<TPen*>(source);
    FRowLine->OnChange = nullptr;
    FRowLine->Assign(*source);
    FRowLine->OnChange = [this, Index](TObject*) { SetRowLine(Index, FRowLine.get()); };
    return FRowLine.get();
}

void TssDBGrid::ColWidthsChanged() {
    if (!FSmoothScroll || !FssGridColInfo) return Inherited::ColWidthsChanged();
    {
        TFlagScope copying(bIsColWidthsChanged);
        Inherited::ColWidthsChanged();
    }
    int count = std::min(ColCount(), FssGridColInfo->Count());
    for (int c = FIndicatorOffset; c < count; ++c) {
        FssGridColInfo->SetCol(c);
        const TPen* line = FssGridColInfo->Line();
        FssGridColInfo->SetDefaultWidths(ColWidths(c) - (line ? line->Width() - 1 : 0));
    }
}

// ---- input ----

void TssDBGrid::KeyDown(WORD& Key, TShiftState Shift) {
    if (FScrollAllRow && (Key == VK_PRIOR || Key == VK_NEXT) && !Shift.Contains(TShiftStateItem::ssCtrl)) {
        TWinControl::KeyDown(Key, Shift);  // the program's OnKeyDown
        if (DataLink()->Active() && Key != 0 && CanGridAcceptKey(Key, Shift)) {
            SelectedRows()->Clear();
            PageScroll(Key == VK_NEXT);
        }
        return;
    }
    Inherited::KeyDown(Key, Shift);
}

bool TssDBGrid::DoMouseWheel(TShiftState Shift, int WheelDelta, POINT MousePos) {
    bool handled = false;
    if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
    if (handled) return true;
    handled = true;
    if (WheelDelta < 0 && OnMouseWheelDown) OnMouseWheelDown(this, Shift, MousePos, handled);
    else if (WheelDelta > 0 && OnMouseWheelUp) OnMouseWheelUp(this, Shift, MousePos, handled);
    if (WheelDelta != 0 && OpenDataSet() && HandleAllocated())
        SendMessageW(Handle(), WM_VSCROLL, WheelDelta < 0 ? SB_LINEDOWN : SB_LINEUP, 0);
    return handled;
}

void TssDBGrid::MouseMove(TShiftState Shift, int X, int Y) {
    // With one column or none in view the sizing line would leave the window for good.
    if (GridState() == TGridState::gsColSizing && VisibleColCount() <= 1) {
        int width = ClientRect().right;
        if (X >= width) X = width - 1;
    }
    Inherited::MouseMove(Shift, X, Y);
}

// ---- drawing ----

void TssDBGrid::DrawCellText(TCanvas* ACanvas, const RECT& ARect, int DX, int DY, const String& Text,
                             TAlignment Alignment, bool RightToLeft) {
    // Smooth mode sets the text on the cell's bottom edge, where the editor sits as well.
    if (FSmoothScroll) DY = (ARect.bottom - ARect.top) - ACanvas->TextHeight(Text);
    Inherited::DrawCellText(ACanvas, ARect, DX, DY, Text, Alignment, RightToLeft);
}

void TssDBGrid::Paint() {
    Inherited::Paint();
    if (FSmoothScroll) PaintCustomLines();
}

void TssDBGrid::PaintCustomLines() {
    TCanvas* canvas = Canvas();
    int lineWidth = GridLineWidth();
    int right = GridWidth(), bottom = GridHeight();
    auto drawWith = [&](const TPen* custom, int x1, int y1, int x2, int y2) {
        canvas->Pen()->Assign(*custom);
        canvas->Pen()->SetEnds(TPenEnds::peFlat);
        canvas->MoveTo(x1, y1);
        canvas->LineTo(x2, y2);
    };
    // Where a custom line's centre lies past the cell's edge: a thin one is centred on the grid
    // line, a thick one reaches back into the room its row or column was given.
    auto centre = [lineWidth](int edge, int w) {
        return w >= lineWidth ? edge + lineWidth - w + w / 2 : edge + (lineWidth - w) / 2 + w / 2;
    };
    if (Options().Contains(TDBGridOption::dgRowLines)) {
        for (int r = 0; r < RowCount(); ++r) {
            int absolute = r < FTitleOffset ? r : FTopRow + r - FTitleOffset;
            if (absolute >= AbsoluteRowCount()) break;
            const TPen* custom = FssGridRowInfo->LineAt(absolute);
            RECT cell = BoxRect(0, r, ColCount() - 1, r);
            if (!custom || custom->Width() == 0 || cell.bottom <= cell.top) continue;
            if (custom->Width() > RowHeights(r)) continue;
            int y = centre(cell.bottom, custom->Width());
            drawWith(custom, 0, y, right, y);
        }
    }
    if (Options().Contains(TDBGridOption::dgColLines)) {
        int count = std::min(ColCount(), FssGridColInfo->Count());
        for (int c = 0; c < count; ++c) {
            FssGridColInfo->SetCol(c);
            const TPen* custom = FssGridColInfo->Line();
            RECT cell = BoxRect(c, 0, c, RowCount() - 1);
            if (!custom || custom->Width() == 0 || cell.right <= cell.left) continue;
            if (custom->Width() > ColWidths(c)) continue;
            int x = centre(cell.right, custom->Width());
            drawWith(custom, x, 0, x, bottom);
        }
    }
}

// ---- the editor ----

TInplaceEdit* TssDBGrid::CreateEditor() {
    return FSmoothScroll ? new TssDBGridInplaceEdit(this) : Inherited::CreateEditor();
}

RECT TssDBGrid::CellRectWithLines(int ACol, int ARow) {
    RECT r = CellRect(ACol, ARow);
    int lineWidth = GridLineWidth();
    FssGridColInfo->SetCol(ACol);
    if (const TPen* line = FssGridColInfo->Line()) {
        int w = line->Width();
        bool whole = r.right - r.left == ColWidths(ACol);
        if (whole || w < lineWidth) r.right += lineWidth - w;
        else r.right = r.left + ColWidths(ACol) + lineWidth - w;
    }
    int absolute = ARow < FTitleOffset ? ARow : FTopRow + ARow - FTitleOffset;
    if (const TPen* line = FssGridRowInfo->LineAt(absolute)) {
        int w = line->Width();
        bool whole = r.bottom - r.top == RowHeights(ARow);
        if (whole && w >= lineWidth) r.bottom += lineWidth - w;
        else if (w >= lineWidth) r.bottom += lineWidth - (w + r.bottom - RowHeights(ARow) - r.top);
        else r.bottom += w - lineWidth;
    }
    return r;
}

RECT TssDBGridInplaceEdit::CurrentCellRect() const {
    auto* grid = static_cast<TssDBGrid*>(Grid());
    return grid->CellRectWithLines(grid->Col(), grid->Row());
}

void TssDBGridInplaceEdit::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (!Grid()) return Inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
    RECT cell = CurrentCellRect();
    int textHeight = std::abs(Font()->Height()) + 2;
    Inherited::SetBounds(cell.left, cell.bottom - textHeight, cell.right - cell.left - 1, textHeight);
    if (!HandleAllocated()) return;
    RECT area{2, 2, Width() - 2, Height()};
    SendMessageW(Handle(), EM_SETRECTNP, 0, LPARAM(&area));
    SendMessageW(Handle(), EM_SCROLLCARET, 0, 0);
    if (EastAsianSystem()) PlaceComposition(POINT{area.left, area.top});
}

void TssDBGridInplaceEdit::PlaceComposition(POINT At) {
    HIMC context = ImmGetContext(Handle());
    if (!context) return;
    COMPOSITIONFORM form{};
    form.dwStyle = CFS_POINT;
    form.ptCurrentPos = At;
    ImmSetCompositionWindow(context, &form);
    LOGFONTW font{};
    if (GetObjectW(HFONT(Font()->Handle()), sizeof font, &font)) ImmSetCompositionFontW(context, &font);
    ImmReleaseContext(Handle(), context);
}

void TssDBGridInplaceEdit::KeyDown(WORD& Key, TShiftState Shift) {
    if (Key == VK_RETURN && Grid()) {
        RECT cell = CurrentCellRect();
        Inherited::SetBounds(cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top);
    }
    Inherited::KeyDown(Key, Shift);
}

// ---- the published grid ----

SS_PUBLISH(TssDBGrid) {
    p.Property<bool, bool>(L"SmoothScroll", &TssDBGrid::SmoothScroll, &TssDBGrid::SetSmoothScroll).Default(true);
    p.Property<bool, bool>(L"ScrollAllRow", &TssDBGrid::ScrollAllRow, &TssDBGrid::SetScrollAllRow).Default(false);
}
