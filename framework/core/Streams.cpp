#include "Streams.h"

#include <algorithm>
#include <cstring>

std::int64_t TStream::Size() {
    std::int64_t pos = Position();
    std::int64_t size = Seek(0, TSeekOrigin::soEnd);
    Seek(pos, TSeekOrigin::soBeginning);
    return size;
}

void TStream::ReadBuffer(void* buffer, std::size_t count) {
    if (count && Read(buffer, count) != count) throw EReadError(L"ストリームの読み取りエラーです");
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
    if (count && Write(buffer, count) != count) throw EWriteError(L"ストリームの書き込みエラーです");
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    std::uint8_t buffer[65536];
    for (std::int64_t left = count; left > 0;) {
        std::size_t n = std::size_t(std::min<std::int64_t>(left, sizeof buffer));
        source.ReadBuffer(buffer, n);
        WriteBuffer(buffer, n);
        left -= std::int64_t(n);
    }
    return count;
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
    std::size_t n = FPosition < FData.size() ? std::min(count, FData.size() - FPosition) : 0;
    if (n) std::memcpy(buffer, FData.data() + FPosition, n);
    FPosition += n;
    return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
    if (!count) return 0;
    if (FPosition + count > FData.size()) FData.resize(FPosition + count);
    std::memcpy(FData.data() + FPosition, buffer, count);
    FPosition += count;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = origin == TSeekOrigin::soBeginning ? 0
                        : origin == TSeekOrigin::soCurrent ? std::int64_t(FPosition)
                                                           : std::int64_t(FData.size());
    std::int64_t pos = base + offset;
    if (pos < 0) throw EStreamError(L"ストリームの位置が負になります");
    FPosition = std::size_t(pos);
    return pos;
}

void TMemoryStream::Clear() {
    FData.clear();
    FPosition = 0;
}

void TMemoryStream::SetSize(std::size_t size) {
    FData.resize(size);
    FPosition = std::min(FPosition, size);
}

void TMemoryStream::LoadFromStream(TStream& source) {
    source.SetPosition(0);
    std::int64_t size = source.Size();
    FData.resize(std::size_t(size));
    source.ReadBuffer(FData.data(), FData.size());
    FPosition = 0;
}

void TMemoryStream::SaveToStream(TStream& dest) const { dest.WriteBuffer(FData.data(), FData.size()); }
