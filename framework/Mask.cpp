#include "Mask.h"

#include <algorithm>
#include <utility>

namespace {

// The clipboard's text up to its first line break (the edit has one line).
String ClipboardLine(HWND Owner) {
    if (!OpenClipboard(Owner)) return String();
    struct TClose {
        ~TClose() { CloseClipboard(); }
    } close;
    String text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    text.resize(std::min(text.find_first_of(L"\r\n"), text.size()));
    return text;
}

}  // namespace

void TCustomMaskEdit::SetEditMask(const String& Value) {
    if (Value == FEditMask) return;
    String value = Text();
    FEditMask = Value;
    FMask = TEditMask(Value);
    // The old value may come with or without literals: lay it over the positions leniently.
    Show(IsMasked() ? FMask.Format(value, true) : value);
    if (IsMasked() && HandleAllocated()) KeepCaretEditable(true);
}

String TCustomMaskEdit::Text() {
    if (!IsMasked()) return TCustomEdit::Text();
    return FMask.Extract(EditText(), FMask.KeepLiterals());
}

void TCustomMaskEdit::SetText(const String& Value) {
    TCustomEdit::SetText(IsMasked() ? FMask.Format(Value, FMask.KeepLiterals()) : Value);
}

void TCustomMaskEdit::ValidateEdit() {
    if (!IsMasked()) return;
    int missing = FMask.FirstMissing(EditText());
    if (missing < 0) return;
    if (HandleAllocated()) SetCaret(missing);
    throw EMaskError(Format(L"入力が完了していません。%d 文字目を入力してください。", {(long long)(missing + 1)}));
}

void TCustomMaskEdit::Selection(int& Start, int& End) {
    DWORD start = 0, end = 0;
    SendMessageW(Handle(), EM_GETSEL, WPARAM(&start), LPARAM(&end));
    Start = int(start);
    End = int(end);
}

void TCustomMaskEdit::SetCaret(int Pos) { SendMessageW(Handle(), EM_SETSEL, WPARAM(Pos), LPARAM(Pos)); }

void TCustomMaskEdit::KeepCaretEditable(bool Forward) {
    int start = 0, end = 0;
    Selection(start, end);
    if (start != end) return;
    int caret = FMask.CaretPos(start, Forward);
    if (caret != start) SetCaret(caret);
}

void TCustomMaskEdit::Show(const String& Text) {
    TFlagScope loading(FLoading);
    TCustomEdit::SetText(Text);
}

void TCustomMaskEdit::Edit(const String& Text, int Pos) {
    const bool changed = Text != FCaption;  // against what was last shown
    if (Text != EditText()) Show(Text);
    if (changed) SendMessageW(FHandle, EM_SETMODIFY, TRUE, 0);
    SetCaret(FMask.CaretPos(Pos, true));
    if (changed) Change();
}

bool TCustomMaskEdit::Replace(const String& Chars) {
    int start = 0, end = 0;
    Selection(start, end);
    String text = EditText();
    FMask.Clear(text, start, end);
    int after = FMask.Put(text, start, Chars);
    if (after < 0) return false;
    Edit(text, after);
    return true;
}

void TCustomMaskEdit::Erase(bool Backward) {
    int start = 0, end = 0;
    Selection(start, end);
    if (start == end) {
        start = Backward ? FMask.PrevEditable(start) : FMask.NextEditable(start);
        if (start < 0 || start >= FMask.Length()) return;
        end = start + 1;
    }
    String text = EditText();
    FMask.Clear(text, start, end);
    Edit(text, start);
}

void TCustomMaskEdit::FitWindowEdit() {
    // What the window inserted lies between the parts the old and the new text share.
    const String old = FCaption, now = EditText();
    std::size_t prefix = 0;
    while (prefix < old.size() && prefix < now.size() && old[prefix] == now[prefix]) ++prefix;
    std::size_t suffix = 0;
    while (suffix < old.size() - prefix && suffix < now.size() - prefix &&
           old[old.size() - 1 - suffix] == now[now.size() - 1 - suffix])
        ++suffix;
    String text = old;
    FMask.Clear(text, int(prefix), int(old.size() - suffix));
    const String inserted = now.substr(prefix, now.size() - suffix - prefix);
    int after = FMask.Put(text, int(prefix), inserted);
    if (after < 0 && !inserted.empty()) MessageBeep(MB_OK);
    Edit(text, after < 0 ? int(prefix) : after);
}

void TCustomMaskEdit::CommandNotify(WORD code) {
    if (code == EN_CHANGE && IsMasked() && !FLoading && EditText() != FCaption) {
        FitWindowEdit();
        return;
    }
    TCustomEdit::CommandNotify(code);
}

void TCustomMaskEdit::Change() {
    if (!FLoading) TCustomEdit::Change();
}

bool TCustomMaskEdit::JustPassed(wchar_t Literal) {
    int start = 0, end = 0;
    Selection(start, end);
    return start == end && start > 0 && start <= FMask.Length() && !FMask.IsEditable(start - 1) &&
           FMask.Position(start - 1).Literal == Literal;
}

void TCustomMaskEdit::KeyDown(WORD& Key, TShiftState Shift) {
    TCustomEdit::KeyDown(Key, Shift);
    if (!IsMasked() || ReadOnly()) return;
    if (Key == VK_DELETE && Shift.Contains(TShiftStateItem::ssShift)) {
        SendMessageW(FHandle, WM_CUT, 0, 0);
        Key = 0;
    } else if (Key == VK_DELETE && Shift.Empty()) {
        Erase(false);
        Key = 0;
    } else if (Key == VK_INSERT && Shift.Contains(TShiftStateItem::ssShift)) {
        SendMessageW(FHandle, WM_PASTE, 0, 0);
        Key = 0;
    }
}

void TCustomMaskEdit::KeyPress(wchar_t& Key) {
    TCustomEdit::KeyPress(Key);
    if (!IsMasked() || ReadOnly() || !Key) return;
    switch (Key) {
        case 1:  // Ctrl+A selects, Ctrl+C copies: the window's own handling
        case 3: return;
        case VK_BACK: Erase(true); break;
        case 22: SendMessageW(FHandle, WM_PASTE, 0, 0); break;
        case 24: SendMessageW(FHandle, WM_CUT, 0, 0); break;
        default:
            // Other control characters would put line breaks or tabs into the text. A literal
            // the caret has just stepped over is taken as typed, without a beep.
            if (Key >= 0x20 && !Replace(String(1, Key)) && !JustPassed(Key)) MessageBeep(MB_OK);
    }
    Key = 0;
}

void TCustomMaskEdit::WndProc(TMessage& msg) {
    if (!IsMasked()) {
        TCustomEdit::WndProc(msg);
        return;
    }
    switch (msg.Msg) {
        case WM_PASTE:
            if (!ReadOnly() && !Replace(ClipboardLine(FHandle))) MessageBeep(MB_OK);
            msg.Result = 0;
            return;
        case EM_REPLACESEL:  // SetSelText: laid over the selection as typed
            if (msg.LParam) Replace(reinterpret_cast<const wchar_t*>(msg.LParam));
            msg.Result = 0;
            return;
        case WM_CUT:
            SendMessageW(FHandle, WM_COPY, 0, 0);
            [[fallthrough]];
        case WM_CLEAR:
            if (!ReadOnly()) {
                int start = 0, end = 0;
                Selection(start, end);
                if (start != end) Erase(false);
            }
            msg.Result = 0;
            return;
        case WM_KEYDOWN: {
            TCustomEdit::WndProc(msg);
            // The window has moved the caret; with Shift the selection grows and may span literals.
            if (GetKeyState(VK_SHIFT) >= 0) {
                switch (msg.WParam) {
                    case VK_LEFT:
                    case VK_UP:
                    case VK_END: KeepCaretEditable(false); break;
                    case VK_RIGHT:
                    case VK_DOWN:
                    case VK_HOME: KeepCaretEditable(true); break;
                }
            }
            return;
        }
        case WM_LBUTTONUP:
        case WM_SETFOCUS:
            TCustomEdit::WndProc(msg);
            if (HandleAllocated()) KeepCaretEditable(true);
            return;
    }
    TCustomEdit::WndProc(msg);
}
