// The temporary file: "Промежуточное сохранение", "Загрузка сохранки",
// "Очистить сохранку", and the autosave tick of Timer1 with its countdown.
#include "window/form/main_form.h"

#include "engine/format/drawing.h"
#include "window/form/file_messages.h"
#include "window/form/views.h"

#include <QLabel>

#include <unistd.h>

namespace vellograph {

namespace {

// The countdown shows during this many last ticks before an autosave.
constexpr std::int32_t CountdownTicks = 5;

} // namespace

void TMainForm::MMTempSaveClick() {
    WriteDrawing(&TMainForm::MMTempSaveClick,
                 {TempFileName, {}, 0, false, false, [this](std::int32_t size) {
                      dialogs_.ShowMessage(SavedSizeText(size));
                  }});
}

void TMainForm::MMLoadTempClick() {
    AfterSavesOf(&TMainForm::MMLoadTempClick, TempFileName, [this] { LoadChosenTemp(); });
}

void TMainForm::LoadChosenTemp() {
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
    // A write of the file chosen after this, which lands while this waits
    // for the save before it, is kept: the later choice wins.
    const std::uint64_t chosen = WriteChosen();
    AfterSavesOf(&TMainForm::MMClearTempClick, TempFileName, [this, chosen] {
        if (LatestWriteOf(IdentifyFile(TempFileName)) > chosen) {
            return;
        }
        if (FileExists(TempFileName)) {
            (void)::unlink(TempFileName); // a failed deletion goes unreported
        } else {
            dialogs_.ShowMessage(MsgNoTemp);
        }
    });
}

void TMainForm::Autosave() {
    WriteDrawing(&TMainForm::Timer1Timer, {TempFileName, {}, 0, true, false, [this](std::int32_t) {
                                               // Only an autosave that wrote starts the
                                               // count again; one dropped is due at once.
                                               AutosaveTicks = 0;
                                               LabelInform->setVisible(ShowLabelAfterAutosave);
                                           }});
}

void TMainForm::Timer1Timer() {
    ++AutosaveTicks;
    // Ticks keep coming while a save's failure box is open: they count, but
    // start no second autosave; the first tick after that box writes. One due
    // while a load reads waits for the whole drawing, like any save.
    if (AutosaveTicks >= AutosavePeriod && !autosaveInProgress_ && !autosaveWaiting_) {
        struct InProgress {
            bool& flag;
            explicit InProgress(bool& f) : flag(f) { flag = true; }
            ~InProgress() { flag = false; }
        } inProgress(autosaveInProgress_);
        Autosave();
    }
    // The countdown shows 5 to 1; an autosave that waits keeps the last one.
    const std::int32_t left = AutosavePeriod - AutosaveTicks;
    if (left >= 1 && left <= CountdownTicks) {
        LabelInform->show();
        LabelInform->setText(QString::fromStdString(AutosaveCountdownText(left)));
        LabelInform->adjustSize(); // the label grows with its text
    }
}

} // namespace vellograph
