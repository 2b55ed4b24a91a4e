#pragma once
// TFastIMG: a window control that shows its own TFastDIB (the shown buffer),
// 1:1 (dsDraw) or scaled to fit with its aspect kept (dsResize), and passes
// the mouse to the form's handlers with control pixel coordinates. While a
// button is held it keeps the mouse, so moves and the release arrive even
// outside the control.

#include "gfx/FastDIB.h"

#include <QColor>
#include <QImage>
#include <QWidget>

#include <functional>

namespace zq {

enum class TDrawStyle { dsDraw, dsResize };

// The buffer's rows top-down with an opaque alpha byte, into `image`, which
// keeps its memory when its size is already right.
void copyToImage(const TFastDIB& bmp, QImage& image);

class TFastIMG : public QWidget {
    Q_OBJECT
public:
    explicit TFastIMG(QWidget* parent = nullptr);

    TFastDIB& Bmp() { return bmp_; }
    const TFastDIB& Bmp() const { return bmp_; }

    void setDrawStyle(TDrawStyle style) { drawStyle_ = style; }
    TDrawStyle drawStyle() const { return drawStyle_; }
    void setColor(QColor colour) { color_ = colour; }

    // Shows the buffer's current content: schedules one paint, so that the
    // requests of one refresh end in a single paint of the control.
    void Repaint() { update(); }
    // Paints so far (for tests counting them).
    int paintCount() const { return paints_; }

    // Mouse handlers: (x, y) in control pixels, signed; buttons and
    // modifiers are not passed on (the editor treats them all alike).
    std::function<void(int x, int y)> OnMouseDown;
    std::function<void(int x, int y)> OnMouseMove;
    std::function<void(int x, int y)> OnMouseUp;

    // Ends a press whose release will not arrive (a dialog or another window
    // took the mouse) as that release would: OnMouseUp at the last pointer
    // position. Nothing when no button is held. A control that is disabled
    // or hidden while a button is held does this itself.
    void cancelPress();

    // The buffer as a top-down opaque QImage (also what paint draws).
    QImage toImage() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    TFastDIB bmp_;
    TDrawStyle drawStyle_ = TDrawStyle::dsDraw;
    QImage shown_; // what paint draws, kept between paints
    int paints_ = 0;
    bool pressed_ = false; // a press was passed on and its release not yet
    QPoint last_;
    QColor color_ = Qt::white;
};

} // namespace zq
