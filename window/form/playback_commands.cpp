// The playback commands of the menu: "Перерисовать", "В конец", "Медленно", "СТОП".
#include "window/form/main_form.h"

#include "engine/format/running.h"
#include "engine/playback/render.h"
#include "window/form/image_screen.h"
#include "window/form/views.h"

namespace vellograph {

void TMainForm::ClearScreen() {
    ClearSurface(ImageScreen->Canvas(), ClearColor);
    ImageScreen->InvalidateAll();
}

void TMainForm::PlayRecords(std::int32_t start, std::int32_t end) {
    // While this is above zero, every pump first refreshes the screen, so
    // Pace sets how many records appear per refresh.
    struct Playing {
        TMainForm* form;
        explicit Playing(TMainForm* f) : form(f) { ++form->playbackDepth_; }
        ~Playing() {
            --form->playbackDepth_;
            form->ImageScreen->InvalidateAll(); // what was drawn after the last pump
        }
    } playing(this);
    const TRunning running(TOperationKind::Playback);
    RenderDrawing(ImageScreen->Canvas(), VecImage, LiveView.OriginX, LiveView.OriginY, start, end,
                  LiveView.Scale, LiveView.Angle);
}

void TMainForm::MMRedrawClick() {
    ClearScreen();
    PlayRecords(0, VecImage.LastIndex);
}

void TMainForm::MMToEndClick() {
    PlayToEnd();
}

void TMainForm::MMDrawSlowlyClick() {
    PlaySlowly();
}

void TMainForm::MMStopRenderClick() {
    RequestStop();
}

} // namespace vellograph
