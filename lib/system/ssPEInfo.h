// What kind of executable image a file holds, read from its header.
#pragma once
#include <cstdint>
#include <functional>

#include "Sets.h"
#include "System.h"

enum class TssPEImageType { pe16, pe32, pe64 };
using TssPEImageTypes = TSet<TssPEImageType>;

// Tells from a file's header whether it is a 16-bit, 32-bit or 64-bit executable image.
class TssPEInfo {
public:
    const String& FileName() const { return FFileName; }
    // Stores the name and reads the header of an existing ".EXE" or ".DLL" file.
    void SetFileName(const String& Value);
    TssPEImageTypes ImageType() const { return FImageType; }
    // An "MZ" image without a valid "PE" header.
    bool Is16bit() const { return FImageType.Contains(TssPEImageType::pe16); }

private:
    String FFileName;
    TssPEImageTypes FImageType;
};

// Reads Size bytes at Offset of an image into Buffer; false when they cannot all be read.
using TssReadAt = std::function<bool(std::uint32_t Offset, void* Buffer, std::uint32_t Size)>;
// The type of an image of FileSize bytes, read through ReadAt: pe16 for an "MZ" image, pe32
// when it also has a "PE" header where its offset at 60 points; empty otherwise.
TssPEImageTypes PEImageType(std::uint32_t FileSize, const TssReadAt& ReadAt);
