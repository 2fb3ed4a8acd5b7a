// The folder library as the tests use it. Its folder scheme: the company root is the folder in
// the environment variable KVR3FLDR_ROOT, else "C:\KVR"; the bin, data, temporary and shared
// folders are "Bin", "Data", "Temp" and "Shared Files" below it; the documents folder is the
// one in KVR3FLDR_DOCUMENTS, else "C:\KVR\Documents"; the all-users application data folder
// is "<root>\AllUsers\" followed by the path asked for. With KVR3FLDR_FAIL set, every export
// answers nil. Answers are ANSI strings that stay valid until the next call.
#include <windows.h>

#include <string>

namespace {

std::string Env(const char* name) {
    char buf[1024];
    DWORD n = GetEnvironmentVariableA(name, buf, sizeof(buf));
    return n && n < sizeof(buf) ? std::string(buf, n) : std::string();
}

const char* Answer(const std::string& below) {
    static std::string answer;
    if (!Env("KVR3FLDR_FAIL").empty()) return nullptr;
    std::string root = Env("KVR3FLDR_ROOT");
    if (root.empty()) root = "C:\\KVR";
    answer = below.empty() ? root : root + "\\" + below;
    return answer.c_str();
}

}  // namespace

extern "C" {
__declspec(dllexport) const char* __stdcall KVR_GetBinFolder() { return Answer("Bin"); }
__declspec(dllexport) const char* __stdcall KVR_GetDataFolder() { return Answer("Data"); }
__declspec(dllexport) const char* __stdcall KVR_GetTempFolder() { return Answer("Temp"); }
__declspec(dllexport) const char* __stdcall KVR_GetSharedFolder() { return Answer("Shared Files"); }
__declspec(dllexport) const char* __stdcall KVR_GetCompanyRootFolder() { return Answer(""); }
__declspec(dllexport) const char* __stdcall KVR_GetMyDocumentsFolder() {
    static std::string docs;
    if (!Env("KVR3FLDR_FAIL").empty()) return nullptr;
    docs = Env("KVR3FLDR_DOCUMENTS");
    if (docs.empty()) docs = "C:\\KVR\\Documents";
    return docs.c_str();
}
__declspec(dllexport) const char* __stdcall KVR_GetAllUsersAppDataFolder(const char* AddPath) {
    return Answer(std::string("AllUsers\\") + (AddPath ? AddPath : ""));
}
}
