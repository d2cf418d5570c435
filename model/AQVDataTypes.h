#pragma once

#include <cstddef>
#include <cstdint>

#include "model/engine/AQVLaplace.h"

namespace aqv {

// Capacities, text widths, units and small sets of the document, shared by the document and
// its data file, which reads and writes them without a document.

inline constexpr int kMaxLayers = 3;  // layer positions: aquitards 1..n+1, aquifers 1..n
inline constexpr int kMaxPumpingWells = 2;
inline constexpr int kMaxPeriods = 100;
inline constexpr int kMaxObservationWells = 5;
inline constexpr int kMaxObservations = 1000;
inline constexpr int kMaxFitObservations = kMaxObservationWells * kMaxObservations;
inline constexpr int kInfoTextCount = 14;
inline constexpr int kMaxParameters = 6;
// Links between table values and optimised parameters that a run can hold.
inline constexpr int kMaxLinks = 200;
inline constexpr int kMaxCurveValues = 50000;
inline constexpr int kPaletteSize = 20;

// Widths of the fixed-length texts, in characters.
inline constexpr std::size_t kWellNameWidth = 20;
inline constexpr std::size_t kInfoTextWidth = 60;
inline constexpr std::size_t kLayerNameWidth = 80;

// Code of a parameter that is not optimised; any other character marks the parameter, and
// values with equal marks are fitted as one.
inline constexpr char kNoMark = '\0';

// Display unit of time; the files store the number.
enum class TAQVTimeUnit : std::uint8_t {
  tuSeconds = 0,
  tuMinutes = 1,
  tuHours = 2,
  tuDays = 3,
  tuYears = 4,
};

// Unit of every stored length; the files store the number.
enum class TAQVLengthUnit : std::uint8_t {
  luFeet = 0,
  luMeters = 1,
};

// A set of small numbers 0..7 in one byte, bit n for element n: the layers a well has a
// screen or a curve in, or the observation wells that stand at the same place.
class TByteSet {
 public:
  constexpr TByteSet() = default;
  constexpr explicit TByteSet(std::uint8_t bits) : mBits(bits) {}
  constexpr bool Contains(int i) const { return i >= 0 && i < 8 && (mBits >> i) & 1u; }
  constexpr void Include(int i) {
    if (i >= 0 && i < 8) mBits = static_cast<std::uint8_t>(mBits | (1u << i));
  }
  constexpr void Exclude(int i) {
    if (i >= 0 && i < 8) mBits = static_cast<std::uint8_t>(mBits & ~(1u << i));
  }
  constexpr bool Empty() const { return mBits == 0; }
  constexpr std::uint8_t Bits() const { return mBits; }
  friend constexpr bool operator==(TByteSet, TByteSet) = default;

 private:
  std::uint8_t mBits = 0;
};

}  // namespace aqv
