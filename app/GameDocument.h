#pragma once
// The game document: the game image and the tape's loading screen, and the
// undo history of every change made to them. It is the only writer of both:
// a change is made inside an edit step (EditStep), which records the bytes it
// changed and the level shown before and after it, pushes that as one command
// on the history, and tells the observers once that the document changed.
// Reading is a plain const reference.

#include "files/RecoveryFile.h"
#include "files/Tape.h"
#include "image/ByteDelta.h"
#include "image/GameImage.h"

#include <QObject>
#include <QString>
#include <QUndoStack>

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace zq {

class EditCommand;

class GameDocument : public QObject {
    Q_OBJECT
public:
    // The history holds at most this much memory, dropping its oldest steps
    // first, but always keeps at least the last kKeptSteps steps.
    static constexpr std::size_t kHistoryLimit = 32u << 20;
    static constexpr int kKeptSteps = 100;

    explicit GameDocument(QObject* parent = nullptr);
    ~GameDocument() override;

    const GameImage& image() const { return image_; }

    // `start` (the default game) with its screen as the loading screen, no
    // history and no file: the document of a fresh start.
    void reset(const GameImage& start);
    const LoadingScreen& loadingScreen() const { return screen_; }

    // Where the document asks which level the window shows, at the start
    // and at the end of every step. Without it every step is on level 0.
    void setLevelProbe(std::function<int()> probe) { levelProbe_ = std::move(probe); }

    QUndoStack& history() { return history_; }
    // Forgets every step (the document keeps its content).
    void clearHistory() { history_.clear(); }
    // The memory the steps on the history hold.
    std::size_t historyBytes() const { return historyBytes_; }

    // What an undo or redo brought back: the level its step was made on and
    // whether a credit text changed.
    struct Restored {
        int level = 0;
        bool credits = false;
    };
    // Nothing while a step is open or when there is nothing to undo / redo.
    std::optional<Restored> undo();
    std::optional<Restored> redo();

    bool stepOpen() const { return depth_ > 0; }

    // The file the game came from or was last saved to ("" for none), and
    // whether the game changed since then: a save or an open marks the
    // present state as the file's, and undo back to it is unmodified again.
    const QString& fileName() const { return fileName_; }
    void markSaved(const QString& fileName);
    // The game of no file (New, the start): unmodified, no name.
    void markUnnamed() { markSaved(QString()); }
    bool isModified() const { return !history_.isClean(); }

    // The content as the history stands (what an open step has written so
    // far is left out), every step and the file name, for a recovery file.
    RecoveryData recoveryData() const;
    // Replaces the content, the history, the file name and the modified
    // state with those of a recovery file. The level of the last done step
    // is returned, for the window to show.
    int restore(const RecoveryData& data);

    // Whether the last change (the last step, undo or redo) wrote any byte
    // of the image in [offset, offset + length): for observers that redraw
    // only what a change touched.
    bool lastChangeTouches(std::size_t offset, std::size_t length) const;

signals:
    // After every step that changed something, and after every undo / redo.
    void changed();
    // The file name or the modified state changed.
    void savedStateChanged();

private:
    friend class EditStep;
    friend class EditCommand;
    struct Record;

    void begin(const QString& name, int mergeKey);
    void end();
    int shownLevel() const { return levelProbe_ ? levelProbe_() : 0; }
    void restore(const std::shared_ptr<Record>& record, bool forward);
    // Pushes records whose bytes are already in place onto the history.
    void replay(std::vector<std::shared_ptr<Record>> records, int cleanIndex);
    std::optional<Restored> travel(bool forward);
    void trimHistory();

    GameImage image_;
    LoadingScreen screen_;
    // The content as the history last saw it: a step's changes are the
    // difference between these and the content when the step ends.
    GameImage baseline_;
    LoadingScreen baselineScreen_;

    QUndoStack history_;
    std::size_t historyBytes_ = 0;
    std::function<int()> levelProbe_;
    int depth_ = 0;
    QString stepName_;
    int stepMergeKey_ = -1;
    int stepLevel_ = 0;
    bool replaying_ = false; // commands pushed again by trimHistory do nothing
    std::optional<Restored> restored_;
    std::shared_ptr<const Record> lastChange_;
    QString fileName_;
};

// One edit step, open for the lifetime of the object: the writes made
// through image() and loadingScreen() in that time are one entry of the
// history, named `name`. A step opened while another is open belongs to the
// outer one (the writes a refresh makes as a consequence of an edit). Steps
// with the same merge key (>= 0) that follow each other become one entry
// (typing in one credit box). A step that changes nothing is not recorded.
class EditStep {
public:
    EditStep(GameDocument& document, const QString& name, int mergeKey = -1);
    ~EditStep();
    EditStep(const EditStep&) = delete;
    EditStep& operator=(const EditStep&) = delete;

    GameImage& image() { return document_.image_; }
    LoadingScreen& loadingScreen() { return document_.screen_; }

private:
    GameDocument& document_;
};

} // namespace zq
