// Freehand strokes: the surface's press, move and release handlers and the
// pointer state they keep.
#include "window/form/main_form.h"

#include "engine/format/recording.h"
#include "engine/playback/render.h"
#include "window/form/image_screen.h"
#include "window/form/pointer_state.h"
#include "window/form/views.h"

#include <QFrame>
#include <QMenu>

namespace vellograph {

bool ButtonHeld = false;
TMouseButton LastButton = TMouseButton::mbLeft;
std::int32_t PointerX = 0;
std::int32_t PointerY = 0;
std::int32_t PrevX = 0;
std::int32_t PrevY = 0;

void ResetPointerState() {
    ButtonHeld = false;
    LastButton = TMouseButton::mbLeft;
    PointerX = PointerY = PrevX = PrevY = 0;
}

namespace {

void Record(std::uint8_t command) {
    AddCommand(VecImage, PointerX, PointerY, LiveView.OriginX, LiveView.OriginY, NoIndex,
               LiveView.Scale, LiveView.Angle, command);
}

} // namespace

void TMainForm::ImageScreenMouseDown(Qt::MouseButton button, int x, int y) {
    TMouseButton pressed;
    switch (button) {
    case Qt::LeftButton:
        pressed = TMouseButton::mbLeft;
        break;
    case Qt::RightButton:
        pressed = TMouseButton::mbRight;
        break;
    case Qt::MiddleButton:
        pressed = TMouseButton::mbMiddle;
        break;
    default:
        return; // side buttons are no part of drawing
    }
    if (pressed == TMouseButton::mbRight) {
        // popup() returns at once; the chosen command runs after this handler
        // and sees the pointer state stored below.
        PopupMainMenu->popup(
            ImageScreen->mapToGlobal(ImageScreen->ToLogical(QPointF(x, y))).toPoint());
    }
    ButtonHeld = true;
    LastButton = pressed;
    PointerX = x;
    PointerY = y;
    PrevX = x;
    PrevY = y;
    // A stroke begun while a load reads is no part of any drawing: neither
    // the one being read nor the one it replaces.
    strokeHeldBack_ = pressed == TMouseButton::mbLeft && strokePolicy_.HoldsBack();
    if (pressed == TMouseButton::mbLeft && !strokeHeldBack_) {
        Record(CmdMove); // a press paints nothing
    }
}

void TMainForm::ImageScreenMouseMove(int x, int y) {
    if (!ButtonHeld) {
        return;
    }
    PointerX = x;
    PointerY = y;
    if (LastButton != TMouseButton::mbLeft) {
        return;
    }
    if (!PanelRotNScal->isHidden()) {
        FramePreviewMove();
        return;
    }
    // A load that begins mid-stroke ends the stroke there.
    strokeHeldBack_ = strokeHeldBack_ || strokePolicy_.HoldsBack();
    if (strokeHeldBack_) {
        return;
    }
    // Pen settings are taken on every move: a change between strokes shows
    // from the next segment on.
    TCanvas& canvas = ImageScreen->Canvas();
    canvas.setPenColor(PenColor);
    canvas.setPenWidth(PenWidth);
    canvas.moveTo(PrevX, PrevY);
    canvas.lineTo(PointerX, PointerY);
    Record(CmdLine);
    ImageScreen->InvalidateSurface(
        canvas.lineBounds({PrevX, PrevY}, {PointerX, PointerY}, canvas.penWidth()));
    PrevX = PointerX;
    PrevY = PointerY;
}

void TMainForm::ImageScreenMouseUp(Qt::MouseButton button, int /*x*/, int /*y*/) {
    if (button == Qt::LeftButton || button == Qt::RightButton || button == Qt::MiddleButton) {
        ButtonHeld = false;
    }
}

} // namespace vellograph
