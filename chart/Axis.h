#pragma once

#include "chart/Elements.h"
#include "chart/Title.h"

namespace aqv {

struct TScaleData {
  bool MaxAutomatic = true;
  bool MinAutomatic = true;
  bool MajorUnitAutomatic = true;
  bool MinorUnitAutomatic = true;
  bool LogScale = false;
  double Min = 0.0;
  double Max = 100.0;
  double MajorUnit = 10.0;
  double MinorUnit = 2.0;
  bool ReverseOrder = false;  // Min > Max
  friend bool operator==(const TScaleData&, const TScaleData&) = default;
};

// Range and divisions of one axis, in the axis's own units (decades are not special: a log
// scale keeps Min and Max as plain values). The flag setters store and fire OnChange, also when
// unchanged. The value setters store but fire only while the matching automatic flag is off,
// because the chart's automatic scaling writes them on every drawing and must not schedule
// another one. Min and Max keep ReverseOrder equal to Min > Max without an event of their own.
// LogScale fires OnChange and then OnLogScaleChange. A value that is not finite is refused (the
// value setters ignore it, SetData keeps the previous value), so a scale can always be saved.
// Copies start without events; assignment keeps the target's events.
class TScale : public TObject {
 public:
  TScale() = default;
  TScale(const TScale& other) : TObject(other), mData(other.mData) {}
  TScale& operator=(const TScale& other) {
    mData = other.mData;
    return *this;
  }

  const TScaleData& Data() const { return mData; }
  // Replaces every value as given (ReverseOrder included). With notify it fires OnChange once,
  // then OnLogScaleChange when LogScale changed.
  void SetData(const TScaleData& data, bool notify = true);
  void Assign(const TScale& source) { SetData(source.mData); }

  bool MaxAutomatic() const { return mData.MaxAutomatic; }
  void SetMaxAutomatic(bool value);
  bool MinAutomatic() const { return mData.MinAutomatic; }
  void SetMinAutomatic(bool value);
  bool MajorUnitAutomatic() const { return mData.MajorUnitAutomatic; }
  void SetMajorUnitAutomatic(bool value);
  bool MinorUnitAutomatic() const { return mData.MinorUnitAutomatic; }
  void SetMinorUnitAutomatic(bool value);
  bool LogScale() const { return mData.LogScale; }
  void SetLogScale(bool value);
  double Min() const { return mData.Min; }
  void SetMin(double value);
  double Max() const { return mData.Max; }
  void SetMax(double value);
  double MajorUnit() const { return mData.MajorUnit; }
  void SetMajorUnit(double value);
  double MinorUnit() const { return mData.MinorUnit; }
  void SetMinorUnit(double value);
  bool ReverseOrder() const { return mData.ReverseOrder; }
  void SetReverseOrder(bool value);

  TNotifyEvent OnChange;
  TNotifyEvent OnLogScaleChange;

 private:
  TScaleData mData;
};

// Axis face and size of a new axis and its title.
inline constexpr const char* kAxisFontName = "Arial";
inline constexpr int kAxisFontSize = 14;  // points

struct TAxisData {
  TMyAlignmentData Alignment;
  TFontData Font;
  bool Grid = true;
  TNumberData Number;
  TPatternsData Patterns;
  TScaleData Scale;
  TTitleData Title;
  friend bool operator==(const TAxisData&, const TAxisData&) = default;
};

// One axis of the chart: tick-label alignment and font, grid flag, number format, axis line
// (Patterns.Border, width 2), scale and title. Owns all of them and forwards their changes to
// OnChange with the axis as sender; the scale's OnLogScaleChange is not forwarded. Grid is a
// plain field. Kind is set once by the chart; Kind, Selected and Rect are outside Data(). A
// copy forwards its own parts to itself and starts without OnChange; assignment copies
// everything but keeps the target's OnChange.
class TAxis : public TObject {
 public:
  TAxis();
  TAxis(const TAxis& other);
  TAxis& operator=(const TAxis& other);

  TAxisData Data() const;
  // Replaces every setting; fires OnChange once when notify is set (and the scale's
  // OnLogScaleChange when LogScale changed).
  void SetData(const TAxisData& data, bool notify = true);
  void Assign(const TAxis& source) { SetData(source.Data()); }

  TMyAlignment& Alignment() { return mAlignment; }
  const TMyAlignment& Alignment() const { return mAlignment; }
  TFont& Font() { return mFont; }
  const TFont& Font() const { return mFont; }
  TNumber& Number() { return mNumber; }
  const TNumber& Number() const { return mNumber; }
  TPatterns& Patterns() { return mPatterns; }
  const TPatterns& Patterns() const { return mPatterns; }
  TScale& Scale() { return mScale; }
  const TScale& Scale() const { return mScale; }
  TTitle& Title() { return mTitle; }
  const TTitle& Title() const { return mTitle; }

  bool Grid() const { return mGrid; }
  void SetGrid(bool value) { mGrid = value; }
  TAxisType Kind() const { return mKind; }
  void SetKind(TAxisType value) { mKind = value; }
  bool Selected() const { return mSelected; }
  void SetSelected(bool value) { mSelected = value; }
  TPartRect& Rect() { return mRect; }
  const TPartRect& Rect() const { return mRect; }

  // Fires OnChange with the axis as sender, whoever sent the change.
  void AxisChanged(TObject* sender);

  TNotifyEvent OnChange;

 private:
  void Hook();

  TMyAlignment mAlignment;
  bool mGrid = true;
  TNumber mNumber;
  TFont mFont;
  TPatterns mPatterns;
  TScale mScale;
  TTitle mTitle;
  TAxisType mKind = TAxisType::saX;
  bool mSelected = false;
  TPartRect mRect;
};

}  // namespace aqv
