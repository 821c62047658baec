// Small bit sets over enumerations with at most 64 members.
#pragma once
#include <cstdint>
#include <initializer_list>

template <class E>
class TSet {
public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> items) {
    for (E e : items) FBits |= Bit(e);
  }
  static constexpr TSet FromBits(uint64_t bits) {
    TSet s;
    s.FBits = bits;
    return s;
  }

  constexpr bool Contains(E e) const { return (FBits & Bit(e)) != 0; }
  constexpr TSet& Include(E e) {
    FBits |= Bit(e);
    return *this;
  }
  constexpr TSet& Exclude(E e) {
    FBits &= ~Bit(e);
    return *this;
  }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr uint64_t Bits() const { return FBits; }

  constexpr TSet operator+(TSet o) const { return FromBits(FBits | o.FBits); }
  constexpr TSet operator-(TSet o) const { return FromBits(FBits & ~o.FBits); }
  constexpr TSet operator*(TSet o) const { return FromBits(FBits & o.FBits); }
  constexpr TSet& operator+=(TSet o) {
    FBits |= o.FBits;
    return *this;
  }
  constexpr TSet& operator-=(TSet o) {
    FBits &= ~o.FBits;
    return *this;
  }
  constexpr bool operator==(const TSet&) const = default;

private:
  static constexpr uint64_t Bit(E e) { return uint64_t(1) << unsigned(e); }
  uint64_t FBits = 0;
};
