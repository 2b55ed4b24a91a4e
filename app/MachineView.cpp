#include "app/MachineView.h"

#include "emu/Machine48.h"
#include "gfx/FastIMG.h"

#include <QKeyEvent>
#include <QPainter>

#include <algorithm>
#include <optional>
#include <utility>

namespace zq {

namespace {

#if defined(Q_OS_LINUX)
constexpr emu::ScanCodes kScanCodes = emu::ScanCodes::Xkb;
#elif defined(Q_OS_WIN)
constexpr emu::ScanCodes kScanCodes = emu::ScanCodes::Windows;
#else
constexpr emu::ScanCodes kScanCodes = emu::ScanCodes::None;
#endif

// The Spectrum key a PC key stands for, if any.
std::optional<std::pair<emu::HostKey, char32_t>> spectrumKey(const QKeyEvent& e)
{
    using emu::HostKey;
    const int key = e.key();
    switch (key) {
    case Qt::Key_Shift: return std::pair{HostKey::Shift, U'\0'};
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr: return std::pair{HostKey::Symbol, U'\0'};
    case Qt::Key_Return:
    case Qt::Key_Enter: return std::pair{HostKey::Enter, U'\0'};
    case Qt::Key_Space: return std::pair{HostKey::Space, U'\0'};
    case Qt::Key_Backspace: return std::pair{HostKey::Backspace, U'\0'};
    case Qt::Key_Up: return std::pair{HostKey::Up, U'\0'};
    case Qt::Key_Down: return std::pair{HostKey::Down, U'\0'};
    case Qt::Key_Left: return std::pair{HostKey::Left, U'\0'};
    case Qt::Key_Right: return std::pair{HostKey::Right, U'\0'};
    case Qt::Key_Tab:
    case Qt::Key_Insert: return std::pair{HostKey::Fire, U'\0'};
    default: break;
    }
    // Letters and digits by where the key sits, unless Shift makes it type
    // a Spectrum symbol ('!', '@', ...).
    if (const char32_t placed = emu::usLetterOrDigitAt(kScanCodes, e.nativeScanCode())) {
        const QString text = e.text();
        const bool symbol = (e.modifiers() & Qt::ShiftModifier) && text.size() == 1 &&
                            emu::isSpectrumSymbol(char32_t(text[0].unicode()));
        if (!symbol)
            return std::pair{HostKey::Character, placed};
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return std::pair{HostKey::Character, char32_t('a' + (key - Qt::Key_A))};
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return std::pair{HostKey::Character, char32_t('0' + (key - Qt::Key_0))};
    const QString text = e.text();
    if (text.size() == 1 && text[0].unicode() > 32 && text[0].unicode() < 127)
        return std::pair{HostKey::Character, char32_t(text[0].unicode())};
    return std::nullopt;
}

bool isCheckpointKey(const QKeyEvent& e)
{
    return e.modifiers() == Qt::ControlModifier && e.key() >= Qt::Key_1 && e.key() <= Qt::Key_9;
}

// Presses are remembered by scan code, so the release finds them whatever
// Shift did to the key's code; without one (synthetic events) by key code.
int pressId(const QKeyEvent& e)
{
    return e.nativeScanCode() != 0 ? int(e.nativeScanCode()) : 0x10000 + e.key();
}

} // namespace

MachineView::MachineView(emu::HostKeyboard& keyboard, QWidget* parent)
    : QWidget(parent)
    , keyboard_(keyboard)
    , frame_(emu::kScreenWidth, emu::kScreenHeight, QImage::Format_RGB32)
{
    frame_.fill(Qt::black);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(emu::kScreenWidth, emu::kScreenHeight);
}

QSize MachineView::sizeHint() const
{
    return {2 * emu::kScreenWidth, 2 * emu::kScreenHeight};
}

void MachineView::showFrame(const TFastDIB& frame)
{
    if (frame.Width() != frame_.width() || frame.Height() != frame_.height())
        return;
    copyToImage(frame, frame_);
    update();
}

void MachineView::setMessage(const QString& text)
{
    message_ = text;
    update();
}

int MachineView::scale() const
{
    return std::max(1, std::min(width() / frame_.width(), height() / frame_.height()));
}

QImage MachineView::shownPicture() const
{
    const int s = scale();
    return frame_.scaled(frame_.size() * s, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

void MachineView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!message_.isEmpty()) {
        painter.setPen(Qt::white);
        painter.drawText(rect().adjusted(16, 16, -16, -16), Qt::AlignCenter | Qt::TextWordWrap, message_);
        return;
    }
    const QSize shown = frame_.size() * scale();
    const QRect target(QPoint((width() - shown.width()) / 2, (height() - shown.height()) / 2), shown);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, frame_);
}

bool MachineView::event(QEvent* e)
{
    // The Spectrum's keys reach the game, not the window's shortcuts; but
    // Ctrl with a digit plays from a checkpoint (Alt gives SYMBOL SHIFT).
    if (e->type() == QEvent::ShortcutOverride && spectrumKey(*static_cast<QKeyEvent*>(e)) &&
        !isCheckpointKey(*static_cast<QKeyEvent*>(e))) {
        e->accept();
        return true;
    }
    // Tab is the fire button here, not a move of the focus.
    if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Tab) {
        keyPressEvent(static_cast<QKeyEvent*>(e));
        return true;
    }
    return QWidget::event(e);
}

void MachineView::keyPressEvent(QKeyEvent* e)
{
    const auto key = spectrumKey(*e);
    if (!key) {
        QWidget::keyPressEvent(e);
        return;
    }
    if (!e->isAutoRepeat() && keyboard_.press(pressId(*e), key->first, key->second))
        emit keysChanged();
}

void MachineView::keyReleaseEvent(QKeyEvent* e)
{
    if (e->isAutoRepeat())
        return;
    if (keyboard_.release(pressId(*e)))
        emit keysChanged();
    else
        QWidget::keyReleaseEvent(e);
}

void MachineView::focusOutEvent(QFocusEvent* e)
{
    keyboard_.releaseAll();
    emit keysChanged();
    QWidget::focusOutEvent(e);
}

} // namespace zq
