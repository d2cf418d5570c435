#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;

namespace aqv {

// The series picker of the chart's "Series..." item: a combo box of the series names and the
// buttons "Select" (OK) and "Cancel". Created per use by the chart.
class TSelectSeriesForm : public QDialog {
  Q_OBJECT

 public:
  explicit TSelectSeriesForm(QWidget* parent = nullptr);

  // Fills the combo box and preselects index, brought into the list.
  void SetSeriesNames(const QStringList& names, int index);
  int SelectedIndex() const;
  QComboBox* SeriesComboBox() const { return mSeriesComboBox; }

 private:
  QComboBox* mSeriesComboBox;
};

}  // namespace aqv
