// The drawing file commands: "Новый файл", "Открыть файл", "Сохранить", "Сохранить как...".
#include "window/form/main_form.h"

#include "engine/format/drawing.h"
#include "engine/playback/render.h"
#include "window/form/file_messages.h"
#include "window/form/image_screen.h"
#include "window/form/views.h"

#include <QTimer>

namespace vellograph {

void TMainForm::ResetPen() {
    ResetPenGlobals();
    TCanvas& canvas = ImageScreen->Canvas();
    canvas.setPenWidth(PenWidth);
    canvas.setPenColor(PenColor);
}

void TMainForm::EnableTimer1() {
    // QTimer::start would restart the interval; a running timer keeps its beat.
    if (!Timer1->isActive()) {
        Timer1->start();
    }
}

void TMainForm::MMNewFileClick() {
    ClearScreen();
    EnableDrawingItems();
    NewDrawing(VecImage);
    ResetView(LiveView);
    ResetPen();
    VecImage.LastFillIndex = NoIndex;
    EnableTimer1();
}

void TMainForm::MMOpenClick() {
    if (!ExecuteOpen(dialogs_, OpenDialog1)) {
        return;
    }
    // From here on the chosen name is the current file name, found or not.
    const std::string fileName = OpenDialog1.FileName;
    if (!FileExists(fileName)) {
        dialogs_.ShowMessage(MsgFileNotFound);
        return;
    }
    ClearScreen();
    const HeldLoad load = LoadHoldingBack(fileName);
    EnableDrawingItems();
    if (load.Outcome == LoadOutcome::Superseded) {
        return; // the command that replaced the drawing has the last word
    }
    // Off before the playback: a tick during it would autosave the drawing
    // just opened. Saves chosen during the load come after, and may turn it on.
    Timer1->stop();
    RunHeldSaves(load.Saves);
    MMRedrawClick();
}

void TMainForm::MMSaveClick() {
    if (SaveWaitsForLoad(&TMainForm::MMSaveClick)) {
        return;
    }
    SaveDialog1.FileName = OpenDialog1.FileName;
    std::int32_t size = 0; // SaveDrawing leaves it alone when it fails
    SaveDrawing(SaveDialog1.FileName, VecImage, size);
    dialogs_.ShowMessage(SavedSizeText(size));
    EnableTimer1();
}

void TMainForm::MMSaveAsClick() {
    if (SaveWaitsForLoad(&TMainForm::MMSaveAsClick)) {
        return;
    }
    if (!ExecuteSave(dialogs_, SaveDialog1)) {
        return;
    }
    const std::string fileName = SaveDialog1.FileName;
    if (FileExists(fileName) && !dialogs_.Confirm(MsgOverwrite)) {
        dialogs_.ShowMessage(MsgNotSaved);
        return;
    }
    std::int32_t size = 0;
    SaveDrawing(fileName, VecImage, size);
    OpenDialog1.FileName = fileName; // also when the save failed
    dialogs_.ShowMessage(SavedSizeText(size));
    EnableTimer1();
}

} // namespace vellograph
