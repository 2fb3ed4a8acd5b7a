// The Windows half of the memory dataset: its files.
#include "MemTable.h"

void TFDDataSet::LoadFromFile(const String& FileName) {
    TFileStream file(FileName, TFileMode::fmOpenRead);
    LoadFromStream(file);
}

void TFDDataSet::SaveToFile(const String& FileName) {
    SaveFileReplacing(FileName, [this](TStream& s) { SaveToStream(s); });
}
