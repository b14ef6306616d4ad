// The drawing surface widget: the canvas shown pixel for pixel, repainted by
// rectangles, and mouse positions in surface pixels.
#include "window/form/image_screen.h"

#include "qtgui/canvas_qimage.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <new>

namespace vellograph {

TImageScreen::TImageScreen(QWidget* parent) : QWidget(parent) {
    // Every pixel comes from the canvas; Qt need not clear anything first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    // Moves without a held button still reach the handler, which ignores them
    // unless a press on the surface is still unreleased.
    setMouseTracking(true);
}

void TImageScreen::WrapCanvas() {
    image_ = CanvasQImage(canvas_);
    if (!image_.isNull()) {
        image_.setDevicePixelRatio(devicePixelRatioF());
    }
}

void TImageScreen::SyncSurfaceSize() {
    const qreal ratio = devicePixelRatioF();
    const int width = qRound(this->width() * ratio);
    const int height = qRound(this->height() * ratio);
    if (width != canvas_.width() || height != canvas_.height()) {
        try {
            // Built aside, so that a failed allocation leaves the old surface
            // whole; moved in, so that a playback holding the canvas goes on.
            TCanvas fresh(width, height);
            const int keepWidth = std::min(canvas_.width(), width);
            for (int y = 0; y < std::min(canvas_.height(), height); ++y) {
                std::copy_n(canvas_.bits() + static_cast<std::size_t>(y) * canvas_.width(),
                            keepWidth, fresh.bits() + static_cast<std::size_t>(y) * width);
            }
            fresh.setPenColor(canvas_.penColor());
            fresh.setPenWidth(canvas_.penWidth());
            fresh.setBrushColor(canvas_.brushColor());
            fresh.moveTo(canvas_.penPos().x, canvas_.penPos().y);
            canvas_ = std::move(fresh);
        } catch (const std::bad_alloc&) {
            // Too big for memory: keep drawing on the surface there is.
        }
    }
    WrapCanvas();
}

bool TImageScreen::event(QEvent* event) {
    if (event->type() == QEvent::ScreenChangeInternal) {
        SyncSurfaceSize(); // another screen may have another pixel ratio
    }
    return QWidget::event(event);
}

QPointF TImageScreen::ToLogical(QPointF surface) const {
    return surface / devicePixelRatioF();
}

QRect TImageScreen::ToLogical(const TRect& rect) const {
    const qreal ratio = devicePixelRatioF();
    return QRectF(rect.left / ratio, rect.top / ratio, (rect.right - rect.left) / ratio,
                  (rect.bottom - rect.top) / ratio)
        .toAlignedRect();
}

void TImageScreen::InvalidateSurface(const TRect& rect) {
    lastInvalidated_ = rect;
    if (!rect.empty()) {
        update(ToLogical(rect));
    }
}

void TImageScreen::InvalidateAll() {
    lastInvalidated_ = {0, 0, canvas_.width(), canvas_.height()};
    update();
}

void TImageScreen::SetPaintedAlpha(int alpha) {
    if (alpha != paintedAlpha_) {
        paintedAlpha_ = alpha;
        update();
    }
}

void TImageScreen::paintEvent(QPaintEvent* event) {
    lastPainted_ = event->region();
    const bool wrapsCanvas =
        !image_.isNull() && image_.constBits() == reinterpret_cast<const uchar*>(canvas_.bits()) &&
        image_.width() == canvas_.width() && image_.height() == canvas_.height();
    if (!wrapsCanvas) {
        WrapCanvas(); // someone resized the canvas behind our back
    }
    QPainter painter(this);
    if (paintedAlpha_ < 255) {
        // The window's backing store starts each paint transparent here.
        // A parent's children are in stacking order, lowest first.
        QRegion under = event->region();
        const QObjectList& stack = parentWidget() ? parentWidget()->children() : QObjectList();
        bool above = false;
        for (const QObject* child : stack) {
            const auto* sibling = qobject_cast<const QWidget*>(child);
            if (above && sibling && !sibling->isWindow() && sibling->isVisible()) {
                under -= sibling->geometry().translated(-pos());
            }
            above = above || child == this;
        }
        painter.setClipRegion(under);
        painter.setOpacity(paintedAlpha_ / 255.0);
    }
    if (image_.isNull()) {
        painter.fillRect(event->rect(), Qt::white);
        return;
    }
    const qreal ratio = image_.devicePixelRatio();
    const QRectF covered(0, 0, image_.width() / ratio, image_.height() / ratio);
    for (const QRect& logical : event->region()) {
        const QRect source = QRectF(logical.x() * ratio, logical.y() * ratio,
                                    logical.width() * ratio, logical.height() * ratio)
                                 .toAlignedRect() &
                             image_.rect();
        if (!covered.contains(QRectF(logical))) {
            painter.fillRect(logical, Qt::white); // beyond the canvas, briefly, while resizing
        }
        if (!source.isEmpty()) {
            const QRectF target(source.x() / ratio, source.y() / ratio, source.width() / ratio,
                                source.height() / ratio);
            painter.drawImage(target, image_, QRectF(source));
        }
    }
}

void TImageScreen::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    SyncSurfaceSize();
}

void TImageScreen::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    SyncSurfaceSize(); // the screen, and with it the pixel ratio, is known now
}

QPoint TImageScreen::SurfacePoint(const QMouseEvent* event) const {
    // On its way from the window to the widget Qt rounds position() to whole
    // logical pixels, which on a screen scaled 1.5x or 2x drops the device
    // pixels in between. The position in the window keeps the fraction that
    // the window system's device pixel gives. An event made up by hand may
    // carry no window position of its own: one that does not round to
    // position() is not taken.
    const QPointF exact = mapFrom(window(), event->scenePosition());
    const QPointF logical =
        exact.toPoint() == event->position().toPoint() ? exact : event->position();
    const QPointF device = logical * devicePixelRatioF();
    return {static_cast<int>(std::lround(device.x())), static_cast<int>(std::lround(device.y()))};
}

void TImageScreen::mousePressEvent(QMouseEvent* event) {
    const QPoint p = SurfacePoint(event);
    emit MouseDown(event->button(), p.x(), p.y());
}

void TImageScreen::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = SurfacePoint(event);
    emit MouseMove(p.x(), p.y());
}

void TImageScreen::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = SurfacePoint(event);
    emit MouseUp(event->button(), p.x(), p.y());
}

} // namespace vellograph
