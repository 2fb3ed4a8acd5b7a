// What kind of executable image a file holds, read from its header.
#pragma once
#include "Sets.h"
#include "System.h"

enum class TssPEImageType { pe16, pe32, pe64 };
using TssPEImageTypes = TSet<TssPEImageType>;

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
