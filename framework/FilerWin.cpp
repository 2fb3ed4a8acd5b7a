#include "Filer.h"

void WriteComponentFile(const String& FileName, TComponent* Instance, const TComponent* Ancestor) {
    SaveFileReplacing(FileName, [&](TStream& s) { WriteComponentStream(s, Instance, Ancestor); });
}

TComponent* ReadComponentFile(const String& FileName, TComponent* Instance) {
    TFileStream s(FileName, TFileMode::fmOpenRead);
    return ReadComponentStream(s, Instance);
}
