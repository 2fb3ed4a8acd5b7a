// The holiday file's rules, names and sections, read through the profile reader: the same
// answers as the text's (HolidayTextTest).
#include <gtest/gtest.h>

#include "EraFiles.h"
#include "HolidayFileCases.h"
#include "ssHoliday.h"

namespace {

using namespace calendar_test;
using testing_support::TempDir;

// A new file for every case: the profile reader caches a file it has read, and a rewrite within
// one timestamp tick would go unnoticed.
class HolidayFileTest : public ::testing::Test {
protected:
    String NewFile(const std::string& bytes) {
        String file = FDir / (L"holiday" + std::to_wstring(++FFiles) + L".ini");
        testing_support::WriteBytes(file, bytes);
        return file;
    }

private:
    TempDir FDir;
    int FFiles = 0;
};

TEST_F(HolidayFileTest, ReadsAsTheTextIsRead) {
    for (const HolidayFileCase& c : HolidayFileCases()) {
        std::string bytes;
        for (const String& line : c.lines) bytes += Cp932(line) + "\r\n";
        THolidaySectionReader sections = HolidayFileReader(NewFile(bytes));
        EXPECT_EQ(RuleSummary(sections), c.rules) << c.what;
        EXPECT_EQ(NameSummary(sections), c.names) << c.what;
    }
}

TEST_F(HolidayFileTest, ProfileReaderSplitsSectionsAsTheText) {
    for (const IniCase& c : IniCases()) EXPECT_EQ(HolidayFileReader(NewFile(Cp932(c.text)))(c.section), c.lines) << c.what;
}

}  // namespace
