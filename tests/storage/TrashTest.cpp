#include <gtest/gtest.h>

#include <memory>

#include "DateUtils.h"
#include "TestSupport.h"
#include "ssComFolder.h"
#include "ssTrash.h"

namespace {

using namespace testing_support;

const wchar_t kStamp[] = L"201610140905";  // 2016-10-14 09:05

// The trash layout at a fixed moment, with its path rules open to the tests.
class TFixedTrashPath : public ssKVRTrashPath {
public:
    using ssKVRTrashPath::NormalizeFolder;
    using ssKVRTrashPath::RelativeTo;
    using ssKVRTrashPath::StripWildcards;

protected:
    String TimeStamp() const override { return kStamp; }
};

// The program folder of the folder scheme, for the rows without a destination.
class TrashLayout : public ::testing::Test {
protected:
    void SetUp() override {
        auto folders = std::make_unique<TssCommonFolder>();
        folders->SetBinFolder(L"C:\\KVR\\Bin");
        TssCommonFolder::SetObject(std::move(folders));
    }
    void TearDown() override { TssCommonFolder::SetObject(nullptr); }
};

TEST_F(TrashLayout, PathsForEverySourceAndDestination) {
    struct Case {
        const wchar_t* src;
        const wchar_t* dst;
        const wchar_t* trash;      // the purge folder, without "\Recycle"
        const wchar_t* receiving;  // below the dated root
    };
    const Case cases[] = {
        // Local source.
        {L"C:\\data\\sub\\a.txt", L"E:\\Trash\\", L"E:\\Trash", L"data\\sub\\"},
        {L"C:\\data\\sub\\", L"E:\\Trash", L"E:\\Trash", L"data\\sub\\"},
        {L"C:\\a.txt", L"E:\\Trash\\", L"E:\\Trash", L""},
        {L"C:\\data\\a.txt", L"E:\\Trash\\*.*", L"E:\\Trash", L"data\\"},
        {L"D:\\data\\a.txt", L"\\Trash\\", L"D:\\Trash", L"data\\"},
        {L"D:\\a.txt", L"\\Trash", L"D:\\Trash", L""},
        {L"C:\\data\\a.txt", L"\\\\srv\\share\\trash\\", L"\\\\srv\\share\\trash", L"data\\"},
        {L"D:\\data\\a.txt", L"", L"D:\\KVR\\Bin", L"data\\"},
        // UNC source.
        {L"\\\\srv\\share\\data\\dir\\b.txt", L"E:\\Trash\\", L"E:\\Trash", L"srv\\share\\data\\dir\\"},
        {L"\\\\srv\\share\\data\\dir\\b.txt", L"\\\\srv\\share\\data\\", L"\\\\srv\\share\\data", L"dir\\"},
        {L"\\\\srv\\share\\data\\dir\\b.txt", L"\\\\srv\\other\\", L"\\\\srv\\other", L"srv\\share\\data\\dir\\"},
        // A sibling folder that only starts like the destination keeps its whole path.
        {L"\\\\srv\\share\\data2\\dir\\b.txt", L"\\\\srv\\share\\data\\", L"\\\\srv\\share\\data",
         L"srv\\share\\data2\\dir\\"},
        {L"\\\\srv\\share\\dir\\b.txt", L"", L"C:\\KVR\\Bin", L"srv\\share\\dir\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(String(c.src) + L" -> " + c.dst));
        TFixedTrashPath trash;
        trash.SetPath(c.src, c.dst);
        String root = String(c.trash) + L"\\Recycle\\" + kStamp;
        EXPECT_EQ(trash.RecycleDeletePath(), String(c.trash) + L"\\Recycle");
        EXPECT_EQ(trash.RecycleRootPath(), root);
        EXPECT_EQ(trash.RecyclePath(), root + L"\\" + c.receiving);
    }
}

TEST_F(TrashLayout, RefusedSourcesAndDestinations) {
    struct Case {
        const wchar_t* src;
        const wchar_t* dst;
        int code;
        const wchar_t* message;
    };
    const Case cases[] = {
        {L"", L"E:\\Trash\\", 0,
         L"プロパティ値が正しくセットされていません。\r\n引数を再度確認して正しく指定してください。"},
        {L"", L"", 0, nullptr},
        {L"C:\\data\\a.txt", L"E:\\", 2,
         L"移動先フォルダ指定にルートを指定出来ません。\r\n移動先フォルダを、再度確認して指定し直してください。"},
        {L"C:\\data\\a.txt", L"e:\\", 2, nullptr},
        // Whatever reduces to a drive's root, or to nothing, once wildcards, dots and the
        // leading "\" rule have had their say.
        {L"C:\\data\\a.txt", L"E:", 2, nullptr},
        {L"C:\\data\\a.txt", L"E:\\*", 2, nullptr},
        {L"C:\\data\\a.txt", L"E:\\*.*", 2, nullptr},
        {L"C:\\data\\a.txt", L"E:\\Tr*sh\\", 2, nullptr},
        {L"C:\\data\\a.txt", L"E:/", 2, nullptr},
        {L"C:\\data\\a.txt", L"E:\\.", 2, nullptr},
        {L"C:\\data\\a.txt", L"E:\\Trash\\..\\", 2, nullptr},
        {L"C:\\data\\a.txt", L"\\", 2, nullptr},
        {L"C:\\data\\a.txt", L"*.*", 2, nullptr},
        {L"C:\\data\\a.txt", L"\\\\", 2, nullptr},
        {L"\\\\srv\\share\\b.txt", L"E:\\*", 2, nullptr},
        {L"\\\\srv\\share\\b.txt", L"\\Trash", 3,
         L"移動元のUNCと、移動先のUNCが制限事項から外れています。\r\nUNCフォルダの指定を確認して指定し直してください。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(String(c.src) + L" -> " + c.dst));
        TFixedTrashPath trash;
        trash.SetPath(L"C:\\data\\a.txt", L"E:\\Trash\\");
        try {
            trash.SetPath(c.src, c.dst);
            ADD_FAILURE() << "no exception";
        } catch (const ETrashException& e) {
            EXPECT_EQ(e.ErrorCode, c.code);
            if (c.message) {
                EXPECT_EQ(e.Message(), c.message);
            }
            EXPECT_EQ(e.ErrorMsg, e.Message());
        }
        EXPECT_EQ(trash.RecycleRootPath(), L"") << "no paths from an earlier call";
        EXPECT_EQ(trash.RecyclePath(), L"");
        EXPECT_EQ(trash.RecycleDeletePath(), L"");
    }
    EXPECT_EQ(ETrashException(1).Message(),
              L"移動先フォルダの編集が正しく処理出来ません。\r\n引数(移動先)を再度確認して正しく指定してください。");
}

TEST(TrashPathRules, NormalizeStripAndRelate) {
    TempDir tmp;
    WriteBytes(tmp / L"file.txt", "x");
    TFixedTrashPath trash;
    const std::pair<String, String> normalized[] = {
        {L"\\\\server\\share\\dir\\", L"server\\share\\dir"},
        {L"C:\\data\\sub\\", L"C:\\data\\sub"},
        {L"\\Trash", L"Trash"},
        {L"\\\\\\x\\", L"\\x"},
        {L"\\", L""},
        {L"", L""},
        {L"E:\\Trash\\*.*", L"E:\\Trash"},
        {tmp / L"file.txt", tmp.Path()},  // an existing file stands for its folder
    };
    for (const auto& [text, expected] : normalized) EXPECT_EQ(trash.NormalizeFolder(text), expected) << Utf8(text);

    const std::pair<String, String> stripped[] = {
        {L"E:\\Trash\\*.*", L"E:\\Trash\\"}, {L"E:\\Tr*sh\\x", L"E:\\"}, {L"*.txt", L""},
        {L"abc?", L"abc"},                   {L"C:\\a?\\b*", L"C:\\"},   {L"C:\\plain", L"C:\\plain"},
    };
    for (const auto& [text, expected] : stripped) EXPECT_EQ(trash.StripWildcards(text), expected) << Utf8(text);

    struct Relative {
        const wchar_t *path, *base, *expected;
    };
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
        EXPECT_EQ(trash.RelativeTo(r.path, r.base), r.expected) << Utf8(String(r.path) + L" in " + r.base);
}

// Twelve digits at every moment, also with one-digit months, days, hours and minutes.
TEST(TrashPathRules, TimeStampHasTwelveDigits) {
    struct Case {
        int y, m, d, h, n;
        const wchar_t* stamp;
    };
    const Case cases[] = {
        {2016, 10, 14, 9, 5, L"201610140905"},
        {2017, 1, 2, 0, 0, L"201701020000"},
        {2016, 12, 31, 23, 59, L"201612312359"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TrashTimeStamp(EncodeDate(c.y, c.m, c.d) + EncodeTime(c.h, c.n, 0, 0)), c.stamp);
}

// The dated root is named after the moment of the call, to the minute.
TEST(TrashPathRules, RootIsNamedAfterTheCurrentMinute) {
    ssKVRTrashPath trash;
    String before = FormatDateTime(L"yyyymmddhhnn", Now());
    trash.SetPath(L"C:\\data\\a.txt", L"E:\\Trash\\");
    String after = FormatDateTime(L"yyyymmddhhnn", Now());
    const String prefix = L"E:\\Trash\\Recycle\\";
    ASSERT_EQ(trash.RecycleRootPath().substr(0, prefix.size()), prefix);
    String stamp = trash.RecycleRootPath().substr(prefix.size());
    EXPECT_EQ(stamp.size(), 12u);
    EXPECT_GE(stamp, before);
    EXPECT_LE(stamp, after);
    EXPECT_EQ(trash.RecyclePath(), trash.RecycleRootPath() + L"\\data\\");
}

}  // namespace
