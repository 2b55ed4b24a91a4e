#pragma once
// The failing files and folders of the hostile-input tests: a tmpfs of its
// own, device files and files that fail part way, the three saves, and the
// checks that nothing the user had changed.

#include "HostileSupport.h"
#include "tests/Tmpfs.h"

#include "app/FileIO.h"
#include "files/Snapshot.h"
#include "files/Tape.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSaveFile>

#include <optional>

#include <sys/stat.h>
#include <unistd.h>

namespace zq::test {

inline constexpr const char* kTitle = "Zelquor Editor V3";

inline QString absolute(const QString& name)
{
    return QFileInfo(name).absoluteFilePath();
}

// Every entry of a folder, hidden ones too, with its content.
inline QMap<QString, QByteArray> contents(const QString& folder)
{
    QMap<QString, QByteArray> all;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& info : entries)
        all.insert(info.fileName(), info.isDir() ? QByteArray("<folder>") : readFile(info.absoluteFilePath()));
    return all;
}

inline bool isRoot()
{
    return ::geteuid() == 0;
}

// Installs file devices for the length of a scope.
class Devices {
public:
    explicit Devices(FileDevices devices)
        : previous_(setFileDevices(std::move(devices)))
    {
    }
    ~Devices() { setFileDevices(std::move(previous_)); }
    Devices(const Devices&) = delete;
    Devices& operator=(const Devices&) = delete;

private:
    FileDevices previous_;
};

// A file its user has no right to read.
class LockedFile : public QFile {
public:
    using QFile::QFile;
    bool open(OpenMode) override
    {
        setErrorString("Permission denied");
        return false;
    }
};

// A save into a folder on a file system mounted read-only.
class ReadOnlySaveFile : public QSaveFile {
public:
    using QSaveFile::QSaveFile;
    bool open(OpenMode) override
    {
        setErrorString("Read-only file system");
        return false;
    }
};

// A file cut short by someone else just after its size was taken.
class ShrinkingFile : public QFile {
public:
    ShrinkingFile(const QString& name, qint64 keep)
        : QFile(name)
        , keep_(keep)
    {
    }
    qint64 size() const override
    {
        const qint64 reported = QFile::size();
        QFile::resize(fileName(), keep_);
        return reported;
    }

private:
    qint64 keep_;
};

// A file that counts the bytes taken from it.
class CountingFile : public QFile {
public:
    CountingFile(const QString& name, qint64* taken)
        : QFile(name)
        , taken_(taken)
    {
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 n = QFile::readData(data, maxSize);
        if (n > 0)
            *taken_ += n;
        return n;
    }

private:
    qint64* taken_;
};

// A save onto a disk with `room` bytes left: it writes what fits, then fails
// as a full disk does.
class FillingSaveFile : public QSaveFile {
public:
    FillingSaveFile(const QString& name, qint64 room)
        : QSaveFile(name)
        , room_(room)
    {
    }

protected:
    qint64 writeData(const char* data, qint64 size) override
    {
        if (room_ <= 0) {
            setErrorString("No space left on device");
            return -1;
        }
        const qint64 n = QSaveFile::writeData(data, std::min(size, room_));
        if (n > 0)
            room_ -= n;
        return n;
    }

private:
    qint64 room_;
};

struct SaveCommand {
    const char* what;
    void (TForm1::*handler)();
    const char* extension;
    qsizetype size;
};

inline const SaveCommand kSaves[] = {
    {"48K snapshot", &TForm1::SaveAs1Click, ".sna", qsizetype(kSnapshot48Size)},
    {"128K snapshot", &TForm1::S1Click, ".sna", qsizetype(kSnapshot128Size)},
    {"tape", &TForm1::Savetap1Click, ".tap", qsizetype(kTapeSize)},
};

// A folder holding an old file of each save that refuses every write into
// it: by its permissions for a user; for root, whom permissions do not bind,
// by a read-only mount, or where root may not mount either, by the device
// the editor writes through.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& folder)
        : folder_(folder)
    {
        if (isRoot())
            mount_.emplace(folder.toStdString(), "size=1m");
        QDir().mkpath(folder);
        for (const SaveCommand& save : kSaves)
            writeFile(folder + "/old" + QString(save.extension), QByteArray("old ") + save.what);
        if (!isRoot()) {
            QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            return;
        }
        reason = QStringLiteral("Read-only file system");
        if (!mount_->mounted() || !mount_->makeReadOnly()) {
            devices_.emplace(FileDevices{{}, [](const QString& n) { return std::make_unique<ReadOnlySaveFile>(n); }});
            checkedBeforeWriting = false;
        }
    }
    // Writable again, so that the folder can be removed.
    ~ReadOnlyFolder()
    {
        QFile::setPermissions(folder_, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    QString reason = QStringLiteral("Permission denied");
    // Whether the editor sees that the folder may not be changed before it
    // writes (and refuses to replace an old file there); a refusal by the
    // device only meets the write.
    bool checkedBeforeWriting = true;

private:
    QString folder_;
    std::optional<Tmpfs> mount_;
    std::optional<Devices> devices_;
};

// What the window holds that a failed file operation must leave alone.
struct Held {
    GameImage image;
    LoadingScreen screen;
    int level = 0;

    explicit Held(const Editor& e)
        : image(e.form->document().image())
        , screen(e.form->document().loadingScreen())
        , level(e.form->state().level.levelIndex)
    {
    }
};

inline void expectUnchanged(const Editor& e, const Held& held)
{
    QVERIFY(e.form->document().image() == held.image);
    QVERIFY(e.form->document().loadingScreen() == held.screen);
    QCOMPARE(e.form->state().level.levelIndex, held.level);
    QCOMPARE(e.upDown("UpDown1")->position(), held.level);
    QCOMPARE(e.labelOf("StaticText2")->text(), QStringLiteral("Level %1").arg(held.level + 1));
}

// The last thing shown was the general error display with this text.
inline void expectError(const Editor& e, const QString& text)
{
    QVERIFY(!e.dialogs->calls.isEmpty());
    QCOMPARE(e.dialogs->calls.last(), QStringLiteral("error: %1 | %2").arg(kTitle, text));
}

// Each of the three saves into `folder`: a new file cannot be created there,
// and an old file there (when there is one) is not replaced, refused before
// the write when `checkedBeforeWriting`. Nothing under `root` changes.
inline void expectSavesRefused(const QString& root, const QString& folder, const QString& reason,
                               bool checkedBeforeWriting = true)
{
    const QMap<QString, QByteArray> before = contents(root);
    const QMap<QString, QByteArray> beforeInside = contents(folder);
    for (const SaveCommand& save : kSaves) {
        for (const char* stem : {"/new", "/old"}) {
            const QString target = folder + stem + QString(save.extension);
            const bool exists = QFileInfo::exists(target);
            if (!exists && stem == QLatin1String("/old"))
                continue;
            Editor e;
            e.gotoLevel(5);
            const Held held(e);
            e.dialogs->fileNames = {target};
            e.dialogs->answers = {true};
            (e.form.get()->*save.handler)();
            const QString shown = e.dialogs->calls.last();
            if (exists && checkedBeforeWriting) {
                QCOMPARE(shown, QString("error: Error Saving Binary | Could not overwrite your file."));
            } else {
                QVERIFY2(shown == QStringLiteral("error: %1 | Cannot create file \"%2\". %3")
                                      .arg(kTitle, absolute(target), reason),
                         qPrintable(shown));
            }
            CHECKED(expectUnchanged(e, held));
            QCOMPARE(contents(root), before);
            QCOMPARE(contents(folder), beforeInside);
        }
    }
}

} // namespace zq::test
