// Era files written the way the program reads them (code page 932, CR LF), and a fixture that
// runs a test on a chosen process-wide era table and puts the original back afterwards.
#pragma once
#include <gtest/gtest.h>

#include <vector>

#include "EraFileCases.h"
#include "TestSupport.h"
#include "WinApi.h"
#include "ssEraTbl.h"

namespace calendar_test {

inline std::string Cp932(const String& s) {
    if (s.empty()) return {};
    int n = WideCharToMultiByte(932, 0, s.data(), int(s.size()), nullptr, 0, nullptr, nullptr);
    std::string r(std::size_t(n), '\0');
    WideCharToMultiByte(932, 0, s.data(), int(s.size()), r.data(), n, nullptr, nullptr);
    return r;
}

inline void WriteEraFile(const String& fileName, const std::vector<String>& lines) {
    std::string bytes;
    for (const String& line : lines) bytes += Cp932(line) + "\r\n";
    testing_support::WriteBytes(fileName, bytes);
}

// Each test starts on the built-in table; UseEraFile loads a file into the process-wide table.
class EraTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        FSaved.CopyFrom(GetEraTable());
        ResetToDefaults();
    }
    void TearDown() override { GetEraTable()->CopyFrom(&FSaved); }

    // The table as a program without an era file has it.
    static void ResetToDefaults() {
        GetEraTable()->SetTable(TssEraInfoArray{});
        GetEraTable()->SetCount(0);
        GetEraTable()->LoadDefaults();
    }

    void UseEraFile(const std::vector<String>& lines) {
        String file = FDir / L"era.KVR";
        WriteEraFile(file, lines);
        GetEraTable()->LoadFromFile(file);
    }

    testing_support::TempDir FDir;

private:
    TssEraTable FSaved;
};

}  // namespace calendar_test
