#include <gtest/gtest.h>

#include "SysUtils.h"

namespace {

TEST(FormatText, SpecifiersWidthsAndPrecisions) {
    EXPECT_EQ(Format(L"%s-%s", {String(L"a"), String(L"b")}), L"a-b");
    EXPECT_EQ(Format(L"%%~dp0%s", {String(L"X")}), L"%~dp0X");
    EXPECT_EQ(Format(L"%4.4d", {7LL}), L"0007");
    EXPECT_EQ(Format(L"%4.4d", {12345LL}), L"12345");
    EXPECT_EQ(Format(L"%5d|%-5d|", {42LL, 42LL}), L"   42|42   |");
    EXPECT_EQ(Format(L"%.2s", {String(L"abc")}), L"ab");
    EXPECT_EQ(Format(L"%x %d", {255LL, -3LL}), L"FF -3");
    EXPECT_EQ(Format(L"%u", {-1LL}), L"4294967295");
}

TEST(FormatText, MismatchesRaise) {
    EXPECT_THROW(Format(L"%d", {String(L"a")}), EConvertError);
    EXPECT_THROW(Format(L"%s", {1LL}), EConvertError);
    EXPECT_THROW(Format(L"%s %s", {String(L"a")}), EConvertError);
    EXPECT_THROW(Format(L"50%", {}), EConvertError);
    EXPECT_THROW(Format(L"%q", {1LL}), EConvertError);
    EXPECT_THROW(Format(L"%99999999999d", {1LL}), EConvertError);  // too large for a width
    EXPECT_THROW(Format(L"%.99999999999s", {String(L"a")}), EConvertError);
    EXPECT_THROW(Format(L"%１d", {1LL}), EConvertError);  // a full-width digit is no width
}

TEST(Numbers, DecimalsWithin32Bits) {
    struct Case { const wchar_t* text; std::int32_t value; };
    for (const Case& c : {Case{L"0", 0}, Case{L" 42\t", 42}, Case{L"+7", 7}, Case{L"-12", -12},
                          Case{L"2147483647", 2147483647}, Case{L"-2147483648", -2147483647 - 1}})
        EXPECT_EQ(StrToInt(c.text), c.value) << c.text;
    for (const wchar_t* bad : {L"", L" ", L"-", L"1x", L"1 2", L"0x10", L"2147483648", L"-2147483649",
                               L"99999999999999999999", L"１"})
        EXPECT_THROW(StrToInt(bad), EConvertError) << bad;
    EXPECT_EQ(Trim(L" \t\r\na b\x1a "), L"a b");
    EXPECT_EQ(Trim(L"\x3000x\x3000"), L"\x3000x\x3000");  // a full-width space is text
}

TEST(FileNames, PartsOfAPath) {
    struct Case { const wchar_t *name, *path, *dir, *file; };
    const Case cases[] = {
        {L"C:\\app\\tool.exe", L"C:\\app\\", L"C:\\app", L"tool.exe"},
        {L"C:\\tool.exe", L"C:\\", L"C:\\", L"tool.exe"},
        {L"C:tool.exe", L"C:", L"C:", L"tool.exe"},
        {L"tool.exe", L"", L"", L"tool.exe"},
        {L"\\\\srv\\share\\a.txt", L"\\\\srv\\share\\", L"\\\\srv\\share", L"a.txt"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExtractFilePath(c.name), c.path);
        EXPECT_EQ(ExtractFileDir(c.name), c.dir);
        EXPECT_EQ(ExtractFileName(c.name), c.file);
    }
}

TEST(AnsiText, RoundTripsThroughTheAnsiCodePage) {
    String s = L"ＭＳ ゴシック abc";
    EXPECT_EQ(AnsiToString(StringToAnsi(s)), s);
    EXPECT_EQ(StringToAnsi(L""), "");
    EXPECT_EQ(StringToAnsi(L"ア"), "\x83\x41");
    EXPECT_EQ(AnsiToString("\x93\xfa\x96\x7b"), L"日本");
}

TEST(AnsiText, LeadBytesOfCodePage932) {
    struct Case { unsigned char byte; bool lead; };
    const Case cases[] = {{'a', false}, {0x80, false}, {0x81, true}, {0x9F, true}, {0xA0, false},
                          {0xDF, false}, {0xE0, true}, {0xFC, true}, {0xFD, false}, {0xFF, false}};
    for (const Case& c : cases) EXPECT_EQ(IsAnsiLeadByte(c.byte), c.lead) << int(c.byte);
}

}  // namespace
