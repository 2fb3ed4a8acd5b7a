// Forms and the application object.
#pragma once
#include <exception>

#include "Controls.h"

SS_ENUM(TPosition, poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
        poMainFormCenter, poOwnerFormCenter)
SS_ENUM(TFormBorderStyle, bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin)
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
SS_ENUM(TBorderIcon, biSystemMenu, biMinimize, biMaximize, biHelp)
using TBorderIcons = TSet<TBorderIcon>;
SS_ENUM(TFormStyle, fsNormal, fsStayOnTop)
// A key handler; setting Key to 0 swallows the key.

class TButton;
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TCustomForm : public TWinControl {
    SS_CLASS(TCustomForm, TWinControl)
    SS_PUBLISHED(TCustomForm)
public:
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;

    void SetClientWidth(int v);
    void SetClientHeight(int v);
    int ClientWidth();
    int ClientHeight();
    RECT ClientRect() override;
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition v) { FPosition = v; }
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle v) { FBorderStyle = v; }
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons v) { FBorderIcons = v; }
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle v);
    // With KeyPreview the form's OnKeyDown sees every key before the focused control.
    bool KeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool v) { FKeyPreview = v; }
    // The control that has (or gets, when the form is shown) the focus. When the focus moves
    // from one control of the form to another, the levels it leaves get DoExit, innermost
    // first, then the levels it comes into get DoEnter, outermost first; a level that holds
    // both controls gets neither. A DoExit that moves the focus elsewhere stops the change.
    TWinControl* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* c);
    // Tells the form's buttons which one now stands as the default button.
    void FocusChanged(TWinControl* focused);
    // Handles a key going to a control of this form: the key preview, then, unless the focused
    // control asks for the key itself (WM_GETDLGCODE, as dialogs ask), Enter for the default
    // button and Escape for the Cancel button. Answers whether the key was used up.
    bool DialogKey(WORD key);

    void Show();
    void Hide() { SetVisible(false); }
    // Shows the form with the application's other windows disabled until ModalResult is set
    // (closing the form sets mrCancel); answers ModalResult.
    int ShowModal();
    bool Modal() const { return FModal; }
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int v) { FModalResult = v; }
    // Every form of the application, in order of creation.
    static const std::vector<TCustomForm*>& Forms();
    // Asks OnCloseQuery, then OnClose; closing the main form ends the application.
    void Close();

    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;

    void WndProc(TMessage& msg) override;
    // The form's stream holds, first, the components it owns that stand on no control, then its
    // control tree.
    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

protected:
    // The key preview already showed the form's OnKeyDown every key.
    void KeyDown(WORD& Key, TShiftState Shift) override {
        if (!FKeyPreview) TWinControl::KeyDown(Key, Shift);
    }
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void SetVisible(bool v) override;
    // A form scales its client area.
    void ScaleExtent(int M, int D) override;
    void ControlFocused(TWinControl* focused) override;
    void ControlRemoving(TWinControl* c) override;

private:
    void MoveFocusLevels(TWinControl* focused);
    bool FocusWantsKey(WORD key);
    SIZE FrameSize();
    void PlaceOnShow();
    TPosition FPosition = TPosition::poDefaultPosOnly;
    TFormBorderStyle FBorderStyle = TFormBorderStyle::bsSizeable;
    TBorderIcons FBorderIcons{TBorderIcon::biSystemMenu, TBorderIcon::biMinimize, TBorderIcon::biMaximize};
    TFormStyle FFormStyle = TFormStyle::fsNormal;
    bool FKeyPreview = false;
    TWinControl* FActiveControl = nullptr;
    // The control whose levels were entered last; none before the form first gave the focus.
    TWinControl* FEnteredControl = nullptr;
    bool FExitingLevels = false;
    int FClientWidth = -1, FClientHeight = -1;
    HWND FLastFocus = nullptr;
    bool FModal = false;
    int FModalResult = 0;
};

class TForm : public TCustomForm {
    SS_CLASS(TForm, TCustomForm)
public:
    using TCustomForm::TCustomForm;
};

// A group of controls owned by the frame itself, placed on a form like one control.
class TFrame : public TCustomControl {
    SS_CLASS(TFrame, TCustomControl)
public:
    using TCustomControl::TCustomControl;
};

// The form that a control stands on, or nullptr.
TCustomForm* GetParentForm(TControl* control);

// A unit's start-up step and its shutdown step; either may be null.
struct TUnitSteps {
    void (*Startup)();
    void (*Shutdown)();
};

class TApplication : public TComponent {
    SS_CLASS(TApplication, TComponent)
public:
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;

    // Adds a unit's steps (once; a unit added again keeps its place). Initialize runs the
    // start-up steps in the order added, a unit added later starts at once; the application's
    // end runs the shutdown steps of the started units in reverse order.
    void AddUnit(TUnitSteps steps);
    // Runs the units' start-up steps; a program calls it once the units are added and before
    // it makes its main form.
    void Initialize();
    // Creates a form owned by the application; the first form made this way is the main form.
    template <typename T>
    void CreateForm(T*& ref) {
        ref = new T(this);
        if (!FMainForm) FMainForm = ref;
    }
    // Shows the main form and processes messages until the application is terminated.
    void Run();
    // Processes every pending message, then returns.
    void ProcessMessages();
    void HandleMessage();
    void Terminate();
    bool Terminated() const { return FTerminated; }
    // A hook sees every message of the application window first; answering true swallows it.
    using TWindowHook = bool (*)(TMessage& Message);
    void HookMainWindow(TWindowHook hook);
    void UnhookMainWindow(TWindowHook hook);
    // Shows the text of an exception that reached the message loop, or hands it to
    // OnException when that is set.
    void HandleException(std::exception_ptr e);
    std::function<void(TObject* Sender, std::exception_ptr E)> OnException;

    HWND Handle();  // the hidden application window
    const String& Title() const { return FTitle; }
    void SetTitle(const String& v);
    String ExeName() const;
    TCustomForm* MainForm() const { return FMainForm; }
    bool MainFormOnTaskBar() const { return FMainFormOnTaskBar; }
    void SetMainFormOnTaskBar(bool v) { FMainFormOnTaskBar = v; }
    // The window that message boxes belong to: the active window of this thread, else the main form.
    HWND ActiveWindowHandle();
    int MessageBox(const String& text, const String& caption, UINT flags);
    // Shows the help topic: OnHelp answers it when set, else the help file's viewer.
    bool HelpContext(int context);
    const String& HelpFile() const { return FHelpFile; }
    void SetHelpFile(const String& v) { FHelpFile = v; }
    std::function<bool(int Context)> OnHelp;

private:
    friend class TCustomForm;
    bool ProcessMessage(MSG& msg);
    void StartUnits();
    std::vector<TUnitSteps> FUnits;
    size_t FStartedUnits = 0;
    bool FInitialized = false;
    static LRESULT CALLBACK WndProc(HWND h, UINT m, WPARAM w, LPARAM l);
    std::vector<TWindowHook> FHooks;
    HWND FHandle = nullptr;
    String FTitle;
    String FHelpFile;
    TCustomForm* FMainForm = nullptr;
    bool FMainFormOnTaskBar = false;
    bool FTerminated = false;
};

extern TApplication* Application;

// The screen the application shows on.
class TScreen {
public:
    int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
    int Height() const { return GetSystemMetrics(SM_CYSCREEN); }
    int PixelsPerInch() const { return ScreenPixelsPerInch(); }
    // The part of the primary screen that the task bar and docked bars leave free.
    RECT WorkAreaRect() const;
};

extern TScreen* Screen;
