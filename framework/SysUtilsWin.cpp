// The Windows half of SysUtils: error texts, the ANSI code page, files, the clock.
#include "SysUtils.h"

#include "DateUtils.h"
#include "WinApi.h"

String SysErrorMessage(std::uint32_t code) {
    wchar_t* buf = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
    String text = n ? String(buf, n) : String();
    if (buf) LocalFree(buf);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    return text;
}

void RaiseLastOSError() {
    DWORD code = GetLastError();
    throw EOSError(Format(L"システム エラー。 コード: %d。\r\n%s", {(long long)code, SysErrorMessage(code)}),
                   code);
}

String AnsiUpperCase(const String& s) {
    String r = s;
    if (!r.empty()) CharUpperBuffW(r.data(), DWORD(r.size()));
    return r;
}

AnsiString StringToAnsi(const String& s) {
    if (s.empty()) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, s.data(), int(s.size()), nullptr, 0, nullptr, nullptr);
    AnsiString r(n, '\0');
    WideCharToMultiByte(CP_ACP, 0, s.data(), int(s.size()), r.data(), n, nullptr, nullptr);
    return r;
}

String AnsiToString(const AnsiString& s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, s.data(), int(s.size()), nullptr, 0);
    String r(n, L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.data(), int(s.size()), r.data(), n);
    return r;
}

bool FileExists(const String& fileName) {
    DWORD a = GetFileAttributesW(fileName.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const String& name) {
    DWORD a = GetFileAttributesW(name.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileOrDirectoryExists(const String& name) { return GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES; }

String ModuleFileName() {
    String buf(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buf.data(), DWORD(buf.size()));
        if (n < buf.size()) {
            buf.resize(n);
            return buf;
        }
        buf.resize(buf.size() * 2);
    }
}

TDateTime Now() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return EncodeDate(st.wYear, st.wMonth, st.wDay) + EncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
}

TDateTime Date() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return EncodeDate(st.wYear, st.wMonth, st.wDay);
}

bool IsAnsiLeadByte(unsigned char b) { return IsDBCSLeadByte(b) != 0; }
