// The plain label and push button.
#pragma once
#include "Controls.h"

SS_ENUM(TTextLayout, tlTop, tlCenter, tlBottom)

// Text painted on its parent. With AutoSize the label takes the size of its text; ShowAccelChar
// makes "&" mark the next character as the accelerator.
class TLabel : public TGraphicControl {
    SS_CLASS(TLabel, TGraphicControl)
    SS_PUBLISHED(TLabel)
public:
    explicit TLabel(TComponent* AOwner);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout v);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v);
    bool WordWrap() const { return FWordWrap; }
    virtual void SetWordWrap(bool v);
    bool AutoSize() const { return FAutoSize; }
    virtual void SetAutoSize(bool v);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool v);

protected:
    void Paint() override;
    // Draws (or with DT_CALCRECT measures) the caption in r: once, or twice embossed when disabled.
    virtual void DoDrawText(RECT& r, UINT flags);
    // The last say on the rectangle the caption is drawn in, once it is placed by the layout.
    virtual void AdjustTextRect(RECT& r) {}
    // One drawing (or measuring) of text in r with the canvas as DoDrawText prepared it.
    virtual void DrawLabelText(RECT& r, UINT flags, const String& text);
    // With AutoSize, takes the measured size of the text, keeping the right edge for right alignment.
    virtual void AdjustBounds();
    void Loaded() override;
    void FontChanged() override;
    void TextChanged() override;
    UINT AlignmentFlag() const;

    TAlignment FAlignment = TAlignment::taLeftJustify;
    TTextLayout FLayout = TTextLayout::tlTop;
    bool FTransparent = false;
    bool FWordWrap = false;
    bool FAutoSize = true;
    bool FShowAccelChar = true;
};

// A push button. A click sets the parent form's ModalResult to the button's and calls OnClick.
// The form tells its buttons which one looks like the default (SetButtonStyle): the focused
// button, or the Default button while no button has the focus. Enter clicks that button,
// Escape the Cancel button.
class TButton : public TWinControl {
    SS_CLASS(TButton, TWinControl)
    SS_PUBLISHED(TButton)
public:
    explicit TButton(TComponent* AOwner);
    bool Default() const { return FDefault; }
    void SetDefault(bool v);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool v) { FCancel = v; }
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int v) { FModalResult = v; }
    void Click() override;
    // Called with whether the button now stands as the default button.
    virtual void SetButtonStyle(bool ADefault);

protected:
    void CreateParams(TCreateParams& params) override;
    void CommandNotify(WORD code) override;

private:
    bool FDefault = false;
    bool FCancel = false;
    int FModalResult = 0;
};

// A single-line edit (the system's edit control). Text, selection, length limit and read-only
// state are kept while the window does not exist and given to it when it is made.
class TCustomEdit : public TWinControl {
    SS_CLASS(TCustomEdit, TWinControl)
public:
    explicit TCustomEdit(TComponent* AOwner);

    // Virtual so that a derived edit can answer a value other than the text it shows.
    virtual String Text();
    virtual void SetText(const String& v);
    // Selection in characters; SetSelLength selects from SelStart.
    int SelStart();
    void SetSelStart(int v);
    int SelLength();
    void SetSelLength(int v);
    String SelText();
    void SetSelText(const String& v);  // replaces the selection
    void SelectAll();
    void ClearSelection();  // deletes the selected text
    // Characters the user may type; 0 = no limit.
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int v);
    bool ReadOnly() const;
    void SetReadOnly(bool v);
    bool Modified();
    void SetModified(bool v);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);

    // The text changed (by the user or the program).
    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void CommandNotify(WORD code) override;
    // The text changed; calls OnChange.
    virtual void Change();

private:
    int FMaxLength = 0;
    bool FReadOnly = false;
    TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
};
