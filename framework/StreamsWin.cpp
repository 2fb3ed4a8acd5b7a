// The Windows half of Streams: file streams, memory streams to and from files, and the
// replacing save.
#include <atomic>

#include "Streams.h"
#include "WinApi.h"

namespace {
[[noreturn]] void CreateError(const String& fileName, DWORD code) {
    throw EFCreateError(Format(L"ファイル %s を作成できません。%s", {fileName, SysErrorMessage(code)}));
}

[[noreturn]] void WriteError(const String& fileName, DWORD code) {
    throw EWriteError(Format(L"ファイル %s への書き込みに失敗しました。%s", {fileName, SysErrorMessage(code)}));
}

// Makes a new, empty file beside fileName under a name no other save uses at the same time, and
// answers that name. CREATE_NEW reserves the name; a name already taken is skipped.
String CreateSiblingFile(const String& fileName) {
    static std::atomic<unsigned> counter{0};
    for (;;) {
        String name = Format(L"%s.~%x-%x", {fileName, (long long)GetCurrentProcessId(), (long long)++counter});
        TKernelHandle h(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (h.Valid()) return name;
        DWORD code = GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) CreateError(fileName, code);
    }
}

// Puts what the system holds of the file on the disk.
void FlushFile(const String& name, const String& target) {
    TKernelHandle h(CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.Valid() || !FlushFileBuffers(h.Get())) WriteError(target, GetLastError());
}
}  // namespace

TFileStream::TFileStream(const String& fileName, TFileMode mode) : FHandle(INVALID_HANDLE_VALUE), FFileName(fileName) {
    DWORD access = GENERIC_READ | GENERIC_WRITE, share = FILE_SHARE_READ, disposition = OPEN_EXISTING;
    if (mode == TFileMode::fmCreate) disposition = CREATE_ALWAYS;
    else if (mode == TFileMode::fmOpenRead) {
        access = GENERIC_READ;
        share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    }
    FHandle = CreateFileW(fileName.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (FHandle == INVALID_HANDLE_VALUE) {
        DWORD code = GetLastError();
        if (mode == TFileMode::fmCreate) CreateError(fileName, code);
        throw EFOpenError(Format(L"ファイル %s を開けません。%s", {fileName, SysErrorMessage(code)}));
    }
}

TFileStream::~TFileStream() { CloseHandle(FHandle); }

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    DWORD got = 0;
    if (!ReadFile(FHandle, buffer, DWORD(count), &got, nullptr)) return 0;
    return got;
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
    DWORD written = 0;  // what a failing call still wrote
    WriteFile(FHandle, buffer, DWORD(count), &written, nullptr);
    return written;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    DWORD method = origin == TSeekOrigin::soBeginning ? FILE_BEGIN
                   : origin == TSeekOrigin::soCurrent ? FILE_CURRENT
                                                      : FILE_END;
    LARGE_INTEGER distance, pos;
    distance.QuadPart = offset;
    if (!SetFilePointerEx(FHandle, distance, &pos, method))
        throw EStreamError(Format(L"ファイル %s の位置を変えられません。%s", {FFileName, SysErrorMessage(GetLastError())}));
    return pos.QuadPart;
}

void TMemoryStream::LoadFromFile(const String& fileName) {
    TFileStream file(fileName, TFileMode::fmOpenRead);
    LoadFromStream(file);
}

void TMemoryStream::SaveToFile(const String& fileName) const {
    SaveFileReplacing(fileName, [this](TStream& s) { SaveToStream(s); });
}

void SaveFileReplacing(const String& fileName, const TStreamProc& write) {
    // A read-only file is not replaced. Windows refuses the move by itself; Wine's move replaces
    // it, so the rule is checked here first.
    DWORD attributes = GetFileAttributesW(fileName.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        CreateError(fileName, ERROR_ACCESS_DENIED);
    String temp = CreateSiblingFile(fileName);
    try {
        {
            TFileStream stream(temp, TFileMode::fmOpenReadWrite);
            write(stream);
        }
        // The stream keeps its handle to itself; the system's buffers belong to the file, so a
        // second handle flushes them as well.
        FlushFile(temp, fileName);
        if (!MoveFileExW(temp.c_str(), fileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            CreateError(fileName, GetLastError());
    } catch (...) {
        DeleteFileW(temp.c_str());
        throw;
    }
}
