#include "app/GameDocument.h"

#include "image/LevelData.h"

#include <QSignalBlocker>
#include <QUndoCommand>

#include <algorithm>
#include <array>
#include <vector>

namespace zq {

namespace {

// What a command costs beyond its bytes: the command object, its private
// part with the text, the shared record and their allocations (measured
// with the history test, rounded up).
constexpr std::size_t kCommandOverhead = 512;

std::span<const std::uint8_t> screenBytes(const LoadingScreen& screen)
{
    return screen.bytes();
}

bool touchesCredits(const ByteDelta& delta)
{
    for (CreditField field : {CreditField::Title, CreditField::Company, CreditField::Author}) {
        const CreditFieldInfo info = creditFieldInfo(field);
        if (delta.touches(info.offset, info.width))
            return true;
    }
    return false;
}

} // namespace

struct GameDocument::Record {
    QString name;
    int mergeKey = -1;
    int levelBefore = 0;
    int levelAfter = 0;
    ByteDelta image;
    ByteDelta screen;

    bool empty() const { return image.empty() && screen.empty(); }
    std::size_t cost() const
    {
        return kCommandOverhead + image.memoryBytes() + screen.memoryBytes() + std::size_t(name.capacity()) * 2;
    }
};

// One entry of the history. The record is shared so that the history can be
// rebuilt without its oldest entries (QUndoStack cannot drop from the bottom
// once it holds commands).
class EditCommand : public QUndoCommand {
public:
    EditCommand(GameDocument& document, std::shared_ptr<GameDocument::Record> record)
        : QUndoCommand(record->name)
        , document_(document)
        , record_(std::move(record))
        , cost_(record_->cost())
    {
        document_.historyBytes_ += cost_;
    }
    ~EditCommand() override { document_.historyBytes_ -= cost_; }

    std::shared_ptr<GameDocument::Record> record() const { return record_; }

    int id() const override { return record_->mergeKey >= 0 ? 1 : -1; }

    bool mergeWith(const QUndoCommand* other) override
    {
        const auto* next = static_cast<const EditCommand*>(other);
        if (document_.replaying_ || next->record_->mergeKey != record_->mergeKey)
            return false;
        auto merged = std::make_shared<GameDocument::Record>(*record_);
        merged->image = record_->image.then(next->record_->image);
        merged->screen = record_->screen.then(next->record_->screen);
        merged->levelAfter = next->record_->levelAfter;
        record_ = std::move(merged);
        document_.historyBytes_ -= cost_;
        cost_ = record_->cost();
        document_.historyBytes_ += cost_;
        // Typing that ends where it began leaves nothing to undo.
        setObsolete(record_->empty());
        return true;
    }

    void undo() override { document_.restore(record_, false); }
    void redo() override
    {
        // The push of a step: its bytes are already in place.
        if (std::exchange(fresh_, false))
            return;
        document_.restore(record_, true);
    }

private:
    GameDocument& document_;
    std::shared_ptr<GameDocument::Record> record_;
    std::size_t cost_;
    bool fresh_ = true;
};

GameDocument::GameDocument(QObject* parent)
    : QObject(parent)
{
    connect(&history_, &QUndoStack::cleanChanged, this, &GameDocument::savedStateChanged);
    GameImage carried;
    carried.loadDefault();
    reset(carried);
}

void GameDocument::reset(const GameImage& start)
{
    history_.clear();
    image_ = start;
    screen_ = LoadingScreen::fromImage(image_);
    baseline_ = image_;
    baselineScreen_ = screen_;
    markUnnamed();
}

void GameDocument::markSaved(const QString& fileName)
{
    fileName_ = fileName;
    history_.setClean();
    emit savedStateChanged();
}

GameDocument::~GameDocument()
{
    // The commands report their cost to this object as they go.
    history_.clear();
}

void GameDocument::begin(const QString& name, int mergeKey)
{
    if (depth_++ > 0)
        return;
    stepName_ = name;
    stepMergeKey_ = mergeKey;
    stepLevel_ = shownLevel();
}

void GameDocument::end()
{
    if (--depth_ > 0)
        return;
    auto record = std::make_shared<Record>();
    record->image = ByteDelta::between(baseline_.bytes(), image_.bytes());
    record->screen = ByteDelta::between(screenBytes(baselineScreen_), screenBytes(screen_));
    if (record->empty())
        return;
    record->name = stepName_;
    record->mergeKey = stepMergeKey_;
    record->levelBefore = stepLevel_;
    record->levelAfter = shownLevel();
    record->image.writeAfter(baseline_.bytes());
    if (!record->screen.empty())
        baselineScreen_ = screen_;
    lastChange_ = record;
    history_.push(new EditCommand(*this, std::move(record)));
    trimHistory();
    emit changed();
}

bool GameDocument::lastChangeTouches(std::size_t offset, std::size_t length) const
{
    return lastChange_ && lastChange_->image.touches(offset, length);
}

void GameDocument::restore(const std::shared_ptr<Record>& shared, bool forward)
{
    const Record& record = *shared;
    lastChange_ = shared;
    const auto write = [forward](const ByteDelta& delta, std::span<std::uint8_t> bytes) {
        if (forward)
            delta.writeAfter(bytes);
        else
            delta.writeBefore(bytes);
    };
    write(record.image, image_.bytes());
    write(record.image, baseline_.bytes());
    if (!record.screen.empty()) {
        std::array<std::uint8_t, kScreenSize> screen = screen_.bytes();
        write(record.screen, screen);
        screen_.assign(screen);
        baselineScreen_ = screen_;
    }
    restored_ = Restored{forward ? record.levelAfter : record.levelBefore, touchesCredits(record.image)};
}

std::optional<GameDocument::Restored> GameDocument::undo()
{
    return travel(false);
}

std::optional<GameDocument::Restored> GameDocument::redo()
{
    return travel(true);
}

std::optional<GameDocument::Restored> GameDocument::travel(bool forward)
{
    if (stepOpen() || !(forward ? history_.canRedo() : history_.canUndo()))
        return std::nullopt;
    restored_.reset();
    forward ? history_.redo() : history_.undo();
    emit changed();
    return restored_;
}

void GameDocument::trimHistory()
{
    // Only right after a push: the history's index is at its top.
    if (historyBytes_ <= kHistoryLimit || history_.count() <= kKeptSteps)
        return;
    // Drop enough for some room, so that a run of large steps does not
    // rebuild the history on every push.
    const std::size_t target = kHistoryLimit - kHistoryLimit / 8;
    std::vector<std::shared_ptr<Record>> kept;
    std::size_t bytes = historyBytes_;
    int first = 0;
    for (; first < history_.count() - kKeptSteps && bytes > target; ++first)
        bytes -= static_cast<const EditCommand*>(history_.command(first))->record()->cost();
    for (int i = first; i < history_.count(); ++i)
        kept.push_back(static_cast<const EditCommand*>(history_.command(i))->record());
    const int clean = history_.cleanIndex() - first;
    // The history looks the same from outside, but for its oldest steps.
    const QSignalBlocker quiet(&history_);
    replay(std::move(kept), clean);
}

void GameDocument::replay(std::vector<std::shared_ptr<Record>> records, int cleanIndex)
{
    replaying_ = true;
    history_.clear();
    const int count = int(records.size());
    for (int i = 0; i < count; ++i) {
        if (i == cleanIndex)
            history_.setClean();
        history_.push(new EditCommand(*this, std::move(records[std::size_t(i)])));
    }
    if (cleanIndex == count)
        history_.setClean();
    else if (cleanIndex < 0)
        history_.resetClean();
    replaying_ = false;
}

RecoveryData GameDocument::recoveryData() const
{
    RecoveryData data;
    data.sourceFile = fileName_.toStdString();
    data.image.assign(baseline_.bytes().begin(), baseline_.bytes().end());
    const auto& screen = baselineScreen_.bytes();
    data.screen.assign(screen.begin(), screen.end());
    data.steps.reserve(std::size_t(history_.count()));
    for (int i = 0; i < history_.count(); ++i) {
        const Record& r = *static_cast<const EditCommand*>(history_.command(i))->record();
        data.steps.push_back(HistoryStep{r.name.toStdString(), r.levelBefore, r.levelAfter, r.image, r.screen});
    }
    data.index = history_.index();
    data.cleanIndex = history_.cleanIndex();
    return data;
}

int GameDocument::restore(const RecoveryData& data)
{
    const int count = int(data.steps.size());
    if (data.image.size() != kImageSize || data.screen.size() != kScreenSize || data.index < 0 || data.index > count)
        return 0;
    const GameImage before = image_;
    // The history is rebuilt from its top: the steps that can be redone are
    // made first, then undone again by moving to the index.
    image_.assign(data.image);
    std::array<std::uint8_t, kScreenSize> screen;
    std::copy(data.screen.begin(), data.screen.end(), screen.begin());
    std::vector<std::shared_ptr<Record>> records;
    for (int i = 0; i < count; ++i) {
        const HistoryStep& step = data.steps[std::size_t(i)];
        if (i >= data.index) {
            step.image.writeAfter(image_.bytes());
            step.screen.writeAfter(screen);
        }
        records.push_back(std::make_shared<Record>(
            Record{QString::fromStdString(step.name), -1, step.levelBefore, step.levelAfter, step.image, step.screen}));
    }
    screen_.assign(screen);
    baseline_ = image_;
    baselineScreen_ = screen_;
    replay(std::move(records), data.cleanIndex);
    history_.setIndex(data.index);
    fileName_ = QString::fromStdString(data.sourceFile);
    // Everything the restore changed counts as the last change.
    auto all = std::make_shared<Record>();
    all->image = ByteDelta::between(before.bytes(), image_.bytes());
    lastChange_ = std::move(all);
    emit savedStateChanged();
    emit changed();
    return data.index > 0 ? data.steps[std::size_t(data.index - 1)].levelAfter : 0;
}

EditStep::EditStep(GameDocument& document, const QString& name, int mergeKey)
    : document_(document)
{
    document_.begin(name, mergeKey);
}

EditStep::~EditStep()
{
    document_.end();
}

} // namespace zq
