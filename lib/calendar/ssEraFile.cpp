// The era file on disk: reading it, finding it, and the process-wide table built from it.
#include "ssEraTbl.h"

#include <memory>

#include "Classes.h"
#include "ssComFolder.h"

const wchar_t* const EraFileName = L"ctrlDate2.KVR";

namespace {
std::unique_ptr<TssEraTable> TheEraTable;
}  // namespace

TssEraTable::TssEraTable() {
    if (TheEraTable) {
        CopyFrom(TheEraTable.get());
        return;
    }
    LoadDefaults();
    String file = FindEraFile();
    if (!file.empty()) LoadFromFile(file);
}

void TssEraTable::LoadFromFile(const String& FileName) {
    TStringList lines;
    try {
        lines.LoadFromFile(FileName);
    } catch (const EStreamError& e) {
        throw EInOutError(e.Message());
    }
    LoadFromLines(lines);
}

std::vector<String> EraFileFolders() {
    return {ExtractFilePath(ModuleFileName()), TssCommonFolder::GetObject()->DataFolder()};
}

String FindEraFile() {
    for (const String& folder : EraFileFolders()) {
        if (folder.empty()) continue;
        String file = IncludeTrailingPathDelimiter(folder) + EraFileName;
        if (FileExists(file)) return file;
    }
    return {};
}

TssEraTable* GetEraTable() {
    if (!TheEraTable) TheEraTable = std::make_unique<TssEraTable>();
    return TheEraTable.get();
}
