// Starting other programs and opening documents, waiting for them while the caller's window
// stays responsive.
#pragma once
#include <cstdint>

#include "Classes.h"
#include "WinApi.h"
#include "ssArray.h"

enum class TssPriority { prIdle, prNormal, prHigh, prRealTime };
SS_ENUM(TssExtCmdOption, ecMaximize, ecMinimize)
using TssExtCmdOptions = TSet<TssExtCmdOption>;

// Target, working folder and arguments read from a shortcut.
struct TShellOptions {
    String FileName;
    String WorkPath;
    String Option;
};

// The answer of the association override: when IsProcessing, ModuleName is the program to
// start and Param its whole argument text.
struct TssExtensionProcessing {
    bool IsProcessing = false;
    String ModuleName;
    String Param;
};

enum class TCheckMethod { cmText, cmPID };

// A top-level window and the process behind it.
class TProcInfo : public TObject {
    SS_CLASS(TProcInfo, TObject)
public:
    DWORD ProcID() const { return FProcID; }
    void SetProcID(DWORD v) { FProcID = v; }
    HWND WinHndl() const { return FWinHndl; }
    void SetWinHndl(HWND v) { FWinHndl = v; }
    const String& ClsName() const { return FClsName; }
    void SetClsName(const String& v) { FClsName = v; }
    const String& Path() const { return FPath; }  // the process's main module
    void SetPath(const String& v) { FPath = v; }
    const String& Text() const { return FText; }  // the window's caption
    void SetText(const String& v) { FText = v; }

    // The caption contains s, or begins with s without its extension (any case).
    bool TextContains(const String& s) const;
    bool IsTarget(TCheckMethod ChkMethod, DWORD PID, const String& ChkFile) const;

private:
    DWORD FProcID = 0;
    HWND FWinHndl = nullptr;
    String FClsName;
    String FPath;
    String FText;
};

// The processes and their windows found while waiting for a started program.
class TProcInfoArray : public TssArray {
    SS_CLASS(TProcInfoArray, TssArray)
public:
    TProcInfo* GetObject(int Index) { return static_cast<TProcInfo*>(TssArray::GetObject(Index)); }
    void SetObject(int Index, TProcInfo* Item) { TssArray::SetObject(Index, Item); }
    TProcInfo* First() { return static_cast<TProcInfo*>(TssArray::First()); }
    TProcInfo* Last() { return static_cast<TProcInfo*>(TssArray::Last()); }
};

// The main window of an Office 2013 program (an image in a folder "office15") that the started
// process handed its document to: the window whose caption names the first existing file of
// argumentText, or, with no such file, a window of that process. Waits up to about 10 s for
// it to be visible; null when there is none, and before Windows 8.
HWND FindOfficeWindow(HANDLE process, const String& argumentText);

// Starts a program or opens a document (ExeName, Param, Options) and, unless told not to,
// waits for it to end while the calling window stays responsive but disabled. Execute
// answers whether the start succeeded; ErrCode and ExitCode tell the rest, and OnError lets
// the caller show or suppress the error box.
class TssExternalCmd : public TComponent {
    SS_CLASS(TssExternalCmd, TComponent)
    SS_PUBLISHED(TssExternalCmd)
public:
    explicit TssExternalCmd(TComponent* AOwner);

    // Starts ExeName (or opens ParamFile) by process creation and, when Wait, waits for its end.
    // False on every reported error and when the input-idle wait fails.
    bool Execute();
    // Open ExeName (or ParamFile) through the shell; ShellExecuteEx also waits like Execute.
    bool ShellExecute();
    bool ShellExecuteEx();
    // On Windows 8 and later, which program opens fileName (with the caller's argument text
    // param) instead of the one the shell would choose for PDF, text, CSV and web documents.
    TssExtensionProcessing ProcessAssociation(const String& fileName, const String& param);
    // The owner's window when the owner is a windowed control, else none.
    HWND OwnerHandle();
    // Milliseconds to wait for the started program to become input-idle when not waiting.
    void SetTimeOut(std::uint32_t dwWaitTime) { FdwWaitTime = dwWaitTime; }

    const String& ExeName() const { return FExeName; }
    void SetExeName(const String& v) { FExeName = v; }
    const String& Param() const { return FParam; }
    void SetParam(const String& v) { FParam = v; }
    const String& ParamFile() const { return FParamFile; }
    void SetParamFile(const String& v) { FParamFile = v; }
    bool Wait() const { return FWait; }
    void SetWait(bool v) { FWait = v; }
    const String& DefDir() const { return FDefDir; }
    void SetDefDir(const String& v) { FDefDir = v; }
    TssExtCmdOptions Options() const { return FOptions; }
    // In design mode one window option replaces the other; at run time both may be set, and
    // every start then fails with 87.
    void SetOptions(TssExtCmdOptions Value);
    bool ReturnToActive() const { return FReturnToActive; }
    void SetReturnToActive(bool v) { FReturnToActive = v; }
    std::uint32_t ErrCode() const { return FErrCode; }
    std::uint32_t ExitCode() const { return FExitCode; }
    bool isDspErrDlg() const { return FisDspErrDlg; }
    void SetisDspErrDlg(bool v) { FisDspErrDlg = v; }
    bool EnableFileAssocProc() const { return FEnableFileAssocProc; }
    void SetEnableFileAssocProc(bool v) { FEnableFileAssocProc = v; }

    TNotifyEvent OnError;  // replaces the error box

protected:
    // Reports the error of the current call: OnError when set, else the error box.
    virtual void DoError();

private:
    void RestoreNames();       // after a shortcut call
    void RestoreSavedNames();  // after a shell call
    bool Fail(std::uint32_t code);
    void BeginCall(bool doExecute);  // clears the results of the previous call
    // The checks and the override that both shell paths start with; false after an error.
    bool PrepareShellCall();
    int ShowState() const;
    bool WaitForProcess(void* process);  // a process handle

    bool FisDspErrDlg = true;
    String FExeName;
    String FParam;
    String FParamFile;
    bool FWait = true;
    std::uint32_t FErrCode = 0;
    std::uint32_t FExitCode = 0;
    TssPriority FPriority = TssPriority::prNormal;
    String FDefDir;
    TssExtCmdOptions FOptions;
    std::uint32_t FdwWaitTime = 0;
    int FLNK_OP = 0;
    String Sv_ExeName, Sv_ParamFile, Sv_Param;
    bool FReturnToActive = true;
    bool FEnableFileAssocProc = true;
    bool FIENotFoundError = false;
    bool FDoExecute = false;
};
