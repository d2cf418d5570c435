#pragma once

#include <string>

#include "chart/Elements.h"

namespace aqv {

struct TTitleData {
  TMyAlignmentData Alignment;
  bool Automatic = true;
  TFontData Font;
  TPatternsData Patterns;
  std::string Text;
  friend bool operator==(const TTitleData&, const TTitleData&) = default;
};

// The title of the chart or of an axis. Owns its alignment, font and patterns and forwards
// their changes to OnChange with the title as sender. Automatic tells the chart's owner that
// it may replace Text by a title of its own making; setting it fires nothing. Selected and
// Rect are drawing state of the chart, outside Data(). A copy forwards its own parts to itself
// and starts without OnChange; assignment copies everything but keeps the target's OnChange.
class TTitle : public TObject {
 public:
  TTitle();
  TTitle(const TTitle& other);
  TTitle& operator=(const TTitle& other);

  TTitleData Data() const;
  // Replaces every setting; fires OnChange once when notify is set.
  void SetData(const TTitleData& data, bool notify = true);
  void Assign(const TTitle& source) { SetData(source.Data()); }

  TMyAlignment& Alignment() { return mAlignment; }
  const TMyAlignment& Alignment() const { return mAlignment; }
  TFont& Font() { return mFont; }
  const TFont& Font() const { return mFont; }
  TPatterns& Patterns() { return mPatterns; }
  const TPatterns& Patterns() const { return mPatterns; }

  bool Automatic() const { return mAutomatic; }
  void SetAutomatic(bool value) { mAutomatic = value; }
  const std::string& Text() const { return mText; }
  void SetText(const std::string& value);

  bool Selected() const { return mSelected; }
  void SetSelected(bool value) { mSelected = value; }
  TPartRect& Rect() { return mRect; }
  const TPartRect& Rect() const { return mRect; }

  // Fires OnChange with the title as sender, whoever sent the change.
  void TitleChanged(TObject* sender);

  TNotifyEvent OnChange;

 private:
  void Hook();

  TMyAlignment mAlignment;
  bool mAutomatic = true;
  TFont mFont;
  TPatterns mPatterns;
  std::string mText;
  TPartRect mRect;
  bool mSelected = false;
};

}  // namespace aqv
