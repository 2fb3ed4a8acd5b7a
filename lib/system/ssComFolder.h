// The maker's folder scheme (company root, program, data, temporary, shared and documents
// folders), answered by the folder library "KVR3FLDR.DLL" unless a registry key overrides it,
// and the system's program-files folders.
#pragma once
#include <memory>

#include "SysUtils.h"
#include "WinApi.h"

// The maker's folders (GetObject for the process-wide instance): company root, bin, data,
// temporary, shared and documents folders, and the program-files folders.
class TssCommonFolder : public TObject {
    SS_CLASS(TssCommonFolder, TObject)
public:
    // Loads the folder library and reads the overrides of the local-machine key (if any).
    explicit TssCommonFolder(const String& key = L"");
    ~TssCommonFolder() override;
    TssCommonFolder(const TssCommonFolder&) = delete;
    TssCommonFolder& operator=(const TssCommonFolder&) = delete;

    String BinFolder() { return GetBinFolder(); }
    String DataFolder() { return GetDataFolder(); }
    String TempFolder() { return GetTempFolder(); }
    String SharedFolder() { return GetSharedFolder(); }
    String CompanyRootFolder() { return GetCompanyRootFolder(); }
    String ProgramFilesFolder() { return GetProgramFilesFolder(); }
    String ProgramFilesFolderX64() { return GetProgramFilesFolderX64(); }
    String MyDocumentsFolder() { return GetMyDocumentsFolder(); }
    // The library's all-users application data folder for AddPath.
    String GetAllUsersAppDataFolder(const String& AddPath);
    bool LibraryLoaded() const { return DllHandle != nullptr; }

    // The process-wide instance, made on first request without a registry key.
    static TssCommonFolder* GetObject();
    static void SetObject(std::unique_ptr<TssCommonFolder> folder);

    virtual String GetBinFolder();
    virtual String GetDataFolder();
    virtual String GetTempFolder();
    virtual String GetSharedFolder();
    virtual String GetCompanyRootFolder();
    virtual String GetProgramFilesFolder();
    virtual String GetProgramFilesFolderX64();
    virtual String GetSpecialFolder(int csidl);
    virtual String GetLibMyDocumentsFolder();
    virtual String GetMyDocumentsFolder();
    virtual void SetBinFolder(const String& s) { fBinFolder = s; }
    // Creates path with its missing parents and grants the shared access on it.
    virtual bool ForceFolder(const String& path);
    virtual void SetDataFolder(const String& s) { fDataFolder = s; }
    // Creates the company root (on drive sDrv when given) when it does not exist yet.
    virtual bool MakeCompanyRootFolder(const String& sDrv);

private:
    String LibraryFolder(const char* exportName);

    String fCompanyRootFolder;
    String fBinFolder;
    String fDataFolder;
    String fTempFolder;
    HMODULE DllHandle = nullptr;
    bool FisGovernmentEnv = false;
};
