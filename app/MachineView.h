#pragma once
// The play window's picture: the Spectrum's 320 x 256 frame (screen and
// border) drawn at the largest whole scale that fits, crisp, centred on
// black; and the keyboard that plays the game. Keys that the Spectrum uses
// are taken before the window's shortcuts see them; losing the focus lets go
// of every key.

#include "emu/HostKeyboard.h"

#include <QImage>
#include <QWidget>

namespace zq {

class TFastDIB;

class MachineView : public QWidget {
    Q_OBJECT
public:
    explicit MachineView(emu::HostKeyboard& keyboard, QWidget* parent = nullptr);

    // Takes the frame to show (320 x 256) and schedules a paint.
    void showFrame(const TFastDIB& frame);
    // A line of text shown instead of the picture (an empty text shows the
    // picture again).
    void setMessage(const QString& text);

    const QImage& frame() const { return frame_; }
    int scale() const;
    // The frame as shown: scaled by scale().
    QImage shownPicture() const;

    QSize sizeHint() const override;

signals:
    // The held keys changed.
    void keysChanged();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    emu::HostKeyboard& keyboard_;
    QImage frame_;
    QString message_;
};

} // namespace zq
