#include "app/Recovery.h"

#include "app/FileIO.h"
#include "app/GameDocument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUuid>

namespace zq {

namespace {

const QString kSuffix = QStringLiteral(".zqr");
const QString kLockSuffix = QStringLiteral(".lock");
const QString kSetAsideSuffix = QStringLiteral(".set-aside");

// A lock that only a process that no longer runs leaves stale, whatever
// its age.
std::unique_ptr<QLockFile> tryLock(const QString& name)
{
    auto lock = std::make_unique<QLockFile>(name + kLockSuffix);
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return nullptr;
    return lock;
}

} // namespace

QString Recovery::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/recovery");
}

Recovery::Recovery(GameDocument& document, const QString& folder, QObject* parent)
    : QObject(parent)
    , document_(document)
    , folder_(QDir::cleanPath(folder))
    , file_(folder_ + '/' + QUuid::createUuid().toString(QUuid::WithoutBraces) + kSuffix)
{
    timer_.setSingleShot(true);
    timer_.setInterval(kWriteDelayMs);
    connect(&timer_, &QTimer::timeout, this, &Recovery::writeNow);
}

Recovery::~Recovery()
{
    if (!started_)
        return;
    flush();
    if (!document_.isModified())
        QFile::remove(file_);
}

bool Recovery::start()
{
    if (!started_) {
        started_ = true;
        connect(&document_, &GameDocument::changed, this, &Recovery::documentChanged);
        connect(&document_, &GameDocument::savedStateChanged, this, &Recovery::documentChanged);
    }
    if (!lockFolder())
        return false;
    removeStaleLocks();
    documentChanged();
    return true;
}

bool Recovery::lockFolder()
{
    if (lock_)
        return true;
    if (QDir().mkpath(folder_))
        lock_ = tryLock(file_);
    if (!lock_)
        reportFailure(QStringLiteral("the folder %1 cannot be written").arg(QDir::toNativeSeparators(folder_)));
    return lock_ != nullptr;
}

void Recovery::removeStaleLocks()
{
    // An editor killed with a saved game leaves a lock and nothing else.
    const QDir dir(folder_);
    for (const QString& name : dir.entryList({'*' + kSuffix + kLockSuffix}, QDir::Files)) {
        const QString recovery = dir.filePath(name.chopped(kLockSuffix.size()));
        if (!QFileInfo::exists(recovery))
            tryLock(recovery); // unlocked again at once, which removes it
    }
}

void Recovery::documentChanged()
{
    if (!document_.isModified()) {
        timer_.stop();
        QFile::remove(file_);
        return;
    }
    if (!timer_.isActive())
        timer_.start();
}

void Recovery::flush()
{
    if (timer_.isActive()) {
        timer_.stop();
        writeNow();
    }
}

void Recovery::writeNow()
{
    if (!document_.isModified() || !lockFolder())
        return;
    RecoveryData data = document_.recoveryData();
    data.savedAt = QDateTime::currentMSecsSinceEpoch();
    const QString failure = writeWholeFile(file_, encodeRecovery(data));
    if (!failure.isEmpty()) {
        reportFailure(failure);
        return;
    }
    if (std::exchange(failing_, false))
        emit message(QStringLiteral("Recovery is on again"));
}

void Recovery::reportFailure(const QString& reason)
{
    if (!std::exchange(failing_, true))
        emit message(QStringLiteral("Recovery is off: ") + reason);
}

std::optional<Recovery::Leftover> Recovery::takeLeftover()
{
    const QDir dir(folder_);
    // Newest first.
    for (const QFileInfo& info : dir.entryInfoList({'*' + kSuffix}, QDir::Files, QDir::Time)) {
        const QString name = info.absoluteFilePath();
        if (name == file_)
            continue;
        std::unique_ptr<QLockFile> lock = tryLock(name);
        if (!lock)
            continue; // its editor is running
        const FileRead read = readWholeFile(name, [](std::uint64_t size) { return size <= kMaxRecoverySize; });
        if (read.status == FileRead::Failed) {
            emit message(read.error);
            continue;
        }
        DecodedRecovery decoded;
        if (read.status == FileRead::Ok)
            decoded = decodeRecovery(byteSpan(read.bytes));
        if (decoded.status == DecodedRecovery::Ok)
            return Leftover{name, std::move(decoded.data), std::move(lock)};
        setAside(name, decoded.status == DecodedRecovery::OtherVersion
                           ? QStringLiteral("A recovery file of another version")
                           : QStringLiteral("A damaged recovery file"));
    }
    return std::nullopt;
}

void Recovery::setAside(const QString& name, const QString& what)
{
    const QString aside = name + kSetAsideSuffix;
    QFile::remove(aside);
    if (!QFile::rename(name, aside))
        QFile::remove(name);
    emit message(QStringLiteral("%1 was set aside: %2").arg(what, QDir::toNativeSeparators(aside)));
}

void Recovery::discard(Leftover& leftover)
{
    QFile::remove(leftover.fileName);
    leftover.lock.reset();
}

} // namespace zq
