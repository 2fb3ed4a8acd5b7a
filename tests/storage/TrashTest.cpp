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

// The one rule that asks the file system: an existing file stands for its folder, also as the
// base of a relative path.
TEST(TrashPathRules, AnExistingFileStandsForItsFolder) {
    TempDir tmp;
    WriteBytes(tmp / L"file.txt", "x");
    TFixedTrashPath trash;
    EXPECT_EQ(trash.NormalizeFolder(tmp / L"file.txt"), tmp.Path());
    EXPECT_EQ(trash.RelativeTo(tmp / L"sub\\", tmp / L"file.txt"), L"sub");
    EXPECT_EQ(trash.StripWildcards(L"E:\\Tr*sh\\x"), L"E:\\");
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
