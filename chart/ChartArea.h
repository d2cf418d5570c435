#pragma once

#include "chart/Elements.h"

namespace aqv {

struct TChartAreaData {
  TFontData Font;
  TPatternsData Patterns;
  friend bool operator==(const TChartAreaData&, const TChartAreaData&) = default;
};

// The background of the whole chart: a black font and patterns with a white border. Owns both
// and forwards their changes to OnChange with the chart area as sender. Selected and Rect are
// drawing state outside Data(). A copy forwards its own parts to itself and starts without
// OnChange; assignment copies everything but keeps the target's OnChange.
class TChartArea : public TObject {
 public:
  TChartArea();
  TChartArea(const TChartArea& other);
  TChartArea& operator=(const TChartArea& other);

  TChartAreaData Data() const { return {mFont.Data(), mPatterns.Data()}; }
  // Replaces every setting; fires OnChange once when notify is set.
  void SetData(const TChartAreaData& data, bool notify = true);
  void Assign(const TChartArea& source) { SetData(source.Data()); }

  TFont& Font() { return mFont; }
  const TFont& Font() const { return mFont; }
  TPatterns& Patterns() { return mPatterns; }
  const TPatterns& Patterns() const { return mPatterns; }

  bool Selected() const { return mSelected; }
  void SetSelected(bool value) { mSelected = value; }
  TPartRect& Rect() { return mRect; }
  const TPartRect& Rect() const { return mRect; }

  // Fires OnChange with the chart area as sender, whoever sent the change.
  void ChartAreaChanged(TObject* sender);

  TNotifyEvent OnChange;

 private:
  void Hook();

  TFont mFont;
  TPatterns mPatterns;
  bool mSelected = false;
  TPartRect mRect;
};

}  // namespace aqv
