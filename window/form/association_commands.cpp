// "Привязать расширение *.vlgf" and "Отвязать расширение *.vlgf".
#include "desktop/association.h"
#include "window/form/main_form.h"

namespace vellograph {

void TMainForm::MMAssociateExtClick() {
    // A refused write raises the registry error, shown in the error box.
    if (Dialogs().Confirm("Действительно хотите открывать этой программой файлы *.VLGF ?")) {
        AssociateExtension();
    }
}

void TMainForm::MMDelAssociateExtClick() {
    if (Dialogs().Confirm(
            "Действительно хотите ПЕРЕСТАТЬ открывать этой программой файлы *.VLGF ?")) {
        RemoveExtensionAssociation();
    }
}

} // namespace vellograph
