// The grid under the mouse and the keyboard: selecting by clicking and dragging with scrolling
// at the edges, sizing columns and rows on their header lines, moving them by their header
// cells, and the navigation keys.
#include <algorithm>

#include "Clipbrd.h"
#include "Forms.h"
#include "ssGrids.h"
#include "ssInplaceEdit.h"

namespace {
constexpr UINT_PTR ScrollTimer = 1;
constexpr UINT ScrollInterval = 60;

bool Has(TGridOptions o, TGridOption x) { return o.Contains(x); }
bool ShiftHeld(TShiftState s) { return s.Contains(TShiftStateItem::ssShift); }

}  // namespace

TGridOptions TssCustomGrid::EffectiveOptions() const {
    return Designing() ? FOptions + DesignOptionsBoost : FOptions;
}

// ---- sizing hit test ----

TGridState TssCustomGrid::CalcSizingState(int X, int Y, int& Index, int& SizingPos, int& SizingOfs,
                                          const TGridMetrics& M) {
    TGridOptions o = EffectiveOptions();
    // The band of a line: 7 pixels, or the line when it is wider, around the line's position.
    auto hitAxis = [&](const TGridAxisMetrics& a, const TGridAxis& axis, int pos, bool rows) {
        int range = a.LineWidth > 6 ? a.LineWidth : 7;
        int back = a.LineWidth > 6 ? 0 : (7 - a.LineWidth) / 2;
        long long line = a.FixedEnd;
        for (int i = a.FirstCell; i < a.CellCount; ++i) {
            int extent = axis.Extent(i);
            line += extent;
            if (line > a.GridEnd) break;
            if (line - back <= pos && pos <= line - back + range) {
                Index = i;
                SizingPos = int(line);
                SizingOfs = int(line - pos);
                return true;
            }
            if (extent > 0) line += rows ? RowLineWidth(i) : ColLineWidth(i);
        }
        if (a.GridEnd == a.ClientExtent && pos >= a.ClientExtent - back && pos <= a.ClientExtent) {
            SizingPos = a.ClientExtent;
            SizingOfs = a.ClientExtent - pos;
            Index = a.LastFullCell + 1 < a.CellCount ? a.LastFullCell + 1 : a.LastFullCell;
            return true;
        }
        return false;
    };
    if (!Has(o, TGridOption::goRowSizing) && !Has(o, TGridOption::goColSizing)) return TGridState::gsNormal;
    if (X > M.Horz.FixedEnd && Has(o, TGridOption::goColSizing)) {
        if (Y < M.Vert.FixedEnd && hitAxis(M.Horz, FHorz, X, false)) return TGridState::gsColSizing;
    } else if (Y > M.Vert.FixedEnd && Has(o, TGridOption::goRowSizing)) {
        if (X < M.Horz.FixedEnd && hitAxis(M.Vert, FVert, Y, true)) return TGridState::gsRowSizing;
    }
    return TGridState::gsNormal;
}

// ---- feedback lines, drawn twice to erase ----

void TssCustomGrid::DrawSizingLine(const TGridMetrics& M) {
    // Inverted dots: drawing the line a second time restores the grid.
    HDC dc = GetDC(Handle());
    HPEN pen = CreatePen(PS_DOT, 1, RGB(0, 0, 0));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    int oldRop = SetROP2(dc, R2_NOT);
    int oldBk = SetBkMode(dc, TRANSPARENT);
    if (FGridState == TGridState::gsRowSizing) {
        MoveToEx(dc, 0, FSizingPos, nullptr);
        LineTo(dc, M.Horz.GridEnd, FSizingPos);
    } else {
        MoveToEx(dc, FSizingPos, 0, nullptr);
        LineTo(dc, FSizingPos, M.Vert.GridEnd);
    }
    SetBkMode(dc, oldBk);
    SetROP2(dc, oldRop);
    SelectObject(dc, oldPen);
    GdiObjects::Delete(pen);
    ReleaseDC(FHandle, dc);
}

void TssCustomGrid::DrawMove() {
    RECT client = ClientRect();
    HDC dc = GetDC(Handle());
    HPEN pen = CreatePen(PS_SOLID, 5, RGB(0, 0, 0));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    int oldRop = SetROP2(dc, R2_NOT);
    bool after = FMoveIndex < FMovePos;
    if (FGridState == TGridState::gsRowMoving) {
        RECT r = CellRect(0, FMovePos);
        int y = after ? r.bottom : r.top;
        MoveToEx(dc, 0, y, nullptr);
        LineTo(dc, client.right, y);
    } else {
        RECT r = CellRect(FMovePos, 0);
        int x = after ? r.right : r.left;
        MoveToEx(dc, x, 0, nullptr);
        LineTo(dc, x, client.bottom);
    }
    SetROP2(dc, oldRop);
    SelectObject(dc, oldPen);
    GdiObjects::Delete(pen);
    ReleaseDC(FHandle, dc);
}

// ---- the mouse ----

void TssCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    DetachEditor();
    if (!Designing() && (CanFocus() || !GetParentForm(this))) {
        SetFocus();
        if (!ActiveControlIsGrid()) {
            SetMouseCapture(false);
            return;
        }
    }
    bool moveLine = false;
    if (Button == TMouseButton::mbLeft && Shift.Contains(TShiftStateItem::ssDouble)) {
        // DblClick ran already with the message.
    } else if (Button == TMouseButton::mbLeft) {
        TGridMetrics m = CalcDrawInfo();
        FGridState = CalcSizingState(X, Y, FSizingIndex, FSizingPos, FSizingOfs, m);
        if (FGridState != TGridState::gsNormal) {
            DrawSizingLine(m);
        } else {
            TGridCoord cell = MouseCoord(X, Y);
            bool started = false;
            if (cell.X >= 0 && cell.Y >= 0 && (cell.X < FixedCols() || cell.Y < FixedRows())) {
                if (Has(FOptions, TGridOption::goRowMoving) && cell.X < FixedCols() && cell.Y >= FixedRows()) {
                    FGridState = TGridState::gsRowMoving;
                    FMoveIndex = FMovePos = cell.Y;
                    started = true;
                } else if (Has(FOptions, TGridOption::goColMoving) && cell.Y < FixedRows() && cell.X >= FixedCols()) {
                    FGridState = TGridState::gsColMoving;
                    FMoveIndex = FMovePos = cell.X;
                    started = true;
                }
                if (started) {
                    Update();
                    DrawMove();
                    moveLine = true;
                    SetTimer(FHandle, ScrollTimer, ScrollInterval, nullptr);
                }
            } else if (cell.X >= FixedCols() && cell.Y >= FixedRows()) {
                if (Has(FOptions, TGridOption::goEditing)) {
                    if (cell == FCurrent) {
                        OpenEditor();
                    } else {
                        SetCurrentCell(cell.X, cell.Y, true, true);
                        PlaceEditor();
                    }
                    Click();
                } else {
                    FGridState = TGridState::gsSelecting;
                    SetTimer(FHandle, ScrollTimer, ScrollInterval, nullptr);
                    SetCurrentCell(cell.X, cell.Y, !ShiftHeld(Shift), true);
                }
            }
            if (bFirstGridEnter) DoEnterCell(Col(), Row());
            if (Has(FOptions, TGridOption::goAlwaysShowEditor)) OpenEditor();
        }
    }
    // A press in the editor soon after this one makes a double click.
    if (FInplaceEdit && Button == TMouseButton::mbLeft) FInplaceEdit->SetClickTime(GetMessageTime());
    try {
        TCustomControl::MouseDown(Button, Shift, X, Y);
    } catch (...) {
        // The program's handler failed: the drag it interrupted ends, and the failure is shown
        // like any other (not swallowed).
        if (moveLine) DrawMove();
        if (moveLine || FGridState == TGridState::gsSelecting) KillTimer(FHandle, ScrollTimer);
        if (FGridState != TGridState::gsNormal) SetMouseCapture(false);
        FGridState = TGridState::gsNormal;
        throw;
    }
}

void TssCustomGrid::MoveDrag(int Pos, int Hit, bool Rows) {
    TGridMetrics m = CalcDrawInfo();
    const TGridAxisMetrics& a = Rows ? m.Vert : m.Horz;
    int last = (Rows ? RowCount() : ColCount()) - 1;
    if (Hit == FMovePos || (FMovePos == a.FixedCount && Pos < a.FixedEnd) || (FMovePos == last && Pos > a.GridEnd))
        return;
    DrawMove();
    int bar = Rows ? SB_VERT : SB_HORZ;
    if (Pos < a.FixedEnd) {
        if (FMovePos > a.FixedCount) {
            ScrollCommand(bar, SB_LINEUP, 0);
            Update();
            m = CalcDrawInfo();
        }
        Hit = (Rows ? m.Vert : m.Horz).FirstCell;
    } else if (Pos >= a.FullVisibleEnd) {
        if (FMovePos == a.LastFullCell && FMovePos < last) {
            ScrollCommand(bar, SB_LINEDOWN, 0);
            Update();
            m = CalcDrawInfo();
        }
        Hit = (Rows ? m.Vert : m.Horz).LastFullCell;
    } else if (Hit < 0) {
        Hit = FMovePos;
    }
    FMovePos = Hit;
    DrawMove();
}

void TssCustomGrid::MouseMove(TShiftState Shift, int X, int Y) {
    switch (FGridState) {
        case TGridState::gsRowSizing:
        case TGridState::gsColSizing: {
            TGridMetrics m = CalcDrawInfo();
            DrawSizingLine(m);
            FSizingPos = (FGridState == TGridState::gsRowSizing ? Y : X) + FSizingOfs;
            DrawSizingLine(m);
            break;
        }
        case TGridState::gsSelecting:
        case TGridState::gsRowMoving:
        case TGridState::gsColMoving: {
            TGridMetrics m = CalcDrawInfo();
            TGridCoord cell = MouseCoord(X, Y);
            // Only data cells up to one past the last whole one count.
            bool valid = cell.X >= FixedCols() && cell.Y >= FixedRows() && cell.X <= m.Horz.LastFullCell + 1 &&
                         cell.Y <= m.Vert.LastFullCell + 1;
            if (FGridState == TGridState::gsSelecting) {
                if (valid && !(cell == FCurrent)) {
                    FSuppressSelectEvent = RowSelect() && cell.Y == FCurrent.Y;
                    try {
                        SetCurrentCell(cell.X, cell.Y, false, true);
                    } catch (...) {
                        FSuppressSelectEvent = false;
                        throw;
                    }
                    FSuppressSelectEvent = false;
                }
            } else if (FGridState == TGridState::gsRowMoving) {
                MoveDrag(Y, valid ? cell.Y : -1, true);
            } else {
                MoveDrag(X, valid ? cell.X : -1, false);
            }
            break;
        }
        default: break;
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TssCustomGrid::TimerTick(UINT_PTR Id) {
    if (Id != ScrollTimer) return;
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(Handle(), &p);
    if (FGridState == TGridState::gsSelecting) {
        TGridMetrics m = CalcDrawInfo();
        TGridScrollDirection d;
        if (p.x < m.Horz.FixedEnd) d.Include(TGridScrollDirectionItem::sdLeft);
        else if (p.x > m.Horz.FullVisibleEnd) d.Include(TGridScrollDirectionItem::sdRight);
        if (p.y < m.Vert.FixedEnd) d.Include(TGridScrollDirectionItem::sdUp);
        else if (p.y > m.Vert.FullVisibleEnd) d.Include(TGridScrollDirectionItem::sdDown);
        if (!d.Empty()) AutoScrollStep(d);
    } else if (FGridState == TGridState::gsRowMoving || FGridState == TGridState::gsColMoving) {
        // The tick tracks the cursor anywhere, the header included.
        TGridCoord cell = MouseCoord(p.x, p.y);
        bool rows = FGridState == TGridState::gsRowMoving;
        MoveDrag(rows ? p.y : p.x, rows ? cell.Y : cell.X, rows);
    }
}

void TssCustomGrid::AutoScrollStep(TGridScrollDirection Direction) {
    using D = TGridScrollDirectionItem;
    bool stepCurrent = Has(FOptions, TGridOption::goRangeSelect) && !Has(FOptions, TGridOption::goEditing);
    TGridCoord c = stepCurrent ? FCurrent : FAnchor;
    if (Direction.Contains(D::sdLeft) && c.X > FixedCols()) --c.X;
    if (Direction.Contains(D::sdRight) && c.X < ColCount() - 1) ++c.X;
    if (Direction.Contains(D::sdUp) && c.Y > FixedRows()) --c.Y;
    if (Direction.Contains(D::sdDown) && c.Y < RowCount() - 1) ++c.Y;
    if (stepCurrent) SetCurrentCell(c.X, c.Y, false, true);
    else ExtendSelection(c);
}

void TssCustomGrid::StopDrag() {
    switch (FGridState) {
        case TGridState::gsRowSizing:
        case TGridState::gsColSizing: DrawSizingLine(CalcDrawInfo()); break;
        case TGridState::gsRowMoving:
        case TGridState::gsColMoving:
            DrawMove();
            KillTimer(FHandle, ScrollTimer);
            break;
        case TGridState::gsSelecting: KillTimer(FHandle, ScrollTimer); break;
        default: break;
    }
    FGridState = TGridState::gsNormal;
}

void TssCustomGrid::ApplySize() {
    TGridMetrics m = CalcDrawInfo();
    bool rows = FGridState == TGridState::gsRowSizing;
    const TGridAxisMetrics& a = rows ? m.Vert : m.Horz;
    const TGridAxis& axis = rows ? FVert : FHorz;
    // The sized cell starts after the fixed ones and the visible cells before it.
    long long start = a.FixedEnd;
    for (int i = a.FirstCell; i < FSizingIndex; ++i) {
        int extent = axis.Extent(i);
        start += extent;
        if (extent > 0) start += rows ? RowLineWidth(i) : ColLineWidth(i);
    }
    int size = FSizingPos - int(start);
    if (size <= 1) return;
    // No wider than what the client shows beside the fixed cells.
    int fixed = 0;
    for (int i = 0; i < a.FixedCount; ++i) fixed += axis.Extent(i) + 1;
    int cap = a.ClientExtent - fixed - 1;
    if (size >= cap) size = cap;
    if (rows) SetRowHeights(FSizingIndex, size);
    else SetColWidths(FSizingIndex, size);
}

void TssCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    struct Reset {
        TGridState& state;
        ~Reset() { state = TGridState::gsNormal; }
    } reset{FGridState};
    switch (FGridState) {
        case TGridState::gsSelecting:
            MouseMove(Shift, X, Y);
            KillTimer(FHandle, ScrollTimer);
            PlaceEditor();
            Click();
            break;
        case TGridState::gsRowSizing:
        case TGridState::gsColSizing:
            DrawSizingLine(CalcDrawInfo());
            ApplySize();
            break;
        case TGridState::gsRowMoving:
        case TGridState::gsColMoving:
            DrawMove();
            KillTimer(FHandle, ScrollTimer);
            if (FMovePos != FMoveIndex) {
                if (FGridState == TGridState::gsColMoving) MoveColumn(FMoveIndex, FMovePos);
                else MoveRow(FMoveIndex, FMovePos);
            }
            PlaceEditor();
            break;
        default: PlaceEditor(); break;
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

HCURSOR TssCustomGrid::ClientCursor(POINT P) {
    TGridState state = FGridState;
    if (state == TGridState::gsNormal) {
        int index, pos, ofs;
        state = CalcSizingState(FHitTest.x, FHitTest.y, index, pos, ofs, CalcDrawInfo());
    }
    if (state == TGridState::gsRowSizing) return LoadCursorW(nullptr, IDC_SIZENS);
    if (state == TGridState::gsColSizing) return LoadCursorW(nullptr, IDC_SIZEWE);
    return nullptr;
}

// ---- the keyboard ----

void TssCustomGrid::KeyDown(WORD& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0) return;
    if (!GridAcceptsKey(Key, Shift)) {
        Key = 0;
        return;
    }
    bool ctrl = Shift.Contains(TShiftStateItem::ssCtrl);
    bool rowSelect = RowSelect();
    TGridMetrics m = CalcDrawInfo();
    int pageWidth = std::max(1, m.Horz.LastFullCell - LeftCol());
    int pageHeight = std::max(1, m.Vert.LastFullCell - TopRow());
    TGridCoord cell = FCurrent, topLeft = FTopLeft;
    if (ctrl) {
        switch (Key) {
            case VK_PRIOR: cell.Y = TopRow(); break;
            case VK_NEXT: cell.Y = m.Vert.LastFullCell; break;
            case VK_END: cell = {ColCount() - 1, RowCount() - 1}; break;
            case VK_HOME: cell = {FixedCols(), FixedRows()}; break;
            case VK_LEFT:
                if (!rowSelect) {
                    cell.X -= pageWidth;
                    topLeft.X -= pageWidth;
                }
                break;
            case VK_RIGHT:
                if (!rowSelect) {
                    cell.X += pageWidth;
                    topLeft.X += pageWidth;
                }
                break;
            case VK_UP: --topLeft.Y; break;
            case VK_DOWN: ++topLeft.Y; break;
            case 'C': CopySelection(); break;
        }
    } else {
        switch (Key) {
            case VK_PRIOR:
                cell.Y -= pageHeight;
                topLeft.Y -= pageHeight;
                break;
            case VK_NEXT:
                cell.Y += pageHeight;
                topLeft.Y += pageHeight;
                break;
            case VK_END:
                if (rowSelect) cell.Y = RowCount() - 1;
                else cell.X = ColCount() - 1;
                break;
            case VK_HOME:
                if (rowSelect) cell.Y = FixedRows();
                else cell.X = FixedCols();
                break;
            case VK_LEFT:
                if (rowSelect) --cell.Y;
                else --cell.X;
                break;
            case VK_RIGHT:
                if (rowSelect) ++cell.Y;
                else ++cell.X;
                break;
            case VK_UP: --cell.Y; break;
            case VK_DOWN: ++cell.Y; break;
            case VK_TAB:
                if (!Shift.Contains(TShiftStateItem::ssAlt)) {
                    bool back = ShiftHeld(Shift);
                    int startCol = cell.X;
                    do {
                        if (back) {
                            if (--cell.X < FixedCols()) {
                                cell.X = ColCount() - 1;
                                if (--cell.Y < FixedRows()) cell.Y = RowCount() - 1;
                            }
                        } else if (++cell.X >= ColCount()) {
                            cell.X = FixedCols();
                            if (++cell.Y >= RowCount()) cell.Y = FixedRows();
                        }
                    } while (!TabStops(cell.X) && cell.X != startCol);
                    Shift.Exclude(TShiftStateItem::ssShift);
                }
                break;
            case VK_F2: SetEditorMode(true); break;
        }
    }
    TGridCoord most = LastTopLeft(m);
    topLeft.X = std::clamp(topLeft.X, FixedCols(), std::max(FixedCols(), most.X));
    topLeft.Y = std::clamp(topLeft.Y, FixedRows(), std::max(FixedRows(), most.Y));
    if (!(topLeft == FTopLeft)) SetTopLeftCell(topLeft.X, topLeft.Y);
    cell.X = std::clamp(cell.X, FixedCols(), ColCount() - 1);
    cell.Y = std::clamp(cell.Y, FixedRows(), RowCount() - 1);
    if (!(cell == FCurrent)) GoToCell(cell.X, cell.Y, !ShiftHeld(Shift));
}

void TssCustomGrid::CopySelection() {
    TGridRect sel = Selection();
    String text;
    for (int r = sel.Top; r <= sel.Bottom; ++r) {
        for (int c = sel.Left; c <= sel.Right; ++c) {
            if (c > sel.Left) text += L'\t';
            text += GetEditText(c, r);
        }
        text += L"\r\n";
    }
    Clipboard()->SetAsText(text);
}

void TssCustomGrid::KeyPress(wchar_t& Key) {
    TCustomControl::KeyPress(Key);
    if (Has(FOptions, TGridOption::goAlwaysShowEditor) || Key != L'\r') return;
    if (Has(FOptions, TGridOption::goEditing) && FEditorMode) CloseEditor();
    else OpenEditor();
    Key = 0;
}
