// The undo/redo panel: steps LastIndex back and forth and repaints to match.
#include "window/panels/undo_panel.h"

#include "engine/playback/render.h"
#include "window/form/guarded.h"
#include "window/form/main_form.h"
#include "window/panels/int_conversion.h"
#include "window/panels/panel_parts.h"

#include <QFrame>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace vellograph {

std::int32_t RedoLimit = 0;

std::int32_t UndoStepFromText(const std::string& text) {
    return std::clamp(StrToInt(text), MinUndoStep, MaxUndoStep);
}

namespace {

std::int32_t LastStoredIndex(const TAVecImage& drawing) {
    const std::size_t stored = std::min<std::size_t>(drawing.Commands.size(), INT32_MAX);
    return static_cast<std::int32_t>(stored) - 1;
}

// A replay from LastFillIndex stands in for a full repaint when that record,
// at or before the new LastIndex, is the fill the renderer painted last.
// Straight after a load LastFillIndex is 0 with no fill played; replaying
// then would leave the undone strokes on the screen.
bool CanReplayFromLastFill(const TAVecImage& drawing) {
    const std::int32_t fill = drawing.LastFillIndex;
    return fill >= 0 && fill <= drawing.LastIndex && fill <= LastStoredIndex(drawing) &&
           drawing.Commands[static_cast<std::size_t>(fill)].Letter == CmdFill;
}

} // namespace

void TMainForm::CreateUndoPanel() {
    PanelCancel = MakePanel(this, "PanelCancel", {8, 136, 201, 65});
    ButtonBckwrd = MakeButton(PanelCancel, "ButtonBckwrd", "<< Undo", {8, 8, 57, 25});
    ButtonCancelAccept = MakeButton(PanelCancel, "ButtonCancelAccept", "Accept", {72, 8, 57, 25});
    ButtonFrwrd = MakeButton(PanelCancel, "ButtonFrwrd", "Redo >>", {136, 8, 59, 25});
    LabelUndoStep =
        MakeLabel(PanelCancel, "LabelUndoStep", "Шаг отмены (1..2048):", {8, 40, 132, 16});
    EditUndoStep = MakeEdit(PanelCancel, "EditUndoStep", "256", {144, 40, 49, 21});
    setTabOrder(ButtonBckwrd, ButtonFrwrd);
    setTabOrder(ButtonFrwrd, ButtonCancelAccept);
    setTabOrder(ButtonCancelAccept, EditUndoStep);

    connect(ButtonBckwrd, &QPushButton::clicked, this,
            Guarded(this, &TMainForm::ButtonBckwrdClick));
    connect(ButtonFrwrd, &QPushButton::clicked, this, Guarded(this, &TMainForm::ButtonFrwrdClick));
    connect(ButtonCancelAccept, &QPushButton::clicked, this,
            Guarded(this, &TMainForm::ButtonCancelAcceptClick));
}

void TMainForm::MMPanelCancelClick() {
    RedoLimit = VecImage.LastIndex;
    PlaceAtPointer(PanelCancel);
}

void TMainForm::ButtonBckwrdClick() {
    if (RecordingHeldBack()) {
        return;
    }
    const std::int32_t step = UndoStepFromText(EditUndoStep->text().toStdString());
    const PaceOverride pace(PaceFastReplay); // put back even when a pump changed it
    VecImage.LastIndex = std::max(VecImage.LastIndex - step, -1);
    if (CanReplayFromLastFill(VecImage)) {
        // The fill floods the whole surface: nothing before it needs painting.
        PlayRecords(VecImage.LastFillIndex, VecImage.LastIndex);
    } else {
        ClearScreen();
        PlayRecords(0, VecImage.LastIndex);
    }
}

void TMainForm::ButtonFrwrdClick() {
    if (RecordingHeldBack()) {
        return;
    }
    const std::int32_t step = UndoStepFromText(EditUndoStep->text().toStdString());
    const PaceOverride pace(PaceRedo);
    const std::int32_t old = VecImage.LastIndex;
    // RedoLimit is taken when the panel opens. Records recorded or loaded
    // since then may end before it, or reach past it: redo never goes beyond
    // the stored records, and never moves LastIndex backwards.
    const std::int32_t limit = std::max(old, std::min(RedoLimit, LastStoredIndex(VecImage)));
    VecImage.LastIndex = static_cast<std::int32_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(old) + step, limit));
    // The record at old is painted a second time; from -1 the render starts at 0.
    PlayRecords(old, VecImage.LastIndex);
}

void TMainForm::ButtonCancelAcceptClick() {
    if (RecordingHeldBack()) {
        return;
    }
    PanelCancel->hide(); // the undone records stay stored until the next recorded command
}

} // namespace vellograph
