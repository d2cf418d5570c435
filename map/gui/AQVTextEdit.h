#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "controls/TransMemo.h"
#include "model/AQVData.h"

class QPainter;

namespace aqv {

class TAQVKaart;

// Converts between a box's text as the document keeps it (line breaks as CR LF) and as the
// edit shows it; every kind of line break (CR LF, LF, CR, Unicode paragraph separator) becomes
// one break, so no break is lost or doubled through the "TME" record.
QString RecordTextToEdit(std::string_view text);
std::string EditTextToRecord(const QString& text);

// A free text box on the map: the live edit of one of the document's text-box records, anchored
// to a world point or to a corner of the model window beside the legend. While it has the focus
// it is a visible child of the map; otherwise it is hidden and the map paints it (screen,
// bitmap and SVG alike). The record (owned by the document's TextBoxes) holds everything that
// is saved; the edit keeps only whether the idle box is shown. Owned by the map.
class TAQVTextEdit : public TTransMemo {
  Q_OBJECT

 public:
  TAQVTextEdit(TAQVKaart* map, TAQVTextBoxRecord* record);

  TAQVTextBoxRecord* Record() const { return mRecord; }
  TAQVKaart* Map() const { return mMap; }
  bool Shown() const { return mShown; }

  // Places the box from its anchor (kind 0 only) and hides the live edit unless it has the
  // focus.
  void UpdatePosition();
  // Paints the idle box into the map's picture; copying is set for bitmap and SVG copies, which
  // also show a focused box's text and the boxes of kind 1.
  void PaintTo(QPainter& painter, bool copying) const;
  // The box's pixel rectangle relative to the map.
  QRect BoxRect() const;
  // Takes font, colours, alignment, text and size from the record.
  void LoadFromRecord();
  // Makes the box the live edit: brought up to date from its record (which the document may
  // have replaced meanwhile), shown, raised and focused.
  void Activate();

  // The "TME" record line and the text line of the data file; SetPropertiesText leaves the box
  // unchanged (and returns false) for a short line, another tag or a bad field.
  std::string GetPropertiesText() const;
  std::string GetEncodedText() const;
  bool SetPropertiesText(std::string_view line);
  void SetEncodedText(std::string_view line);

 signals:
  // The text or format changed: the document is no longer saved.
  void Changed();

 protected:
  void focusOutEvent(QFocusEvent* event) override;
  void enterEvent(QEnterEvent* event) override;

 private:
  void StoreText();
  void ApplyGeometry();

  TAQVKaart* mMap;
  TAQVTextBoxRecord* mRecord;
  bool mShown = false;
  bool mLoading = false;
};

}  // namespace aqv
