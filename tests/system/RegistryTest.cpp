#include <gtest/gtest.h>

#include "TestSupport.h"
#include "ssRegistry.h"

namespace {

using namespace testing_support;

const String kBase = L"\\Software\\ssRegistryTest";

class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        TssRegistry r;
        r.DeleteKey(kBase);
        for (const wchar_t* k : {L"\\a\\b\\c", L"\\a\\b\\d", L"\\a\\e", L"\\f"}) r.CreateKey(kBase + k);
        ASSERT_TRUE(r.OpenKey(kBase + L"\\a\\b", false));
        r.WriteString(L"v", L"value");
    }
    void TearDown() override { TssRegistry().DeleteKey(kBase); }
};

TEST_F(Registry, DeleteKeyRemovesTheWholeTreeAbsoluteOrRelative) {
    TssRegistry r;
    ASSERT_TRUE(r.OpenKey(kBase, false));
    EXPECT_TRUE(r.DeleteKey(L"a"));  // relative to the current key
    EXPECT_FALSE(r.KeyExists(L"a"));
    EXPECT_TRUE(r.KeyExists(L"f"));

    ASSERT_TRUE(r.OpenKey(kBase + L"\\f", false));
    EXPECT_TRUE(r.DeleteKey(kBase));  // absolute, whatever the current key
    r.CloseKey();
    EXPECT_FALSE(r.KeyExists(kBase));
    EXPECT_FALSE(r.DeleteKey(kBase));
}

TEST_F(Registry, MoveKeyCopiesTheTreeAndLeavesNoSubkeysBehind) {
    TssRegistry r;
    r.MoveKey(kBase + L"\\a", kBase + L"\\moved", true);
    EXPECT_FALSE(r.KeyExists(kBase + L"\\a"));
    EXPECT_TRUE(r.KeyExists(kBase + L"\\moved\\b\\c"));
    EXPECT_TRUE(r.KeyExists(kBase + L"\\moved\\e"));
    ASSERT_TRUE(r.OpenKey(kBase + L"\\moved\\b", false));
    EXPECT_EQ(r.ReadString(L"v"), L"value");

    r.CloseKey();
    r.MoveKey(kBase + L"\\moved", kBase + L"\\copy", false);
    EXPECT_TRUE(r.KeyExists(kBase + L"\\moved\\b\\d"));
    EXPECT_TRUE(r.KeyExists(kBase + L"\\copy\\b\\d"));
}

TEST_F(Registry, CreateKeyFailureNamesTheKeyAsPassed) {
    TssRegistry r;
    String tooLong = kBase + L"\\" + String(300, L'x');  // a key name has at most 255 characters
    try {
        r.CreateKey(tooLong);
        FAIL() << "no exception";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), L"キー\u3000" + tooLong + L" の作成に失敗しました");
    }
    EXPECT_TRUE(r.CreateKey(kBase + L"\\new"));
    EXPECT_TRUE(r.KeyExists(kBase + L"\\new"));
    EXPECT_EQ(r.RootKey(), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(r.Access(), REGSAM(0x2001F));
}

}  // namespace
