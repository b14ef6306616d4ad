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
    AfterSavesOf(&TMainForm::MMOpenClick, fileName, [this, fileName] { OpenChosenFile(fileName); });
}

void TMainForm::OpenChosenFile(const std::string& fileName) {
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
    // Saves chosen during the load write the whole file's drawing, before
    // anything else can change it.
    const bool timerAskedFor = RunHeldSaves(load.Saves);
    MMRedrawClick();
    // Off once the drawing has played: no autosave until the next new
    // drawing or save, unless a save chosen during the load turned it on.
    if (!timerAskedFor) {
        Timer1->stop();
    }
}

void TMainForm::MMSaveClick() {
    SaveDialog1.FileName = OpenDialog1.FileName;
    WriteDrawing(&TMainForm::MMSaveClick,
                 {SaveDialog1.FileName, {}, 0, false, true, [this](std::int32_t size) {
                      dialogs_.ShowMessage(SavedSizeText(size));
                      EnableTimer1();
                  }});
}

void TMainForm::MMSaveAsClick() {
    if (!ExecuteSave(dialogs_, SaveDialog1)) {
        return;
    }
    const std::string fileName = SaveDialog1.FileName;
    if (FileExists(fileName) && !dialogs_.Confirm(MsgOverwrite)) {
        dialogs_.ShowMessage(MsgNotSaved);
        return;
    }
    OpenDialog1.FileName = fileName; // also when the save fails
    WriteDrawing(&TMainForm::MMSaveAsClick,
                 {fileName, {}, 0, false, true, [this](std::int32_t size) {
                      dialogs_.ShowMessage(SavedSizeText(size));
                      EnableTimer1();
                  }});
}

} // namespace vellograph
