#pragma once

#include <QTextEdit>

namespace aqv {

// A plain-text memo whose background can be made transparent, so that what its parent draws
// below it shows through, with a published text alignment. Owned and parented by its creator;
// the map's text boxes derive from it. OnChange is textChanged.
class TTransMemo : public QTextEdit {
  Q_OBJECT
  Q_PROPERTY(Qt::Alignment AlignText READ AlignText WRITE SetAlignText)
  Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)

 public:
  explicit TTransMemo(QWidget* parent = nullptr);

  // Qt::AlignLeft (default), Qt::AlignRight or Qt::AlignHCenter; any other value is read as
  // its horizontal part. Applies at once to the whole text, also to lines typed later.
  Qt::Alignment AlignText() const { return mAlignText; }
  void SetAlignText(Qt::Alignment value);
  bool Transparent() const { return mTransparent; }
  void SetTransparent(bool value);

  // The memo's client origin in its parent's coordinates; (0, 0) without a parent.
  QPoint PositionInParent() const;

 protected:
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;

 private:
  void ApplyAlignment();
  void ApplyBackground();

  Qt::Alignment mAlignText = Qt::AlignLeft;
  bool mTransparent = false;
};

}  // namespace aqv
