#include "ssPEInfo.h"

#include <cstdint>

#include "SysUtils.h"
#include "WinApi.h"

namespace {

bool ReadAt(HANDLE h, DWORD offset, void* buf, DWORD size) {
    if (SetFilePointer(h, LONG(offset), nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return false;
    DWORD got = 0;
    return ReadFile(h, buf, size, &got, nullptr) && got == size;
}

}  // namespace

void TssPEInfo::SetFileName(const String& Value) {
    FFileName = Value;
    FImageType = {};
    auto dot = Value.find_last_of(L".\\:");
    String ext = dot != String::npos && Value[dot] == L'.' ? UpperCase(Value.substr(dot)) : String();
    if (!FileExists(Value) || (ext != L".EXE" && ext != L".DLL")) return;
    TKernelHandle f(CreateFileW(Value.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f.Valid()) return;
    FImageType = PEImageType(GetFileSize(f.Get(), nullptr), [&f](std::uint32_t offset, void* buf, std::uint32_t size) {
        return ReadAt(f.Get(), offset, buf, size);
    });
}
