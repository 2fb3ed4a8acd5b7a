#include "ssComFolder.h"

#include <objbase.h>

#include "Registry.h"
#include "ssAce.h"
#include "ssDriveType.h"
#include "ssFileSystem.h"
#include "ssOSVer.h"

namespace {

String EnvironmentValue(const wchar_t* name) {
    wchar_t buf[32768];
    DWORD n = GetEnvironmentVariableW(name, buf, 32768);
    return n && n < 32768 ? String(buf, n) : String();
}

std::unique_ptr<TssCommonFolder>& SharedInstance() {
    static std::unique_ptr<TssCommonFolder> instance;
    return instance;
}

// Creates folder and every missing parent.
bool CreateFolderTree(const String& folder) {
    if (folder.empty()) return false;
    if (DirectoryExists(folder)) return true;
    String parent = ExtractFileDir(folder);
    if (!parent.empty() && parent != folder && !CreateFolderTree(parent)) return false;
    return CreateDirectoryW(folder.c_str(), nullptr) || DirectoryExists(folder);
}

[[noreturn]] void BrokenLibrary(const wchar_t* exportName) {
    throw Exception(String(L"共通ＤＬＬの環境が壊れています：") + exportName);
}

}  // namespace

TssCommonFolder::TssCommonFolder(const String& key) {
    if (!FisGovernmentEnv) {
        DllHandle = LoadLibraryW(L"KVR3FLDR.DLL");
        if (!DllHandle)
            DllHandle = LoadLibraryW((GetProgramFilesFolder() + L"\\KVR\\Shared Files\\KVR3FLDR.DLL").c_str());
        if (!DllHandle) {
            String comspec = EnvironmentValue(L"COMSPEC");
            if (comspec.empty()) comspec = EnvironmentValue(L"ComSpec");
            wchar_t drive = comspec.empty() ? L'C' : comspec[0];
            DllHandle = LoadLibraryW((String(1, drive) + L":\\KVR\\KVR3FLDR.DLL").c_str());
        }
    }
    if (!key.empty()) {
        TRegistry reg(KEY_READ);
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        if (reg.OpenKeyReadOnly(key)) {
            auto read = [&](const wchar_t* name, String& target) {
                if (reg.ValueExists(name)) target = reg.ReadString(name);
            };
            read(L"CompanyRootFolder", fCompanyRootFolder);
            read(L"BinFolder", fBinFolder);
            read(L"DataFolder", fDataFolder);
            read(L"TempFolder", fTempFolder);
        }
    }
}

TssCommonFolder::~TssCommonFolder() {
    if (DllHandle) FreeLibrary(DllHandle);
}

TssCommonFolder* TssCommonFolder::GetObject() {
    auto& instance = SharedInstance();
    if (!instance) instance = std::make_unique<TssCommonFolder>();
    return instance.get();
}

void TssCommonFolder::SetObject(std::unique_ptr<TssCommonFolder> folder) { SharedInstance() = std::move(folder); }

// A missing export counts as a nil answer; the message names the temporary-folder export
// whichever was asked, as callers have always seen it.
String TssCommonFolder::LibraryFolder(const char* exportName) {
    if (!DllHandle) return {};
    using FolderFn = const char*(__stdcall*)();
    auto fn = reinterpret_cast<FolderFn>(GetProcAddress(DllHandle, exportName));
    const char* answer = fn ? fn() : nullptr;
    if (!answer) BrokenLibrary(L"KVR_GetTempFolder");
    return AnsiToString(answer);
}

String TssCommonFolder::GetAllUsersAppDataFolder(const String& AddPath) {
    if (!DllHandle) return {};
    using FolderFn = const char*(__stdcall*)(const char*);
    auto fn = reinterpret_cast<FolderFn>(GetProcAddress(DllHandle, "KVR_GetAllUsersAppDataFolder"));
    if (!fn) BrokenLibrary(L"KVR_GetAllUsersAppDataFolder");
    AnsiString path = StringToAnsi(AddPath);
    const char* answer = fn(path.c_str());
    if (!answer) BrokenLibrary(L"KVR_GetTempFolder");
    return AnsiToString(answer);
}

String TssCommonFolder::GetBinFolder() { return fBinFolder.empty() ? LibraryFolder("KVR_GetBinFolder") : fBinFolder; }
String TssCommonFolder::GetDataFolder() { return fDataFolder.empty() ? LibraryFolder("KVR_GetDataFolder") : fDataFolder; }
String TssCommonFolder::GetTempFolder() { return fTempFolder.empty() ? LibraryFolder("KVR_GetTempFolder") : fTempFolder; }
String TssCommonFolder::GetSharedFolder() { return LibraryFolder("KVR_GetSharedFolder"); }
String TssCommonFolder::GetCompanyRootFolder() {
    return fCompanyRootFolder.empty() ? LibraryFolder("KVR_GetCompanyRootFolder") : fCompanyRootFolder;
}
String TssCommonFolder::GetLibMyDocumentsFolder() { return LibraryFolder("KVR_GetMyDocumentsFolder"); }

String TssCommonFolder::GetMyDocumentsFolder() {
    String folder = GetLibMyDocumentsFolder();
    if (folder.empty()) return L"C:\\";
    if (!DirectoryExists(folder)) return String(1, folder[0]) + L":\\";
    return folder;
}

String TssCommonFolder::GetSpecialFolder(int csidl) {
    String result;
    TLibraryHandle lib(L"SHFolder.DLL");
    using GetPathFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
    if (auto fn = lib.Proc<GetPathFn>("SHGetFolderPathW")) {
        wchar_t buf[MAX_PATH + 1] = {};
        if (SUCCEEDED(fn(nullptr, csidl, nullptr, 0, buf))) result = buf;
    }
    return result;
}

String TssCommonFolder::GetProgramFilesFolder() { return GetSpecialFolder(38); }

String TssCommonFolder::GetProgramFilesFolderX64() {
    if (!TssOSVer().is64bitOS()) return GetProgramFilesFolder();
    String result;
    {
        TLibraryHandle shell(L"shell32.dll");
        using KnownFolderFn = HRESULT(WINAPI*)(REFGUID, DWORD, HANDLE, PWSTR*);
        static const GUID programFilesX64 = {0x6D809377, 0x6AF0, 0x444B, {0x89, 0x57, 0xA3, 0x77, 0x3F, 0x02, 0x20, 0x0E}};
        if (auto fn = shell.Proc<KnownFolderFn>("SHGetKnownFolderPath")) {
            PWSTR path = nullptr;
            if (SUCCEEDED(fn(programFilesX64, 0, nullptr, &path)) && path) result = path;
            if (path) CoTaskMemFree(path);
        }
    }
    if (result.empty()) result = EnvironmentValue(L"ProgramW6432");
    if (result.empty()) {
        HKEY k;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                          KEY_READ | KEY_WOW64_64KEY, &k) == ERROR_SUCCESS) {
            result = ReadRegistryString(k, L"", L"ProgramFilesDir");
            RegCloseKey(k);
        }
    }
    if (result.empty()) result = EnvironmentValue(L"SystemDrive") + L"\\Program Files";
    return result;
}

bool TssCommonFolder::ForceFolder(const String& path) {
    String folder = path;
    while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    if (!CreateFolderTree(folder)) return false;
    return AddAce(folder);
}

bool TssCommonFolder::MakeCompanyRootFolder(const String& sDrv) {
    String root = GetCompanyRootFolder();
    if (root.empty()) return false;
    if (!sDrv.empty()) root[0] = sDrv[0];
    if (DirectoryExists(root)) return false;
    bool result = CreateFolderTree(root);
    TssOSVer os;
    bool ntfs = TssFileSystem(root[0]).IsNTFS();
    if ((ntfs && os.isAboveWinXP()) || (os.isWinNT() && !TssDriveType(root[0]).IsFixed())) result = AddAce(root);
    return result;
}
