#pragma once
// A bare up-down control: two arrow buttons and no edit box. It has a range,
// a position and optional wrap-around; only a user's click (a button or the
// Up/Down keys) reports the new position, every click, also one at a limit
// that leaves the position as it was. Setting the position from code
// reports nothing, and a position is always kept inside the range.

#include <QWidget>

class QToolButton;

namespace zq {

class UpDown : public QWidget {
    Q_OBJECT
public:
    explicit UpDown(QWidget* parent = nullptr);

    void setRange(int minimum, int maximum);
    void setMinimum(int minimum) { setRange(minimum, max_); }
    void setMaximum(int maximum) { setRange(min_, maximum); }
    int minimum() const { return min_; }
    int maximum() const { return max_; }

    void setWrap(bool wrap) { wrap_ = wrap; }
    bool wrap() const { return wrap_; }

    // Clamped to the range; emits nothing.
    void setPosition(int position);
    int position() const { return pos_; }

    // What a user's click on the up or down arrow does.
    void stepUp();
    void stepDown();

    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

signals:
    // A user changed the position; carries the new one.
    void clicked(int position);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void step(int delta);

    QToolButton* up_;
    QToolButton* down_;
    int min_ = 0;
    int max_ = 100;
    int pos_ = 0;
    bool wrap_ = false;
};

} // namespace zq
