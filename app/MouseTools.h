#pragma once
// The mouse tools of the level view and the block pattern editor: small
// objects with press and move on the pointer's cell, chosen by the edit mode
// at every event. A press..release on one control is one edit step, however
// many moves it had; a tool writes through that step.

#include "app/EditorState.h"
#include "app/GameDocument.h"

#include <QString>

#include <functional>
#include <optional>

namespace zq {

// What the tools need of the window.
class ToolHost {
public:
    virtual ~ToolHost() = default;
    virtual EditorState& editorState() = 0;
    virtual int currentArea() const = 0; // the air-flow area selector
    // Block and pattern changes redraw without the refresh cycle.
    virtual void levelRedraw() = 0;
    virtual void patternRedraw() = 0;
    virtual void refreshCycle() = 0;
    virtual void enemyPanelRefresh() = 0;
    virtual void setStatusText(const QString& text) = 0;
};

class MouseTool {
public:
    explicit MouseTool(ToolHost& host)
        : host_(host)
    {
    }
    virtual ~MouseTool() = default;

    // The name of the step a press..release with this tool makes.
    virtual QString stepName() const = 0;
    // (x, y) in control pixels, possibly outside the control while a button
    // is held. `step` is the open step of the stroke.
    virtual void press(EditStep& step, int x, int y) = 0;
    virtual void move(EditStep& step, int x, int y) = 0;

protected:
    EditorState& state() { return host_.editorState(); }
    ToolHost& host_;
};

// Blocks on the level view: the press flips the cell under the pointer, the
// held pointer gives every crossed cell that new value.
class BlockDrawTool : public MouseTool {
public:
    using MouseTool::MouseTool;
    QString stepName() const override { return QStringLiteral("Draw Blocks"); }
    void press(EditStep& step, int x, int y) override;
    void move(EditStep& step, int x, int y) override;
};

// Selects the enemy under the press and drags it from cell to cell.
class EnemyMoveTool : public MouseTool {
public:
    using MouseTool::MouseTool;
    QString stepName() const override { return QStringLiteral("Move Enemy"); }
    void press(EditStep& step, int x, int y) override;
    void move(EditStep& step, int x, int y) override;
};

// Moves the level's item within its quarter of the screen.
class ItemMoveTool : public MouseTool {
public:
    using MouseTool::MouseTool;
    QString stepName() const override { return QStringLiteral("Move Item"); }
    void press(EditStep&, int, int) override {}
    void move(EditStep& step, int x, int y) override;
};

// Draws the current air-flow area from its top-left corner.
class AreaDrawTool : public MouseTool {
public:
    using MouseTool::MouseTool;
    QString stepName() const override { return QStringLiteral("Draw Air Area"); }
    void press(EditStep& step, int x, int y) override;
    void move(EditStep& step, int x, int y) override;

private:
    void encode(EditStep& step);
};

// Pixels of the block pattern, as the block tool does blocks.
class PatternDrawTool : public MouseTool {
public:
    using MouseTool::MouseTool;
    QString stepName() const override { return QStringLiteral("Draw Pattern"); }
    void press(EditStep& step, int x, int y) override;
    void move(EditStep& step, int x, int y) override;
};

// One control's pointer: the press opens the step and hands the press to
// the tool of the moment, moves while the button is held go to the tool of
// the moment, the release ends the step. No tool (nullptr) ignores the
// pointer.
class ToolStroke {
public:
    ToolStroke(GameDocument& document, std::function<MouseTool*()> choose, std::function<void()> onPress,
               std::function<void()> onRelease);

    void press(int x, int y);
    void move(int x, int y);
    void release();
    bool held() const { return step_.has_value(); }

private:
    GameDocument& document_;
    std::function<MouseTool*()> choose_;
    std::function<void()> onPress_;
    std::function<void()> onRelease_;
    std::optional<EditStep> step_;
};

} // namespace zq
