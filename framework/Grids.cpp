// The grid base: layout, position, current cell and selection, scroll bars and the editor.
// Painting is in GridsPaint.cpp, mouse and keys in GridsInput.cpp.
#include "Grids.h"

#include <algorithm>
#include <climits>

namespace {

const wchar_t* const SIndexOutOfRange = L"グリッドのインデックスが範囲外です";
const wchar_t* const SNegativeCount = L"グリッドの行数または列数は負にできません";
const wchar_t* const SGridTooLarge = L"グリッドが大きすぎます";

[[noreturn]] void InvalidOp(const wchar_t* Message) { throw EInvalidGridOperation(Message); }

int ToInt(long long v) { return int(std::clamp<long long>(v, INT_MIN / 2, INT_MAX / 2)); }

// The scroll bar's range when an axis scrolls over more positions than a 16-bit path carries.
constexpr int ScrollScale = 32767;

}  // namespace

// ---- TInplaceEdit ----

TInplaceEdit::TInplaceEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {
    FVisible = false;
    FTabStop = false;
}

void TInplaceEdit::CreateParams(TCreateParams& Params) {
    Inherited::CreateParams(Params);
    Params.Style &= ~DWORD(WS_BORDER);
    Params.ExStyle &= ~DWORD(WS_EX_CLIENTEDGE);
    Params.Style |= ES_AUTOHSCROLL;
}

void TInplaceEdit::Deselect() {
    if (HandleAllocated()) SendMessageW(Handle(), EM_SETSEL, WPARAM(-1), 0);
}

void TInplaceEdit::Hide() {
    if (!FShown) return;
    bool hadFocus = HandleAllocated() && GetFocus() == Handle();
    FShown = false;
    SetVisible(false);
    if (hadFocus && FGrid && FGrid->CanFocus()) FGrid->SetFocus();
}

void TInplaceEdit::Move(const RECT& Loc) {
    SetBounds(Loc.left, Loc.top, Loc.right - Loc.left, Loc.bottom - Loc.top);
    if (!FShown) {
        FShown = true;
        SetVisible(true);
    }
}

void TInplaceEdit::UpdateContents() {
    if (!FGrid) return;
    FLoading = true;
    struct Done {
        bool& f;
        ~Done() { f = false; }
    } done{FLoading};
    int col = FGrid->Col(), row = FGrid->Row();
    SetEditMask(FGrid->GetEditMask(col, row));
    SendMessageW(Handle(), EM_LIMITTEXT, WPARAM(std::max(FGrid->GetEditLimit(), 0)), 0);
    SetText(FGrid->GetEditText(col, row));
}

bool TInplaceEdit::CanModify() { return FGrid && FGrid->CanEditModify(); }

void TInplaceEdit::SendToGrid(WORD& Key, TShiftState Shift) {
    if (!FGrid) return;
    FGrid->KeyDown(Key, Shift);
    Key = 0;
}

void TInplaceEdit::KeyDown(WORD& Key, TShiftState Shift) {
    bool ctrl = Shift.Contains(TShiftStateItem::ssCtrl);
    switch (Key) {
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_ESCAPE:
            SendToGrid(Key, Shift);
            return;
        case VK_TAB:
            if (FGrid && FGrid->Options().Contains(TGridOption::goTabs)) SendToGrid(Key, Shift);
            return;
        case VK_HOME:
        case VK_END:
            if (ctrl) SendToGrid(Key, Shift);
            break;
        case VK_RETURN:
            SendToGrid(Key, Shift);
            return;
        case VK_DELETE:
            if (!CanModify()) Key = 0;
            break;
    }
    if (Key) Inherited::KeyDown(Key, Shift);
}

void TInplaceEdit::KeyPress(wchar_t& Key) {
    // Enter, Esc and Tab were the grid's in KeyDown; the edit would only beep.
    if (Key == L'\r' || Key == 27 || Key == L'\t') {
        Key = 0;
        return;
    }
    // The grid is asked only when the user changes the text: for a data grid that starts an edit.
    bool changes = Key >= L' ' || Key == L'\b' || Key == 0x16 /* Ctrl+V */ || Key == 0x18 /* Ctrl+X */;
    if (changes && (!CanModify() || (Key >= L' ' && !FGrid->CanEditAcceptKey(Key)))) {
        Key = 0;
        MessageBeep(0);
        return;
    }
    Inherited::KeyPress(Key);
}

bool TInplaceEdit::DoMouseWheel(TShiftState Shift, int WheelDelta, POINT MousePos) {
    if (Inherited::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    return FGrid && FGrid->DoMouseWheel(Shift, WheelDelta, MousePos);
}

void TInplaceEdit::Change() {
    Inherited::Change();
    if (!FLoading && FGrid) FGrid->SetEditText(FGrid->Col(), FGrid->Row(), Text());
}

void TInplaceEdit::WndProc(TMessage& Msg) {
    switch (Msg.Msg) {
        case WM_PASTE:
        case WM_CUT:
        case WM_CLEAR:
            if (!CanModify()) return;
            break;
        case WM_GETDLGCODE:
            if (FGrid) {
                Msg.Result = FGrid->DialogCode(Msg.WParam);
                return;
            }
            break;
    }
    Inherited::WndProc(Msg);
}

// ---- TCustomGrid: size and layout ----

TCustomGrid::TCustomGrid(TComponent* AOwner) : TCustomControl(AOwner) {
    using enum TGridOption;
    FOptions = TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
    FColor = clWindow;
    FTabStop = true;
    FCaptureOnPress = true;
    // A repaint draws every visible cell: off screen it reaches the display in one step.
    FDoubleBuffered = true;
    FWidth = 320;
    FHeight = 120;
    (void)FHorz.Resize(5);
    (void)FVert.Resize(5);
    (void)FTabStops.Resize(5);
    FHorz.SetFixedCount(1);
    FVert.SetFixedCount(1);
    FCurrent = FAnchor = FTopLeft = TGridCoord{1, 1};
    UpdateLineWidths();
}

TCustomGrid::~TCustomGrid() {
    // The editor goes while it still has a grid to talk to.
    DestroyComponents();
    FInplaceEdit = nullptr;
}

void TCustomGrid::CheckCount(long long Value) const {
    if (Value < 0) InvalidOp(SNegativeCount);
    if (TGridAxis::CheckCount(Value) != TAxisResult::Ok) InvalidOp(SGridTooLarge);
}

void TCustomGrid::SetColCount(int Value) { SetCount(FHorz, Value); }
void TCustomGrid::SetRowCount(int Value) { SetCount(FVert, Value); }

void TCustomGrid::SetCount(TGridAxis& Axis, int Value) {
    CheckCount(Value);
    Value = std::max(Value, 1);
    if (Value == Axis.Count()) return;
    int oldCols = ColCount(), oldRows = RowCount();
    (void)Axis.Resize(Value);
    if (&Axis == &FHorz) (void)FTabStops.Resize(Value);
    SizeChanged(oldCols, oldRows);
    ClampPosition();
}

void TCustomGrid::SetFixedCols(int Value) {
    if (Value < 0 || Value >= ColCount()) InvalidOp(SIndexOutOfRange);
    FHorz.SetFixedCount(Value);
    ClampPosition();
}

void TCustomGrid::SetFixedRows(int Value) {
    if (Value < 0 || Value >= RowCount()) InvalidOp(SIndexOutOfRange);
    FVert.SetFixedCount(Value);
    ClampPosition();
}

void TCustomGrid::ClampPosition() {
    auto clamp = [](int v, const TGridAxis& a) { return std::clamp(v, a.FixedCount(), std::max(a.Count() - 1, 0)); };
    FCurrent = {clamp(FCurrent.X, FHorz), clamp(FCurrent.Y, FVert)};
    FAnchor = {clamp(FAnchor.X, FHorz), clamp(FAnchor.Y, FVert)};
    FTopLeft = {clamp(FTopLeft.X, FHorz), clamp(FTopLeft.Y, FVert)};
    TGridCoord max = MaxTopLeft();
    FTopLeft = {std::min(FTopLeft.X, max.X), std::min(FTopLeft.Y, max.Y)};
    LayoutChanged();
}

void TCustomGrid::LayoutChanged() {
    UpdateScrollBars();
    Invalidate();
    if (FEditorMode) PlaceEditor();
}

void TCustomGrid::SetDefaultColWidth(int Value) {
    FHorz.SetDefaultExtent(Value);
    ColWidthsChanged();
}

void TCustomGrid::SetDefaultRowHeight(int Value) {
    FVert.SetDefaultExtent(Value);
    RowHeightsChanged();
}

void TCustomGrid::SetColWidths(int Index, int Value) {
    if (Index < 0 || Index >= ColCount()) InvalidOp(SIndexOutOfRange);
    if (Value == ColWidths(Index)) return;
    (void)FHorz.SetExtent(Index, Value);
    ColWidthsChanged();
}

void TCustomGrid::SetRowHeights(int Index, int Value) {
    if (Index < 0 || Index >= RowCount()) InvalidOp(SIndexOutOfRange);
    if (Value == RowHeights(Index)) return;
    (void)FVert.SetExtent(Index, Value);
    RowHeightsChanged();
}

void TCustomGrid::SetTabStops(int Index, bool Value) {
    if (Index < 0 || Index >= ColCount()) InvalidOp(SIndexOutOfRange);
    (void)FTabStops.SetExtent(Index, Value ? 1 : 0);
}

void TCustomGrid::ColWidthsChanged() { ClampPosition(); }
void TCustomGrid::RowHeightsChanged() { ClampPosition(); }

void TCustomGrid::SetGridLineWidth(int Value) {
    if (Value == FGridLineWidth) return;
    FGridLineWidth = std::max(Value, 0);
    UpdateLineWidths();
    ClampPosition();
}

void TCustomGrid::UpdateLineWidths() {
    using enum TGridOption;
    auto width = [&](TGridOption a, TGridOption b) {
        return FOptions.Contains(a) || FOptions.Contains(b) ? FGridLineWidth : 0;
    };
    FHorz.SetLineWidth(width(goFixedVertLine, goVertLine));
    FVert.SetLineWidth(width(goFixedHorzLine, goHorzLine));
}

void TCustomGrid::SetOptions(TGridOptions Value) {
    if (Value == FOptions) return;
    FOptions = Value;
    if (FOptions.Contains(TGridOption::goRowSelect)) {
        FEditorMode = false;
        if (FInplaceEdit) FInplaceEdit->Hide();
        FAnchor.X = FCurrent.X;
    }
    if (FOptions.Contains(TGridOption::goAlwaysShowEditor) && FOptions.Contains(TGridOption::goEditing) &&
        !FOptions.Contains(TGridOption::goRowSelect))
        FEditorMode = true;
    UpdateLineWidths();
    ClampPosition();
}

void TCustomGrid::SetScrollBars(TScrollStyle Value) {
    if (Value == FScrollBars) return;
    FScrollBars = Value;
    RecreateWnd();
}

void TCustomGrid::SetBorderStyle(TBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    RecreateWnd();
}

void TCustomGrid::SetDefaultDrawing(bool Value) {
    if (Value == FDefaultDrawing) return;
    FDefaultDrawing = Value;
    Invalidate();
}

void TCustomGrid::SetFixedColor(TColor Value) {
    if (Value == FFixedColor) return;
    FFixedColor = Value;
    Invalidate();
}

TCustomGrid::TAxisInfo TCustomGrid::AxisInfo(const TGridAxis& Axis, int First, int Client) const {
    int line = Axis.LineWidth();
    TGridAxisView v = Axis.View(First, Client, [line](int) { return line; });
    TAxisInfo a;
    a.LineWidth = line;
    a.FixedEnd = ToInt(v.FixedEnd);
    a.GridEnd = ToInt(std::min<long long>(v.GridEnd, Client));
    a.LastFullCell = v.LastFullCell;
    a.FullVisibleEnd = ToInt(v.FullVisibleEnd);
    a.ClientExtent = Client;
    a.First = First;
    return a;
}

TCustomGrid::TDrawInfo TCustomGrid::CalcDrawInfo() {
    RECT r = ClientRect();
    return {AxisInfo(FHorz, FTopLeft.X, r.right - r.left), AxisInfo(FVert, FTopLeft.Y, r.bottom - r.top)};
}

int TCustomGrid::VisibleColCount() { return std::max(CalcDrawInfo().Horz.LastFullCell - LeftCol() + 1, 0); }
int TCustomGrid::VisibleRowCount() { return std::max(CalcDrawInfo().Vert.LastFullCell - TopRow() + 1, 0); }
int TCustomGrid::GridWidth() { return CalcDrawInfo().Horz.GridEnd; }
int TCustomGrid::GridHeight() { return CalcDrawInfo().Vert.GridEnd; }

TGridCoord TCustomGrid::MaxTopLeft() {
    RECT r = ClientRect();
    auto axisMax = [](const TGridAxis& a, int client) {
        return a.Count() > a.FixedCount() ? a.MaxTopLeft(a.Count() - 1, client, a.LineWidth()) : a.FixedCount();
    };
    return {axisMax(FHorz, r.right - r.left), axisMax(FVert, r.bottom - r.top)};
}

// The visible pixel span [A, B) of the entries Lo..Hi of an axis; false when none shows.
static bool AxisSpan(const TGridAxis& Axis, int First, int Client, int Lo, int Hi, LONG& A, LONG& B) {
    if (Lo < 0 || Hi >= Axis.Count() || Lo > Hi) return false;
    int fixed = Axis.FixedCount();
    // Scrollable entries before First are off screen: the block starts at First or ends with the
    // fixed part.
    if (Lo >= fixed && Lo < First) {
        if (Hi < First) return false;
        Lo = First;
    }
    if (Lo < fixed && Hi >= fixed && Hi < First) Hi = fixed - 1;
    long long a = Axis.StartOf(Lo, First);
    long long b = std::min<long long>(Axis.StartOf(Hi, First) + std::max(Axis.Extent(Hi), 0), Client);
    if (a >= b) return false;
    A = LONG(a);
    B = LONG(b);
    return true;
}

RECT TCustomGrid::BoxRect(int ALeft, int ATop, int ARight, int ABottom) {
    RECT c = ClientRect();
    RECT r{};
    if (AxisSpan(FHorz, FTopLeft.X, c.right, ALeft, ARight, r.left, r.right) &&
        AxisSpan(FVert, FTopLeft.Y, c.bottom, ATop, ABottom, r.top, r.bottom))
        return r;
    return RECT{};
}

RECT TCustomGrid::CellRect(int ACol, int ARow) { return BoxRect(ACol, ARow, ACol, ARow); }

TGridCoord TCustomGrid::MouseCoord(int X, int Y) {
    RECT c = ClientRect();
    if (X < 0 || Y < 0 || X >= c.right || Y >= c.bottom) return {-1, -1};
    int col = FHorz.CellAt(X, FTopLeft.X), row = FVert.CellAt(Y, FTopLeft.Y);
    if (col < 0 || row < 0) return {-1, -1};
    return {col, row};
}

void TCustomGrid::MouseToCell(int X, int Y, int& ACol, int& ARow) {
    TGridCoord c = MouseCoord(X, Y);
    ACol = c.X;
    ARow = c.Y;
}

// ---- position ----

void TCustomGrid::SetLeftCol(int Value) { SetTopLeft(Value, FTopLeft.Y); }
void TCustomGrid::SetTopRow(int Value) { SetTopLeft(FTopLeft.X, Value); }

void TCustomGrid::SetTopLeft(int ALeft, int ATop) {
    TGridCoord max = MaxTopLeft();
    TGridCoord want{std::clamp(ALeft, FixedCols(), std::max(max.X, FixedCols())),
                    std::clamp(ATop, FixedRows(), std::max(max.Y, FixedRows()))};
    if (want == FTopLeft) return;
    TGridCoord old = FTopLeft;
    TDrawInfo before = CalcDrawInfo();
    FTopLeft = want;
    ScrollPixels(old, before);
    UpdateScrollBars();
    if (FEditorMode) PlaceEditor();
    TopLeftChanged();
}

void TCustomGrid::ScrollPixels(TGridCoord Old, const TDrawInfo& Before) {
    if (!HandleAllocated()) return;
    TDrawInfo after = CalcDrawInfo();
    // Moving the pixels works only while both views fill the client area (no background shows).
    bool full = Before.Horz.GridEnd >= Before.Horz.ClientExtent && after.Horz.GridEnd >= after.Horz.ClientExtent &&
                Before.Vert.GridEnd >= Before.Vert.ClientExtent && after.Vert.GridEnd >= after.Vert.ClientExtent;
    long long dx = FHorz.Distance(FTopLeft.X, Old.X), dy = FVert.Distance(FTopLeft.Y, Old.Y);
    int roomX = after.Horz.ClientExtent - after.Horz.FixedEnd, roomY = after.Vert.ClientExtent - after.Vert.FixedEnd;
    if (!full || (dx && dy) || std::abs(dx) >= roomX || std::abs(dy) >= roomY) {
        Invalidate();
        return;
    }
    RECT area{0, 0, after.Horz.ClientExtent, after.Vert.ClientExtent};
    if (dx) area.left = after.Horz.FixedEnd;
    else area.top = after.Vert.FixedEnd;
    ScrollClient(int(dx), int(dy), &area, true);
}

void TCustomGrid::TopLeftChanged() {}

void TCustomGrid::ScrollIntoView(TGridCoord Cell) {
    TDrawInfo info = CalcDrawInfo();
    TGridCoord tl = FTopLeft;
    auto axis = [](const TGridAxis& a, const TAxisInfo& i, int cell, int& first) {
        if (cell < a.FixedCount()) return;
        if (cell < first) first = cell;
        else if (cell > i.LastFullCell) first = a.MaxTopLeft(cell, i.ClientExtent, a.LineWidth());
    };
    axis(FHorz, info.Horz, Cell.X, tl.X);
    axis(FVert, info.Vert, Cell.Y, tl.Y);
    SetTopLeft(tl.X, tl.Y);
}

int TCustomGrid::ScrollPosOf(const TGridAxis& Axis, int First, int MaxFirst) const {
    long long span = MaxFirst - Axis.FixedCount(), at = First - Axis.FixedCount();
    if (span <= 0) return 0;
    return span <= ScrollScale ? int(at) : int(at * ScrollScale / span);
}

int TCustomGrid::FirstOfScrollPos(const TGridAxis& Axis, int Pos, int MaxFirst) const {
    long long span = MaxFirst - Axis.FixedCount();
    if (span <= 0) return Axis.FixedCount();
    long long at = span <= ScrollScale ? Pos : (long long)Pos * span / ScrollScale;
    return Axis.FixedCount() + int(std::clamp<long long>(at, 0, span));
}

void TCustomGrid::UpdateScrollBars() {
    if (!HandleAllocated()) return;
    TGridCoord max = MaxTopLeft();
    auto bar = [&](int Bar, const TGridAxis& a, int first, int maxFirst, bool shown) {
        long long span = maxFirst - a.FixedCount();
        if (!shown) return;
        if (span <= 0) {
            SetScrollRange(Bar, 0, 0);
            return;
        }
        SetScrollRange(Bar, 0, int(std::min<long long>(span, ScrollScale)));
        SetScrollPos(Bar, ScrollPosOf(a, first, maxFirst));
    };
    bool horz = FScrollBars == TScrollStyle::ssHorizontal || FScrollBars == TScrollStyle::ssBoth;
    bool vert = FScrollBars == TScrollStyle::ssVertical || FScrollBars == TScrollStyle::ssBoth;
    bar(SB_HORZ, FHorz, FTopLeft.X, max.X, horz);
    bar(SB_VERT, FVert, FTopLeft.Y, max.Y, vert);
}

void TCustomGrid::ScrollCommand(int Bar, int Code, int Pos) {
    bool rows = Bar == SB_VERT;
    const TGridAxis& a = rows ? FVert : FHorz;
    int first = rows ? FTopLeft.Y : FTopLeft.X;
    TGridCoord max = MaxTopLeft();
    int maxFirst = rows ? max.Y : max.X;
    int page = std::max(rows ? VisibleRowCount() : VisibleColCount(), 1);
    int to = first;
    switch (Code) {
        case SB_LINEUP: to = std::max(VisibleFrom(a, first - 1, -1), a.FixedCount()); break;
        case SB_LINEDOWN: {
            int next = VisibleFrom(a, first + 1, 1);
            to = next < 0 ? first : next;
            break;
        }
        case SB_PAGEUP: to = first - page; break;
        case SB_PAGEDOWN: to = first + page; break;
        case SB_THUMBTRACK:
            if (!FOptions.Contains(TGridOption::goThumbTracking)) return;
            to = FirstOfScrollPos(a, Pos, maxFirst);
            break;
        case SB_THUMBPOSITION: to = FirstOfScrollPos(a, Pos, maxFirst); break;
        case SB_TOP: to = a.FixedCount(); break;
        case SB_BOTTOM: to = maxFirst; break;
        default: return;
    }
    rows ? SetTopLeft(FTopLeft.X, to) : SetTopLeft(to, FTopLeft.Y);
}

int TCustomGrid::VisibleFrom(const TGridAxis& Axis, int Index, int Step) const {
    for (; Index >= 0 && Index < Axis.Count(); Index += Step)
        if (!Axis.IsHidden(Index)) return Index;
    return -1;
}

// ---- current cell and selection ----

TGridRect TCustomGrid::Selection() const {
    TGridRect r{std::min(FAnchor.X, FCurrent.X), std::min(FAnchor.Y, FCurrent.Y), std::max(FAnchor.X, FCurrent.X),
                std::max(FAnchor.Y, FCurrent.Y)};
    if (FOptions.Contains(TGridOption::goRowSelect)) {
        r.Left = FixedCols();
        r.Right = ColCount() - 1;
    }
    return r;
}

void TCustomGrid::CheckCell(int ACol, int ARow) const {
    if (ACol < FixedCols() || ARow < FixedRows() || ACol >= ColCount() || ARow >= RowCount())
        InvalidOp(SIndexOutOfRange);
}

void TCustomGrid::SetSelection(const TGridRect& Value) {
    CheckCell(Value.Left, Value.Top);
    CheckCell(Value.Right, Value.Bottom);
    TGridRect old = Selection();
    FAnchor = {Value.Left, Value.Top};
    MoveCurrent(Value.Right, Value.Bottom, false, true);
    InvalidateSelection(old, Selection());
}

void TCustomGrid::SetCol(int Value) {
    if (Value != Col()) FocusCell(Value, Row(), true);
}

void TCustomGrid::SetRow(int Value) {
    if (Value != Row()) FocusCell(Col(), Value, true);
}

void TCustomGrid::FocusCell(int ACol, int ARow, bool MoveAnchor) {
    CheckCell(ACol, ARow);
    if (!SelectCell(ACol, ARow)) return;
    MoveCurrent(ACol, ARow, MoveAnchor, true);
}

void TCustomGrid::MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show) {
    CheckCell(ACol, ARow);
    MoveCurrent(ACol, ARow, MoveAnchor, Show);
}

void TCustomGrid::MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show) {
    TGridRect old = Selection();
    bool moved = ACol != FCurrent.X || ARow != FCurrent.Y;
    if (moved && FEditorMode) {
        UpdateEditorText();
        FInplaceCol = FInplaceRow = -1;
        if (!FOptions.Contains(TGridOption::goAlwaysShowEditor)) {
            FEditorMode = false;
            if (FInplaceEdit) FInplaceEdit->Hide();
        }
    }
    InvalidateCell(FCurrent.X, FCurrent.Y);
    FCurrent = {ACol, ARow};
    if (MoveAnchor || !FOptions.Contains(TGridOption::goRangeSelect)) FAnchor = FCurrent;
    if (FOptions.Contains(TGridOption::goRowSelect)) FAnchor.X = FCurrent.X;
    if (Show) ScrollIntoView(FCurrent);
    InvalidateSelection(old, Selection());
    InvalidateCell(FCurrent.X, FCurrent.Y);
    if (FEditorMode) PlaceEditor();
}

void TCustomGrid::InvalidateSelection(const TGridRect& Old, const TGridRect& New) {
    if (!HandleAllocated() || Old == New) return;
    auto box = [&](const TGridRect& r) {
        RECT b = BoxRect(r.Left, r.Top, r.Right, r.Bottom);
        if (b.right > b.left) {
            b.right += FHorz.LineWidth();
            b.bottom += FVert.LineWidth();
            InvalidateRect(Handle(), &b, FALSE);
        }
    };
    box(Old);
    box(New);
}

void TCustomGrid::InvalidateCell(int ACol, int ARow) {
    if (!HandleAllocated()) return;
    RECT r = CellRect(ACol, ARow);
    if (r.right <= r.left) return;
    r.right += FHorz.LineWidth();
    r.bottom += FVert.LineWidth();
    InvalidateRect(Handle(), &r, FALSE);
}

void TCustomGrid::InvalidateRow(int ARow) {
    if (!HandleAllocated()) return;
    RECT r = BoxRect(0, ARow, ColCount() - 1, ARow);
    if (r.bottom <= r.top) return;
    r.left = 0;
    r.right = ClientRect().right;
    r.bottom += FVert.LineWidth();
    InvalidateRect(Handle(), &r, FALSE);
}

void TCustomGrid::InvalidateCol(int ACol) {
    if (!HandleAllocated()) return;
    RECT r = BoxRect(ACol, 0, ACol, RowCount() - 1);
    if (r.right <= r.left) return;
    r.top = 0;
    r.bottom = ClientRect().bottom;
    r.right += FHorz.LineWidth();
    InvalidateRect(Handle(), &r, FALSE);
}

void TCustomGrid::MoveColumn(int FromIndex, int ToIndex) {
    if (FromIndex < 0 || ToIndex < 0 || FromIndex >= ColCount() || ToIndex >= ColCount())
        InvalidOp(SIndexOutOfRange);
    if (FromIndex == ToIndex) return;
    (void)FHorz.Move(FromIndex, ToIndex);
    (void)FTabStops.Move(FromIndex, ToIndex);
    ColumnMoved(FromIndex, ToIndex);
    ClampPosition();
}

void TCustomGrid::MoveRow(int FromIndex, int ToIndex) {
    if (FromIndex < 0 || ToIndex < 0 || FromIndex >= RowCount() || ToIndex >= RowCount())
        InvalidOp(SIndexOutOfRange);
    if (FromIndex == ToIndex) return;
    (void)FVert.Move(FromIndex, ToIndex);
    RowMoved(FromIndex, ToIndex);
    ClampPosition();
}

void TCustomGrid::TimedScroll(TGridScrollDirection Direction) {
    using enum TGridScrollDirectionItem;
    TGridCoord to = FCurrent;
    if (Direction.Contains(sdLeft)) to.X = std::max(VisibleFrom(FHorz, to.X - 1, -1), FixedCols());
    if (Direction.Contains(sdRight)) {
        int next = VisibleFrom(FHorz, to.X + 1, 1);
        if (next >= 0) to.X = next;
    }
    if (Direction.Contains(sdUp)) to.Y = std::max(VisibleFrom(FVert, to.Y - 1, -1), FixedRows());
    if (Direction.Contains(sdDown)) {
        int next = VisibleFrom(FVert, to.Y + 1, 1);
        if (next >= 0) to.Y = next;
    }
    if (to == FCurrent || !SelectCell(to.X, to.Y)) return;
    MoveCurrent(to.X, to.Y, false, true);
}

// ---- the editor ----

TInplaceEdit* TCustomGrid::CreateEditor() { return new TInplaceEdit(this); }

bool TCustomGrid::CanEditShow() {
    using enum TGridOption;
    bool active = FOptions.Contains(goAlwaysShowEditor) || Focused() ||
                  (FInplaceEdit && FInplaceEdit->HandleAllocated() && GetFocus() == FInplaceEdit->Handle());
    return FOptions.Contains(goEditing) && !FOptions.Contains(goRowSelect) && FEditorMode && HandleAllocated() &&
           active;
}

void TCustomGrid::SetEditorMode(bool Value) {
    if (Value == FEditorMode) return;
    if (Value) {
        ShowEditor();
    } else {
        HideEditor();
    }
}

void TCustomGrid::ShowEditor() {
    FEditorMode = true;
    PlaceEditor();
    if (!FInplaceEdit || !FInplaceEdit->Shown()) FEditorMode = FOptions.Contains(TGridOption::goAlwaysShowEditor);
}

void TCustomGrid::HideEditor() {
    UpdateEditorText();
    FEditorMode = false;
    FInplaceCol = FInplaceRow = -1;
    if (FInplaceEdit) FInplaceEdit->Hide();
}

void TCustomGrid::CancelEditor() {
    if (FInplaceEdit && FInplaceCol >= 0 && FInplaceEdit->Text() != FEditOriginal)
        SetEditText(FInplaceCol, FInplaceRow, FEditOriginal);
    FInplaceCol = FInplaceRow = -1;
    if (FOptions.Contains(TGridOption::goAlwaysShowEditor)) {
        PlaceEditor();
    } else {
        FEditorMode = false;
        if (FInplaceEdit) FInplaceEdit->Hide();
    }
}

void TCustomGrid::ShowEditorChar(wchar_t Ch) {
    ShowEditor();
    if (!FInplaceEdit || !FInplaceEdit->Shown()) return;
    // The character replaces the whole text, as typing over a selection does.
    FInplaceEdit->SelectAll();
    SendMessageW(FInplaceEdit->Handle(), WM_CHAR, WPARAM(Ch), 0);
}

void TCustomGrid::InvalidateEditor() {
    FInplaceCol = FInplaceRow = -1;
    if (FEditorMode) PlaceEditor();
}

void TCustomGrid::UpdateEditorText() {
    if (FInplaceEdit && FInplaceEdit->Shown() && FInplaceCol >= 0)
        SetEditText(FInplaceCol, FInplaceRow, FInplaceEdit->Text());
}

void TCustomGrid::PlaceEditor() {
    if (!CanEditShow()) {
        if (FInplaceEdit) FInplaceEdit->Hide();
        return;
    }
    if (!FInplaceEdit) {
        FInplaceEdit = CreateEditor();
        FInplaceEdit->FGrid = this;
        FInplaceEdit->SetParent(this);
    }
    RECT r = CellRect(FCurrent.X, FCurrent.Y);
    if (r.right <= r.left || r.bottom <= r.top) {
        // The cell left the view: the editor comes back with it.
        FInplaceEdit->Hide();
        return;
    }
    // Hidden while its cell was scrolled off, the editor comes back with what was typed.
    bool reload = FInplaceCol != FCurrent.X || FInplaceRow != FCurrent.Y;
    FInplaceEdit->Move(r);
    if (reload) {
        FInplaceCol = FCurrent.X;
        FInplaceRow = FCurrent.Y;
        FInplaceEdit->UpdateContents();
        FEditOriginal = FInplaceEdit->Text();
        FInplaceEdit->SelectAll();
    }
    if (Focused()) FInplaceEdit->SetFocus();
}

// ---- the window ----

void TCustomGrid::CreateParams(TCreateParams& Params) {
    Inherited::CreateParams(Params);
    if (FScrollBars == TScrollStyle::ssHorizontal || FScrollBars == TScrollStyle::ssBoth) Params.Style |= WS_HSCROLL;
    if (FScrollBars == TScrollStyle::ssVertical || FScrollBars == TScrollStyle::ssBoth) Params.Style |= WS_VSCROLL;
    if (FBorderStyle == TBorderStyle::bsSingle) {
        if (FCtl3D) Params.ExStyle |= WS_EX_CLIENTEDGE;
        else Params.Style |= WS_BORDER;
    }
}

void TCustomGrid::CreateWnd() {
    Inherited::CreateWnd();
    ClampPosition();
}
