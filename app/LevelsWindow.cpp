#include "app/LevelsWindow.h"

#include "app/GameDocument.h"
#include "gfx/FastDIB.h"
#include "image/LevelData.h"
#include "render/LevelScene.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

namespace zq {

namespace {

QImage thumbnailOf(const GameImage& image, int index)
{
    // Each thumbnail pixel is the mean of the 2 x 2 pixels it stands for:
    // the one-pixel lines of the block patterns would alias away otherwise.
    TFastDIB picture;
    drawLevelPicture(image, index, EditMode::Blocks, 1, picture);
    QImage out(LevelThumbnails::kThumbWidth, LevelThumbnails::kThumbHeight, QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y) {
        const std::uint32_t* a = picture.Line(2 * y);
        const std::uint32_t* b = picture.Line(2 * y + 1);
        auto* dst = reinterpret_cast<std::uint32_t*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const std::uint32_t p[4] = {a[2 * x], a[2 * x + 1], b[2 * x], b[2 * x + 1]};
            std::uint32_t mean = 0xFF000000u;
            for (int shift : {0, 8, 16}) {
                std::uint32_t sum = 0;
                for (std::uint32_t q : p)
                    sum += (q >> shift) & 0xFF;
                mean |= (sum / 4) << shift;
            }
            dst[x] = mean;
        }
    }
    return out;
}

} // namespace

LevelThumbnails::LevelThumbnails(const GameDocument& document, QWidget* parent)
    : QWidget(parent)
    , document_(document)
{
    setObjectName("LevelThumbnails");
    dirty_.fill(true);
    redrawTimer_.setSingleShot(true);
    connect(&redrawTimer_, &QTimer::timeout, this, &LevelThumbnails::redrawDirty);
    redrawDirty();
}

QSize LevelThumbnails::sizeHint() const
{
    const int rows = (kLevelCount + kColumns - 1) / kColumns;
    return {kColumns * kCellWidth, rows * kCellHeight};
}

QRect LevelThumbnails::cellRect(int index) const
{
    return QRect((index % kColumns) * kCellWidth, (index / kColumns) * kCellHeight, kCellWidth, kCellHeight);
}

void LevelThumbnails::setMarks(const std::array<bool, kLevelCount>& marks)
{
    for (int i = 0; i < kLevelCount; ++i)
        if (marks_[std::size_t(i)] != marks[std::size_t(i)])
            update(cellRect(i));
    marks_ = marks;
}

void LevelThumbnails::setCurrentLevel(int index)
{
    if (index == current_)
        return;
    update(cellRect(current_));
    current_ = index;
    update(cellRect(current_));
}

bool LevelThumbnails::touched(int index) const
{
    const GameImage& image = document_.image();
    const LevelRecord record = findLevelRecord(image, index);
    const std::size_t size = record.mirrored ? kMirroredRecordSize : kFullRecordSize;
    return document_.lastChangeTouches(record.offset, size) ||
           document_.lastChangeTouches(attributeOffset(index), 1) ||
           document_.lastChangeTouches(patternOffset(index), kPatternSize);
}

void LevelThumbnails::documentChanged(bool everything)
{
    // The mirror bitmap places every record: a change there moves them all.
    everything = everything || document_.lastChangeTouches(off::MirrorBitmap, kMirrorBitmapSize);
    bool any = false;
    for (int i = 0; i < kLevelCount; ++i)
        if (everything || touched(i)) {
            dirty_[std::size_t(i)] = true;
            any = true;
        }
    if (any && !redrawTimer_.isActive())
        redrawTimer_.start(0);
}

void LevelThumbnails::redrawDirty()
{
    for (int i = 0; i < kLevelCount; ++i) {
        if (!std::exchange(dirty_[std::size_t(i)], false))
            continue;
        thumbs_[std::size_t(i)] = thumbnailOf(document_.image(), i);
        ++draws_[std::size_t(i)];
        update(cellRect(i));
    }
}

void LevelThumbnails::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().window());
    for (int i = 0; i < kLevelCount; ++i) {
        const QRect cell = cellRect(i);
        if (!cell.intersects(event->rect()))
            continue;
        const QRect picture(cell.x() + 6, cell.y() + 4, kThumbWidth, kThumbHeight);
        painter.drawImage(picture, thumbs_[std::size_t(i)]);
        // A differing level: a wide frame in the mark colour around the
        // picture, outside the current level's frame.
        if (marks_[std::size_t(i)]) {
            painter.setPen(QPen(markColour(), 3));
            painter.drawRect(picture.adjusted(-4, -3, 3, 2));
        }
        if (i == current_) {
            painter.setPen(QPen(palette().highlight(), 3));
            painter.drawRect(picture.adjusted(-2, -2, 1, 1));
        }
        painter.setPen(palette().windowText().color());
        painter.drawText(QRect(cell.x(), picture.bottom() + 3, cell.width(), 18), Qt::AlignCenter,
                         QStringLiteral("Level %1").arg(i + 1));
    }
}

void LevelThumbnails::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    const int column = p.x() / kCellWidth;
    const int index = (p.y() / kCellHeight) * kColumns + column;
    if (column < kColumns && index >= 0 && index < kLevelCount)
        emit levelChosen(index);
}

void LevelsWindow::showComparison(const QString& name, const std::array<bool, kLevelCount>& marks)
{
    const auto count = std::count(marks.begin(), marks.end(), true);
    thumbnails_->setMarks(name.isEmpty() ? std::array<bool, kLevelCount>{} : marks);
    if (name.isEmpty())
        setWindowTitle("Levels");
    else
        setWindowTitle(QStringLiteral("Levels - %1 %2 from %3")
                           .arg(count)
                           .arg(count == 1 ? "differs" : "differ")
                           .arg(name));
}

LevelsWindow::LevelsWindow(const GameDocument& document, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , thumbnails_(new LevelThumbnails(document))
{
    setObjectName("LevelsWindow");
    setWindowTitle("Levels");
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(thumbnails_);
    scroll->setWidgetResizable(false);
    thumbnails_->resize(thumbnails_->sizeHint());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
    resize(thumbnails_->sizeHint().width() + 24, 4 * LevelThumbnails::kCellHeight + 8);
}

} // namespace zq
