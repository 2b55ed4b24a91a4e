#include "app/UpDown.h"

#include <QKeyEvent>
#include <QToolButton>

#include <algorithm>

namespace zq {

UpDown::UpDown(QWidget* parent)
    : QWidget(parent)
    , up_(new QToolButton(this))
    , down_(new QToolButton(this))
{
    setFocusPolicy(Qt::TabFocus);
    up_->setObjectName("up");
    down_->setObjectName("down");
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up_, down_}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
        b->setAutoRepeatDelay(400);
        b->setAutoRepeatInterval(80);
    }
    connect(up_, &QToolButton::clicked, this, &UpDown::stepUp);
    connect(down_, &QToolButton::clicked, this, &UpDown::stepDown);
    resize(16, 24);
}

void UpDown::setRange(int minimum, int maximum)
{
    min_ = minimum;
    max_ = std::max(minimum, maximum);
    pos_ = std::clamp(pos_, min_, max_);
}

void UpDown::setPosition(int position)
{
    pos_ = std::clamp(position, min_, max_);
}

void UpDown::stepUp()
{
    step(+1);
}

void UpDown::stepDown()
{
    step(-1);
}

void UpDown::step(int delta)
{
    if (!isEnabled())
        return;
    int next = pos_ + delta;
    if (next > max_)
        next = wrap_ ? min_ : max_;
    else if (next < min_)
        next = wrap_ ? max_ : min_;
    // Also at a limit: the click stores the position shown, whatever the
    // game held there before.
    pos_ = next;
    emit clicked(pos_);
}

void UpDown::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Right:
        stepUp();
        break;
    case Qt::Key_Down:
    case Qt::Key_Left:
        stepDown();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void UpDown::resizeEvent(QResizeEvent*)
{
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}

} // namespace zq
