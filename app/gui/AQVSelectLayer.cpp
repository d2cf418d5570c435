#include "app/gui/AQVSelectLayer.h"

#include <QVBoxLayout>

#include "app/gui/AQVCheckListBox.h"

namespace aqv {

TAQVSelectLayerForm::TAQVSelectLayerForm(QWidget* parent)
    : QWidget(parent, Qt::Popup), mList(new TAQVCheckListBox(this)) {
  setFixedSize(96, 243);
  setBackgroundRole(QPalette::Base);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(mList);
  setFocusProxy(mList);
}

}  // namespace aqv
