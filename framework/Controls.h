// Controls over real windows: the control base, controls painted on their parent, and
// windowed controls with their own HWND.
#pragma once
#include <exception>
#include <functional>
#include <memory>
#include <vector>

#include "Graphics.h"

struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

class TWinControl;
class TApplication;

// Where a control docks in its parent's client area.
SS_ENUM(TAlign, alNone, alTop, alBottom, alLeft, alRight, alClient)
// The edges of its parent a control keeps its distance to when the parent changes size.
SS_ENUM(TAnchorKind, akLeft, akTop, akRight, akBottom)
using TAnchors = TSet<TAnchorKind>;
// Input-method modes a control asks for while it has the focus.
enum class TImeMode { imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata,
                      imChinese, imSHanguel, imHanguel };
// Reading order of a control's text.
SS_ENUM(TBiDiMode, bdLeftToRight, bdRightToLeft)
// The frame of a control that draws its own border.
SS_ENUM(TBorderStyle, bsNone, bsSingle)
// Which scroll bars a control shows.
SS_ENUM(TScrollStyle, ssNone, ssHorizontal, ssVertical, ssBoth)
// Keys and mouse buttons held down with a key or mouse event, and whether a click was a double one.
enum class TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;
// Shift, Ctrl and Alt as the keyboard state has them now.
TShiftState KeyboardShiftState();
// The keys and buttons of a mouse message's MK_ flags, with Alt from the keyboard state.
TShiftState MouseShiftState(WPARAM keys);

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, wchar_t& Key)>;
using TMouseWheelEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta, POINT MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent = std::function<void(TObject* Sender, TShiftState Shift, POINT MousePos, bool& Handled)>;

class TControl;

// The smallest and largest size a control may take; 0 sets no limit.
class TSizeConstraints : public TPersistent {
    SS_CLASS(TSizeConstraints, TPersistent)
public:
    explicit TSizeConstraints(TControl* AControl) : FControl(AControl) {}
    void Assign(const TPersistent* Source) override;
    int MaxHeight() const { return FMaxHeight; }
    void SetMaxHeight(int v);
    int MaxWidth() const { return FMaxWidth; }
    void SetMaxWidth(int v);
    int MinHeight() const { return FMinHeight; }
    void SetMinHeight(int v);
    int MinWidth() const { return FMinWidth; }
    void SetMinWidth(int v);
    // Width and height brought within the limits.
    void Apply(int& Width, int& Height) const;

private:
    friend class TControl;
    void Changed();
    TControl* FControl;
    int FMaxHeight = 0, FMaxWidth = 0, FMinHeight = 0, FMinWidth = 0;
};

class TControl : public TComponent {
    SS_CLASS(TControl, TComponent)
    SS_PUBLISHED(TControl)
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* AParent);

    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
    void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
    void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
    void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    RECT BoundsRect() const { return RECT{FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }

    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool v);
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool v);

    const String& Caption() const { return FCaption; }
    void SetCaption(const String& v);

    // The control's own font; while ParentFont is true it follows the parent's font.
    TFont* Font() const { return FFont.get(); }
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool v);
    TColor Color() const { return FColor; }
    void SetColor(TColor v);

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign v);
    TAnchors Anchors() const { return FAnchors; }
    void SetAnchors(TAnchors v) { FAnchors = v; }
    TSizeConstraints* Constraints() const { return FConstraints.get(); }
    void SetConstraints(const TSizeConstraints* v) { FConstraints->Assign(v); }
    // Scales the position, the size, the size limits and an own font by M/D, with the edges
    // rounded (MulDiv) so that neighbouring controls stay neighbours.
    virtual void ChangeScale(int M, int D);
    // The help topic of the control; 0 asks the parent.
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int v) { FHelpContext = v; }
    TBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode v) { FBiDiMode = v; Invalidate(); }
    // Three-dimensional borders where the control draws a border.
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool v);
    // DrawText flags adjusted for the reading order: right-to-left reading and mirrored alignment.
    UINT DrawTextBiDiModeFlags(UINT flags) const;

    TNotifyEvent OnClick;
    virtual void Click();
    virtual void Invalidate();
    // A control read from a stream as a child of a windowed control stands on it.
    void SetParentComponent(TComponent* AParent) override;
    // Paints invalidated areas now.
    virtual void Update() {}

protected:
    virtual void FontChanged() { Invalidate(); }
    virtual void TextChanged() { Invalidate(); }
    virtual void ColorChanged() { Invalidate(); }
    virtual void EnabledChanged() { Invalidate(); }
    virtual void Ctl3DChanged() { Invalidate(); }
    void ParentFontChanged();
    // The font goes to a stream only when it is the control's own.
    bool IsFontStored() const { return !FParentFont; }

    TWinControl* FParent = nullptr;
    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    bool FVisible = true;
    bool FEnabled = true;
    String FCaption;
    std::unique_ptr<TFont> FFont;
    bool FParentFont = true;
    bool FAssigningParentFont = false;
    TColor FColor = clBtnFace;
    TAlign FAlign = TAlign::alNone;
    TAnchors FAnchors{TAnchorKind::akLeft, TAnchorKind::akTop};
    std::unique_ptr<TSizeConstraints> FConstraints;
    int FHelpContext = 0;
    TBiDiMode FBiDiMode = TBiDiMode::bdLeftToRight;
    bool FCtl3D = true;

    friend class TWinControl;
    friend class TSizeConstraints;
};

// A control without a window of its own: its parent paints it.
class TGraphicControl : public TControl {
    SS_CLASS(TGraphicControl, TControl)
public:
    using TControl::TControl;
    void Invalidate() override;
    void Update() override;

protected:
    // Paints the control on Canvas, whose origin is the control's top-left corner.
    virtual void Paint() = 0;
    // Attached to the parent's device context while Paint runs.
    TCanvas* Canvas() const { return const_cast<TCanvas*>(&FCanvas); }
    friend class TWinControl;

private:
    TCanvas FCanvas;
};

// What a windowed control asks of CreateWindowEx.
struct TCreateParams {
    String Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    String WinClassName;            // registered under this name
    const wchar_t* SysClass = nullptr;  // a system class this one is made from, or none
};

class TWinControl : public TControl {
    SS_CLASS(TWinControl, TControl)
    SS_PUBLISHED(TWinControl)
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    HWND Handle();  // made on first use
    // The control behind a window of this framework, or nullptr.
    static TWinControl* FindControl(HWND h);
    bool HandleAllocated() const { return FHandle != nullptr; }
    void DestroyHandle();
    // Makes the window again when it exists, from CreateParams asked anew (a changed style takes
    // effect), with the children's windows; bounds, visibility, caption, font and the focus stay.
    void RecreateWnd();

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void SetVisible(bool v) override;
    void SetEnabled(bool v) override;
    void Invalidate() override;
    void Update() override;

    int TabOrder() const;
    void SetTabOrder(int v);
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool v);
    bool CanFocus() const;
    virtual void SetFocus();
    bool Focused() const;

    // The window's own scroll bars; Bar is SB_HORZ or SB_VERT. The setters write only a change
    // (an equal minimum and maximum hides the bar).
    int ScrollPos(int Bar);
    void SetScrollPos(int Bar, int Pos);
    void ScrollRange(int Bar, int& Min, int& Max);
    void SetScrollRange(int Bar, int Min, int Max);
    // Where the thumb is being dragged, with all 32 bits.
    int ScrollTrackPos(int Bar);
    // Scrolls the client area (or the Scroll part of it, which also clips) and invalidates what
    // was uncovered, erasing it with Erase.
    void ScrollClient(int DX, int DY, const RECT* Scroll, bool Erase);

    // Paints into an off-screen bitmap that is copied to the window in one step: no flicker,
    // and far fewer drawing calls reach the display.
    bool DoubleBuffered() const { return FDoubleBuffered; }
    void SetDoubleBuffered(bool v);

    // With MouseCapture the window keeps getting the mouse while the cursor is outside it; a
    // control that captures on press (FCaptureOnPress) lets go on release.
    bool MouseCapture() const;
    void SetMouseCapture(bool v);

    // Programs' events; the control's own handling is in the virtual methods below, which call
    // them.
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnDblClick;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TMouseWheelEvent OnMouseWheel;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;
    // The focus came to this control, or to one inside it, from a control of the same form that
    // is not inside it; OnExit likewise when it leaves.
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    // The child controls that Root owns, in child order.
    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

    // Lays out the children that dock in the client area, in insertion order.
    void AlignControls();
    // Scales the size, the font and every control inside by M/D; the position stays.
    void ScaleBy(int M, int D);
    void ChangeScale(int M, int D) override;

    int ControlCount() const { return int(FControls.size()); }
    TControl* Controls(int i) const { return FControls.at(i); }
    virtual RECT ClientRect();

    // The control's handling of a window message; unhandled messages go to DefaultHandler.
    virtual void WndProc(TMessage& msg);
    void DefaultHandler(TMessage& msg);

protected:
    virtual void CreateParams(TCreateParams& params);
    virtual void CreateWnd();
    void CreateHandle();
    // Paints the window's own content; the default paints nothing. Painting happens only for
    // controls whose class is not a system class.
    virtual void PaintWindow(HDC dc) {}
    // A notification (WM_COMMAND code) from the parent about this control.
    virtual void CommandNotify(WORD code) {}
    // The parent's owner-draw request for this control; answers whether it drew.
    virtual bool DrawItem(const DRAWITEMSTRUCT& item) { return false; }
    // Called on the top-most parent when it or one of the controls on it gets the focus.
    virtual void ControlFocused(TWinControl* focused) {}
    // Called on the top-most parent before c and the controls inside it leave it or go.
    virtual void ControlRemoving(TWinControl* c) {}
    // A command of one of the window's own scroll bars (WM_HSCROLL, WM_VSCROLL); for
    // SB_THUMBTRACK and SB_THUMBPOSITION Pos is the message's position, or the bar's 32-bit
    // track position when its range does not fit in 16 bits. The default passes the message on.
    virtual void ScrollCommand(int Bar, int Code, int Pos);
    // The wheel turned over the control (MousePos in screen coordinates): OnMouseWheel, then,
    // unless that handled it, OnMouseWheelDown or OnMouseWheelUp. Answers whether the wheel was
    // used; when not, the message goes on (to the parent). An override calls this one first.
    virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, POINT MousePos);
    // Mouse buttons and keys in the window (client coordinates). Each calls its event; a key
    // handler that sets Key to 0 keeps the key from the window's default handling. A double click
    // runs DblClick, then MouseDown with ssDouble.
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void DblClick();
    virtual void KeyDown(WORD& Key, TShiftState Shift);
    virtual void KeyUp(WORD& Key, TShiftState Shift);
    virtual void KeyPress(wchar_t& Key);
    // A window timer of this control (SetTimer on Handle()) went off.
    virtual void TimerTick(UINT_PTR Id) {}
    // The cursor over the client point P; nullptr leaves it to the window class.
    virtual HCURSOR ClientCursor(POINT P) { return nullptr; }
    // The focus level: the form calls these as the focus comes into or leaves the control.
    virtual void DoEnter();
    virtual void DoExit();
    // Moves and sizes the children anchored to the right or bottom edge by the change of the
    // client size since the last call (the first call only takes the size).
    void AnchorControls();
    // The size part of ScaleBy: the outer size; a form scales its client area.
    virtual void ScaleExtent(int M, int D);
    void FontChanged() override;
    void TextChanged() override;
    void UpdateBounds();  // reads the window's position back after the system moved it
    friend class TCustomForm;

    HWND FHandle = nullptr;
    WNDPROC FDefWndProc = nullptr;
    bool FTabStop = false;
    std::vector<TControl*> FControls;    // children in insertion order
    std::vector<TWinControl*> FTabList;  // windowed children in tab order
    HBRUSH FBrush = nullptr;            // background brush in Color
    bool FDoubleBuffered = false;
    bool FCaptureOnPress = false;       // capture the mouse while the left button is down
    COLORREF FBrushColor = 0;           // the colour FBrush was made in
    bool FAligning = false;
    SIZE FAnchorBase{-1, -1};  // the client size anchored children were last placed for
    int FScaling = 0;          // while scaling, anchors do not move the children

private:
    friend class TControl;
    friend class TApplication;
    // Shows an exception that the handling of a window message raised; the application sets it.
    static void (*FExceptionHandler)(std::exception_ptr e);
    void InsertControl(TControl* c);
    void RemoveControl(TControl* c);
    void PaintControls(HDC dc, const RECT& clip);
    void Paint(HDC dc);
    // The off-screen bitmap of a double-buffered control, kept between paints.
    struct TPaintBuffer {
        HDC DC = nullptr;
        HBITMAP Bitmap = nullptr;
        HGDIOBJ OldBitmap = nullptr;
        int Width = 0, Height = 0;
        ~TPaintBuffer();
        // A device context whose logical coordinates are the window's, over at least Area.
        HDC Begin(const RECT& Area);
    };
    std::unique_ptr<TPaintBuffer> FPaintBuffer;
    HBRUSH Brush();
    void MouseMessage(const TMessage& msg);
    TWinControl* FindChild(HWND h) const;
    static LRESULT CALLBACK StdWndProc(HWND h, UINT m, WPARAM w, LPARAM l);
    void ApplyTabOrder();
    TWinControl* TopParent();
};

// A windowed control that paints itself on its canvas.
class TCustomControl : public TWinControl {
    SS_CLASS(TCustomControl, TWinControl)
public:
    using TWinControl::TWinControl;

    // Attached to the window's device context while Paint runs.
    TCanvas* Canvas() const { return const_cast<TCanvas*>(&FCanvas); }

protected:
    virtual void Paint() {}
    void PaintWindow(HDC dc) override;

private:
    TCanvas FCanvas;
};
