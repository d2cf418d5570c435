#pragma once

#include <QWidget>

#include "chart/Elements.h"
#include "chart/Series.h"

namespace aqv {

// What the preview shows.
enum class TPreviewMode : std::uint8_t {
  pmArea = 0,            // a rectangle in the patterns' brush and pen
  pmLine = 1,            // a horizontal line in the pen
  pmLineWithMarker = 2,  // the line with the marker at its centre
};

// A white preview of patterns and a marker, owned by a format dialog that sets them. The
// preview owns its own marker and patterns and repaints on every change of either.
class TPatternsPreview : public QWidget {
  Q_OBJECT

 public:
  explicit TPatternsPreview(QWidget* parent = nullptr);

  TPreviewMode Mode() const { return mMode; }
  void SetMode(TPreviewMode value);
  TMarker& Marker() { return mMarker; }
  TPatterns& Patterns() { return mPatterns; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TMarker mMarker;
  TPatterns mPatterns;
  TPreviewMode mMode = TPreviewMode::pmArea;
};

}  // namespace aqv
