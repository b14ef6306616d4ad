// The pen width picker: the pointer's position over it sets PenWidth, a
// click records the width.
#include "engine/format/recording.h"
#include "engine/playback/render.h"
#include "window/form/guarded.h"
#include "window/form/main_form.h"
#include "window/form/views.h"
#include "window/pickers/canvas_image.h"
#include "window/pickers/pen_width_picture.h"

namespace vellograph {

void TMainForm::CreatePenWidthPicker() {
    ImagePenWidth = new TCanvasImage(PenWidthPictureWidth, PenWidthPictureHeight, this);
    ImagePenWidth->setObjectName("ImagePenWidth");
    ImagePenWidth->move(0, 0);
    ImagePenWidth->hide();
}

void TMainForm::MMPenWidthClick() {
    // The picture stays as it was last shown until the pointer moves over it.
    PlaceAtPointer(ImagePenWidth);
}

void TMainForm::ImagePenWidthMouseMove(int x, int /*y*/) {
    PenWidth = PenWidthFromPickerX(x, PenWidthPictureWidth);
    DrawPenWidthPreview(ImagePenWidth->Canvas(), PenWidthPictureWidth, PenWidthPictureHeight);
    ImagePenWidth->update();
}

void TMainForm::ImagePenWidthMouseDown(Qt::MouseButton button, int /*x*/, int /*y*/) {
    // Every click records, even an unchanged width; only the left one closes.
    AddCommand(VecImage, PenWidth, 0, 0, 0, NoIndex, LiveView.Scale, 0, CmdPenWidth);
    if (button == Qt::LeftButton) {
        ImagePenWidth->hide();
    }
}

} // namespace vellograph
