#pragma once

#include <QListWidget>
#include <functional>
#include <string>
#include <vector>

namespace aqv {

class TAQVData;

// A list of "Layer " + k items with check boxes, whose checks give a layer list such as "1,2".
// A click on an item or Space flips its box; at least one box stays checked.
// The document is not owned.
class TAQVCheckListBox final : public QListWidget {
 public:
  explicit TAQVCheckListBox(QWidget* parent = nullptr);

  TAQVData* Data() const { return mData; }
  void SetData(TAQVData* data) { mData = data; }
  // Replaces the items with layers 1..count, checked where checked[k - 1] is true.
  void SetLayers(int count, const std::vector<bool>& checked);
  // The layer list of the checked items, built at each check.
  const std::string& LayerText() const { return mLayerText; }
  // Called after every check or uncheck, with LayerText already updated.
  std::function<void()> OnClickCheck;

 protected:
  void keyPressEvent(QKeyEvent* e) override;

 private:
  // Flips an item's box, refusing to uncheck the last checked one.
  void Flip(QListWidgetItem* item);
  int CheckedCount() const;
  void ClickCheck();

  TAQVData* mData = nullptr;
  std::string mLayerText;
};

}  // namespace aqv
