// The data grid's input: the editor's questions, the key table (moving through records with
// multi-row selection, tabbing, inserting, appending, deleting), the mouse (cells, titles, the
// expand buttons, column sizing and dragging among siblings), the wheel and copying.
#include <algorithm>

#include "Clipbrd.h"
#include "Dialogs.h"
#include "Imm.h"
#include "ssVirDBGrid.h"
#include "ssVirDBGridSupport.h"

namespace {

// Field kinds whose text cannot be edited in a cell unless the field converts it itself.
bool BinaryField(TField* Field) {
    switch (Field->DataType()) {
        case TFieldType::ftBytes:
        case TFieldType::ftVarBytes:
        case TFieldType::ftBlob:
        case TFieldType::ftMemo:
        case TFieldType::ftGraphic:
        case TFieldType::ftFmtMemo:
        case TFieldType::ftParadoxOle:
        case TFieldType::ftDBaseOle:
        case TFieldType::ftTypedBinary:
        case TFieldType::ftCursor:
        case TFieldType::ftADT:
        case TFieldType::ftArray:
        case TFieldType::ftReference:
        case TFieldType::ftDataSet: return true;
        default: return false;
    }
}

bool Has(TShiftState Shift, TShiftStateItem Item) { return Shift.Contains(Item); }

}  // namespace

// ---- the editor ----

void TDBGridInplaceEdit::UpdateContents() {
    auto* grid = static_cast<TssCustomDBGrid*>(Grid());
    int index = grid->SelectedIndex();
    if (index >= 0 && index < grid->Columns()->Count()) {
        TssColumn* column = grid->Columns()->Items(index);
        Font()->Assign(*column->Font());
        // The input method by name is the grid's to switch, as the column is entered.
        if (HandleAllocated()) ::SetImeMode(Handle(), column->ImeMode());
    }
    TInplaceEdit::UpdateContents();
}

void TDBGridInplaceEdit::KeyDown(WORD& Key, TShiftState Shift) {
    if (Key == VK_DELETE && !Shift.Contains(TShiftStateItem::ssCtrl) && !MayChange()) Key = 0;
    if (Key) TInplaceEdit::KeyDown(Key, Shift);
}

void TDBGridInplaceEdit::KeyPress(wchar_t& Key) {
    TInplaceEdit::KeyPress(Key);
    // Printable characters, Backspace, Ctrl+V and Ctrl+X change the text.
    if (Key && (Key >= L' ' || Key == 8 || Key == 22 || Key == 24) && !MayChange()) {
        Key = 0;
        MessageBeep(0);
    }
}

void TDBGridInplaceEdit::WndProc(TMessage& Msg) {
    if ((Msg.Msg == WM_PASTE || Msg.Msg == WM_CUT || Msg.Msg == WM_CLEAR) && !MayChange()) return;
    TInplaceEdit::WndProc(Msg);
}

bool TDBGridInplaceEdit::MayChange() { return static_cast<TssCustomDBGrid*>(Grid())->BeginCellEdit(); }

// ---- the editor's questions ----

// The base asks this when it loads the editor and when it writes the text back, so the answer
// changes nothing: the editor puts the dataset into edit mode before it changes (BeginCellEdit).
bool TssCustomDBGrid::CanEditModify() {
    if (FReadOnly || !FDataLink->Active() || FDataLink->ReadOnly()) return false;
    int index = SelectedIndex();
    if (index < 0 || index >= FColumns->Count() || FColumns->Items(index)->ReadOnly()) return false;
    TField* field = FColumns->Items(index)->Field();
    if (!field || !field->CanModify()) return false;
    return !BinaryField(field) || bool(field->OnSetText());
}

bool TssCustomDBGrid::BeginCellEdit() {
    if (!CanEditModify() || !FDataLink->Edit()) return false;
    FDataLink->Modified();
    return true;
}

bool TssCustomDBGrid::CanEditAcceptKey(wchar_t Key) {
    TField* field = SelectedField();
    return FDataLink->Active() && field && field->IsValidChar(Key);
}

bool TssCustomDBGrid::CanEditShow() { return FLayoutLock == 0 && TCustomGrid::CanEditShow(); }

String TssCustomDBGrid::GetEditMask(int ACol, int ARow) {
    TField* field = FDataLink->Active() ? SelectedField() : nullptr;
    return field ? field->EditMask() : String();
}

int TssCustomDBGrid::GetEditLimit() {
    TField* field = SelectedField();
    if (!field) return 0;
    TFieldType type = field->DataType();
    return type == TFieldType::ftString || type == TFieldType::ftWideString ? field->Size() : 0;
}

TEditStyle TssCustomDBGrid::GetEditStyle(int ACol, int ARow) { return TEditStyle::esSimple; }

TInplaceEdit* TssCustomDBGrid::CreateEditor() { return new TDBGridInplaceEdit(this); }

// ---- moving ----

bool TssCustomDBGrid::CanModifyData() const {
    TDataSet* ds = FDataLink->DataSet();
    return ds && ds->CanModify() && !FReadOnly;
}

void TssCustomDBGrid::ClearSelection() {
    if (!FOptions.Contains(TDBGridOption::dgMultiSelect)) return;
    FBookmarks->Clear();
    FRangeSelecting = false;
}

void TssCustomDBGrid::MoveWithSelection(bool Select, int Direction, TShiftState Shift) {
    UpdateLock();
    try {
        bool selectReached = false;
        if (FOptions.Contains(TDBGridOption::dgMultiSelect) && FDataLink->Active()) {
            TDataSet* ds = FDataLink->DataSet();
            if (Select && Has(Shift, TShiftStateItem::ssShift)) {
                if (!FRangeSelecting) {
                    FSelectionAnchor = ds->Bookmark();
                    FBookmarks->SetCurrentRowSelected(true);
                    FRangeSelecting = true;
                    selectReached = true;
                } else if (ds->CompareBookmarks(ds->Bookmark(), FSelectionAnchor) == -Direction) {
                    // Back toward the anchor: the row left is no longer in the range.
                    FBookmarks->SetCurrentRowSelected(false);
                } else {
                    selectReached = true;
                }
            } else {
                ClearSelection();
            }
        }
        FDataLink->MoveBy(Direction);
        if (selectReached) FBookmarks->SetCurrentRowSelected(true);
    } catch (...) {
        UpdateUnlock();
        throw;
    }
    UpdateUnlock();
}

void TssCustomDBGrid::NextRow(bool Select, TShiftState Shift) {
    TDataSet* ds = FDataLink->DataSet();
    if (ds->State() == TDataSetState::dsInsert && !ds->Modified() && !FDataLink->IsModified()) {
        if (ds->Eof()) return;
        ds->Cancel();
    } else {
        MoveWithSelection(Select, 1, Shift);
    }
    if (ds->Eof() && CanModifyData() && FOptions.Contains(TDBGridOption::dgEditing)) ds->Append();
}

void TssCustomDBGrid::PriorRow(bool Select, TShiftState Shift) {
    TDataSet* ds = FDataLink->DataSet();
    if (ds->State() == TDataSetState::dsInsert && !ds->Modified() && ds->Eof() && !FDataLink->IsModified())
        ds->Cancel();
    else
        MoveWithSelection(Select, -1, Shift);
}

void TssCustomDBGrid::Tab(bool GoForward) {
    UpdateLock();
    try {
        int start = Col(), col = Col(), step = GoForward ? 1 : -1;
        for (;;) {
            col += step;
            if (col >= ColCount()) {
                NextRow(false, {});
                col = FIndicatorOffset;
            } else if (col < FIndicatorOffset) {
                PriorRow(false, {});
                col = ColCount() - 1;
            }
            if (col == start) break;
            if (TabStops(col)) {
                MoveToColumn(col, 0);
                break;
            }
        }
    } catch (...) {
        UpdateUnlock();
        throw;
    }
    UpdateUnlock();
}

void TssCustomDBGrid::DeleteRecords() {
    TDataSet* ds = FDataLink->DataSet();
    if (!CanModifyData() || ds->IsEmpty()) return;
    String question = FBookmarks->Count() < 2 ? String(L"レコードを削除しますか？")
                                                : String(L"選択されたレコードをすべて削除してよいですか？");
    if (FOptions.Contains(TDBGridOption::dgConfirmDelete) &&
        MessageDlg(question, TMsgDlgType::mtConfirmation, {TMsgDlgBtn::mbOK, TMsgDlgBtn::mbCancel}, 0) == mrCancel)
        return;
    if (FBookmarks->Count() > 0) FBookmarks->Delete();
    else ds->Delete();
}

void TssCustomDBGrid::CopyToClipboard() {
    if (!FDataLink->Active()) return;
    TDataSet* ds = FDataLink->DataSet();
    auto rowText = [this] {
        String line;
        for (std::size_t i = 0; i < FVisibleColumns.size(); ++i) {
            if (i > 0) line += L'\t';
            if (TField* field = FVisibleColumns[i]->Field()) line += field->DisplayText();
        }
        return line;
    };
    String text;
    if (FOptions.Contains(TDBGridOption::dgMultiSelect) && FBookmarks->Count() > 0) {
        TBookmark current = ds->Bookmark();
        ds->DisableControls();
        try {
            for (int i = 0; i < FBookmarks->Count(); ++i) {
                ds->GotoBookmark(FBookmarks->Items(i));
                text += rowText() + L"\r\n";
            }
            if (current) ds->GotoBookmark(current);
        } catch (...) {
            ds->EnableControls();
            throw;
        }
        ds->EnableControls();
    } else if (TField* field = SelectedField()) {
        text = field->DisplayText();
    }
    Clipboard()->SetAsText(text);
}

// ---- keys ----

void TssCustomDBGrid::KeyDown(WORD& Key, TShiftState Shift) {
    switch (Key) {
        case VK_TAB:
        case VK_ESCAPE:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_HOME:
        case VK_END:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
        case VK_INSERT:
        case VK_F2:
        case VK_DELETE:
        case 'C': break;
        // Enter and the rest keep the base grid's handling.
        default: return TCustomGrid::KeyDown(Key, Shift);
    }
    TCustomControl::KeyDown(Key, Shift);  // the program's OnKeyDown
    if (!Key || !FDataLink->Active() || !CanGridAcceptKey(Key, Shift)) return;
    if (BiDiMode() == TBiDiMode::bdRightToLeft && (Key == VK_LEFT || Key == VK_RIGHT))
        Key = Key == VK_LEFT ? VK_RIGHT : VK_LEFT;
    using enum TDBGridOption;
    TDataSet* ds = FDataLink->DataSet();
    bool handled = true;
    if (Has(Shift, TShiftStateItem::ssCtrl)) {
        if (Key == VK_PRIOR || Key == VK_NEXT || Key == VK_HOME || Key == VK_END || Key == VK_UP || Key == VK_DOWN)
            ClearSelection();
        switch (Key) {
            case VK_PRIOR:
            case VK_UP: FDataLink->MoveBy(-FDataLink->ActiveRecord()); break;
            case VK_NEXT:
            case VK_DOWN: FDataLink->MoveBy(FDataLink->BufferCount() - FDataLink->ActiveRecord() - 1); break;
            case VK_HOME: ds->First(); break;
            case VK_END: ds->Last(); break;
            case VK_LEFT: MoveToColumn(FIndicatorOffset, 1); break;
            case VK_RIGHT: MoveToColumn(ColCount() - 1, -1); break;
            case VK_DELETE: DeleteRecords(); break;
            case 'C': CopyToClipboard(); break;
            default: handled = false; break;
        }
    } else {
        bool rowSelect = FOptions.Contains(dgRowSelect);
        bool singleColumn = ColCount() == FIndicatorOffset + 1;
        switch (Key) {
            case VK_TAB:
                if (!Has(Shift, TShiftStateItem::ssAlt)) Tab(!Has(Shift, TShiftStateItem::ssShift));
                break;
            case VK_ESCAPE:
                if (KoreanSystem()) FIsESCKey = true;
                FDataLink->Reset();
                ClearSelection();
                if (!FOptions.Contains(dgAlwaysShowEditor)) HideEditor();
                break;
            case VK_PRIOR:
                ClearSelection();
                FDataLink->MoveBy(-VisibleRowCount());
                break;
            case VK_NEXT:
                ClearSelection();
                FDataLink->MoveBy(VisibleRowCount());
                break;
            case VK_HOME:
                if (singleColumn || rowSelect) {
                    ClearSelection();
                    ds->First();
                } else {
                    MoveToColumn(FIndicatorOffset, 1);
                }
                break;
            case VK_END:
                if (singleColumn || rowSelect) {
                    ClearSelection();
                    ds->Last();
                } else {
                    MoveToColumn(ColCount() - 1, -1);
                }
                break;
            case VK_LEFT:
                if (rowSelect) PriorRow(false, Shift);
                else MoveToColumn(Col() - 1, -1);
                break;
            case VK_RIGHT:
                if (rowSelect) NextRow(false, Shift);
                else MoveToColumn(Col() + 1, 1);
                break;
            case VK_UP: PriorRow(true, Shift); break;
            case VK_DOWN: NextRow(true, Shift); break;
            case VK_INSERT:
                if (CanModifyData() && FOptions.Contains(dgEditing)) {
                    ClearSelection();
                    ds->Insert();
                }
                break;
            case VK_F2:
                ShowEditor();
                if (InplaceEditor() && InplaceEditor()->Shown()) InplaceEditor()->Deselect();
                break;
            default: handled = false; break;
        }
    }
    if (handled) Key = 0;
}

void TssCustomDBGrid::KeyPress(wchar_t& Key) {
    FIsESCKey = false;
    if (Key == L'\r' && !FOptions.Contains(TDBGridOption::dgAlwaysShowEditor)) FDataLink->UpdateData();
    TCustomGrid::KeyPress(Key);
}

// ---- the mouse ----

bool TssCustomDBGrid::ExpandButtonHit(int X, int Y, TssColumn*& Master) {
    Master = nullptr;
    if (!FDataLink->Active()) return false;
    TGridCoord cell = MouseCoord(X, Y);
    int index = cell.X - FIndicatorOffset;
    if (cell.Y < 0 || cell.Y >= FTitleOffset || index < 0 || index >= FColumns->Count()) return false;
    RECT title = TitleRect(index, cell.Y, Master);
    if (!Master || !Master->Expandable()) return false;
    int arrow = GetSystemMetrics(SM_CXHSCROLL);
    RECT strip = title;
    if (BiDiMode() == TBiDiMode::bdRightToLeft) strip.right = strip.left + arrow;
    else strip.left = strip.right - arrow;
    return PtInRect(&strip, POINT{X, Y});
}

void TssCustomDBGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (!AcquireFocus()) {
        if (MouseCapture()) SetMouseCapture(false);
        return;
    }
    if (Button == TMouseButton::mbLeft && Has(Shift, TShiftStateItem::ssDouble))
        return TCustomGrid::MouseDown(Button, Shift, X, Y);  // the base runs the double-click
    TGridState sizing = TGridState::gsNormal;
    int index = 0, pos = 0, ofs = 0;
    CalcSizingState(X, Y, sizing, index, pos, ofs);
    if (sizing != TGridState::gsNormal) {
        FDataLink->UpdateData();
        return TCustomGrid::MouseDown(Button, Shift, X, Y);
    }
    TGridCoord cell = MouseCoord(X, Y);
    if (cell.X < 0) return TCustomGrid::MouseDown(Button, Shift, X, Y);
    bool designing = ComponentState().Contains(TComponentStateItem::csDesigning);
    if (FFloatingWindow && !designing && Button == TMouseButton::mbLeft && cell.X < FIndicatorOffset &&
        cell.Y < FTitleOffset) {
        FDraggingWindow = true;
        FDragFrom = POINT{X, Y};
        ClientToScreen(Handle(), &FDragFrom);
        FWindowFrom = POINT{FFloatingWindow->Left(), FFloatingWindow->Top()};
        SetMouseCapture(true);
        return;
    }
    TssColumn* master = nullptr;
    if (Button == TMouseButton::mbLeft && ExpandButtonHit(X, Y, master)) {
        master->SetExpanded(!master->Expanded());
        SetMouseCapture(false);
        return;
    }
    if ((designing || FOptions.Contains(TDBGridOption::dgColumnResize)) && cell.Y < FTitleOffset) {
        FDataLink->UpdateData();
        return TCustomGrid::MouseDown(Button, Shift, X, Y);
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);  // the program's OnMouseDown
    if (FDataLink->Active()) MouseDownOnCell(Button, Shift, cell);
}

void TssCustomDBGrid::MouseDownOnCell(TMouseButton Button, TShiftState Shift, TGridCoord Cell) {
    UpdateLock();
    try {
        FDataLink->UpdateData();
        HideEditor();
        TGridCoord before{Col(), Row()};
        if (Cell.Y >= FTitleOffset && Cell.Y != Row()) FDataLink->MoveBy(Cell.Y - Row());
        if (Cell.X >= FIndicatorOffset) MoveToColumn(Cell.X, 0);
        if (FOptions.Contains(TDBGridOption::dgMultiSelect)) {
            FRangeSelecting = false;
            if (Has(Shift, TShiftStateItem::ssCtrl)) {
                FBookmarks->SetCurrentRowSelected(!FBookmarks->CurrentRowSelected());
            } else {
                FBookmarks->Clear();
                FBookmarks->SetCurrentRowSelected(true);
            }
        }
        bool changed = !(Cell == before);
        if (Button != TMouseButton::mbLeft || (changed && !FOptions.Contains(TDBGridOption::dgAlwaysShowEditor)))
            InvalidateEditor();
        else
            ShowEditor();
    } catch (...) {
        UpdateUnlock();
        throw;
    }
    UpdateUnlock();
}

void TssCustomDBGrid::MouseMove(TShiftState Shift, int X, int Y) {
    if (FDraggingWindow && !MouseCapture()) FDraggingWindow = false;  // the capture was taken away
    if (!FDraggingWindow) return TCustomGrid::MouseMove(Shift, X, Y);
    POINT at{X, Y};
    ClientToScreen(Handle(), &at);
    FFloatingWindow->SetBounds(FWindowFrom.x + at.x - FDragFrom.x, FWindowFrom.y + at.y - FDragFrom.y,
                               FFloatingWindow->Width(), FFloatingWindow->Height());
}

void TssCustomDBGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (FDraggingWindow) {
        MouseMove(Shift, X, Y);
        FDraggingWindow = false;
        SetMouseCapture(false);
        return;
    }
    TGridState state = GridState();
    TCustomGrid::MouseUp(Button, Shift, X, Y);
    if (state == TGridState::gsColSizing || state == TGridState::gsRowSizing || Button != TMouseButton::mbLeft)
        return;
    TInplaceEdit* editor = InplaceEditor();
    if (editor && editor->Shown()) {
        RECT bounds = editor->BoundsRect();
        if (PtInRect(&bounds, POINT{X, Y})) return;
    }
    TGridCoord cell = MouseCoord(X, Y);
    int index = cell.X - FIndicatorOffset;
    if (cell.Y < 0 || index < 0 || index >= FColumns->Count()) return;
    if (cell.Y < FTitleOffset) TitleClick(FColumns->Items(index));
    else if (SelectedIndex() >= 0 && SelectedIndex() < FColumns->Count()) CellClick(FColumns->Items(SelectedIndex()));
}

bool TssCustomDBGrid::DoMouseWheel(TShiftState Shift, int WheelDelta, POINT MousePos) {
    if (!FDataLink->Active()) return TCustomGrid::DoMouseWheel(Shift, WheelDelta, MousePos);
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    FWheelRest += WheelDelta;
    int notches = FWheelRest / WHEEL_DELTA;
    FWheelRest -= notches * WHEEL_DELTA;
    if (notches != 0) {
        ClearSelection();
        FDataLink->MoveBy(-notches);
    }
    return true;
}

// ---- sizing and dragging titles of structured fields ----

void TssCustomDBGrid::CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs) {
    TCustomGrid::CalcSizingState(X, Y, State, Index, SizingPos, SizingOfs);
    if (State != TGridState::gsColSizing) return;
    int row = MouseCoord(X, Y).Y, column = Index - FIndicatorOffset;
    // A parent title spans its children: only their own titles size them.
    if (row >= 0 && row < FTitleOffset && column >= 0 && column < FColumns->Count() &&
        row < FColumns->Items(column)->Depth())
        State = TGridState::gsNormal;
}

bool TssCustomDBGrid::BeginColumnDrag(int& Origin, int& Destination, POINT MousePt) {
    int row = MouseCoord(MousePt.x, MousePt.y).Y;
    FDragCol = MasterColumn(Origin - FIndicatorOffset, std::max(row, 0));
    if (FDragCol) Origin = Destination = FDragCol->Index() + FIndicatorOffset;
    return TCustomGrid::BeginColumnDrag(Origin, Destination, MousePt);
}

bool TssCustomDBGrid::CheckColumnDrag(int& Origin, int& Destination, POINT MousePt) {
    int dest = Destination - FIndicatorOffset, count = FColumns->Count();
    if (FDragCol && dest >= 0 && dest < count) {
        TssColumn* parent = FDragCol->ParentColumn();
        int depth = FDragCol->Depth();
        bool right = Destination > Origin;
        if (FColumns->Items(dest)->ParentColumn() != parent) {
            if (!right) {
                dest = parent ? parent->Index() + 1 : MasterColumn(dest, 0)->Index();
            } else {
                while (dest > 0 && FColumns->Items(dest)->ParentColumn() != parent) --dest;
            }
        }
        if (right) {
            TssColumn* master = MasterColumn(dest, depth);
            while (dest + 1 < count && MasterColumn(dest + 1, depth) == master) ++dest;
        }
        Destination = dest + FIndicatorOffset;
    }
    return TCustomGrid::CheckColumnDrag(Origin, Destination, MousePt);
}

bool TssCustomDBGrid::EndColumnDrag(int& Origin, int& Destination, POINT MousePt) {
    FDragCol = nullptr;
    return TCustomGrid::EndColumnDrag(Origin, Destination, MousePt);
}
