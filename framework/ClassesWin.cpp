// The Windows half of Classes: string lists to and from files.
#include "Classes.h"

#include "WinApi.h"

void TStrings::SaveToFile(const String& fileName) const {
    AnsiString bytes = StringToAnsi(Text());
    TKernelHandle h(CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!h.Valid()) {
        DWORD code = GetLastError();
        throw EFCreateError(Format(L"ファイル %s を作成できません。%s", {fileName, SysErrorMessage(code)}));
    }
    DWORD written = 0;
    BOOL ok = bytes.empty() || WriteFile(h.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
    DWORD code = GetLastError();
    if (!ok || written != bytes.size())
        throw EWriteError(Format(L"ファイル %s への書き込みに失敗しました。%s", {fileName, SysErrorMessage(code)}));
}

void TStrings::LoadFromFile(const String& fileName) {
    TKernelHandle h(CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.Valid()) {
        DWORD code = GetLastError();
        throw EFOpenError(Format(L"ファイル %s を開けません。%s", {fileName, SysErrorMessage(code)}));
    }
    AnsiString bytes;
    char buf[65536];
    DWORD got = 0;
    BOOL ok;
    while ((ok = ReadFile(h.Get(), buf, sizeof buf, &got, nullptr)) && got > 0) bytes.append(buf, got);
    DWORD code = GetLastError();
    if (!ok) throw EReadError(Format(L"ファイル %s の読み込みに失敗しました。%s", {fileName, SysErrorMessage(code)}));
    SetText(AnsiToString(bytes));
}
