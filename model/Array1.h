#pragma once

#include <array>
#include <cassert>
#include <cstddef>

namespace aqv {

// A fixed-capacity array indexed from Lo to Hi inclusive, as the document's tables are numbered.
// Every index is checked in debug builds, so a stray index is caught where it happens instead of
// overwriting the neighbouring field. Copyable and comparable like std::array.
template <typename T, int Lo, int Hi>
class TArrayRange {
  static_assert(Hi >= Lo);

 public:
  static constexpr int kLow = Lo;
  static constexpr int kHigh = Hi;
  static constexpr std::size_t kSize = static_cast<std::size_t>(Hi - Lo + 1);

  constexpr T& operator[](int i) {
    assert(i >= Lo && i <= Hi);
    return mItems[static_cast<std::size_t>(i - Lo)];
  }
  constexpr const T& operator[](int i) const {
    assert(i >= Lo && i <= Hi);
    return mItems[static_cast<std::size_t>(i - Lo)];
  }

  constexpr void Fill(const T& value) { mItems.fill(value); }
  constexpr T* Data() { return mItems.data(); }
  constexpr const T* Data() const { return mItems.data(); }
  constexpr auto begin() { return mItems.begin(); }
  constexpr auto end() { return mItems.end(); }
  constexpr auto begin() const { return mItems.begin(); }
  constexpr auto end() const { return mItems.end(); }

  friend bool operator==(const TArrayRange&, const TArrayRange&) = default;

 private:
  std::array<T, kSize> mItems{};
};

// The common case: indices 1..N.
template <typename T, int N>
using TArray1 = TArrayRange<T, 1, N>;

}  // namespace aqv
