#include <memory>

#include "app/gui/CHILDWIN.h"
#include "app/gui/FEMGridForm.h"

namespace aqv {

// Kept apart from the dialog so that the dialog needs only a document, not a document window.
void ExecuteModelGenerator(TMDIChild& child, TUserInterface& ui, QWidget* parent) {
  const auto form = std::make_unique<TFEMGridForm>(child.Data(), ui, parent);
  form->exec();
}

}  // namespace aqv
