// Trees of files, drive letters and links for the file-operation tests.
#pragma once
#include <algorithm>
#include <initializer_list>
#include <vector>

#include "TestSupport.h"
#include "ssFCtrl.h"

namespace fctrl_test {

using namespace testing_support;

// Makes the files (content: their own relative name) and folders (ending with "\") under root.
inline void MakeTree(const String& root, std::initializer_list<const wchar_t*> entries) {
    for (const wchar_t* e : entries) {
        String path = root + L"\\" + e;
        for (auto sep = path.find(L'\\', root.size() + 1); sep != String::npos; sep = path.find(L'\\', sep + 1))
            CreateDirectoryW(path.substr(0, sep).c_str(), nullptr);
        if (path.back() != L'\\') WriteBytes(path, Utf8(e));
    }
}

// Every file and folder (with "\") below root, relative to it, sorted.
inline std::vector<String> ListTree(const String& root, const String& below = L"") {
    std::vector<String> found;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((root + L"\\" + below + L"*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return found;
    do {
        String name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            found.push_back(below + name + L"\\");
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                for (const String& inner : ListTree(root, below + name + L"\\")) found.push_back(inner);
        } else {
            found.push_back(below + name);
        }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    std::sort(found.begin(), found.end());
    return found;
}

inline std::vector<String> Sorted(std::vector<String> v) {
    std::sort(v.begin(), v.end());
    return v;
}

inline bool UnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// The host's name of a Windows path (Wine only).
inline std::string UnixPath(const String& path) {
    using Fn = char*(CDECL*)(LPCWSTR);
    auto fn = reinterpret_cast<Fn>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
    char* unix = fn ? fn(path.c_str()) : nullptr;
    std::string result = unix ? unix : "";
    if (unix) HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

// Runs a host shell command (Wine starts host programs) and waits for it. For a host program
// Wine returns no real process or thread handles (closing what it returns could close one of
// ours), so they are left alone and the command leaves a file when it is done.
inline void HostShell(const std::string& command) {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    const String done = String(tmp) + L"fctrl_shell_" + IntToStr(GetCurrentProcessId());
    DeleteFileW(done.c_str());
    const std::string full = command + "; touch '" + UnixPath(done) + "'";
    String wide(full.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_UTF8, 0, full.data(), int(full.size()), wide.data(), int(wide.size())));
    String cmd = L"/bin/sh -c \"" + wide + L"\"";
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(L"Z:\\bin\\sh", cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
    for (int i = 0; i < 1000 && !FileExists(done); ++i) Sleep(10);
    DeleteFileW(done.c_str());
}

// A host folder or file target as a symbolic link at a Windows path (Wine only).
inline void HostLink(const std::string& target, const String& link) {
    HostShell("ln -sfn '" + target + "' '" + UnixPath(link) + "'");
}

// Host links to one target folder, removed again at the end of the scope: Wine cannot remove
// them through the Windows calls (Wine only).
class HostLinks {
public:
    HostLinks(const String& target, std::initializer_list<String> links) {
        for (const String& link : links) FLinks.push_back(UnixPath(link));
        for (const String& link : links) HostLink(UnixPath(target), link);
    }
    ~HostLinks() {
        std::string command = "rm -f";
        for (const std::string& link : FLinks) command += " '" + link + "'";
        HostShell(command);
    }
    HostLinks(const HostLinks&) = delete;
    HostLinks& operator=(const HostLinks&) = delete;

private:
    std::vector<std::string> FLinks;
};

// Drive letter mapped to a folder for a scope. Wine: a link in the prefix's dosdevices folder
// (which may point at a missing folder); Windows: a substituted drive.
class MappedDrive {
public:
    MappedDrive(wchar_t letter, const String& target) : FLetter(letter) { Map(target); }
    ~MappedDrive() { Unmap(); }
    MappedDrive(const MappedDrive&) = delete;
    MappedDrive& operator=(const MappedDrive&) = delete;
    // Points the letter at another folder.
    void Map(const String& target) {
        if (UnderWine()) {
            Unmap();
            HostShell("ln -sfn '" + UnixTarget(target) + "' \\\"$WINEPREFIX/dosdevices/" + Letter() + ":\\\"");
        } else {
            Unmap();
            DefineDosDeviceW(0, (String(1, FLetter) + L":").c_str(), target.c_str());
        }
    }

private:
    std::string Letter() const { return std::string(1, char(towlower(FLetter))); }
    // A folder that does not exist has no host name yet: its parent's name and its own.
    static std::string UnixTarget(const String& target) {
        std::string unix = UnixPath(target);
        if (!unix.empty()) return unix;
        auto sep = target.rfind(L'\\');
        return UnixPath(target.substr(0, sep)) + "/" + Utf8(target.substr(sep + 1));
    }
    void Unmap() {
        if (UnderWine()) HostShell("rm -f \\\"$WINEPREFIX/dosdevices/" + Letter() + ":\\\"");
        else DefineDosDeviceW(DDD_REMOVE_DEFINITION, (String(1, FLetter) + L":").c_str(), nullptr);
    }
    wchar_t FLetter;
};

// A file control that also guards a stand-in Windows folder and a stand-in system folder tree,
// so that a test of the guard that fails empties scratch folders rather than the prefix's own.
class TGuardedStandIns : public TssFileControl {
public:
    TGuardedStandIns(const String& windows, const String& system)
        : TssFileControl(nullptr), FWindows(windows), FSystem(system) {}

protected:
    std::vector<TProtectedFolder> ProtectedFolders() const override {
        auto folders = TssFileControl::ProtectedFolders();
        folders.push_back({FWindows, false});
        folders.push_back({FSystem, true});
        return folders;
    }

private:
    String FWindows, FSystem;
};

// While alive, every file directly in folder is held open without delete sharing, so that
// nothing can delete, rename or move it away.
class HeldFiles {
public:
    explicit HeldFiles(const String& folder) {
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return;
        do {
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            HANDLE file = CreateFileW((folder + L"\\" + fd.cFileName).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
            if (file != INVALID_HANDLE_VALUE) FHandles.push_back(file);
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    ~HeldFiles() {
        for (HANDLE file : FHandles) CloseHandle(file);
    }
    HeldFiles(const HeldFiles&) = delete;
    HeldFiles& operator=(const HeldFiles&) = delete;

private:
    std::vector<HANDLE> FHandles;
};

}  // namespace fctrl_test
