// A single-line edit whose text is shaped by an edit mask. An empty mask makes it a plain edit.
//
// The mask syntax is that of TEditMask (MaskUtils.h), for example
//   "0000/00/00;1;_"  a date, Text with the slashes       "000-0000;0;_"  a postal code, digits only
//   ">LL-9999;1; "    two upper-case letters, up to four digits, spaces as blanks
// With a mask the window always shows one character per position: literals in place and the
// blank character where nothing is. Typing overwrites the editable position at the caret and
// steps over literals; a character that does not fit is refused with a beep. Backspace, Delete,
// cut and clear empty positions and never move literals; a paste, SetText and text that reaches
// the window some other way (an input method's result) are fitted to the mask. The caret and an
// empty selection stay on editable positions.
#pragma once
#include "MaskUtils.h"
#include "StdCtrls.h"

// Raised by ValidateEdit for an incomplete entry.
SS_EXCEPTION(EMaskError, Exception)

class TCustomMaskEdit : public TCustomEdit {
    SS_CLASS(TCustomMaskEdit, TCustomEdit)
public:
    using TCustomEdit::TCustomEdit;

    const String& EditMask() const { return FEditMask; }
    // The value is kept and fitted to the new mask; this reformatting is no change (OnChange
    // does not run).
    void SetEditMask(const String& Value);
    bool IsMasked() const { return !FMask.Empty(); }

    // The value: the shown text with blank positions as spaces, literals kept or dropped as the
    // mask says, and empty when no position is filled. Without a mask, the text.
    String Text() override;
    // Shows Value fitted to the mask (Value as Text answers it); the change is reported once,
    // with the final text.
    void SetText(const String& Value) override;
    // The text as shown, literals and blank characters included.
    String EditText() { return TCustomEdit::Text(); }
    // Raises EMaskError, with the caret at the place, when a required position is empty.
    virtual void ValidateEdit();

protected:
    void WndProc(TMessage& msg) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(wchar_t& Key) override;
    void CommandNotify(WORD code) override;
    void Change() override;

private:
    void Selection(int& Start, int& End);
    void SetCaret(int Pos);
    // Moves an empty selection off literals, forward or backward.
    void KeepCaretEditable(bool Forward);
    // Shows Text without reporting a change.
    void Show(const String& Text);
    // A user's edit: shows Text with the caret at Pos and reports the change.
    void Edit(const String& Text, int Pos);
    // Lays Chars over the selection as typed; answers whether any character was taken.
    bool Replace(const String& Chars);
    // Whether the caret stands just after the literal Literal.
    bool JustPassed(wchar_t Literal);
    // Empties the selection, or with none the editable position before (Backward) or at the caret.
    void Erase(bool Backward);
    // Fits an edit the window made by itself (the text differs from the one last shown).
    void FitWindowEdit();

    String FEditMask;
    TEditMask FMask;
    bool FLoading = false;  // the mask's own reformatting: no change is reported
};
