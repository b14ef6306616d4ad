// The pen colour picker: a palette grid whose hovered cell is framed and
// shown in both indicators; a click picks the pen or fill colour.
#include "engine/format/recording.h"
#include "engine/playback/render.h"
#include "window/form/guarded.h"
#include "window/form/main_form.h"
#include "window/pickers/canvas_image.h"
#include "window/pickers/palette.h"

namespace vellograph {

void TMainForm::CreatePenColorPicker() {
    ImagePenColor = new TCanvasImage(PalettePictureWidth, PalettePictureHeight, this);
    ImagePenColor->setObjectName("ImagePenColor");
    ImagePenColor->move(264, 8);
    ImagePenColor->hide();
}

void TMainForm::MMPenColorClick() {
    PlaceAtPointer(ImagePenColor);
    BuildPalette();
    TCanvas& canvas = ImagePenColor->Canvas();
    // The grid lines wait for the first move; until then they show what the
    // picture held before.
    DrawPalette(canvas);
    DrawSwatch(canvas, PaletteSwatchSize, PaletteSwatchSize, PenIndicatorX, IndicatorY, PenColor);
    DrawSwatch(canvas, PaletteSwatchSize, PaletteSwatchSize, FillIndicatorX, IndicatorY, FillColor);
    ImagePenColor->update();
}

void TMainForm::ImagePenColorMouseMove(int x, int y) {
    TCanvas& canvas = ImagePenColor->Canvas();
    DrawPaletteGrid(canvas); // also takes the previous highlight away
    const PaletteCell cell = PaletteHitTest(x, y);
    const TColor color = PaletteColors[cell.column][cell.row];
    DrawSwatch(canvas, PaletteSwatchSize, PaletteSwatchSize, PenIndicatorX, IndicatorY, color);
    DrawSwatch(canvas, PaletteSwatchSize, PaletteSwatchSize, FillIndicatorX, IndicatorY, color);
    DrawRectOutline(canvas, PaletteCellPitch, PaletteCellPitch, PaletteCellPitch * cell.column + 1,
                    PaletteCellPitch * cell.row + 1, PaletteHighlightColor);
    ImagePenColor->update();
}

void TMainForm::ImagePenColorMouseDown(Qt::MouseButton button, int x, int y) {
    const PaletteCell cell = PaletteHitTest(x, y);
    const TColor color = PaletteColors[cell.column][cell.row];
    if (button == Qt::LeftButton) {
        PenColor = color;
    } else if (button == Qt::RightButton) {
        FillColor = color;
    }
    // Whatever the button: the record carries PenColor, and the fill colour
    // is never recorded from here.
    AddCommand(VecImage, 0, 0, 0, 0, NoIndex, 0, 0, CmdColor);
    ImagePenColor->hide();
}

} // namespace vellograph
