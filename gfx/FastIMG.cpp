#include "gfx/FastIMG.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace zq {

TFastIMG::TFastIMG(QWidget* parent)
    : QWidget(parent)
{
    // Every pixel is painted from the buffer: no background erase, no flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
}

void copyToImage(const TFastDIB& bmp, QImage& image)
{
    const int w = bmp.Width();
    const int h = bmp.Height();
    if (image.width() != w || image.height() != h || image.format() != QImage::Format_RGB32)
        image = QImage(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        const std::uint32_t* src = bmp.Line(y);
        auto* dst = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            dst[x] = src[x] | 0xFF000000u;
    }
}

namespace {

int roundHalfEven(double v)
{
    return int(std::nearbyint(v)); // default rounding mode: halves to even
}

} // namespace

QImage TFastIMG::toImage() const
{
    if (bmp_.Empty())
        return {};
    QImage image;
    copyToImage(bmp_, image);
    return image;
}

void TFastIMG::paintEvent(QPaintEvent*)
{
    ++paints_;
    QPainter painter(this);
    const int W = width();
    const int H = height();
    if (bmp_.Empty()) {
        painter.fillRect(rect(), color_);
        return;
    }
    copyToImage(bmp_, shown_);
    const QImage& image = shown_;
    const int w = image.width();
    const int h = image.height();
    if (drawStyle_ == TDrawStyle::dsDraw) {
        if (w < W || h < H) {
            QRegion area(QRect(1, 1, W - 2, H - 2));
            area -= QRegion(0, 0, w, h);
            for (const QRect& r : area)
                painter.fillRect(r, color_);
        }
        painter.drawImage(0, 0, image);
        return;
    }
    // dsResize: fit the picture, keeping its aspect.
    if (w == W && h == H) {
        painter.drawImage(0, 0, image);
        return;
    }
    const double fx = double(W) / w;
    const double fy = double(H) / h;
    QRect placed;
    if (fx > fy)
        placed = QRect(roundHalfEven((W - fy * w) / 2), 0, roundHalfEven(fy * w), H);
    else
        placed = QRect(0, roundHalfEven((H - fx * h) / 2), W, roundHalfEven(fx * h));
    if (placed.x() != 0 || placed.y() != 0) {
        QRegion area(rect());
        area -= QRegion(placed);
        for (const QRect& r : area)
            painter.fillRect(r, color_);
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(placed, image);
}

void TFastIMG::mousePressEvent(QMouseEvent* event)
{
    last_ = event->position().toPoint();
    pressed_ = true;
    if (OnMouseDown)
        OnMouseDown(last_.x(), last_.y());
}

void TFastIMG::mouseMoveEvent(QMouseEvent* event)
{
    // A move with no button held after a press: the release went elsewhere.
    if (pressed_ && event->buttons() == Qt::NoButton)
        cancelPress();
    last_ = event->position().toPoint();
    if (OnMouseMove)
        OnMouseMove(last_.x(), last_.y());
}

void TFastIMG::mouseReleaseEvent(QMouseEvent* event)
{
    last_ = event->position().toPoint();
    pressed_ = false;
    if (OnMouseUp)
        OnMouseUp(last_.x(), last_.y());
}

void TFastIMG::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        cancelPress();
    QWidget::changeEvent(event);
}

void TFastIMG::hideEvent(QHideEvent* event)
{
    cancelPress();
    QWidget::hideEvent(event);
}

void TFastIMG::cancelPress()
{
    if (!pressed_)
        return;
    pressed_ = false;
    if (OnMouseUp)
        OnMouseUp(last_.x(), last_.y());
}

} // namespace zq
