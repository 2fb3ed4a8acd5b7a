// The string grid, its row and column views and the cursor over the lines of a multi-line cell.
#include <algorithm>
#include <climits>
#include <new>
#include <utility>
#include <vector>

#include "ssGrids.h"

namespace {

const wchar_t* const SCannotInsertDelete = L"グリッドの行を追加/削除することはできません";

// Keeps a program's handler away for one call of the grid's own handling. It is back afterwards,
// also when the call raises, unless the call itself assigned a new one.
template <typename E>
class TDetachedEvent {
public:
    TDetachedEvent(E& Event, bool Detach) : FEvent(Event) {
        if (Detach) FSaved = std::exchange(Event, nullptr);
    }
    ~TDetachedEvent() {
        if (FSaved && !FEvent) FEvent = std::move(FSaved);
    }
    TDetachedEvent(const TDetachedEvent&) = delete;
    TDetachedEvent& operator=(const TDetachedEvent&) = delete;

private:
    E& FEvent;
    E FSaved;
};

// The lines of a cell: split at CR LF, LF or a lone CR; no line after a final line end.
void SplitLines(const String& Text, TStringList& Lines) { Lines.SetText(Text); }

}  // namespace

// ---- TssStringGridStrings ----

TGridCoord TssStringGridStrings::Cell(int Index) const {
    if (FIndex > 0) return {Index, FIndex - 1};
    if (FIndex < 0) return {-FIndex - 1, Index};
    return {-1, -1};
}

int TssStringGridStrings::Count() const {
    if (FIndex > 0) return FGrid->ColCount();
    if (FIndex < 0) return FGrid->RowCount();
    return 0;
}

String TssStringGridStrings::Get(int Index) const {
    TGridCoord c = Cell(Index);
    return c.X < 0 ? String() : FGrid->Cells(c.X, c.Y);
}

TObject* TssStringGridStrings::GetObject(int Index) const {
    TGridCoord c = Cell(Index);
    return c.X < 0 ? nullptr : FGrid->Objects(c.X, c.Y);
}

void TssStringGridStrings::Put(int Index, const String& S) {
    TGridCoord c = Cell(Index);
    FGrid->SetCells(c.X, c.Y, S);
}

void TssStringGridStrings::PutObject(int Index, TObject* AObject) {
    TGridCoord c = Cell(Index);
    FGrid->SetObjects(c.X, c.Y, AObject);
}

int TssStringGridStrings::Add(const String& S) {
    for (int i = 0, n = Count(); i < n; ++i)
        if (Get(i).empty()) {
            Put(i, S);
            return i;
        }
    return -1;
}

void TssStringGridStrings::Insert(int, const String&) { throw EInvalidGridOperation(SCannotInsertDelete); }

void TssStringGridStrings::Delete(int) { throw EInvalidGridOperation(SCannotInsertDelete); }

// Only cells that hold something are visited: a column of a million rows costs what it stores.
void TssStringGridStrings::Clear() {
    std::vector<TGridCoord> stored;
    if (FIndex > 0) {
        const int row = FIndex - 1;
        if (TStringSparseList* list = FGrid->RowList(row))
            list->List().ForAll([&](int col, void*) { return stored.push_back({col, row}), 0; });
    } else if (FIndex < 0) {
        const int col = -FIndex - 1;
        FGrid->FData.ForAll([&](int row, void* list) {
            if (static_cast<TStringSparseList*>(list)->List().Get(col)) stored.push_back({col, row});
            return 0;
        });
        std::reverse(stored.begin(), stored.end());
    }
    for (TGridCoord c : stored) {
        FGrid->SetObjects(c.X, c.Y, nullptr);
        FGrid->SetCells(c.X, c.Y, String());
    }
}

void TssStringGridStrings::Assign(const TPersistent* Source) {
    auto* src = dynamic_cast<const TStrings*>(Source);
    if (!src) return TStrings::Assign(Source);
    TStringsUpdate update(*this);
    for (int i = 0, n = std::min(src->Count(), Count()); i < n; ++i) {
        Put(i, src->Get(i));
        PutObject(i, src->Objects(i));
    }
}

void TssStringGridStrings::SetUpdateState(bool Updating) { FGrid->SetUpdateState(Updating); }

// ---- TssMultiLineAttribute ----

TssMultiLineAttribute::TssMultiLineAttribute(TssStringGrid* AGrid) : FGrid(AGrid) {
    FFont.SetOwnerNotify([this](TObject*) {
        if (!FFilling) SetFont(&FFont);
    });
}

void TssMultiLineAttribute::SetCursor(int ACol, int ARow, int ALineIndex) {
    FCol = ACol;
    FRow = ARow;
    FLineIndex = ALineIndex;
}

void TssMultiLineAttribute::TLineItems::Changed() {
    TStringList::Changed();
    if (UpdateCount() == 0 && !FOwner->FFilling) FOwner->FGrid->SetCells(FOwner->FCol, FOwner->FRow, Text());
}

TStringList* TssMultiLineAttribute::LineItems() {
    FFilling = true;
    struct Done {
        bool& f;
        ~Done() { f = false; }
    } done{FFilling};
    SplitLines(FGrid->Cells(FCol, FRow), FLineItems);
    return &FLineItems;
}

TssLineAttribute* TssMultiLineAttribute::Record(bool Create) const {
    TssGridCellInfo& info = FGrid->CellInfo();
    info.SetCol(FCol);
    info.SetRow(FRow);
    return info.LineAttribute(FLineIndex, Create);
}

void TssMultiLineAttribute::Changed() { FGrid->Update(FCol, FRow); }

bool TssMultiLineAttribute::DefaultAlignment() const {
    const TssLineAttribute* r = Record(false);
    return r ? r->DefaultAlignment : true;
}

void TssMultiLineAttribute::SetDefaultAlignment(bool Value) {
    if (TssLineAttribute* r = Record(!Value)) r->DefaultAlignment = Value;
    Changed();
}

TAlignment TssMultiLineAttribute::Alignment() const {
    const TssLineAttribute* r = Record(false);
    return r ? r->Alignment : TAlignment::taLeftJustify;
}

void TssMultiLineAttribute::SetAlignment(TAlignment Value) {
    if (TssLineAttribute* r = Record(true)) {
        r->Alignment = Value;
        r->DefaultAlignment = false;
    }
    Changed();
}

bool TssMultiLineAttribute::DefaultFont() const {
    const TssLineAttribute* r = Record(false);
    return r ? r->DefaultFont : true;
}

void TssMultiLineAttribute::SetDefaultFont(bool Value) {
    if (TssLineAttribute* r = Record(!Value)) {
        r->DefaultFont = Value;
        if (Value) r->Font.reset();
    }
    Changed();
}

TFont* TssMultiLineAttribute::Font() {
    if (TssLineAttribute* r = Record(false); r && r->Font) return r->Font.get();
    FFilling = true;
    struct Done {
        bool& f;
        ~Done() { f = false; }
    } done{FFilling};
    FFont.Assign(*FGrid->CellFont(FCol, FRow));
    return &FFont;
}

void TssMultiLineAttribute::SetFont(const TFont* Value) {
    if (TssLineAttribute* r = Record(true)) {
        if (!r->Font) r->Font = std::make_unique<TFont>();
        if (Value) r->Font->Assign(*Value);
        r->DefaultFont = false;
    }
    Changed();
}

// ---- TssStringGrid ----

SS_PUBLISH(TssStringGrid) {
    p.Property<TssDisableFixedCellEvent, TssDisableFixedCellEvent>(
         L"DisableFixedCellEvent", &TssStringGrid::DisableFixedCellEvent, &TssStringGrid::SetDisableFixedCellEvent)
        .Default(TssDisableFixedCellEvent());
    p.Property<bool, bool>(L"DoubleBufferAllDraw", &TssStringGrid::DoubleBufferAllDraw,
                           &TssStringGrid::SetDoubleBufferAllDraw)
        .Default(false);
}

TssStringGrid::TssStringGrid(TComponent* AOwner)
    : TssDrawGrid(AOwner), FMLAData(std::make_unique<TssMultiLineAttribute>(this)) {}

TssStringGrid::~TssStringGrid() {
    FMLAData.reset();
    FPool.Abandon();
    for (TSparseList* views : {&FRows, &FCols})
        views->ForAll([](int, void* view) {
            delete static_cast<TssStringGridStrings*>(view);
            return 0;
        });
    for (TStringSparseList* list : FRowLists) FreeRowList(list);
}

// Row lists live in the grid's pool, as their sections and items do: a cell in a new row costs
// no heap call but its text's.
TStringSparseList* TssStringGrid::EnsureRowList(int ARow) {
    if (TStringSparseList* list = RowList(ARow)) return list;
    if (FRowLists.size() == FRowLists.capacity()) FRowLists.reserve(std::max<std::size_t>(16, 2 * FRowLists.size()));
    void* block = TSparsePool::Allocate(&FPool, sizeof(TStringSparseList));
    TStringSparseList* list = nullptr;
    try {
        list = new (block) TStringSparseList(ColCount() > 512 ? TSPAQuantum::SPALarge : TSPAQuantum::SPASmall, &FPool);
        FData.Put(ARow, list);
        FRowLists.push_back(list);  // has room
    } catch (...) {
        if (list) list->~TStringSparseList();
        TSparsePool::Free(&FPool, block, sizeof(TStringSparseList));
        throw;
    }
    return list;
}

void TssStringGrid::FreeRowList(TStringSparseList* List) {
    List->~TStringSparseList();
    TSparsePool::Free(&FPool, List, sizeof(TStringSparseList));
}

String TssStringGrid::Cells(int ACol, int ARow) const {
    TStringSparseList* list = RowList(ARow);
    return list ? list->Get(ACol) : String();
}

// Empty text without an object in a row without cells makes no row list.
void TssStringGrid::SetCells(int ACol, int ARow, const String& Value) {
    TStringSparseList* list = Value.empty() ? RowList(ARow) : EnsureRowList(ARow);
    if (list) list->Put(ACol, Value);
    else CheckListIndex(ACol, INT_MAX);
    Update(ACol, ARow);
}

TObject* TssStringGrid::Objects(int ACol, int ARow) const {
    TStringSparseList* list = RowList(ARow);
    return list ? list->Objects(ACol) : nullptr;
}

void TssStringGrid::SetObjects(int ACol, int ARow, TObject* Value) {
    TStringSparseList* list = Value ? EnsureRowList(ARow) : RowList(ARow);
    if (list) list->SetObjects(ACol, Value);
    else CheckListIndex(ACol, INT_MAX);
    Update(ACol, ARow);
}

TssStringGridStrings* TssStringGrid::View(TSparseList& Views, int Index, int Code) {
    if (auto* view = static_cast<TssStringGridStrings*>(Views.Get(Index))) return view;
    auto view = std::make_unique<TssStringGridStrings>(this, Code);
    Views.Put(Index, view.get());
    return view.release();
}

TStrings* TssStringGrid::Rows(int Index) { return View(FRows, Index, Index + 1); }

TStrings* TssStringGrid::Cols(int Index) { return View(FCols, Index, -Index - 1); }

void TssStringGrid::Update(int ACol, int ARow) {
    if (FUpdating) {
        FNeedsUpdating = true;
        FCellsSet = false;
    } else {
        InvalidateCell(ACol, ARow);
        FCellsSet = true;
    }
    if (ACol == Col() && ARow == Row() && FEditUpdate == 0) ResetEditor();
    if (!FCellsSet) CloseEditor();
}

void TssStringGrid::SetUpdateState(bool Updating) {
    FUpdating = Updating;
    if (!Updating && FNeedsUpdating) {
        FNeedsUpdating = false;
        Invalidate();
    }
}

String TssStringGrid::GetEditText(int ACol, int ARow) {
    String result = Cells(ACol, ARow);
    if (OnGetEditText) OnGetEditText(this, ACol, ARow, result);
    return result;
}

// The editor's own text is being stored: the cell must not reload it.
void TssStringGrid::SetEditText(int ACol, int ARow, const String& Value) {
    ++FEditUpdate;
    struct Done {
        int& n;
        ~Done() { --n; }
    } done{FEditUpdate};
    if (Value != Cells(ACol, ARow)) SetCells(ACol, ARow, Value);
    TssDrawGrid::SetEditText(ACol, ARow, Value);
}

void TssStringGrid::ColumnMoved(int FromIndex, int ToIndex) {
    FData.ForAll([=](int, void* list) {
        static_cast<TStringSparseList*>(list)->Move(FromIndex, ToIndex);
        return 0;
    });
    Invalidate();
    TssDrawGrid::ColumnMoved(FromIndex, ToIndex);
}

void TssStringGrid::RowMoved(int FromIndex, int ToIndex) {
    FData.Move(FromIndex, ToIndex);
    Invalidate();
    TssDrawGrid::RowMoved(FromIndex, ToIndex);
}

// ---- fixed-cell event suppression ----

bool TssStringGrid::HitsFixedCell() {
    int c, r;
    MouseToCell(FHitTest.x, FHitTest.y, c, r);
    return c >= 0 && r >= 0 && (c < FixedCols() || r < FixedRows());
}

void TssStringGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TDetachedEvent<TMouseEvent> detached(
        OnMouseDown, FDisableFixedCellEvent.Contains(TssDisableFixedCellEventType::dfeMouse) && HitsFixedCell());
    TssDrawGrid::MouseDown(Button, Shift, X, Y);
}

void TssStringGrid::MouseMove(TShiftState Shift, int X, int Y) {
    TDetachedEvent<TMouseMoveEvent> detached(
        OnMouseMove, FDisableFixedCellEvent.Contains(TssDisableFixedCellEventType::dfeMouse) && HitsFixedCell());
    TssDrawGrid::MouseMove(Shift, X, Y);
}

void TssStringGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TDetachedEvent<TMouseEvent> detached(
        OnMouseUp, FDisableFixedCellEvent.Contains(TssDisableFixedCellEventType::dfeMouse) && HitsFixedCell());
    TssDrawGrid::MouseUp(Button, Shift, X, Y);
}

void TssStringGrid::DblClick() {
    TDetachedEvent<TNotifyEvent> detached(
        OnDblClick, FDisableFixedCellEvent.Contains(TssDisableFixedCellEventType::dfeDblClick) && HitsFixedCell());
    TssDrawGrid::DblClick();
}

// ---- drawing ----

void TssStringGrid::SetMultiLineEnabled(bool Value) {
    FMLAEnabled = Value;
    Invalidate();
}

TssMultiLineAttribute* TssStringGrid::MultiLine(int ACol, int ARow, int ALineIndex) {
    FMLAData->SetCursor(ACol, ARow, ALineIndex);
    return FMLAData.get();
}

TStringList* TssStringGrid::MultiItems(int ACol, int ARow) {
    FMLAData->SetCursor(ACol, ARow, FMLAData->LineIndex());
    return FMLAData->LineItems();
}

bool TssStringGrid::IsMultiLineCell(int ACol, int ARow) const {
    return FMLAEnabled || Cells(ACol, ARow).find_first_of(L"\r\n") != String::npos;
}

TAlignment TssStringGrid::CellAlignment(int ACol, int ARow) const {
    return ARow < FixedRows() ? FixedColAlignment(ACol) : ColAlignment(ACol);
}

int TssStringGrid::AlignedX(const RECT& Rect, int TextWidth, TAlignment Alignment) const {
    switch (Alignment) {
        case TAlignment::taRightJustify: return Rect.right - TextWidth - 3;
        case TAlignment::taCenter: return Rect.left + (Rect.right - Rect.left - TextWidth) / 2;
        default: return Rect.left + 3;
    }
}

void TssStringGrid::DrawCell(int ACol, int ARow, const RECT& ARect, TGridDrawState AState) {
    if (DefaultDrawing()) {
        if (IsMultiLineCell(ACol, ARow)) DrawMultiLine(ACol, ARow, ARect);
        else DrawSingleLine(ACol, ARow, ARect);
    }
    TssDrawGrid::DrawCell(ACol, ARow, ARect, AState);
}

// A single line of text goes out opaque over the whole cell (the brush's colour is the
// background colour of the text).
bool TssStringGrid::DrawCellFillsRect(int ACol, int ARow) const {
    if (!DefaultDrawing()) return false;
    const String text = Cells(ACol, ARow);
    return !text.empty() && !FMLAEnabled && text.find_first_of(L"\r\n") == String::npos;
}

// Heights measured in a paint are kept only during it: a font handle may later belong to another font.
void TssStringGrid::Paint() {
    FMeasuredFont = nullptr;
    TFlagScope measuring(FMeasuring);
    TssDrawGrid::Paint();
}

// A line of text is as high as its font whatever the text: measured once per font and paint.
int TssStringGrid::LineHeight(const String& Text) {
    const HFONT font = Canvas()->Font()->Handle();
    if (FMeasuring && font == FMeasuredFont) return FMeasuredHeight;
    FMeasuredHeight = Canvas()->TextExtent(Text).cy;
    FMeasuredFont = FMeasuring ? font : nullptr;
    return FMeasuredHeight;
}

// Texts sit on the bottom of the cell; only a text that is not left-aligned needs its width.
void TssStringGrid::DrawSingleLine(int ACol, int ARow, const RECT& Rect) {
    const String text = Cells(ACol, ARow);
    if (text.empty()) return;  // the painter filled the cell already
    TCanvas* c = Canvas();
    const TAlignment alignment = CellAlignment(ACol, ARow);
    const int width = alignment == TAlignment::taLeftJustify ? 0 : c->TextWidth(text);
    c->TextRect(Rect, AlignedX(Rect, width, alignment), Rect.bottom - LineHeight(text) - 2, text);
}

void TssStringGrid::DrawMultiLine(int ACol, int ARow, const RECT& Rect) {
    TStringList lines;
    SplitLines(Cells(ACol, ARow), lines);
    if (lines.Count() == 0) return;
    TCanvas* c = Canvas();
    TssGridCellInfo& info = CellInfo();
    TBrush* brush = c->Brush();
    const TBrushStyle style = brush->Style();
    TFont saved;
    struct Restore {
        TCanvas* c;
        TBrushStyle style;
        TFont& font;
        ~Restore() {
            c->Brush()->SetStyle(style);
            c->Font()->Assign(font);
        }
    } restore{c, style, saved};
    saved.Assign(*c->Font());
    brush->SetStyle(TBrushStyle::bsClear);  // the lines leave the cell's background alone
    const TAlignment cellAlignment = CellAlignment(ACol, ARow);
    int y = Rect.top + 3;
    for (int i = 0; i < lines.Count(); ++i) {
        info.SetCol(ACol);
        info.SetRow(ARow);
        const TssLineAttribute* rec = info.LineAttribute(i, false);
        c->Font()->Assign(rec && !rec->DefaultFont && rec->Font ? *rec->Font : saved);
        const TAlignment alignment = rec && !rec->DefaultAlignment ? rec->Alignment : cellAlignment;
        const String text = lines.Get(i);
        c->TextRect(Rect, AlignedX(Rect, c->TextWidth(text), alignment), y, text);
        y += c->TextHeight(L"a");
    }
}

// ---- own double buffering ----

void TssStringGrid::WndProc(TMessage& Msg) {
    if (Msg.Msg == WM_PAINT && !Msg.WParam && FDoubleBufferAllDraw && DoubleBuffered()) return PaintAllBuffered(Msg);
    TssDrawGrid::WndProc(Msg);
}

// The whole client area is painted off screen and copied in one block transfer.
void TssStringGrid::PaintAllBuffered(TMessage& Msg) {
    RECT client;
    GetClientRect(FHandle, &client);
    struct Buffer {
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap;
        HGDIOBJ old;
        Buffer(int w, int h) : bitmap(CreateCompatibleBitmap(screen, std::max(w, 1), std::max(h, 1))) {
            old = SelectObject(dc, bitmap);
        }
        ~Buffer() {
            SelectObject(dc, old);
            GdiObjects::Delete(bitmap);
            DeleteDC(dc);
            ReleaseDC(nullptr, screen);
        }
    } buffer(client.right, client.bottom);
    struct Painting {
        HWND h;
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(h, &ps);
        ~Painting() { EndPaint(h, &ps); }
    } painting{FHandle};
    TMessage erase{WM_ERASEBKGND, WPARAM(buffer.dc), 0, 0};
    WndProc(erase);
    TMessage paint{WM_PAINT, WPARAM(buffer.dc), 0, 0};
    TssDrawGrid::WndProc(paint);
    BitBlt(painting.dc, 0, 0, client.right, client.bottom, buffer.dc, 0, 0, SRCCOPY);
    Msg.Result = 0;
}
