// The pickers' image control: the canvas shown as it is, mouse events in
// picture pixels, and no press passed on to the window underneath.
#include "window/pickers/canvas_image.h"

#include "qtgui/canvas_qimage.h"

#include <QContextMenuEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>
#include <utility>

namespace vellograph {

TCanvasImage::TCanvasImage(int width, int height, QWidget* parent)
    : QWidget(parent), canvas_(width, height) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The pen width picker follows the pointer before any button is pressed.
    setMouseTracking(true);
    resize(width, height);
}

void TCanvasImage::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.drawImage(rect(), CanvasQImage(std::as_const(canvas_)));
}

QPoint TCanvasImage::PicturePoint(const QMouseEvent* event) const {
    // The pixel under the pointer, also where a screen scale makes the
    // position fractional.
    const QPointF p = event->position();
    const double sx = width() > 0 ? static_cast<double>(canvas_.width()) / width() : 1.0;
    const double sy = height() > 0 ? static_cast<double>(canvas_.height()) / height() : 1.0;
    return {static_cast<int>(std::floor(p.x() * sx)), static_cast<int>(std::floor(p.y() * sy))};
}

void TCanvasImage::mousePressEvent(QMouseEvent* event) {
    // Accepted whatever the button: a right press here must not reach the
    // window, which would treat it as a press on the drawing.
    event->accept();
    const QPoint p = PicturePoint(event);
    emit MouseDown(event->button(), p.x(), p.y());
}

void TCanvasImage::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    const QPoint p = PicturePoint(event);
    emit MouseMove(p.x(), p.y());
}

void TCanvasImage::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

void TCanvasImage::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
}

} // namespace vellograph
