#pragma once
// All levels at a glance: the 79 level pictures at half size in a grid, each
// with its number, the current level framed. A click chooses a level. The
// thumbnails follow the document, redrawing only the levels a change
// touched (a shared attribute or pattern touches several), after the change
// and not during it, so drawing stays smooth.

#include "image/MemoryMap.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <array>

class QScrollArea;

namespace zq {

class GameDocument;

class LevelThumbnails : public QWidget {
    Q_OBJECT
public:
    static constexpr int kColumns = 6;
    static constexpr int kThumbWidth = 128;
    static constexpr int kThumbHeight = 96;
    static constexpr int kCellWidth = kThumbWidth + 12;
    static constexpr int kCellHeight = kThumbHeight + 26;

    explicit LevelThumbnails(const GameDocument& document, QWidget* parent = nullptr);

    void setCurrentLevel(int index);
    int currentLevel() const { return current_; }
    // Marks the levels the document's last change touched (all of them with
    // `everything`) and redraws them soon.
    void documentChanged(bool everything = false);
    // How often a level's thumbnail was drawn (for tests).
    int draws(int index) const { return draws_[std::size_t(index)]; }
    // Where thumbnail `index` lies.
    QRect cellRect(int index) const;
    // The levels framed as differing from a compared game (none: no marks).
    void setMarks(const std::array<bool, kLevelCount>& marks);
    bool marked(int index) const { return marks_[std::size_t(index)]; }
    // The colour of that frame.
    static QColor markColour() { return QColor(0xFF, 0x8C, 0x00); }

    QSize sizeHint() const override;

signals:
    void levelChosen(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool touched(int index) const;
    void redrawDirty();

    const GameDocument& document_;
    std::array<QImage, kLevelCount> thumbs_;
    std::array<bool, kLevelCount> dirty_{};
    std::array<int, kLevelCount> draws_{};
    std::array<bool, kLevelCount> marks_{};
    QTimer redrawTimer_;
    int current_ = 0;
};

class LevelsWindow : public QWidget {
    Q_OBJECT
public:
    explicit LevelsWindow(const GameDocument& document, QWidget* parent = nullptr);
    LevelThumbnails* thumbnails() const { return thumbnails_; }
    // Marks the levels that differ from the game `name` and counts them in
    // the title; with an empty name the marks and the count go.
    void showComparison(const QString& name, const std::array<bool, kLevelCount>& marks);

private:
    LevelThumbnails* thumbnails_;
};

} // namespace zq
