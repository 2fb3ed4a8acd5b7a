#include "ssInplaceEdit.h"

#include <imm.h>

#include <memory>

#include "ssGrids.h"

namespace {
std::unique_ptr<TssUIConfig>& ConfigInstance() {
    static std::unique_ptr<TssUIConfig> instance;
    return instance;
}
}  // namespace

TssUIConfig::TssUIConfig() : FActiveEditBackColor(TColor(0x00AAFFFF)) {}

TssUIConfig* TssUIConfig::GetInstance() {
    auto& instance = ConfigInstance();
    if (!instance) {
        instance = std::make_unique<TssUIConfig>();
        instance->FActiveEditBackColor = instance->DefaultActiveEditBackColor();
    }
    return instance.get();
}

void TssUIConfig::SetActiveEditBackColor(TColor Value) {
    if (FActiveEditBackColor != Value) FActiveEditBackColor = Value;
}

TssInplaceEdit::TssInplaceEdit(TComponent* AOwner) : TssCustomMaskEdit(AOwner) {
    SetCtl3D(false);
    FTabStop = false;
    SetBorderStyle(TBorderStyle::bsNone);
    FParentFont = false;
}

void TssInplaceEdit::CreateParams(TCreateParams& params) {
    TssCustomMaskEdit::CreateParams(params);
    // Multi-line, so that the formatting rectangle can put the text at the strip's bottom; the
    // window is shown only by Move.
    params.Style = (params.Style | ES_MULTILINE) & ~WS_VISIBLE;
}

void TssInplaceEdit::UpdateContents() {
    FLoading = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{FLoading};
    SetText(L"");
    SetEditMask(FGrid->GetEditMask(FGrid->Col(), FGrid->Row()));
    SetText(FGrid->GetEditText(FGrid->Col(), FGrid->Row()));
    SetMaxLength(FGrid->GetEditLimit());
}

void TssInplaceEdit::BoundsChanged() {
    RECT client;
    GetClientRect(FHandle, &client);
    RECT r{2, 2, client.right - 2, client.bottom};
    SendMessageW(FHandle, EM_SETRECTNP, 0, LPARAM(&r));
    SendMessageW(FHandle, EM_SCROLLCARET, 0, 0);
}

void TssInplaceEdit::Deselect() { SendMessageW(Handle(), EM_SETSEL, WPARAM(-1), 0x7FFFFFFF); }

bool TssInplaceEdit::Visible() { return FHandle && IsWindowVisible(FHandle); }

void TssInplaceEdit::SetFocus() {
    if (Visible()) ::SetFocus(FHandle);
}

void TssInplaceEdit::Invalidate() {
    if (!FHandle) return;
    ValidateRect(FHandle, nullptr);
    InvalidateRect(FHandle, nullptr, TRUE);
    RECT r;
    GetClientRect(FHandle, &r);
    MapWindowPoints(FHandle, FGrid->Handle(), reinterpret_cast<POINT*>(&r), 2);
    ValidateRect(FGrid->Handle(), &r);
    InvalidateRect(FGrid->Handle(), &r, FALSE);
}

void TssInplaceEdit::Hide(const RECT& Loc) {
    if (!Visible()) return;
    bool hadFocus = GetFocus() == FHandle;
    SetWindowPos(FHandle, nullptr, Loc.left, Loc.top, Loc.right - Loc.left, Loc.bottom - Loc.top,
                 SWP_HIDEWINDOW | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
    Invalidate();
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
    UpdateBounds();
    if (hadFocus) ::SetFocus(FGrid->Handle());
}

void TssInplaceEdit::InternalMove(const RECT& Loc, bool Redraw) {
    if (IsRectEmpty(&Loc)) return Hide(Loc);
    HWND h = Handle();
    Redraw = Redraw || !IsWindowVisible(h);
    Invalidate();
    SetWindowPos(h, HWND_TOP, Loc.left, Loc.top, Loc.right - Loc.left, Loc.bottom - Loc.top,
                 SWP_HIDEWINDOW | SWP_NOREDRAW | SWP_NOACTIVATE);
    BoundsChanged();
    if (Redraw) Invalidate();
    // A strip at the cell's bottom as high as the font, where the cell's own text stands; a cell
    // too small for it keeps the editor hidden, and then the focus stays with the grid.
    int fontHeight = std::abs(Font()->Height());
    int width = Loc.right - Loc.left;
    if (Loc.bottom - fontHeight - 2 >= Loc.top && width - 4 > 0) {
        SetWindowPos(h, HWND_TOP, Loc.left + 2, Loc.bottom - fontHeight - 2, width - 4, fontHeight + 2,
                     SWP_SHOWWINDOW | SWP_NOACTIVATE);
        BoundsChanged();
        if (FGrid->Focused()) ::SetFocus(h);
    }
    UpdateBounds();
}

void TssInplaceEdit::Move(const RECT& Loc) { InternalMove(Loc, true); }

void TssInplaceEdit::UpdateLoc(const RECT& Loc) { InternalMove(Loc, false); }

bool TssInplaceEdit::PosEqual(const RECT& Rect) {
    RECT r;
    GetWindowRect(Handle(), &r);
    MapWindowPoints(HWND_DESKTOP, FGrid->Handle(), reinterpret_cast<POINT*>(&r), 2);
    return EqualRect(&r, &Rect);
}

bool TssInplaceEdit::CanModify() { return FGrid->EditorCanModify(); }

void TssInplaceEdit::WndProc(TMessage& Msg) {
    switch (Msg.Msg) {
        case WM_LBUTTONDOWN: {
            // The grid's press just before, within the double-click time, makes this press the
            // second of a double click.
            LONG now = GetMessageTime();
            if (FClickTime != 0 && UINT(now - FClickTime) < GetDoubleClickTime()) Msg.Msg = WM_LBUTTONDBLCLK;
            FClickTime = 0;
            break;
        }
        case WM_GETDLGCODE:
            TssCustomMaskEdit::WndProc(Msg);
            if (FGrid->Options().Contains(TGridOption::goTabs)) Msg.Result |= DLGC_WANTTAB;
            return;
        case WM_PASTE:
        case WM_CUT:
        case WM_CLEAR:
            if (!CanModify()) {
                Msg.Result = 0;
                return;
            }
            break;
        case WM_IME_CHAR:
            if (!CanModify()) {
                Msg.Result = 0;
                return;
            }
            break;
        case WM_IME_COMPOSITION:
            // The edit inserts a composition's result itself; a cell that may not change takes none.
            if ((Msg.LParam & GCS_RESULTSTR) && !CanModify()) {
                if (HIMC imc = ImmGetContext(FHandle)) {
                    ImmNotifyIME(imc, NI_COMPOSITIONSTR, CPS_CANCEL, 0);
                    ImmReleaseContext(FHandle, imc);
                }
                Msg.Result = 0;
                return;
            }
            break;
        case EM_SETREADONLY:
            TssCustomMaskEdit::WndProc(Msg);
            SetColor(FGrid->EditorBackColor());
            FGrid->FillEditorCell();
            return;
    }
    TssCustomMaskEdit::WndProc(Msg);
}

void TssInplaceEdit::SendToGrid(WORD& Key, TShiftState Shift) {
    FGrid->KeyDown(Key, Shift);
    Key = 0;
}

void TssInplaceEdit::KeyDown(WORD& Key, TShiftState Shift) {
    using S = TShiftStateItem;
    bool ctrl = Shift.Contains(S::ssCtrl);
    bool always = FGrid->Options().Contains(TGridOption::goAlwaysShowEditor);
    auto selection = [this](int& start, int& end) {
        DWORD s = 0, e = 0;
        SendMessageW(FHandle, EM_GETSEL, WPARAM(&s), LPARAM(&e));
        start = int(s);
        end = int(e);
    };
    int start = 0, end = 0, length = GetWindowTextLengthW(FHandle);
    switch (Key) {
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_ESCAPE: SendToGrid(Key, Shift); break;
        case VK_TAB:
            if (!Shift.Contains(S::ssAlt)) SendToGrid(Key, Shift);
            break;
        case VK_LEFT:
        case VK_HOME:
            selection(start, end);
            if (always && (ctrl || (start == 0 && (end == 0 || end == length)))) SendToGrid(Key, Shift);
            break;
        case VK_RIGHT:
        case VK_END:
            selection(start, end);
            if (always && (ctrl || ((start == 0 || start == end) && end == length))) SendToGrid(Key, Shift);
            break;
        case VK_INSERT:
            if (Shift.Empty()) SendToGrid(Key, Shift);
            else if (Shift == TShiftState{S::ssShift} && !CanModify()) Key = 0;
            break;
        case VK_F2:
            if (FGrid->OnKeyDown) FGrid->OnKeyDown(FGrid, Key, Shift);
            if (Key == VK_F2) {
                Deselect();
                Key = 0;
            }
            return;
        case VK_DELETE:
            if (!CanModify()) Key = 0;
            break;
    }
    if (Key == 0) return;
    if (FGrid->OnKeyDown) FGrid->OnKeyDown(FGrid, Key, Shift);
    if (Key != 0) TssCustomMaskEdit::KeyDown(Key, Shift);
}

void TssInplaceEdit::KeyUp(WORD& Key, TShiftState Shift) { FGrid->KeyUp(Key, Shift); }

void TssInplaceEdit::KeyPress(wchar_t& Key) {
    FGrid->KeyPress(Key);
    if (Key >= 32 && Key <= 255 && !FGrid->EditorAcceptsKey(Key)) {
        Key = 0;
        MessageBeep(0);
    }
    switch (Key) {
        case 0: return;
        case L'\t':
        case 27: Key = 0; return;
        case L'\r': {
            DWORD s = 0, e = 0;
            SendMessageW(FHandle, EM_GETSEL, WPARAM(&s), LPARAM(&e));
            if (s == 0 && int(e) == GetWindowTextLengthW(FHandle)) Deselect();
            else SelectAll();
            Key = 0;
            return;
        }
        default: break;
    }
    // A cell that may not change takes no character from the blank on, full-width and
    // half-width forms included, and no Backspace, Ctrl+V or Ctrl+X.
    if (!CanModify() && (Key == 8 || Key == 22 || Key == 24 || Key >= 32)) {
        Key = 0;
        return;
    }
    TssCustomMaskEdit::KeyPress(Key);
}

void TssInplaceEdit::DblClick() { FGrid->DblClick(); }

bool TssInplaceEdit::DoMouseWheel(TShiftState Shift, int WheelDelta, POINT MousePos) {
    return FGrid->DoMouseWheel(Shift, WheelDelta, MousePos);
}

void TssInplaceEdit::Change() {
    TssCustomMaskEdit::Change();
    // The text the editor loads is the cell's own: storing it back could only lose it.
    if (!FLoading) FGrid->CommitEditorText();
}
