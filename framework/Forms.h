// Forms and the application object.
#pragma once
#include <exception>

#include "Controls.h"

enum class TPosition {
    poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
    poMainFormCenter, poOwnerFormCenter
};
enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TCustomForm : public TWinControl {
    SS_CLASS(TCustomForm, TWinControl)
public:
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;

    void SetClientWidth(int v);
    void SetClientHeight(int v);
    int ClientWidth();
    int ClientHeight();
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition v) { FPosition = v; }
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle v) { FBorderStyle = v; }

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

    void WndProc(TMessage& msg) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void SetVisible(bool v) override;

private:
    SIZE FrameSize();
    void PlaceOnShow();
    TPosition FPosition = TPosition::poDefaultPosOnly;
    TFormBorderStyle FBorderStyle = TFormBorderStyle::bsSizeable;
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

class TApplication : public TComponent {
    SS_CLASS(TApplication, TComponent)
public:
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;

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
    // Shows the text of an exception that reached the message loop.
    void HandleException(std::exception_ptr e);

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

private:
    friend class TCustomForm;
    bool ProcessMessage(MSG& msg);
    static LRESULT CALLBACK WndProc(HWND h, UINT m, WPARAM w, LPARAM l);
    std::vector<TWindowHook> FHooks;
    HWND FHandle = nullptr;
    String FTitle;
    TCustomForm* FMainForm = nullptr;
    bool FMainFormOnTaskBar = false;
    bool FTerminated = false;
};

extern TApplication* Application;
