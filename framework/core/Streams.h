// Byte streams: the base, memory streams, and (the Windows half, StreamsWin.cpp) file streams and
// the replacing save.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "SysUtils.h"

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream;
using TStreamProc = std::function<void(TStream&)>;

class TStream : public TObject {
    SS_CLASS(TStream, TObject)
public:
    // Read and Write move up to count bytes and answer how many they moved.
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;

    std::int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(std::int64_t pos) { Seek(pos, TSeekOrigin::soBeginning); }
    std::int64_t Size();
    // All of count bytes, or EReadError / EWriteError.
    void ReadBuffer(void* buffer, std::size_t count);
    void WriteBuffer(const void* buffer, std::size_t count);
    // Copies count bytes of source from its position; 0 copies all of source from its start.
    std::int64_t CopyFrom(TStream& source, std::int64_t count);
};

// A stream over a growing block of memory.
class TMemoryStream : public TStream {
    SS_CLASS(TMemoryStream, TStream)
public:
    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;

    const std::uint8_t* Memory() const { return FData.data(); }
    std::size_t DataSize() const { return FData.size(); }
    void Clear();
    void SetSize(std::size_t size);
    // Replaces the contents with all of source (from its start); the position goes to 0.
    void LoadFromStream(TStream& source);
    void SaveToStream(TStream& dest) const;
    // The Windows half.
    void LoadFromFile(const String& fileName);
    void SaveToFile(const String& fileName) const;

private:
    std::vector<std::uint8_t> FData;
    std::size_t FPosition = 0;
};

// The Windows half (StreamsWin.cpp).

enum class TFileMode { fmCreate, fmOpenRead, fmOpenReadWrite };

// A stream over an open file. EFCreateError / EFOpenError, with the system's reason, when the
// file cannot be made or opened.
class TFileStream : public TStream {
    SS_CLASS(TFileStream, TStream)
public:
    TFileStream(const String& fileName, TFileMode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;
    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    const String& FileName() const { return FFileName; }

private:
    void* FHandle;
    String FFileName;
};

// Saves a file without risking the one it replaces: write gets a stream on a new file beside
// fileName; only when it returns and the data is on disk does that file take fileName's place.
// When write throws or the replacement fails, the previous file is left as it was, the new one
// is removed, and the error goes on (EWriteError / EFCreateError for the file's own failures).
void SaveFileReplacing(const String& fileName, const TStreamProc& write);
