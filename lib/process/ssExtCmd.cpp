#include "ssExtCmd.h"

#include "WinApi.h"
#include <shlobj.h>
#include <shlwapi.h>

#include <memory>
#include <vector>

#include "Controls.h"
#include "Forms.h"
#include "Registry.h"
#include "ssCmdLine.h"
#include "ssOSVer.h"
#include "ssPEInfo.h"
#include "ssWin7Uty.h"
#include "ssWinApi.h"

namespace {

constexpr DWORD kTitleIsAppId = 0x1000;     // STARTF_TITLEISAPPID
constexpr DWORD kPreventPinning = 0x2000;   // STARTF_PREVENTPINNING

String Quote(const String& s) {
    if (s.empty() || s.front() == L'"') return s;
    return L"\"" + s + L"\"";
}

String Unquote(const String& s) {
    if (s.size() >= 2 && s.front() == L'"' && s.back() == L'"') return s.substr(1, s.size() - 2);
    return s;
}

// A plain substring test on the upper-cased name, as the runner has always done it.
bool ContainsExt(const String& name, const wchar_t* ext) {
    return AnsiUpperCase(name).find(ext) != String::npos;
}

bool IsExecutable(const String& name) {
    return ContainsExt(name, L".EXE") || ContainsExt(name, L".COM") || ContainsExt(name, L".BAT") ||
           ContainsExt(name, L".PIF");
}

bool IsShortcut(const String& name) { return ContainsExt(name, L".LNK"); }

String EnvironmentVariable(const wchar_t* name) {
    String buf(MAX_PATH, L'\0');
    DWORD n = GetEnvironmentVariableW(name, buf.data(), DWORD(buf.size()));
    if (n > buf.size()) {
        buf.resize(n);
        n = GetEnvironmentVariableW(name, buf.data(), DWORD(buf.size()));
    }
    buf.resize(n < buf.size() ? n : 0);
    return buf;
}

// A bare name that is not found in the current folder is looked up along PATH; the first
// folder that holds it gives the full name. Otherwise the name stays as it is.
String SearchPathLookup(const String& name) {
    if (name.empty() || !ExtractFilePath(name).empty() || FileExists(name)) return name;
    String path = EnvironmentVariable(L"PATH");
    std::size_t from = 0;
    for (;;) {
        std::size_t semi = path.find(L';', from);
        bool last = semi == String::npos;
        String entry = path.substr(from, last ? String::npos : semi - from);
        if (!last && !entry.empty() && entry.back() == L'\\') entry.pop_back();
        String candidate = entry + L"\\" + name;
        if (FileExists(candidate)) return candidate;
        if (last) break;
        from = semi + 1;
    }
    return name;
}

TShellOptions ReadShortcut(const String& fileName) {
    TShellOptions result;
    HRESULT init = CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            wchar_t buf[MAX_PATH + 1];
            if (SUCCEEDED(file->Load(fileName.c_str(), STGM_READ)) &&
                SUCCEEDED(link->Resolve(GetActiveWindow(), SLR_ANY_MATCH))) {
                buf[0] = 0;
                if (SUCCEEDED(link->GetPath(buf, MAX_PATH, nullptr, SLGP_UNCPRIORITY))) {
                    result.FileName = buf;
                    buf[0] = 0;
                    if (SUCCEEDED(link->GetWorkingDirectory(buf, MAX_PATH))) {
                        result.WorkPath = buf;
                        buf[0] = 0;
                        if (SUCCEEDED(link->GetArguments(buf, MAX_PATH))) result.Option = buf;
                    }
                }
            }
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(init)) CoUninitialize();
    return result;
}

// The program registered for a document, searched from the current folder; empty when none.
String RegisteredExecutable(const String& document) {
    wchar_t dir[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH, dir);
    wchar_t exe[MAX_PATH + 1] = {};
    auto r = reinterpret_cast<INT_PTR>(FindExecutableW(document.c_str(), dir, exe));
    return r > 32 ? String(exe) : String();
}

DWORD PriorityClass(TssPriority p) {
    switch (p) {
        case TssPriority::prIdle: return IDLE_PRIORITY_CLASS;
        case TssPriority::prHigh: return HIGH_PRIORITY_CLASS;
        case TssPriority::prRealTime: return REALTIME_PRIORITY_CLASS;
        default: return NORMAL_PRIORITY_CLASS;
    }
}

template <typename Fn>
Fn DynamicProc(HMODULE lib, const char* name) {
    return lib ? reinterpret_cast<Fn>(GetProcAddress(lib, name)) : nullptr;
}

const wchar_t* const kOfficePrograms[] = {L"excel.exe", L"winword.exe", L"powerpnt.exe"};
const wchar_t* const kOfficeClasses[] = {L"XLMAIN", L"OpusApp", L"PPTFrameClass"};

String LowerCase(const String& s) {
    String r = s;
    if (!r.empty()) CharLowerBuffW(r.data(), DWORD(r.size()));
    return r;
}

BOOL CALLBACK CollectOfficeWindow(HWND h, LPARAM l) {
    auto* list = reinterpret_cast<TProcInfoArray*>(l);
    wchar_t buf[256];
    int n = GetClassNameW(h, buf, 255);
    String cls(buf, n);
    bool office = false;
    for (const wchar_t* c : kOfficeClasses) office = office || cls == c;
    if (!office) return TRUE;
    auto info = std::make_unique<TProcInfo>();
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    info->SetProcID(pid);
    info->SetWinHndl(h);
    info->SetClsName(cls);
    if (HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid)) {
        HMODULE psapi = LoadLibraryW(L"PSAPI.dll");
        using ModuleNameFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPWSTR, DWORD);
        if (auto fn = DynamicProc<ModuleNameFn>(psapi, "GetModuleFileNameExW")) {
            n = int(fn(p, nullptr, buf, 255));
            info->SetPath(String(buf, n));
        }
        if (psapi) FreeLibrary(psapi);
        CloseHandle(p);
    }
    n = GetWindowTextW(h, buf, 255);
    info->SetText(String(buf, n));
    list->Add(info.release());
    return TRUE;
}

}  // namespace

bool TProcInfo::TextContains(const String& s) const {
    String caption = LowerCase(FText), wanted = LowerCase(s);
    if (caption.find(wanted) != String::npos) return true;
    auto dot = wanted.find_last_of(L".\\:");
    String base = dot != String::npos && wanted[dot] == L'.' ? wanted.substr(0, dot) : wanted;
    return caption.compare(0, base.size(), base) == 0;
}

bool TProcInfo::IsTarget(TCheckMethod ChkMethod, DWORD PID, const String& ChkFile) const {
    return ChkMethod == TCheckMethod::cmText ? TextContains(ChkFile) : PID == FProcID;
}

HWND FindOfficeWindow(HANDLE process, const String& argumentText) {
    if (!TssOSVer().isAboveWin8()) return nullptr;

    HMODULE kernel = LoadLibraryW(L"kernel32.dll");
    using GetProcessIdFn = DWORD(WINAPI*)(HANDLE);
    auto getProcessId = DynamicProc<GetProcessIdFn>(kernel, "GetProcessId");
    DWORD pid = getProcessId ? getProcessId(process) : 0;
    if (kernel) FreeLibrary(kernel);
    if (!pid) return nullptr;

    wchar_t image[MAX_PATH + 1] = {};
    HMODULE psapi = LoadLibraryW(L"PSAPI.dll");
    using ImageFileNameFn = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD);
    auto imageFileName = DynamicProc<ImageFileNameFn>(psapi, "GetProcessImageFileNameW");
    DWORD len = imageFileName ? imageFileName(process, image, MAX_PATH) : 0;
    if (psapi) FreeLibrary(psapi);
    if (!len) return nullptr;

    String path(image, len);
    String file = LowerCase(ExtractFileName(path));
    String folder = LowerCase(ExtractFileName(ExtractFileDir(path)));
    bool officeProgram = false;
    for (const wchar_t* p : kOfficePrograms) officeProgram = officeProgram || file == p;
    if (folder != L"office15" || !officeProgram) return nullptr;

    String target;
    for (const String& token : CommandLineTokens(argumentText))
        if (FileExists(token)) {
            target = ExtractFileName(token);
            break;
        }
    TCheckMethod method = target.empty() ? TCheckMethod::cmPID : TCheckMethod::cmText;

    for (int round = 0; round < 101; ++round) {
        PumpMessages(100);
        TProcInfoArray windows;
        windows.SetIsOwner(true);
        EnumWindows(CollectOfficeWindow, reinterpret_cast<LPARAM>(&windows));
        for (int i = 0; i < windows.Count(); ++i) {
            TProcInfo* info = windows.GetObject(i);
            if (!info->IsTarget(method, pid, target)) continue;
            if (IsWindowVisible(info->WinHndl())) return info->WinHndl();
            break;  // the first target is not visible yet: try again next round
        }
    }
    return nullptr;
}

SS_PUBLISH(TssExternalCmd) {
    using C = TssExternalCmd;
    p.Property(L"ExeName", &C::ExeName, &C::SetExeName);
    p.Property(L"Param", &C::Param, &C::SetParam);
    p.Property(L"ParamFile", &C::ParamFile, &C::SetParamFile);
    p.Property(L"Wait", &C::Wait, &C::SetWait).Default(true);
    p.Property(L"DefDir", &C::DefDir, &C::SetDefDir);
    p.Property(L"Options", &C::Options, &C::SetOptions).Default(TssExtCmdOptions());
    p.Property(L"ReturnToActive", &C::ReturnToActive, &C::SetReturnToActive).Default(true);
}

TssExternalCmd::TssExternalCmd(TComponent* AOwner) : TComponent(AOwner) {}

void TssExternalCmd::SetOptions(TssExtCmdOptions Value) {
    if (FComponentState.Contains(TComponentStateItem::csDesigning)) {
        using O = TssExtCmdOption;
        if (Value.Contains(O::ecMaximize) && Value.Contains(O::ecMinimize)) {
            // The option just added wins.
            Value.Exclude(FOptions.Contains(O::ecMinimize) ? O::ecMinimize : O::ecMaximize);
        }
    }
    FOptions = Value;
}

namespace {

const wchar_t kAppPaths[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

String BrowserPath() { return ReadRegistryString(HKEY_LOCAL_MACHINE, String(kAppPaths) + L"IEXPLORE.EXE", nullptr); }
String AdobeReaderPath() { return ReadRegistryString(HKEY_LOCAL_MACHINE, String(kAppPaths) + L"AcroRd32.exe", nullptr); }
String SkyPdfPath() {
    String dir = ReadRegistryString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\SkyCom\\SkyPDF Viewer", L"InstallPath");
    return dir.empty() ? dir : dir + L"\\SPViewer.exe";
}

String WindowsFolder() {
    wchar_t buf[MAX_PATH + 1] = {};
    UINT n = GetWindowsDirectoryW(buf, MAX_PATH);
    return String(buf, n);
}

String SystemFolder() {
    wchar_t buf[MAX_PATH + 1] = {};
    UINT n = GetSystemDirectoryW(buf, MAX_PATH);
    return String(buf, n);
}

// The executable registered for the "open" verb of ext; an answer with a quote and a blank is
// cut right after that blank.
String AssociatedProgram(const String& ext) {
    wchar_t buf[MAX_PATH + 1] = {};
    DWORD len = MAX_PATH;
    if (FAILED(AssocQueryStringW(0, ASSOCSTR_EXECUTABLE, ext.c_str(), L"open", buf, &len))) return {};
    String program = buf;
    auto cut = program.find(L"\" ");
    if (cut != String::npos) program.resize(cut + 2);
    return program;
}

bool IsOpenWith(const String& program) { return SameText(ExtractFileName(program), L"OpenWith.exe"); }

}  // namespace

TssExtensionProcessing TssExternalCmd::ProcessAssociation(const String& fileName, const String& param) {
    TssExtensionProcessing result;
    if (!FEnableFileAssocProc || !TssOSVer().isAboveWin8()) return result;
    String name = Unquote(fileName);
    auto dot = name.find_last_of(L".\\:");
    String ext = dot != String::npos && name[dot] == L'.' ? name.substr(dot) : String();
    if (!ext.empty()) CharLowerBuffW(ext.data(), DWORD(ext.size()));

    String program;
    if (ext == L".pdf") {
        String associated = AssociatedProgram(ext);
        if (!associated.empty() && !IsOpenWith(associated)) return result;
        String sky = SkyPdfPath(), adobe = AdobeReaderPath();
        if (!sky.empty() && FileExists(sky)) program = sky;
        else if (!adobe.empty() && FileExists(adobe)) program = adobe;
        else return result;
    } else if (ext == L".txt" || ext == L".csv") {
        program = AssociatedProgram(ext);
        if (program.empty() || IsOpenWith(program)) program = WindowsFolder() + L"\\notepad.exe";
    } else if (ext == L".htm" || ext == L".html" ||
               (!FDoExecute && (ext == L".aspx" || ext == L".ashx" || ext == L".url"))) {
        program = AssociatedProgram(ext);
        if (AnsiUpperCase(program) == AnsiUpperCase(IncludeTrailingPathDelimiter(SystemFolder()) + L"LaunchWinApp.exe"))
            program.clear();
        bool web = ext != L".htm" && ext != L".html";
        if (program.empty() || IsOpenWith(program) || (web && SameText(ExtractFileName(program), L"ieframe.dll"))) {
            program = BrowserPath();
            if (program.empty()) FIENotFoundError = true;
        }
    } else {
        return result;
    }
    result.IsProcessing = true;
    result.ModuleName = Unquote(program);
    result.Param = Quote(fileName);
    if (!param.empty()) result.Param += L" " + param;
    return result;
}

HWND TssExternalCmd::OwnerHandle() {
    if (InheritsFromName(Owner(), L"TWinControl")) return static_cast<TWinControl*>(Owner())->Handle();
    return nullptr;
}

int TssExternalCmd::ShowState() const {
    if (FOptions.Contains(TssExtCmdOption::ecMaximize)) return SW_SHOWMAXIMIZED;
    if (FOptions.Contains(TssExtCmdOption::ecMinimize)) return SW_SHOWMINIMIZED;
    return SW_SHOW;
}

void TssExternalCmd::BeginCall(bool doExecute) {
    FErrCode = 0;
    FExitCode = 0;
    FLNK_OP = 0;
    FIENotFoundError = false;
    FDoExecute = doExecute;
}

bool TssExternalCmd::PrepareShellCall() {
    BeginCall(false);
    if (FExeName.empty() && FParamFile.empty()) return Fail(161);
    if (FOptions.Contains(TssExtCmdOption::ecMaximize) && FOptions.Contains(TssExtCmdOption::ecMinimize))
        return Fail(87);
    Sv_ExeName = FExeName;
    Sv_ParamFile = FParamFile;
    Sv_Param = FParam;
    if (FExeName.empty()) FExeName = FParamFile;
    FDefDir = Unquote(FDefDir);
    TssExtensionProcessing ep = ProcessAssociation(FExeName, FParam);
    if (ep.IsProcessing) {
        FExeName = ep.ModuleName;
        FParam = ep.Param;
    }
    if (FIENotFoundError) {
        Fail(3);
        RestoreSavedNames();
        return false;
    }
    return true;
}

void TssExternalCmd::RestoreSavedNames() {
    FExeName = Sv_ExeName;
    FParamFile = Sv_ParamFile;
    FParam = Sv_Param;
}

bool TssExternalCmd::ShellExecuteEx() {
    if (!PrepareShellCall()) return false;
    SHELLEXECUTEINFOW sei{sizeof(sei)};
    sei.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    sei.hwnd = OwnerHandle();
    sei.lpVerb = L"OPEN";
    String file = Unquote(FExeName);
    sei.lpFile = file.c_str();
    sei.lpParameters = FParam.c_str();
    sei.lpDirectory = FDefDir.empty() ? nullptr : FDefDir.c_str();
    sei.nShow = ShowState();
    bool result;
    if (ShellExecuteExW(&sei)) {
        result = WaitForProcess(sei.hProcess);
    } else {
        auto code = reinterpret_cast<INT_PTR>(sei.hInstApp);
        if (code > 32) code = INT_PTR(GetLastError());
        if (code == 0) code = 33;
        result = Fail(std::uint32_t(code));
    }
    RestoreSavedNames();
    return result;
}

bool TssExternalCmd::ShellExecute() {
    if (!PrepareShellCall()) return false;
    String file = Unquote(FExeName);
    auto r = reinterpret_cast<INT_PTR>(ShellExecuteW(OwnerHandle(), L"OPEN", file.c_str(), FParam.c_str(),
                                                      FDefDir.empty() ? nullptr : FDefDir.c_str(), ShowState()));
    bool result = r > 32;
    if (result) FErrCode = 0;
    else Fail(r == 0 ? 33 : std::uint32_t(r));
    RestoreSavedNames();
    return result;
}

bool TssExternalCmd::Fail(std::uint32_t code) {
    FErrCode = code;
    DoError();
    return false;
}

bool TssExternalCmd::Execute() {
    BeginCall(true);
    Sv_ExeName = FExeName;
    Sv_ParamFile = FParamFile;
    Sv_Param = FParam;

    if (FExeName.empty() && FParamFile.empty()) return Fail(161);
    if (FOptions.Contains(TssExtCmdOption::ecMaximize) && FOptions.Contains(TssExtCmdOption::ecMinimize))
        return Fail(87);

    // Shortcuts are replaced by what they point at.
    bool exeIsLink = !FExeName.empty() && IsShortcut(FExeName);
    if (exeIsLink || (FExeName.empty() && IsShortcut(FParamFile))) {
        String& link = exeIsLink ? FExeName : FParamFile;
        link = SearchPathLookup(link);
        TShellOptions so = ReadShortcut(link);
        FLNK_OP = exeIsLink ? 1 : 2;
        if (IsExecutable(so.FileName)) {
            FExeName = so.FileName;
        } else if (exeIsLink) {
            FExeName.clear();
            FParamFile = so.FileName;
        } else {
            FParamFile = so.FileName;
        }
        FDefDir = so.WorkPath;
        if (!so.Option.empty()) FParam = so.Option;
    }

    String app, cmdLine;
    if (!FExeName.empty() && IsExecutable(FExeName)) {
        app = Unquote(FExeName);
        cmdLine = Quote(FExeName) + L" " + FParam;
    } else if (!FExeName.empty()) {
        TssExtensionProcessing ep = ProcessAssociation(FExeName, FParam);
        if (ep.IsProcessing) {
            app = ep.ModuleName;
            cmdLine = Quote(ep.ModuleName) + L" " + ep.Param;
        } else if (String exe = RegisteredExecutable(Unquote(FExeName)); exe.empty()) {
            app = FExeName;
            cmdLine = Quote(FExeName) + L" " + FParam;
        } else {
            app = exe;
            cmdLine = Quote(exe) + L" " + Quote(FExeName) + L" " + FParam;
        }
    } else if (!FParamFile.empty()) {
        TssExtensionProcessing ep = ProcessAssociation(FParamFile, FParam);
        if (ep.IsProcessing) {
            app = ep.ModuleName;
            cmdLine = Quote(ep.ModuleName) + L" " + ep.Param;
        } else {
            String exe = RegisteredExecutable(Unquote(FParamFile));
            if (exe.empty()) return Fail(87);
            app = exe;
            cmdLine = Quote(exe) + L" " + Quote(FParamFile);
            if (!FParam.empty()) cmdLine += L" " + FParam;
        }
    } else {
        return Fail(87);
    }
    if (FIENotFoundError) return Fail(3);

    app = SearchPathLookup(app);

    STARTUPINFOW si;
    GetStartupInfoW(&si);
    si.cb = sizeof(si);
    if (FOptions.Contains(TssExtCmdOption::ecMaximize)) {
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = SW_SHOWMAXIMIZED;
    } else if (FOptions.Contains(TssExtCmdOption::ecMinimize)) {
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = SW_SHOWMINIMIZED;
    } else {
        si.wShowWindow = SW_SHOWNORMAL;
    }
    // From Windows 7 on the started program's taskbar identity is its own path, unless it is a
    // 16-bit image, which cannot have one.
    if (TssOSVer().isAboveWin7()) {
        TssPEInfo pe;
        pe.SetFileName(app.empty() ? FExeName : app);
        if (pe.Is16bit()) {
            si.dwFlags &= ~(kTitleIsAppId | kPreventPinning);
        } else {
            si.dwFlags |= kTitleIsAppId | kPreventPinning;
            si.lpTitle = const_cast<wchar_t*>(app.c_str());
        }
    }

    PROCESS_INFORMATION pi{};
    String mutableCmd = cmdLine;
    if (!CreateProcessW(app.empty() ? nullptr : app.c_str(), mutableCmd.data(), nullptr, nullptr, FALSE,
                        CREATE_DEFAULT_ERROR_MODE | PriorityClass(FPriority), nullptr,
                        FDefDir.empty() ? nullptr : FDefDir.c_str(), &si, &pi))
        return Fail(GetLastError());
    CloseHandle(pi.hThread);
    bool result = WaitForProcess(pi.hProcess);
    RestoreNames();
    return result;
}

// process may be none when the shell handed the document to a program already running; then
// only the return to the foreground happens.
bool TssExternalCmd::WaitForProcess(void* process) {
    if (!FWait) {
        bool ok = true;
        if (process && FdwWaitTime != 0) {
            DWORD r = WaitForInputIdle(process, FdwWaitTime);
            FErrCode = r;
            if (r == WAIT_FAILED) FErrCode = GetLastError();
            ok = r == 0;
        }
        if (process) CloseHandle(process);
        return ok;
    }

    auto* ownerControl = dynamic_cast<TControl*>(Owner());
    bool ownerWasEnabled = ownerControl && ownerControl->Enabled();
    if (ownerWasEnabled) ownerControl->SetEnabled(false);

    if (process) {
        // An Office program hands the document to its running instance and ends; then the
        // wait is for that instance's window instead.
        const String& args = !Sv_ExeName.empty() ? Sv_Param : (!Sv_ParamFile.empty() ? Sv_ParamFile : Sv_Param);
        if (HWND office = FindOfficeWindow(process, args)) {
            while (IsWindowVisible(office)) PumpMessages(100);
        } else {
            while (WaitForSingleObject(process, 100) == WAIT_TIMEOUT) Application->ProcessMessages();
            DWORD code = 0;
            if (GetExitCodeProcess(process, &code)) FExitCode = code;
            else FErrCode = GetLastError();
        }
        CloseHandle(process);
    }

    if (FReturnToActive) TssWinApi::ssSetForegroundWindowEx(Application->Handle());
    if (ownerWasEnabled) ownerControl->SetEnabled(true);
    if (auto* form = dynamic_cast<TCustomForm*>(Owner());
        FReturnToActive && form && ownerWasEnabled && form->Visible())
        form->SetFocus();
    return true;
}

void TssExternalCmd::RestoreNames() {
    if (FLNK_OP == 1) {
        FExeName = Sv_ExeName;
        FParamFile.clear();
        FParam = Sv_Param;
    } else if (FLNK_OP == 2) {
        FExeName.clear();
        FParamFile = Sv_ParamFile;
        FParam = Sv_Param;
    }
}

void TssExternalCmd::DoError() {
    RestoreNames();
    if (OnError) {
        OnError(this);
        return;
    }
    if (!FisDspErrDlg) return;
    String text;
    if (FIENotFoundError) text = L"Internet Explorer が登録されていません\r処理を中止します";
    else if (FExeName.empty() && FParamFile.empty()) text = L"起動するファイル名を指定してください";
    else if (!FExeName.empty()) text = FExeName + L"の起動に失敗しました\r処理を中止します";
    else text = FParamFile + L"を表示できません\r処理を中止します";
    auto* form = dynamic_cast<TCustomForm*>(Owner());
    HWND owner = form ? form->Handle() : Application->Handle();
    MessageBoxW(owner, text.c_str(), L"エラー", MB_SYSTEMMODAL | MB_ICONWARNING);
}
