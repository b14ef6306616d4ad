// An image control for the pickers: shows an engine canvas and reports the
// mouse in picture pixels.
#pragma once

#include "engine/raster/canvas.h"

#include <QWidget>

namespace vellograph {

class TCanvasImage : public QWidget {
    Q_OBJECT

public:
    // The picture is width x height pixels, white at first; the control has
    // the same size in the window's logical pixels.
    TCanvasImage(int width, int height, QWidget* parent = nullptr);

    TCanvas& Canvas() { return canvas_; }
    const TCanvas& Canvas() const { return canvas_; }

signals:
    // Every button press, and every move with or without a held button.
    void MouseDown(Qt::MouseButton button, int x, int y);
    void MouseMove(int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QPoint PicturePoint(const QMouseEvent* event) const;

    TCanvas canvas_;
};

} // namespace vellograph
