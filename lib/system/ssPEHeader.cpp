// The executable-header check of TssPEInfo, apart from how the bytes are read.
#include "ssPEInfo.h"

TssPEImageTypes PEImageType(std::uint32_t FileSize, const TssReadAt& ReadAt) {
    TssPEImageTypes types;
    std::uint16_t mz = 0;
    if (FileSize > 2 && ReadAt(0, &mz, 2) && mz == 23117) types = {TssPEImageType::pe16};  // "MZ"
    if (FileSize > 64) {
        std::uint32_t offset = 0, signature = 0;
        if (ReadAt(60, &offset, 4) && std::uint64_t(offset) + 4 <= FileSize && ReadAt(offset, &signature, 4) &&
            signature == 17744)  // "PE\0\0"
            types = {TssPEImageType::pe32};
    }
    return types;
}
