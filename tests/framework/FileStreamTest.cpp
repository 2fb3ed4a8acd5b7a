// File streams and the replacing save, on real files.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "Streams.h"
#include "TestSupport.h"
#include "WinApi.h"

using testing_support::ReadBytes;
using testing_support::FolderEntries;
using testing_support::TempDir;
using testing_support::WriteBytes;

namespace {
// Passes the first Room bytes on to Target and then takes nothing more, like a full disk.
class TFullDiskStream : public TStream {
    SS_CLASS(TFullDiskStream, TStream)
public:
    TFullDiskStream(TStream& target, std::size_t room) : FTarget(target), FRoom(room) {}
    std::size_t Read(void* buffer, std::size_t count) override { return FTarget.Read(buffer, count); }
    std::size_t Write(const void* buffer, std::size_t count) override {
        std::size_t n = FTarget.Write(buffer, std::min(count, FRoom));
        FRoom -= n;
        return n;
    }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override { return FTarget.Seek(offset, origin); }

private:
    TStream& FTarget;
    std::size_t FRoom;
};

void WriteText(TStream& s, const std::string& text) { s.WriteBuffer(text.data(), text.size()); }
}  // namespace

TEST(FileStream, WritesReadsAndSeeksInEachMode) {
    TempDir dir;
    String file = dir / L"data.bin";
    {
        TFileStream s(file, TFileMode::fmCreate);
        WriteText(s, "0123456789");
        EXPECT_EQ(s.Size(), 10);
        EXPECT_EQ(s.Seek(-3, TSeekOrigin::soEnd), 7);
        WriteText(s, "xyz");
        EXPECT_EQ(s.Position(), 10);
    }
    EXPECT_EQ(ReadBytes(file), "0123456xyz");
    {
        TFileStream s(file, TFileMode::fmOpenReadWrite);
        s.SetPosition(2);
        WriteText(s, "AB");
        char buf[4] = {};
        EXPECT_EQ(s.Read(buf, 3), 3u);
        EXPECT_EQ(std::string(buf, 3), "456");
    }
    {
        TFileStream s(file, TFileMode::fmOpenRead);
        char buf[16] = {};
        EXPECT_EQ(s.Read(buf, sizeof buf), 10u);  // a short read at the end is no error
        EXPECT_EQ(std::string(buf, 10), "01AB456xyz");
        EXPECT_EQ(s.Read(buf, 1), 0u);
        EXPECT_EQ(s.Write("q", 1), 0u);  // opened for reading only
        EXPECT_THROW(s.Seek(-1, TSeekOrigin::soBeginning), EStreamError);
    }
    TFileStream s(file, TFileMode::fmCreate);  // creating truncates
    EXPECT_EQ(s.Size(), 0);
}

TEST(FileStream, ShareModesLetReadersInWhileOneWrites) {
    TempDir dir;
    String file = dir / L"shared.bin";
    TFileStream writer(file, TFileMode::fmCreate);
    WriteText(writer, "abc");
    TFileStream reader(file, TFileMode::fmOpenRead);
    EXPECT_EQ(reader.Size(), 3);
    EXPECT_THROW(TFileStream(file, TFileMode::fmOpenReadWrite), EFOpenError);
}

TEST(FileStream, ErrorsNameTheFileAndTheReason) {
    TempDir dir;
    struct Case {
        String file;
        TFileMode mode;
        bool create;
    };
    const Case cases[] = {
        {dir / L"missing.bin", TFileMode::fmOpenRead, false},
        {dir / L"missing.bin", TFileMode::fmOpenReadWrite, false},
        {dir / L"no folder\\new.bin", TFileMode::fmCreate, true},
        {dir.Path(), TFileMode::fmCreate, true},  // a folder is no file
    };
    for (const Case& c : cases) {
        try {
            TFileStream s(c.file, c.mode);
            ADD_FAILURE() << "opened " << testing_support::Utf8(c.file);
        } catch (const EStreamError& e) {
            EXPECT_EQ(InheritsFromName(&e, c.create ? L"EFCreateError" : L"EFOpenError"), true)
                << testing_support::Utf8(e.Message());
            EXPECT_NE(e.Message().find(c.file), String::npos);
            EXPECT_GT(e.Message().size(), c.file.size() + 12);  // the system's reason follows
        }
    }
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<String>{});
}

TEST(MemoryStream, SavesToAndLoadsFromFiles) {
    TempDir dir;
    String file = dir / L"mem.bin";
    TMemoryStream m;
    std::string bytes("\0\1\2\xff", 4);
    WriteText(m, bytes);
    m.SaveToFile(file);
    EXPECT_EQ(ReadBytes(file), bytes);
    TMemoryStream back;
    WriteText(back, "old contents");
    back.LoadFromFile(file);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(back.Memory()), back.DataSize()), bytes);
    EXPECT_EQ(back.Position(), 0);
    EXPECT_THROW(back.LoadFromFile(dir / L"missing.bin"), EFOpenError);
    EXPECT_EQ(back.DataSize(), bytes.size());
}

TEST(SaveFileReplacing, AGoodSaveReplacesAndLeavesNothingElse) {
    TempDir dir;
    String file = dir / L"target.dat";
    SaveFileReplacing(file, [](TStream& s) { WriteText(s, "first"); });
    EXPECT_EQ(ReadBytes(file), "first");
    SaveFileReplacing(file, [](TStream& s) { WriteText(s, "2nd"); });
    EXPECT_EQ(ReadBytes(file), "2nd");
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<String>{L"target.dat"});
}

TEST(SaveFileReplacing, AFailedWriteKeepsThePreviousFile) {
    TempDir dir;
    String file = dir / L"target.dat";
    const std::string previous = "previous contents, byte for byte";
    WriteBytes(file, previous);
    std::string big(100000, 'n');
    // A full disk: the first 4096 bytes go in, then the writes come up short.
    EXPECT_THROW(SaveFileReplacing(file,
                                   [&](TStream& s) {
                                       TFullDiskStream full(s, 4096);
                                       WriteText(full, big);
                                   }),
                 EWriteError);
    EXPECT_EQ(ReadBytes(file), previous);
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<String>{L"target.dat"});
    // Any other failure of the writer passes through unchanged.
    EXPECT_THROW(SaveFileReplacing(file,
                                   [&](TStream& s) {
                                       WriteText(s, "half");
                                       throw std::runtime_error("writer gave up");
                                   }),
                 std::runtime_error);
    EXPECT_EQ(ReadBytes(file), previous);
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<String>{L"target.dat"});
}

TEST(SaveFileReplacing, SavesInProgressAtOnceUseTheirOwnFiles) {
    TempDir dir;
    String file = dir / L"target.dat";
    SaveFileReplacing(file, [&](TStream& outer) {
        WriteText(outer, "outer");
        SaveFileReplacing(file, [](TStream& inner) { WriteText(inner, "inner"); });
        EXPECT_EQ(ReadBytes(file), "inner");
        WriteText(outer, "!");
    });
    EXPECT_EQ(ReadBytes(file), "outer!");
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<String>{L"target.dat"});
}

TEST(SaveFileReplacing, AnUnwritableTargetRaisesAndKeepsWhatWasThere) {
    TempDir dir;
    bool called = false;
    EXPECT_THROW(SaveFileReplacing(dir / L"no folder\\target.dat", [&](TStream&) { called = true; }), EFCreateError);
    EXPECT_FALSE(called);

    // A read-only file is not replaced. (Wine 8's MoveFileExW with MOVEFILE_REPLACE_EXISTING
    // replaces a read-only target, where Windows answers ERROR_ACCESS_DENIED; the save checks the
    // attribute itself, so both refuse.)
    String file = dir / L"readonly.dat";
    WriteBytes(file, "kept");
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_THROW(SaveFileReplacing(file, [](TStream& s) { WriteText(s, "new"); }), EFCreateError);
    EXPECT_EQ(ReadBytes(file), "kept");
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<String>{L"readonly.dat"});
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);

    // The move itself fails for a file held open without delete sharing (Wine and Windows alike).
    String held = dir / L"held.dat";
    WriteBytes(held, "held");
    HANDLE h = CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_THROW(SaveFileReplacing(held, [](TStream& s) { WriteText(s, "new"); }), EFCreateError);
    CloseHandle(h);
    EXPECT_EQ(ReadBytes(held), "held");
    EXPECT_EQ(FolderEntries(dir.Path()).size(), 2u);
}
