#include "Forms.h"

#include <algorithm>
#include <memory>

#include "Dialogs.h"
#include "StdCtrls.h"

TCustomForm* GetParentForm(TControl* control) {
    while (control && control->Parent()) control = control->Parent();
    return dynamic_cast<TCustomForm*>(control);
}

// ---- TCustomForm ----

namespace {
std::vector<TCustomForm*> AllForms;
}

const std::vector<TCustomForm*>& TCustomForm::Forms() { return AllForms; }

// A form is hidden and keeps its own font until it is shown or told otherwise.
SS_PUBLISH(TCustomForm) {
    p.Property<bool, bool>(L"ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(false);
    p.Property<bool, bool>(L"Visible", &TControl::Visible, &TControl::SetVisible).Default(false);
    p.Property(L"ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl);
    p.Property(L"BorderIcons", &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons)
        .Default(TBorderIcons{TBorderIcon::biSystemMenu, TBorderIcon::biMinimize, TBorderIcon::biMaximize});
    p.Property(L"BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle)
        .Default(TFormBorderStyle::bsSizeable);
    p.Property(L"FormStyle", &TCustomForm::FormStyle, &TCustomForm::SetFormStyle).Default(TFormStyle::fsNormal);
    p.Property(L"KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview).Default(false);
    p.Property(L"Position", &TCustomForm::Position, &TCustomForm::SetPosition).Default(TPosition::poDefaultPosOnly);
}

void TCustomForm::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
    if (Root == this)
        for (int i = 0; i < ComponentCount(); ++i) {
            auto* c = dynamic_cast<TControl*>(Components(i));
            if (!c || !c->Parent()) Proc(Components(i));
        }
    TWinControl::GetChildren(Proc, Root);
}

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner) {
    AllForms.push_back(this);
    FVisible = false;
    FColor = clBtnFace;
    FParentFont = false;
    FWidth = 320;
    FHeight = 240;
}

TCustomForm::~TCustomForm() {
    AllForms.erase(std::remove(AllForms.begin(), AllForms.end(), this), AllForms.end());
    DestroyComponents();
    if (Application && Application->FMainForm == this) Application->FMainForm = nullptr;
}

namespace {
void BorderIconStyles(TBorderIcons icons, DWORD& style, DWORD& ex) {
    if (!icons.Contains(TBorderIcon::biSystemMenu)) {
        style &= ~(WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
        return;
    }
    if (!icons.Contains(TBorderIcon::biMinimize)) style &= ~WS_MINIMIZEBOX;
    if (!icons.Contains(TBorderIcon::biMaximize)) style &= ~WS_MAXIMIZEBOX;
    if (icons.Contains(TBorderIcon::biHelp)) ex |= WS_EX_CONTEXTHELP;
}

void BorderStyles(TFormBorderStyle bs, DWORD& style, DWORD& ex) {
    switch (bs) {
        case TFormBorderStyle::bsNone: style |= WS_POPUP; break;
        case TFormBorderStyle::bsSingle: style |= WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX; break;
        case TFormBorderStyle::bsSizeable: style |= WS_OVERLAPPEDWINDOW; break;
        case TFormBorderStyle::bsDialog:
            style |= WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
            ex |= WS_EX_DLGMODALFRAME;
            break;
        case TFormBorderStyle::bsToolWindow:
            style |= WS_CAPTION | WS_SYSMENU;
            ex |= WS_EX_TOOLWINDOW;
            break;
        case TFormBorderStyle::bsSizeToolWin:
            style |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
            ex |= WS_EX_TOOLWINDOW;
            break;
    }
    ex |= WS_EX_CONTROLPARENT;
}
}  // namespace

void TCustomForm::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.Style &= ~(WS_CHILD | WS_VISIBLE);
    BorderStyles(FBorderStyle, p.Style, p.ExStyle);
    BorderIconStyles(FBorderIcons, p.Style, p.ExStyle);
    if (FFormStyle == TFormStyle::fsStayOnTop) p.ExStyle |= WS_EX_TOPMOST;
    bool isMain = Application->MainForm() == this || !Application->MainForm();
    if (isMain && Application->MainFormOnTaskBar()) {
        p.ExStyle |= WS_EX_APPWINDOW;
        p.WndParent = nullptr;
    } else if (!isMain) {
        p.WndParent = Application->MainForm()->Handle();
    } else {
        p.WndParent = Application->Handle();
    }
    SIZE frame = FrameSize();
    if (FClientWidth >= 0) p.Width = FClientWidth + frame.cx;
    if (FClientHeight >= 0) p.Height = FClientHeight + frame.cy;
    if (FPosition == TPosition::poDefault || FPosition == TPosition::poDefaultPosOnly) p.X = p.Y = CW_USEDEFAULT;
    if (FPosition == TPosition::poDefault || FPosition == TPosition::poDefaultSizeOnly) p.Width = p.Height = CW_USEDEFAULT;
}

void TCustomForm::CreateWnd() {
    TWinControl::CreateWnd();
    FClientWidth = FClientHeight = -1;  // from now on the window holds the size
}

// The width and height that the frame, caption and borders add to the client area.
SIZE TCustomForm::FrameSize() {
    DWORD style = 0, ex = 0;
    if (FHandle) {
        style = DWORD(GetWindowLongPtrW(FHandle, GWL_STYLE));
        ex = DWORD(GetWindowLongPtrW(FHandle, GWL_EXSTYLE));
    } else {
        BorderStyles(FBorderStyle, style, ex);
        BorderIconStyles(FBorderIcons, style, ex);
    }
    RECT r{0, 0, 0, 0};
    AdjustWindowRectEx(&r, style, FALSE, ex);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

void TCustomForm::SetClientWidth(int v) {
    if (FHandle) {
        SetBounds(FLeft, FTop, v + FrameSize().cx, FHeight);
        return;
    }
    FClientWidth = v;
    AnchorControls();
    AlignControls();
}

void TCustomForm::SetClientHeight(int v) {
    if (FHandle) {
        SetBounds(FLeft, FTop, FWidth, v + FrameSize().cy);
        return;
    }
    FClientHeight = v;
    AnchorControls();
    AlignControls();
}

void TCustomForm::ScaleExtent(int M, int D) {
    int w = MulDiv(ClientWidth(), M, D), h = MulDiv(ClientHeight(), M, D);
    SetClientWidth(w);
    SetClientHeight(h);
}

RECT TCustomForm::ClientRect() {
    if (FHandle) return TWinControl::ClientRect();
    return RECT{0, 0, ClientWidth(), ClientHeight()};
}

int TCustomForm::ClientWidth() {
    if (FHandle) return ClientRect().right;
    return FClientWidth >= 0 ? FClientWidth : FWidth - FrameSize().cx;
}

int TCustomForm::ClientHeight() {
    if (FHandle) return ClientRect().bottom;
    return FClientHeight >= 0 ? FClientHeight : FHeight - FrameSize().cy;
}

void TCustomForm::PlaceOnShow() {
    HWND center = nullptr;
    switch (FPosition) {
        case TPosition::poScreenCenter:
        case TPosition::poDesktopCenter: break;
        case TPosition::poMainFormCenter:
            if (Application->MainForm() && Application->MainForm() != this) center = Application->MainForm()->FHandle;
            break;
        case TPosition::poOwnerFormCenter:
            if (auto* f = dynamic_cast<TCustomForm*>(Owner())) center = f->FHandle;
            break;
        default: return;
    }
    RECT area;
    if (center) GetWindowRect(center, &area);
    else SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    SetBounds(area.left + (area.right - area.left - FWidth) / 2, area.top + (area.bottom - area.top - FHeight) / 2,
              FWidth, FHeight);
}

void TCustomForm::SetVisible(bool v) {
    if (v && !FHandle) {
        CreateHandle();
        PlaceOnShow();
    }
    bool was = FHandle && IsWindowVisible(FHandle);
    // The activation that showing brings focuses the active control.
    if (v && !was && FActiveControl && FActiveControl->Enabled() && FActiveControl->Visible())
        FLastFocus = FActiveControl->Handle();
    TWinControl::SetVisible(v);
    if (v && !was) {
        FocusChanged(FActiveControl);
        if (OnShow) OnShow(this);
    } else if (!v && was && OnHide) {
        OnHide(this);
    }
}

void TCustomForm::SetFormStyle(TFormStyle v) {
    FFormStyle = v;
    if (FHandle)
        SetWindowPos(FHandle, v == TFormStyle::fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TCustomForm::SetActiveControl(TWinControl* c) {
    FActiveControl = c;
    if (c && FHandle && IsWindowVisible(FHandle) && c->CanFocus()) c->SetFocus();
    else if (c && c->HandleAllocated()) FLastFocus = c->Handle();
}

namespace {
bool IsInside(const TControl* c, const TControl* container) {
    for (; c; c = c->Parent())
        if (c == container) return true;
    return false;
}
}  // namespace

void TCustomForm::ControlFocused(TWinControl* focused) {
    // The form's own window taking the focus moves it to no control.
    if (focused == this) {
        FocusChanged(nullptr);
        return;
    }
    // A focus move made by a DoExit is judged once that DoExit returns.
    if (!FExitingLevels) MoveFocusLevels(focused);
    FocusChanged(FActiveControl);
}

void TCustomForm::MoveFocusLevels(TWinControl* focused) {
    TWinControl* old = FEnteredControl;
    if (focused == old) {
        FActiveControl = focused;
        return;
    }
    auto stillFocused = [focused] { return GetFocus() == focused->FHandle; };
    // Out of old's levels that do not hold the new control, innermost first.
    TWinControl* common = old;
    {
        FExitingLevels = true;
        struct Done {
            bool& flag;
            ~Done() { flag = false; }
        } done{FExitingLevels};
        for (; common && common != this && !IsInside(focused, common); common = common->Parent()) {
            common->DoExit();
            if (!stillFocused()) {
                // Refused: the focus stays where DoExit put it, and no level is entered.
                auto* now = FindControl(GetFocus());
                if (now && now != this && IsInside(now, this)) FActiveControl = FEnteredControl = now;
                return;
            }
        }
    }
    if (!common) common = this;
    std::vector<TWinControl*> levels;
    for (TWinControl* c = focused; c && c != common && c != this; c = c->Parent()) levels.push_back(c);
    FActiveControl = FEnteredControl = focused;
    for (auto it = levels.rbegin(); it != levels.rend() && stillFocused(); ++it) (*it)->DoEnter();
}

void TCustomForm::ControlRemoving(TWinControl* c) {
    if (IsInside(FActiveControl, c)) FActiveControl = nullptr;
    if (IsInside(FEnteredControl, c)) FEnteredControl = nullptr;
}

namespace {
void CollectButtons(TWinControl* parent, std::vector<TButton*>& out) {
    for (int i = 0; i < parent->ControlCount(); ++i) {
        if (auto* b = dynamic_cast<TButton*>(parent->Controls(i))) out.push_back(b);
        else if (auto* w = dynamic_cast<TWinControl*>(parent->Controls(i))) CollectButtons(w, out);
    }
}
}  // namespace

void TCustomForm::FocusChanged(TWinControl* focused) {
    if (focused) FActiveControl = focused;
    std::vector<TButton*> buttons;
    CollectButtons(this, buttons);
    auto* focusedButton = dynamic_cast<TButton*>(focused);
    for (TButton* b : buttons) b->SetButtonStyle(focusedButton ? b == focusedButton : b->Default());
}

// The focused window of this form takes the key itself, as an edit that wants Enter does.
bool TCustomForm::FocusWantsKey(WORD key) {
    HWND focus = GetFocus();
    if (!focus || !FHandle || (focus != FHandle && !IsChild(FHandle, focus))) return false;
    MSG msg{focus, WM_KEYDOWN, key, 0, 0, {}};
    LRESULT code = SendMessageW(focus, WM_GETDLGCODE, key, LPARAM(&msg));
    return code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE);
}

bool TCustomForm::DialogKey(WORD key) {
    if (FKeyPreview && OnKeyDown) {
        OnKeyDown(this, key, KeyboardShiftState());
        if (key == 0) return true;
    }
    if (key != VK_RETURN && key != VK_ESCAPE) return false;
    if (FocusWantsKey(key)) return false;
    std::vector<TButton*> buttons;
    CollectButtons(this, buttons);
    TButton* target = nullptr;
    if (key == VK_RETURN) {
        for (TButton* b : buttons)
            if (b->Focused()) target = b;
        if (!target)
            for (TButton* b : buttons)
                if (b->Default() && b->CanFocus()) target = b;
    } else {
        for (TButton* b : buttons)
            if (b->Cancel() && b->CanFocus()) target = b;
    }
    if (!target) return false;
    target->Click();
    return true;
}

void TCustomForm::Show() {
    SetVisible(true);
    SetForegroundWindow(FHandle);
}

namespace {
BOOL CALLBACK DisableThreadWindow(HWND h, LPARAM l) {
    auto* disabled = reinterpret_cast<std::vector<HWND>*>(l);
    if (IsWindowVisible(h) && IsWindowEnabled(h)) {
        EnableWindow(h, FALSE);
        disabled->push_back(h);
    }
    return TRUE;
}
}  // namespace

int TCustomForm::ShowModal() {
    std::vector<HWND> disabled;
    EnumThreadWindows(GetCurrentThreadId(), DisableThreadWindow, reinterpret_cast<LPARAM>(&disabled));
    FModal = true;
    FModalResult = 0;
    struct Restore {
        TCustomForm* form;
        std::vector<HWND>& windows;
        ~Restore() {
            for (HWND h : windows) EnableWindow(h, TRUE);
            form->FModal = false;
            form->Hide();
        }
    } restore{this, disabled};
    Show();
    while (FModalResult == 0 && !Application->Terminated()) Application->HandleMessage();
    return FModalResult;
}

void TCustomForm::Close() {
    if (FModal) {
        FModalResult = mrCancel;
        return;
    }
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    if (!canClose) return;
    TCloseAction action = Application->MainForm() == this ? TCloseAction::caFree : TCloseAction::caHide;
    if (OnClose) OnClose(this, action);
    if (action == TCloseAction::caNone) return;
    if (Application->MainForm() == this) {
        Application->Terminate();
        return;
    }
    if (action == TCloseAction::caMinimize) ShowWindow(Handle(), SW_MINIMIZE);
    else Hide();
    // caFree: the owner still deletes the form; a hidden form does nothing further.
}

void TCustomForm::WndProc(TMessage& msg) {
    switch (msg.Msg) {
        case WM_CLOSE:
            Close();
            msg.Result = 0;
            return;
        case WM_ACTIVATE:
            // Keep the focused control across deactivation, as a dialog does.
            if (LOWORD(msg.WParam) == WA_INACTIVE) {
                HWND f = GetFocus();
                if (f && IsChild(FHandle, f)) FLastFocus = f;
            } else {
                HWND target = FLastFocus && IsWindow(FLastFocus) && IsWindowEnabled(FLastFocus)
                                  ? FLastFocus
                                  : GetNextDlgTabItem(FHandle, nullptr, FALSE);
                if (target) ::SetFocus(target);
                msg.Result = 0;
                return;
            }
            break;
        case WM_MOVE:
        case WM_SIZE:
            TWinControl::WndProc(msg);
            UpdateBounds();
            return;
    }
    TWinControl::WndProc(msg);
}

// ---- TApplication ----

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
    TWinControl::FExceptionHandler = [](std::exception_ptr e) {
        if (Application) Application->HandleException(e);
    };
    String exe = ExeName();
    String name = ExtractFileName(exe);
    auto dot = name.rfind(L'.');
    FTitle = dot == String::npos ? name : name.substr(0, dot);
}

TApplication::~TApplication() {
    while (FStartedUnits > 0)
        if (auto shutdown = FUnits[--FStartedUnits].Shutdown) shutdown();
    DestroyComponents();
    if (FHandle) DestroyWindow(FHandle);
}

void TApplication::HookMainWindow(TWindowHook hook) { FHooks.push_back(hook); }

void TApplication::UnhookMainWindow(TWindowHook hook) {
    FHooks.erase(std::remove(FHooks.begin(), FHooks.end(), hook), FHooks.end());
}

LRESULT CALLBACK TApplication::WndProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    TMessage msg{m, w, l, 0};
    if (Application)
        for (TWindowHook hook : std::vector<TWindowHook>(Application->FHooks))
            if (hook(msg)) return msg.Result;
    if (m == WM_CLOSE && Application && Application->MainForm()) {
        Application->MainForm()->Close();
        return 0;
    }
    return DefWindowProcW(h, m, w, l);
}

HWND TApplication::Handle() {
    if (!FHandle) {
        HINSTANCE inst = GetModuleHandleW(nullptr);
        WNDCLASSEXW wc{sizeof(wc)};
        if (!GetClassInfoExW(inst, L"TApplication", &wc)) {
            wc = WNDCLASSEXW{sizeof(wc)};
            wc.lpfnWndProc = WndProc;
            wc.hInstance = inst;
            wc.lpszClassName = L"TApplication";
            if (!RegisterClassExW(&wc)) RaiseLastOSError();
        }
        FHandle = CreateWindowExW(0, L"TApplication", FTitle.c_str(),
                                  WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0,
                                  nullptr, nullptr, inst, nullptr);
        if (!FHandle) RaiseLastOSError();
    }
    return FHandle;
}

void TApplication::SetTitle(const String& v) {
    FTitle = v;
    if (FHandle) SetWindowTextW(FHandle, v.c_str());
}

String TApplication::ExeName() const { return ModuleFileName(); }

void TApplication::AddUnit(TUnitSteps steps) {
    for (const TUnitSteps& u : FUnits)
        if (u.Startup == steps.Startup && u.Shutdown == steps.Shutdown) return;
    FUnits.push_back(steps);
    if (FInitialized) StartUnits();
}

void TApplication::StartUnits() {
    while (FStartedUnits < FUnits.size())
        if (auto startup = FUnits[FStartedUnits++].Startup) startup();
}

void TApplication::Initialize() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_ANIMATE_CLASS};
    InitCommonControlsEx(&icc);
    Handle();
    FInitialized = true;
    StartUnits();
}

bool TApplication::ProcessMessage(MSG& msg) {
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        FTerminated = true;
        return true;
    }
    // Forms get the dialog keyboard interface (Tab, arrows, mnemonics) from the system, after
    // their own key preview and default and Cancel buttons.
    HWND top = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (msg.message == WM_KEYDOWN && top)
        if (auto* form = dynamic_cast<TCustomForm*>(TWinControl::FindControl(top)); form && form->DialogKey(WORD(msg.wParam)))
            return true;
    if (top && (GetWindowLongPtrW(top, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) && IsDialogMessageW(top, &msg))
        return true;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (ProcessMessage(msg)) {
    }
}

void TApplication::HandleMessage() {
    MSG msg;
    if (!ProcessMessage(msg)) WaitMessage();
}

void TApplication::Run() {
    if (!FMainForm) return;
    FMainForm->Show();
    while (!FTerminated) HandleMessage();
}

void TApplication::Terminate() {
    PostQuitMessage(0);
}

void TApplication::HandleException(std::exception_ptr e) {
    if (OnException) return OnException(this, e);
    String text;
    try {
        std::rethrow_exception(e);
    } catch (const Exception& ex) {
        text = ex.Message();
    } catch (const std::exception& ex) {
        text = AnsiToString(ex.what());
    } catch (...) {
        text = L"不明な例外が発生しました。";
    }
    MessageBoxW(ActiveWindowHandle(), text.c_str(), FTitle.c_str(), MB_OK | MB_ICONSTOP);
}

HWND TApplication::ActiveWindowHandle() {
    HWND active = GetActiveWindow();
    if (active) return active;
    if (FMainForm && FMainForm->HandleAllocated()) return FMainForm->Handle();
    return Handle();
}

bool TApplication::HelpContext(int context) {
    if (OnHelp) return OnHelp(context);
    if (FHelpFile.empty()) return false;
    return WinHelpW(ActiveWindowHandle(), FHelpFile.c_str(), HELP_CONTEXT, ULONG_PTR(context));
}

RECT TScreen::WorkAreaRect() const {
    RECT r;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

int TApplication::MessageBox(const String& text, const String& caption, UINT flags) {
    return MessageBoxW(ActiveWindowHandle(), text.c_str(), caption.c_str(), flags);
}

TApplication* Application = nullptr;

namespace {
// Made before any other static object of the program, so that Application is set before any of
// them could look, and freed after them.
struct ApplicationObject {
    std::unique_ptr<TApplication> Object = std::make_unique<TApplication>(nullptr);
    ApplicationObject() { Application = Object.get(); }
};
__attribute__((init_priority(101))) ApplicationObject TheApplication;
}  // namespace
static TScreen TheScreen;
TScreen* Screen = &TheScreen;
