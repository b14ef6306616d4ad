// The temporary file: "Промежуточное сохранение", "Загрузка сохранки",
// "Очистить сохранку", and the autosave tick of Timer1 with its countdown.
#include "window/form/main_form.h"

#include "engine/format/drawing.h"
#include "window/form/file_messages.h"
#include "window/form/views.h"

#include <QLabel>

#include <algorithm>
#include <unistd.h>

namespace vellograph {

namespace {

// The countdown shows during this many last ticks before an autosave.
constexpr std::int32_t CountdownTicks = 5;

} // namespace

void TMainForm::MMTempSaveClick() {
    if (SaveWaitsForLoad(&TMainForm::MMTempSaveClick)) {
        return;
    }
    std::int32_t size = 0; // SaveDrawing leaves it alone when it fails
    SaveDrawing(TempFileName, VecImage, size);
    dialogs_.ShowMessage(SavedSizeText(size));
}

void TMainForm::MMLoadTempClick() {
    if (!FileExists(TempFileName)) {
        dialogs_.ShowMessage(MsgFileNotFound);
        return;
    }
    ClearScreen();
    ResetView(LiveView);
    ResetPen();
    const HeldLoad load = LoadHoldingBack(TempFileName);
    EnableDrawingItems();
    if (load.Outcome == LoadOutcome::Superseded) {
        return; // the command that replaced the drawing has the last word
    }
    RunHeldSaves(load.Saves);
    MMRedrawClick();
}

void TMainForm::MMClearTempClick() {
    if (!dialogs_.Confirm(MsgDeleteTemp)) {
        return;
    }
    if (FileExists(TempFileName)) {
        (void)::unlink(TempFileName); // a failed deletion goes unreported
    } else {
        dialogs_.ShowMessage(MsgNoTemp);
    }
}

void TMainForm::Autosave() {
    if (autosaveInProgress_) {
        return; // still due: the next tick writes
    }
    struct InProgress {
        bool& flag;
        explicit InProgress(bool& f) : flag(f) { flag = true; }
        ~InProgress() { flag = false; }
    } inProgress(autosaveInProgress_);
    std::int32_t size = 0; // not shown: a success says nothing
    SaveDrawing(TempFileName, VecImage, size);
    AutosaveTicks = 0;
    LabelInform->setVisible(ShowLabelAfterAutosave);
}

void TMainForm::Timer1Timer() {
    ++AutosaveTicks;
    // Ticks keep coming while a save's failure box is open: they count, but
    // start no second autosave; the first tick after that box writes. One due
    // while a load reads waits for the whole drawing, like any save.
    if (AutosaveTicks >= AutosavePeriod && !autosaveInProgress_ &&
        !SaveWaitsForLoad(&TMainForm::Autosave)) {
        Autosave();
    }
    if (AutosaveTicks >= AutosavePeriod - CountdownTicks) {
        LabelInform->show();
        // An autosave held back is due now, not overdue: the count stops at 0.
        LabelInform->setText(QString::fromStdString(
            AutosaveCountdownText(std::max(0, AutosavePeriod - AutosaveTicks))));
        LabelInform->adjustSize(); // the label grows with its text
    }
}

} // namespace vellograph
