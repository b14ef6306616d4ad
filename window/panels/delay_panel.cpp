// The delay panel: records a pause that playback holds when it reaches it.
#include "window/panels/undo_panel.h"

#include "engine/format/recording.h"
#include "window/form/guarded.h"
#include "window/form/main_form.h"
#include "window/panels/int_conversion.h"
#include "window/panels/panel_parts.h"

#include <QFrame>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace vellograph {

std::int32_t DelayFromText(const std::string& text) {
    return std::clamp(StrToInt(text), MinDelayMs, MaxDelayMs);
}

void TMainForm::CreateDelayPanel() {
    PanelDelay = MakePanel(this, "PanelDelay", {8, 208, 201, 41});
    LabelDelay = MakeLabel(PanelDelay, "LabelDelay", "Delay (ms):", {8, 8, 68, 16});
    EditDelay = MakeEdit(PanelDelay, "EditDelay", "5000", {80, 8, 57, 21});
    ButtonDelay = MakeButton(PanelDelay, "ButtonDelay", "Ok", {144, 8, 25, 25});
    ButtonDelayClose = MakeButton(PanelDelay, "ButtonDelayClose", "X", {176, 8, 19, 17});
    QFont bold = ButtonDelayClose->font();
    bold.setPixelSize(11);
    bold.setBold(true);
    ButtonDelayClose->setFont(bold);
    setTabOrder(EditDelay, ButtonDelay);
    setTabOrder(ButtonDelay, ButtonDelayClose);
}

void TMainForm::MMPanelDelayClick() {
    PlaceAtPointer(PanelDelay);
}

void TMainForm::ButtonDelayClick() {
    const std::int32_t ms = DelayFromText(EditDelay->text().toStdString());
    // Nothing waits now: playback pauses when it reaches the record.
    AddCommand(VecImage, ms, 0, 0, 0, NoIndex, 0, 0, CmdDelay);
    PanelDelay->hide();
}

void TMainForm::ButtonDelayCloseClick() {
    PanelDelay->hide();
}

} // namespace vellograph
