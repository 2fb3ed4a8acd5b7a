#include <gtest/gtest.h>

#include "TestSupport.h"
#include "ssPEInfo.h"

namespace {

using namespace testing_support;

TEST(PEInfo, Is16bitOnlyForAnMZImageWithoutPEHeader) {
    TempDir dir;
    std::string dosOnly = "MZ" + std::string(62, '\0');
    dosOnly[60] = char(0x40);  // points past the end: no PE header
    dosOnly += std::string(16, '\x90');
    WriteBytes(dir / L"dos.exe", dosOnly);
    WriteBytes(dir / L"run.bat", "MZ@echo off\r\n");
    WriteBytes(dir / L"text.exe", "hello, this is not an image at all, just text that is long enough.");
    CopyFileW((BinDir() + L"osverprobe.exe").c_str(), (dir / L"probe.DLL").c_str(), FALSE);

    struct Case { String file; bool is16; TssPEImageTypes type; };
    const Case cases[] = {
        {BinDir() + L"osverprobe.exe", false, {TssPEImageType::pe32}},
        {dir / L"probe.DLL", false, {TssPEImageType::pe32}},
        {dir / L"dos.exe", true, {TssPEImageType::pe16}},
        {dir / L"run.bat", false, {}},
        {dir / L"text.exe", false, {}},
        {dir / L"missing.exe", false, {}},
    };
    for (const Case& c : cases) {
        TssPEInfo info;
        info.SetFileName(c.file);
        EXPECT_EQ(info.Is16bit(), c.is16) << Utf8(c.file);
        EXPECT_EQ(info.ImageType(), c.type) << Utf8(c.file);
        EXPECT_EQ(info.FileName(), c.file);
    }
}

}  // namespace
