#pragma once
// Hot exit and crash recovery. While the game differs from the file it came
// from, a recovery file holds it with its whole undo history (files/
// RecoveryFile.h): written at most once a second while the user keeps
// editing, at once when the editor is about to exit, always atomically. A
// saved game, or one undone back to its saved state, has no recovery file.
//
// Each running editor has its own file in the recovery folder, guarded by a
// lock file that names its process. A recovery file whose lock is gone or
// names a process that no longer runs is a leftover: an editor exited with
// an unsaved game, crashed or was killed. The next editor to start offers
// the newest leftover and takes its lock while it does, so two editors never
// take the same one and never touch a running editor's file.

#include "files/RecoveryFile.h"

#include <QDateTime>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

namespace zq {

class GameDocument;

class Recovery : public QObject {
    Q_OBJECT
public:
    static constexpr int kWriteDelayMs = 1000;

    // The folder "recovery" in the user's data folder.
    static QString defaultFolder();

    Recovery(GameDocument& document, const QString& folder, QObject* parent = nullptr);
    // Writes what is pending and keeps the file of an unsaved game for the
    // next start; removes it when the game is saved.
    ~Recovery() override;

    // Takes this editor's place in the folder and starts following the
    // document. False, with a message, when the folder cannot be used (the
    // writes try again later).
    bool start();

    // This editor's recovery file (it exists only while the game is unsaved).
    const QString& fileName() const { return file_; }
    // The pending write, at once.
    void flush();
    // Writes the recovery file now when the game is unsaved.
    void writeNow();

    struct Leftover {
        QString fileName;
        RecoveryData data;
        std::unique_ptr<QLockFile> lock; // held while the leftover is offered

        QDateTime savedAt() const { return QDateTime::fromMSecsSinceEpoch(data.savedAt); }
    };
    // The newest leftover, or nothing. Damaged files and those of another
    // version are set aside (renamed, never offered again) with a message;
    // the other leftovers stay for a later start.
    std::optional<Leftover> takeLeftover();
    // Deletes a leftover (declined, or restored into this editor).
    void discard(Leftover& leftover);

signals:
    // A line for the status bar: recovery is off or on again, a file was
    // set aside.
    void message(const QString& text);

private:
    void documentChanged();
    bool lockFolder();
    void removeStaleLocks();
    void setAside(const QString& name, const QString& what);
    void reportFailure(const QString& reason);

    GameDocument& document_;
    QString folder_;
    QString file_;
    std::unique_ptr<QLockFile> lock_;
    QTimer timer_;
    bool started_ = false;
    bool failing_ = false;
};

} // namespace zq
