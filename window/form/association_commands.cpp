// "Привязать расширение *.vlgf" and "Отвязать расширение *.vlgf".
#include "desktop/association.h"
#include "desktop/database_updates.h"
#include "window/form/guarded.h"
#include "window/form/main_form.h"

namespace vellograph {

void TMainForm::MMAssociateExtClick() {
    // A refused write raises the registry error, shown in the error box. The
    // desktop's databases are rebuilt afterwards in the background, so the
    // command returns at once; ShowDatabaseUpdateFailures reports a failure.
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

// Runs from the event queue, possibly inside a playback's pump; it only shows
// boxes, so it relies on no guard.
void TMainForm::ShowDatabaseUpdateFailures() {
    for (const std::string& failure : TakeDatabaseUpdateFailures()) {
        ReportHandlerError(dialogs_, failure.c_str());
    }
}

} // namespace vellograph
