// The scale/rotation panel: track bars, a drag and "Вписать" move a red page
// frame over the picture; the buttons replay the drawing through the result.
#include "window/form/main_form.h"

#include "engine/format/drawing.h"
#include "engine/playback/render.h"
#include "window/form/guarded.h"
#include "window/form/image_screen.h"
#include "window/form/pointer_state.h"
#include "window/form/views.h"
#include "window/panels/panel_parts.h"
#include "window/panels/view_fit.h"

#include <QFrame>
#include <QLocale>
#include <QPushButton>
#include <QSlider>

#include <array>

namespace vellograph {

namespace {

constexpr int ScaleSteps = 20; // scale bar positions per unit of scale
constexpr int AngleSteps = 10; // rotation bar positions per radian

// Frames are drawn into the picture itself; only their edges are repainted.
void ShowFrame(TImageScreen& screen, const TViewParams& view, TColor color) {
    DrawViewFrame(screen.Canvas(), view, color);
    const std::array<TPoint, 5> corners = ViewFrameCorners(view);
    for (std::size_t i = 1; i < corners.size(); ++i) {
        screen.InvalidateSurface(screen.Canvas().lineBounds(corners[i - 1], corners[i], 1));
    }
}

// PreviewView already holds the new value: the frame on the surface goes
// (drawn white, which also wipes the strokes beneath it until the replay)
// and the preview's frame is drawn in red. The caller then copies the
// changed fields into DrawnFrameView.
void EraseAndDraw(TImageScreen& screen) {
    ShowFrame(screen, DrawnFrameView, FrameEraseColor);
    ShowFrame(screen, PreviewView, FrameColor);
}

} // namespace

void TMainForm::BuildPanelRotNScal() {
    QFrame* panel = PanelRotNScal;
    TrackBarScale = MakeTrackBar(panel, "TrackBarScale", {8, 8, 233, 33}, 1, 40, 1);
    TrackBarRotate = MakeTrackBar(panel, "TrackBarRotate", {8, 40, 233, 33}, 0, 62, 0);
    ButtonRNScalCancel = MakeButton(panel, "ButtonRNScalCancel", "Отмена", {8, 72, 113, 25});
    ButtonRNScalOk = MakeButton(panel, "ButtonRNScalOk", "Перерисовать", {128, 72, 115, 25});
    ButtonScalToDef =
        MakeButton(panel, "ButtonScalToDef", "Исходный размер, 0 поворота", {8, 104, 161, 25});
    ButtonFitToScreen = MakeButton(panel, "ButtonFitToScreen", "Вписать", {176, 104, 67, 25});

    // valueChanged comes only from a real change, after the bar clamped the
    // value, and before setValue returns: the opening relies on all three.
    connect(TrackBarScale, &QSlider::valueChanged, this,
            Guarded(this, &TMainForm::TrackBarScaleChange));
    connect(TrackBarRotate, &QSlider::valueChanged, this,
            Guarded(this, &TMainForm::TrackBarRotateChange));
    connect(ButtonRNScalCancel, &QPushButton::clicked, this,
            Guarded(this, &TMainForm::ButtonRNScalCancelClick));
    connect(ButtonRNScalOk, &QPushButton::clicked, this,
            Guarded(this, &TMainForm::ButtonRNScalOkClick));
    connect(ButtonScalToDef, &QPushButton::clicked, this,
            Guarded(this, &TMainForm::ButtonScalToDefClick));
    connect(ButtonFitToScreen, &QPushButton::clicked, this,
            Guarded(this, &TMainForm::ButtonFitToScreenClick));
}

void TMainForm::MMPanelRotNScalClick() {
    PlaceAtPointer(PanelRotNScal);
    PreviewView = LiveView;
    DrawnFrameView = LiveView;
    // Whichever bar this moves draws the frame through its handler; when
    // neither moves, nothing is drawn and the preview keeps LiveView exactly.
    // The products stay double, so a scale or angle a bar gave returns its
    // position (0.35 gives 7); out-of-range and huge values saturate, then clamp.
    TrackBarScale->setValue(TruncToInt32(LiveView.Scale * ScaleSteps));
    TrackBarRotate->setValue(TruncToInt32(LiveView.Angle * AngleSteps));
}

void TMainForm::TrackBarScaleChange() {
    PreviewView.Scale = static_cast<double>(TrackBarScale->value()) / ScaleSteps;
    EraseAndDraw(*ImageScreen);
    DrawnFrameView.Scale = PreviewView.Scale;
}

void TMainForm::TrackBarRotateChange() {
    PreviewView.Angle = static_cast<double>(TrackBarRotate->value()) / AngleSteps;
    EraseAndDraw(*ImageScreen);
    DrawnFrameView.Angle = PreviewView.Angle;
}

void TMainForm::FramePreviewMove() {
    // The page's point (0, 0) follows the pointer.
    PreviewView.OriginX = PointerX;
    PreviewView.OriginY = PointerY;
    EraseAndDraw(*ImageScreen);
    DrawnFrameView.OriginX = PreviewView.OriginX;
    DrawnFrameView.OriginY = PreviewView.OriginY;
}

void TMainForm::ButtonScalToDefClick() {
    // At once and for good: a later "Отмена" keeps the default view. The bars
    // stay where they are and nothing is replayed.
    ResetView(LiveView);
    PreviewView = LiveView;
    EraseAndDraw(*ImageScreen);
    DrawnFrameView = LiveView;
}

void TMainForm::ButtonRNScalOkClick() {
    LiveView = PreviewView;
    {
        const PaceOverride fast(PaceFastReplay);
        MMRedrawClick();
    }
    PanelRotNScal->hide();
}

void TMainForm::ButtonRNScalCancelClick() {
    PanelRotNScal->hide();
    const PaceOverride fast(PaceFastReplay);
    MMRedrawClick();
}

void TMainForm::ButtonFitToScreenClick() {
    // The preview and its rotation play no part: the fit starts from the
    // drawing alone and fills the surface's real pixels.
    ComputeFitView(LiveView, VecImage, ImageScreen->Canvas().width(),
                   ImageScreen->Canvas().height(), QLocale::system().decimalPoint().toStdString());
    MMRedrawClick();
    PanelRotNScal->hide();
}

} // namespace vellograph
