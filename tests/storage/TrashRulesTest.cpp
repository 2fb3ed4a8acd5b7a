#include <gtest/gtest.h>

#include <utility>

#include "ssTrashRules.h"

namespace {

TEST(TrashPathRules, NormalizeStripAndRelate) {
    const std::pair<const wchar_t*, const wchar_t*> normalized[] = {
        {L"\\\\server\\share\\dir\\", L"server\\share\\dir"},
        {L"C:\\data\\sub\\", L"C:\\data\\sub"},
        {L"\\Trash", L"Trash"},
        {L"\\\\\\x\\", L"\\x"},
        {L"\\", L""},
        {L"", L""},
        {L"E:\\Trash\\*.*", L"E:\\Trash"},
    };
    for (const auto& [text, expected] : normalized) EXPECT_EQ(NormalizeTrashFolder(text), expected) << text;

    const std::pair<const wchar_t*, const wchar_t*> stripped[] = {
        {L"E:\\Trash\\*.*", L"E:\\Trash\\"}, {L"E:\\Tr*sh\\x", L"E:\\"}, {L"*.txt", L""},
        {L"abc?", L"abc"},                   {L"C:\\a?\\b*", L"C:\\"},   {L"C:\\plain", L"C:\\plain"},
    };
    for (const auto& [text, expected] : stripped) EXPECT_EQ(StripWildcards(text), expected) << text;

    const std::pair<const wchar_t*, const wchar_t*> afterColon[] = {
        {L"C:\\data\\", L"\\data\\"}, {L"\\\\srv\\share\\", L"\\\\srv\\share\\"}, {L"a:b:c", L"b:c"}, {L":", L""}};
    for (const auto& [text, expected] : afterColon) EXPECT_EQ(AfterColon(text), expected) << text;

    struct Relative { const wchar_t *path, *base, *expected; };
    const Relative relatives[] = {
        {L"\\\\srv\\share\\data\\dir\\", L"\\\\srv\\share\\data\\", L"dir"},
        {L"\\\\srv\\share\\data\\dir\\sub\\", L"\\\\srv\\share\\", L"data\\dir\\sub"},
        {L"\\\\srv\\share\\data\\dir\\", L"\\\\srv\\other\\", L"srv\\share\\data\\dir"},
        {L"\\\\srv\\share\\data2\\dir\\", L"\\\\srv\\share\\data\\", L"srv\\share\\data2\\dir"},
        {L"\\\\srv\\share\\", L"\\\\srv\\share\\", L"srv\\share"},
        {L"\\\\srv\\share\\", L"\\\\srv\\share\\data\\", L"srv\\share"},
        {L"\\\\srv\\share\\", L"\\\\", L"srv\\share"},
    };
    for (const Relative& r : relatives)
        EXPECT_EQ(RelativeFolder(NormalizeTrashFolder(r.path), NormalizeTrashFolder(r.base)), r.expected)
            << r.path << L" in " << r.base;
}

// A trash tree at a drive's root would have its purge work on the whole drive.
TEST(TrashPathRules, DriveRootsAndNothingInEverySpelling) {
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"", true},          {L"E:", true},           {L"E:\\", true},       {L"E:/", true},
        {L"E:\\.", true},     {L"E:\\Trash\\..", true}, {L"\\\\", true},      {L"..\\..", true},
        {L"E:\\Trash", false}, {L"Trash", false},      {L"\\\\srv\\share", false}, {L"E:\\a\\..\\b", false},
        {L"E:\\...", false},  // a name of three dots is no parent
    };
    for (const auto& [folder, root] : cases) EXPECT_EQ(IsDriveRootOrNothing(folder), root) << folder;
}

// Twelve digits at every moment, also with one-digit months, days, hours and minutes.
TEST(TrashPathRules, TimeStampHasTwelveDigits) {
    struct Case { int y, m, d, h, n; const wchar_t* stamp; };
    const Case cases[] = {
        {2016, 10, 14, 9, 5, L"201610140905"},
        {2017, 1, 2, 0, 0, L"201701020000"},
        {2016, 12, 31, 23, 59, L"201612312359"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TrashTimeStamp(EncodeDate(c.y, c.m, c.d) + EncodeTime(c.h, c.n, 0, 0)), c.stamp);
}

// Only eight digits and four more characters name a dated root; the purge passes over the rest.
TEST(TrashPathRules, DayOfADatedRoot) {
    const std::pair<const wchar_t*, int> cases[] = {
        {L"201610140905", 20161014}, {L"20161014abcd", 20161014}, {L"2016101409051", -1},
        {L"20161014090", -1},        {L"2016101a0905", -1},       {L"", -1},
        {L"-2016101abcd", -1},
    };
    for (const auto& [name, day] : cases) EXPECT_EQ(TrashRootDay(name), day) << name;
}

}  // namespace
