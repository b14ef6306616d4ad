// The drawing surface: shows the engine's canvas in place and turns mouse
// events into surface-pixel positions.
#pragma once

#include "engine/raster/canvas.h"

#include <QImage>
#include <QRegion>
#include <QWidget>

namespace vellograph {

class TImageScreen : public QWidget {
    Q_OBJECT

public:
    explicit TImageScreen(QWidget* parent = nullptr);

    // The picture. Its pixels are the screen's device pixels: on a screen
    // scaled 2x a 1920x1080 desktop gives a 3840x2160 canvas.
    TCanvas& Canvas() { return canvas_; }
    const TCanvas& Canvas() const { return canvas_; }

    // Repaints the given canvas rectangle only.
    void InvalidateSurface(const TRect& rect);
    // Repaints the whole picture, after a playback or a clear.
    void InvalidateAll();

    // The alpha the picture is painted with, 255 opaque: the window's
    // translucency where the platform has no window opacity and the window
    // has an alpha channel instead. Below 255 the visible components stacked
    // above the surface are left out, so that each of them, painted at the
    // same alpha, covers the desktop alone and not a translucent picture too.
    void SetPaintedAlpha(int alpha);
    int PaintedAlpha() const { return paintedAlpha_; }

    // Surface pixels to the widget's logical coordinates and back.
    QPointF ToLogical(QPointF surface) const;
    QRect ToLogical(const TRect& rect) const;

    // What the last InvalidateSurface asked for, and the region of the last
    // paint; they show that a stroke repaints only what it touched.
    TRect LastInvalidated() const { return lastInvalidated_; }
    QRegion LastPaintedRegion() const { return lastPainted_; }

signals:
    // Positions are surface pixels: the device pixel the window system
    // reported, whatever the scale.
    void MouseDown(Qt::MouseButton button, int x, int y);
    void MouseMove(int x, int y);
    void MouseUp(Qt::MouseButton button, int x, int y);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPoint SurfacePoint(const QMouseEvent* event) const;
    // Gives the canvas the widget's size in device pixels, keeping what is
    // already drawn where it still fits.
    void SyncSurfaceSize();
    // The QImage shares the canvas's pixel buffer; rebuilt when that moves.
    void WrapCanvas();

    TCanvas canvas_;
    QImage image_;
    TRect lastInvalidated_;
    QRegion lastPainted_;
    int paintedAlpha_ = 255;
};

} // namespace vellograph
