// The era file's reading, fed from text.
#include <gtest/gtest.h>

#include "DateUtils.h"
#include "EraFileCases.h"
#include "ssEraTbl.h"

namespace {

using namespace calendar_test;

String Summary(const TssEraTable& t) {
    String s;
    for (int i = 1; i <= t.Count(); ++i) {
        const TEra& e = t.Table()[i];
        if (i > 1) s += L' ';
        s += AnsiToString(e.LongName) + L'/' + AnsiToString(e.ShortName) + L'/' + AnsiToString(e.Initial) + L'/' +
             FormatDateTime(L"yyyy-mm-dd", e.start);
    }
    return s;
}

AnsiString Text(const std::vector<String>& lines, const char* lineEnd) {
    AnsiString text;
    for (const String& line : lines) text += StringToAnsi(line) + lineEnd;
    return text;
}

TEST(EraText, ReadsAsTheFileIsRead) {
    for (const EraFileCase& c : EraFileCases()) {
        TssEraTable t{TssEraDefaults{}};
        t.LoadFromText(Text(c.lines, "\r\n"));
        EXPECT_EQ(Summary(t), c.summary) << c.what;
    }
}

TEST(EraText, EveryLineEndCountsAndTheLastLineNeedsNone) {
    const String reiwa = DefaultSummary + String(L" 令和/令/R/2019-05-01");
    for (const char* lineEnd : {"\r\n", "\n", "\r"}) {
        AnsiString text = Text(Lines(DefaultLines, {ReiwaLine}), lineEnd);
        TssEraTable t{TssEraDefaults{}};
        t.LoadFromText(text.substr(0, text.size() - std::char_traits<char>::length(lineEnd)));
        EXPECT_EQ(Summary(t), reiwa) << int(lineEnd[0]);
    }
}

TEST(EraText, NamesAreCutBetweenCharacters) {
    TssEraTable t{TssEraDefaults{}};
    TssEraInfoArray eras = t.Table();
    eras[1].LongName = StringToAnsi(L"一二三四五六七八九");  // 18 bytes
    eras[2].Initial = StringToAnsi(L"aあいう");              // 7 bytes
    t.SetTable(eras);
    EXPECT_EQ(AnsiToString(t.Table()[1].LongName), L"一二三四五六七八");  // 16
    EXPECT_EQ(AnsiToString(t.Table()[2].Initial), L"aあ");              // 3: the next would split
}

TEST(EraText, IndexesOutsideTheTableRaise) {
    TssEraTable t{TssEraDefaults{}};
    EXPECT_THROW(t.Table()[0], EListError);
    EXPECT_THROW(t.Table()[TssEraInfoArray::High + 1], EListError);
    EXPECT_TRUE(t.Table()[TssEraInfoArray::High].LongName.empty());
}

}  // namespace
