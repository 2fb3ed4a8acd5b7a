// The holiday file's rules, names and sections, read from its text.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "HolidayFileCases.h"

namespace {

using namespace calendar_test;

String Text(const std::vector<String>& lines) {
    String text;
    for (const String& line : lines) text += line + L"\r\n";
    return text;
}

TEST(HolidayText, ReadsAsTheFileIsRead) {
    for (const HolidayFileCase& c : HolidayFileCases()) {
        THolidaySectionReader sections = HolidayTextReader(Text(c.lines));
        EXPECT_EQ(RuleSummary(sections), c.rules) << c.what;
        EXPECT_EQ(NameSummary(sections), c.names) << c.what;
    }
}

TEST(HolidayText, SplitsSectionsAsTheProfileReader) {
    for (const IniCase& c : IniCases()) EXPECT_EQ(HolidayTextReader(c.text)(c.section), c.lines) << c.what;
}

// The native build reads the file as its text; a missing file has no sections.
TEST(HolidayText, FileIsReadAsItsText) {
    const std::string name = testing::TempDir() + "holiday-text-test.ini";
    {
        std::ofstream file(name, std::ios::binary);
        file << StringToAnsi(Text(RuleFileLines));
    }
    const String fileName = AnsiToString(name);
    EXPECT_EQ(RuleSummary(HolidayFileReader(fileName)), RuleSummary(HolidayTextReader(Text(RuleFileLines))));
    std::remove(name.c_str());
    EXPECT_EQ(RuleSummary(HolidayFileReader(fileName)), DefaultRules);
}

}  // namespace
