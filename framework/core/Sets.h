// A small set over an enumeration, as the library's "set of" types. Ordinals stay those of the
// enumeration, so a set can be stored as its bit mask.
#pragma once
#include <cstdint>
#include <initializer_list>

template <typename E>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> items) {
        for (E e : items) FBits |= Bit(e);
    }
    constexpr bool Contains(E e) const { return (FBits & Bit(e)) != 0; }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr TSet& Include(E e) { FBits |= Bit(e); return *this; }
    constexpr TSet& Exclude(E e) { FBits &= ~Bit(e); return *this; }
    constexpr std::uint32_t Mask() const { return FBits; }
    constexpr TSet operator+(TSet o) const { return FromMask(FBits | o.FBits); }
    constexpr TSet operator-(TSet o) const { return FromMask(FBits & ~o.FBits); }
    constexpr TSet operator*(TSet o) const { return FromMask(FBits & o.FBits); }
    constexpr bool operator==(const TSet&) const = default;
    static constexpr TSet FromMask(std::uint32_t m) { TSet s; s.FBits = m; return s; }

private:
    static constexpr std::uint32_t Bit(E e) { return std::uint32_t(1) << static_cast<unsigned>(e); }
    std::uint32_t FBits = 0;
};
