// The grid base's mouse and keyboard: selecting, sizing, moving titles, auto-scroll, keys and
// the wheel.
#include <algorithm>

#include "Grids.h"

namespace {

constexpr UINT_PTR ScrollTimer = 1;
constexpr UINT ScrollInterval = 60;  // ms between auto-scroll steps
// Pixels on either side of a line where a press starts sizing.
constexpr int SizingBand = 3;
constexpr int MoveLineWidth = 3;

// Draws a line in XOR over the window (drawing it again erases it).
void XorLine(HWND Window, POINT From, POINT To, int Width) {
    HDC dc = GetDC(Window);
    if (!dc) return;
    TCanvas canvas;
    canvas.SetHandle(dc);
    canvas.Pen()->SetColor(clWhite);
    canvas.Pen()->SetWidth(Width);
    canvas.Pen()->SetEnds(TPenEnds::peFlat);
    canvas.Pen()->SetMode(TPenMode::pmXor);
    canvas.MoveTo(From.x, From.y);
    canvas.LineTo(To.x, To.y);
    canvas.SetHandle(nullptr);
    ReleaseDC(Window, dc);
}

}  // namespace

// ---- mouse ----

void TCustomGrid::CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs) {
    State = TGridState::gsNormal;
    TDrawInfo info = CalcDrawInfo();
    auto probe = [&](const TGridAxis& a, const TAxisInfo& i, int pos, TGridState sizing) {
        int cell = a.CellAt(pos, i.First);
        if (cell < 0 || pos >= i.GridEnd) cell = VisibleFrom(a, a.Count() - 1, -1);
        // The line after this cell, or after the visible one before it.
        for (int c : {cell, VisibleFrom(a, cell - 1, -1)}) {
            if (c < 0 || (c >= a.FixedCount() && c < i.First)) continue;
            long long line = a.StartOf(c, i.First) + std::max(a.Extent(c), 0);
            if (pos >= line - SizingBand && pos < line + a.LineWidth() + SizingBand && line <= i.ClientExtent) {
                State = sizing;
                Index = c;
                SizingPos = int(line);
                SizingOfs = SizingPos - pos;
                return true;
            }
        }
        return false;
    };
    if (FOptions.Contains(TGridOption::goColSizing) && Y < info.Vert.FixedEnd &&
        probe(FHorz, info.Horz, X, TGridState::gsColSizing))
        return;
    if (FOptions.Contains(TGridOption::goRowSizing) && X < info.Horz.FixedEnd)
        probe(FVert, info.Vert, Y, TGridState::gsRowSizing);
}

void TCustomGrid::DrawSizingLine() {
    if (!HandleAllocated()) return;
    RECT c = ClientRect();
    if (FGridState == TGridState::gsColSizing) XorLine(Handle(), {FSizingPos, 0}, {FSizingPos, c.bottom}, 1);
    else XorLine(Handle(), {0, FSizingPos}, {c.right, FSizingPos}, 1);
    FSizingLineShown = !FSizingLineShown;
}

void TCustomGrid::DrawMoveLine() {
    if (!HandleAllocated()) return;
    bool cols = FGridState == TGridState::gsColMoving;
    RECT r = cols ? CellRect(FMovePos, 0) : CellRect(0, FMovePos);
    RECT c = ClientRect();
    // The line stands where the moved one will go: before the target when moving back.
    int at = cols ? (FMovePos < FMoveIndex ? r.left : r.right) : (FMovePos < FMoveIndex ? r.top : r.bottom);
    if (cols) XorLine(Handle(), {at, 0}, {at, c.bottom}, MoveLineWidth);
    else XorLine(Handle(), {0, at}, {c.right, at}, MoveLineWidth);
    FMoveLineShown = !FMoveLineShown;
}

int TCustomGrid::MoveHit(int X, int Y, bool Rows) {
    const TGridAxis& a = Rows ? FVert : FHorz;
    TDrawInfo info = CalcDrawInfo();
    const TAxisInfo& i = Rows ? info.Vert : info.Horz;
    int pos = Rows ? Y : X;
    int cell = a.CellAt(std::clamp(pos, i.FixedEnd, std::max(i.GridEnd - 1, i.FixedEnd)), i.First);
    if (cell < 0) cell = VisibleFrom(a, a.Count() - 1, -1);
    return std::max(cell, a.FixedCount());
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    using enum TGridOption;
    if (CanFocus() && !Focused() && !(FInplaceEdit && FInplaceEdit->Shown() && GetFocus() == FInplaceEdit->Handle()))
        SetFocus();
    Inherited::MouseDown(Button, Shift, X, Y);
    if (Button != TMouseButton::mbLeft || Shift.Contains(TShiftStateItem::ssDouble)) return;
    FLastMouse = {X, Y};
    TGridState sizing;
    int index = 0, pos = 0, ofs = 0;
    CalcSizingState(X, Y, sizing, index, pos, ofs);
    if (sizing != TGridState::gsNormal) {
        FGridState = sizing;
        FSizingIndex = index;
        FSizingPos = pos;
        FSizingOfs = ofs;
        DrawSizingLine();
        return;
    }
    TGridCoord cell = MouseCoord(X, Y);
    if (cell.X < 0) return;
    bool titleRow = cell.Y < FixedRows(), titleCol = cell.X < FixedCols();
    // Dragging a title moves its column (row).
    bool moveCol = titleRow && !titleCol && FOptions.Contains(goColMoving);
    if (moveCol || (titleCol && !titleRow && FOptions.Contains(goRowMoving))) {
        int origin = moveCol ? cell.X : cell.Y, dest = origin;
        POINT p{X, Y};
        if (moveCol ? BeginColumnDrag(origin, dest, p) : BeginRowDrag(origin, dest, p)) {
            FGridState = moveCol ? TGridState::gsColMoving : TGridState::gsRowMoving;
            FMoveIndex = origin;
            FMovePos = dest;
            SetTimer(Handle(), ScrollTimer, ScrollInterval, nullptr);
        }
        return;
    }
    if (titleRow || titleCol) return;
    if (FOptions.Contains(goEditing) && cell == FCurrent && !FOptions.Contains(goRowSelect)) {
        ShowEditor();
        return;
    }
    FGridState = TGridState::gsSelecting;
    SetTimer(Handle(), ScrollTimer, ScrollInterval, nullptr);
    bool extend = Shift.Contains(TShiftStateItem::ssShift) && FOptions.Contains(goRangeSelect);
    if (SelectCell(cell.X, cell.Y)) MoveCurrent(cell.X, cell.Y, !extend, true);
}

void TCustomGrid::MouseMove(TShiftState Shift, int X, int Y) {
    FLastMouse = {X, Y};
    switch (FGridState) {
        case TGridState::gsSelecting: {
            TGridCoord cell = MouseCoord(X, Y);
            if (cell.X >= FixedCols() && cell.Y >= FixedRows() && !(cell == FCurrent) && SelectCell(cell.X, cell.Y))
                MoveCurrent(cell.X, cell.Y, false, true);
            break;
        }
        case TGridState::gsColSizing:
        case TGridState::gsRowSizing:
            // A repaint may have wiped the line: only one that shows is drawn again to erase it.
            if (FSizingLineShown) DrawSizingLine();
            FSizingPos = (FGridState == TGridState::gsColSizing ? X : Y) + FSizingOfs;
            DrawSizingLine();
            break;
        case TGridState::gsColMoving:
        case TGridState::gsRowMoving: {
            bool rows = FGridState == TGridState::gsRowMoving;
            int origin = FMoveIndex, dest = MoveHit(X, Y, rows);
            bool ok = rows ? CheckRowDrag(origin, dest, POINT{X, Y}) : CheckColumnDrag(origin, dest, POINT{X, Y});
            if (!ok || (dest == FMovePos && FMoveLineShown)) break;
            if (FMoveLineShown) DrawMoveLine();
            FMoveIndex = origin;
            FMovePos = dest;
            if (dest != origin) DrawMoveLine();
            break;
        }
        default: break;
    }
    Inherited::MouseMove(Shift, X, Y);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == TMouseButton::mbLeft && FGridState != TGridState::gsNormal) {
        if (FGridState == TGridState::gsSelecting) MouseMove(Shift, X, Y);
        EndMode(true, POINT{X, Y});
    }
    Inherited::MouseUp(Button, Shift, X, Y);
}

void TCustomGrid::EndMode(bool Apply, POINT P) {
    TGridState state = FGridState;
    FGridState = TGridState::gsNormal;
    StopTimer();
    if (FSizingLineShown) {
        FGridState = state;
        DrawSizingLine();
        FGridState = TGridState::gsNormal;
    }
    if (FMoveLineShown) {
        FGridState = state;
        DrawMoveLine();
        FGridState = TGridState::gsNormal;
    }
    if (!Apply) return;
    switch (state) {
        case TGridState::gsColSizing:
        case TGridState::gsRowSizing: {
            bool cols = state == TGridState::gsColSizing;
            const TGridAxis& a = cols ? FHorz : FVert;
            int first = cols ? FTopLeft.X : FTopLeft.Y;
            int size = FSizingPos - int(a.StartOf(FSizingIndex, first));
            if (size > 1) cols ? SetColWidths(FSizingIndex, size) : SetRowHeights(FSizingIndex, size);
            break;
        }
        case TGridState::gsColMoving: {
            int origin = FMoveIndex, dest = FMovePos;
            if (EndColumnDrag(origin, dest, P) && origin != dest) MoveColumn(origin, dest);
            break;
        }
        case TGridState::gsRowMoving: {
            int origin = FMoveIndex, dest = FMovePos;
            if (EndRowDrag(origin, dest, P) && origin != dest) MoveRow(origin, dest);
            break;
        }
        default: break;
    }
}

void TCustomGrid::CancelMode() {
    EndMode(false, FLastMouse);
    if (HandleAllocated() && MouseCapture()) SetMouseCapture(false);
}

void TCustomGrid::StopTimer() {
    if (HandleAllocated()) KillTimer(Handle(), ScrollTimer);
}

void TCustomGrid::TimerTick(UINT_PTR Id) {
    if (Id != ScrollTimer) return Inherited::TimerTick(Id);
    using enum TGridScrollDirectionItem;
    TDrawInfo info = CalcDrawInfo();
    TGridScrollDirection dir;
    if (FLastMouse.x < info.Horz.FixedEnd) dir = dir + TGridScrollDirection{sdLeft};
    else if (FLastMouse.x >= std::min(info.Horz.FullVisibleEnd, info.Horz.ClientExtent))
        dir = dir + TGridScrollDirection{sdRight};
    if (FLastMouse.y < info.Vert.FixedEnd) dir = dir + TGridScrollDirection{sdUp};
    else if (FLastMouse.y >= std::min(info.Vert.FullVisibleEnd, info.Vert.ClientExtent))
        dir = dir + TGridScrollDirection{sdDown};
    switch (FGridState) {
        case TGridState::gsSelecting:
            if (!(dir == TGridScrollDirection{})) TimedScroll(dir);
            break;
        case TGridState::gsColMoving:
            if (dir.Contains(sdLeft)) SetLeftCol(LeftCol() - 1);
            else if (dir.Contains(sdRight)) SetLeftCol(LeftCol() + 1);
            break;
        case TGridState::gsRowMoving:
            if (dir.Contains(sdUp)) SetTopRow(TopRow() - 1);
            else if (dir.Contains(sdDown)) SetTopRow(TopRow() + 1);
            break;
        default: StopTimer(); break;
    }
}

HCURSOR TCustomGrid::ClientCursor(POINT P) {
    TGridState state = FGridState;
    if (state == TGridState::gsNormal) {
        int index, pos, ofs;
        CalcSizingState(P.x, P.y, state, index, pos, ofs);
    }
    if (state == TGridState::gsColSizing) return LoadCursorW(nullptr, IDC_SIZEWE);
    if (state == TGridState::gsRowSizing) return LoadCursorW(nullptr, IDC_SIZENS);
    return nullptr;
}

bool TCustomGrid::DoMouseWheel(TShiftState Shift, int WheelDelta, POINT MousePos) {
    if (Inherited::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    FWheelRest += WheelDelta;
    for (; FWheelRest >= WHEEL_DELTA; FWheelRest -= WHEEL_DELTA) {
        int up = std::max(VisibleFrom(FVert, Row() - 1, -1), FixedRows());
        if (up != Row() && SelectCell(Col(), up)) MoveCurrent(Col(), up, true, true);
    }
    for (; FWheelRest <= -WHEEL_DELTA; FWheelRest += WHEEL_DELTA) {
        int down = VisibleFrom(FVert, Row() + 1, 1);
        if (down >= 0 && SelectCell(Col(), down)) MoveCurrent(Col(), down, true, true);
    }
    return true;
}

// ---- keys ----

bool TCustomGrid::TabTarget(bool Back, TGridCoord& Target) {
    // Runs along the row and wraps to the next (previous) one; stops where it started.
    TGridCoord at = FCurrent;
    int cols = ColCount() - FixedCols();
    for (long long steps = 0; steps < (long long)cols * 2 + 2; ++steps) {
        at.X += Back ? -1 : 1;
        if (at.X >= ColCount()) {
            int next = VisibleFrom(FVert, at.Y + 1, 1);
            if (next < 0) return false;
            at = {FixedCols(), next};
        } else if (at.X < FixedCols()) {
            int prev = VisibleFrom(FVert, at.Y - 1, -1);
            if (prev < FixedRows()) return false;
            at = {ColCount() - 1, prev};
        }
        if (at == FCurrent) return false;
        if (TabStops(at.X) && !FHorz.IsHidden(at.X)) {
            Target = at;
            return true;
        }
    }
    return false;
}

bool TCustomGrid::KeyTarget(WORD Key, TShiftState Shift, TGridCoord& Target) {
    bool ctrl = Shift.Contains(TShiftStateItem::ssCtrl);
    Target = FCurrent;
    auto prev = [&](const TGridAxis& a, int from) { return std::max(VisibleFrom(a, from - 1, -1), a.FixedCount()); };
    auto next = [&](const TGridAxis& a, int from) {
        int n = VisibleFrom(a, from + 1, 1);
        return n < 0 ? from : n;
    };
    auto firstOf = [&](const TGridAxis& a) {
        int f = VisibleFrom(a, a.FixedCount(), 1);
        return f < 0 ? a.FixedCount() : f;
    };
    auto lastOf = [&](const TGridAxis& a) { return std::max(VisibleFrom(a, a.Count() - 1, -1), a.FixedCount()); };
    int page = std::max(VisibleRowCount(), 1);
    switch (Key) {
        case VK_UP: Target.Y = prev(FVert, Target.Y); break;
        case VK_DOWN: Target.Y = next(FVert, Target.Y); break;
        case VK_LEFT: Target.X = prev(FHorz, Target.X); break;
        case VK_RIGHT: Target.X = next(FHorz, Target.X); break;
        case VK_PRIOR:
            SetTopRow(TopRow() - page);
            Target.Y = std::max(Target.Y - page, FixedRows());
            if (FVert.IsHidden(Target.Y)) Target.Y = next(FVert, Target.Y);
            break;
        case VK_NEXT:
            SetTopRow(TopRow() + page);
            Target.Y = std::min(Target.Y + page, RowCount() - 1);
            if (FVert.IsHidden(Target.Y)) Target.Y = prev(FVert, Target.Y);
            break;
        case VK_HOME: ctrl ? void(Target.Y = firstOf(FVert)) : void(Target.X = firstOf(FHorz)); break;
        case VK_END: ctrl ? void(Target.Y = lastOf(FVert)) : void(Target.X = lastOf(FHorz)); break;
        default: return false;
    }
    return true;
}

void TCustomGrid::KeyDown(WORD& Key, TShiftState Shift) {
    using enum TGridOption;
    Inherited::KeyDown(Key, Shift);
    if (!Key) return;
    if (!CanGridAcceptKey(Key, Shift)) {
        Key = 0;
        return;
    }
    bool editorShown = FInplaceEdit && FInplaceEdit->Shown();
    switch (Key) {
        case VK_F2:
            if (FOptions.Contains(goEditing)) {
                ShowEditor();
                if (FInplaceEdit && FInplaceEdit->Shown()) FInplaceEdit->Deselect();
            }
            Key = 0;
            return;
        case VK_RETURN:
            if (editorShown) {
                UpdateEditorText();
                if (!FOptions.Contains(goAlwaysShowEditor)) HideEditor();
                else FInplaceEdit->SelectAll();
            } else if (FOptions.Contains(goEditing)) {
                ShowEditor();
            }
            Key = 0;
            return;
        case VK_ESCAPE:
            if (editorShown) {
                CancelEditor();
                Key = 0;
            }
            return;
        case VK_TAB: {
            if (!FOptions.Contains(goTabs) || Shift.Contains(TShiftStateItem::ssAlt)) return;
            TGridCoord to;
            if (TabTarget(Shift.Contains(TShiftStateItem::ssShift), to)) FocusCell(to.X, to.Y, true);
            Key = 0;
            return;
        }
    }
    if (FOptions.Contains(goRowSelect) && (Key == VK_LEFT || Key == VK_RIGHT)) {
        SetLeftCol(LeftCol() + (Key == VK_LEFT ? -1 : 1));
        Key = 0;
        return;
    }
    TGridCoord to;
    if (!KeyTarget(Key, Shift, to)) return;
    Key = 0;
    if (to == FCurrent) return;
    bool extend = Shift.Contains(TShiftStateItem::ssShift) && FOptions.Contains(goRangeSelect);
    if (SelectCell(to.X, to.Y)) MoveCurrent(to.X, to.Y, !extend, true);
}

void TCustomGrid::KeyPress(wchar_t& Key) {
    using enum TGridOption;
    Inherited::KeyPress(Key);
    if (!Key || Key < L' ') return;
    if (FOptions.Contains(goEditing) && !FOptions.Contains(goRowSelect) && !(FInplaceEdit && FInplaceEdit->Shown()) &&
        CanEditAcceptKey(Key)) {
        ShowEditorChar(Key);
        Key = 0;
    }
}

// ---- the window ----

LRESULT TCustomGrid::DialogCode(WPARAM Key) const {
    LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
    if (FOptions.Contains(TGridOption::goTabs)) code |= DLGC_WANTTAB;
    // Enter and Esc open and close the editor instead of pressing the form's buttons.
    if (FOptions.Contains(TGridOption::goEditing) && (Key == VK_RETURN || Key == VK_ESCAPE)) code |= DLGC_WANTMESSAGE;
    return code;
}

void TCustomGrid::WndProc(TMessage& Msg) {
    switch (Msg.Msg) {
        case WM_GETDLGCODE:
            Msg.Result = DialogCode(Msg.WParam);
            return;
        case WM_SIZE: {
            Inherited::WndProc(Msg);
            TGridCoord max = MaxTopLeft();
            if (FTopLeft.X > max.X || FTopLeft.Y > max.Y)
                SetTopLeft(std::min(FTopLeft.X, max.X), std::min(FTopLeft.Y, max.Y));
            UpdateScrollBars();
            if (FVirtualView) Invalidate();
            if (FEditorMode) PlaceEditor();
            return;
        }
        case WM_CANCELMODE:
            CancelMode();
            break;
        case WM_SETFOCUS:
            Inherited::WndProc(Msg);
            InvalidateSelection(TGridRect{-1, -1, -1, -1}, Selection());
            if (FEditorMode && GetFocus() == Handle()) PlaceEditor();
            return;
        case WM_KILLFOCUS:
            Inherited::WndProc(Msg);
            InvalidateSelection(TGridRect{-1, -1, -1, -1}, Selection());
            return;
    }
    Inherited::WndProc(Msg);
}

void TCustomGrid::DoExit() {
    Inherited::DoExit();
    if (!FOptions.Contains(TGridOption::goAlwaysShowEditor)) HideEditor();
}
