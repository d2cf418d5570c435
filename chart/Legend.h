#pragma once

#include "chart/Elements.h"

namespace aqv {

struct TLegendData {
  TFontData Font;
  TPatternsData Patterns;
  TPlacement Placement = TPlacement::plRight;
  friend bool operator==(const TLegendData&, const TLegendData&) = default;
};

// The grid of legend entries as the chart's layout last computed it (pixels and counts).
struct TLegendLayout {
  int ItemWidth = 0;  // widest series name + 40, at most the room available
  int Columns = 0;
  int Rows = 0;
  int RowHeight = 0;  // text height + 8
  friend bool operator==(const TLegendLayout&, const TLegendLayout&) = default;
};

// The legend box of the chart or the map: a black font, default patterns (white solid area,
// black border of width 1) and a placement, plNone hiding it. Owns font and patterns and
// forwards their changes to OnChange with the legend as sender. Layout, Selected and Rect are
// drawing state outside Data(). A copy forwards its own parts to itself and starts without
// OnChange; assignment copies everything but keeps the target's OnChange.
class TLegend : public TObject {
 public:
  TLegend();
  TLegend(const TLegend& other);
  TLegend& operator=(const TLegend& other);

  TLegendData Data() const { return {mFont.Data(), mPatterns.Data(), mPlacement}; }
  // Replaces every setting; fires OnChange once when notify is set.
  void SetData(const TLegendData& data, bool notify = true);
  void Assign(const TLegend& source) { SetData(source.Data()); }

  TFont& Font() { return mFont; }
  const TFont& Font() const { return mFont; }
  TPatterns& Patterns() { return mPatterns; }
  const TPatterns& Patterns() const { return mPatterns; }
  TPlacement Placement() const { return mPlacement; }
  void SetPlacement(TPlacement value);

  TLegendLayout& Layout() { return mLayout; }
  const TLegendLayout& Layout() const { return mLayout; }
  bool Selected() const { return mSelected; }
  void SetSelected(bool value) { mSelected = value; }
  TPartRect& Rect() { return mRect; }
  const TPartRect& Rect() const { return mRect; }

  // Fires OnChange with the legend as sender, whoever sent the change.
  void LegendChanged(TObject* sender);

  TNotifyEvent OnChange;

 private:
  void Hook();

  TFont mFont;
  TPatterns mPatterns;
  TPlacement mPlacement = TPlacement::plRight;
  TLegendLayout mLayout;
  bool mSelected = false;
  TPartRect mRect;
};

}  // namespace aqv
