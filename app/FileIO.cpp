#include "app/FileIO.h"

#include <QFileInfo>

#include <utility>

namespace zq {

namespace {

FileDevices& installedDevices()
{
    static FileDevices devices;
    return devices;
}

QString absolute(const QString& name)
{
    return QFileInfo(name).absoluteFilePath();
}

QString cannotOpen(const QString& name, const QString& reason)
{
    return QStringLiteral("Cannot open file \"%1\". %2").arg(absolute(name), reason);
}

} // namespace

FileDevices setFileDevices(FileDevices devices)
{
    return std::exchange(installedDevices(), std::move(devices));
}

FileRead readWholeFile(const QString& name, const std::function<bool(std::uint64_t)>& acceptedSize)
{
    const FileDevices& devices = installedDevices();
    const std::unique_ptr<QFile> file = devices.reader ? devices.reader(name) : std::make_unique<QFile>(name);
    return readWholeFile(*file, acceptedSize);
}

FileRead readWholeFile(QFile& file, const std::function<bool(std::uint64_t)>& acceptedSize)
{
    FileRead result;
    const QString name = file.fileName();
    // Opening a folder, a pipe or a device is refused before it is tried: a
    // pipe would block the window until something wrote into it.
    const QFileInfo info(name);
    if (info.exists() && !info.isFile()) {
        result.error = cannotOpen(name, QStringLiteral("It is not a regular file."));
        return result;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = cannotOpen(name, file.errorString());
        return result;
    }
    const qint64 size = file.size();
    if (size < 0 || !acceptedSize(std::uint64_t(size))) {
        result.status = FileRead::WrongSize;
        return result;
    }
    // A device may deliver the file in pieces; only a piece of nothing (the
    // end of the file, or an error) ends the read early.
    result.bytes.reserve(size);
    while (result.bytes.size() < size) {
        const QByteArray piece = file.read(size - result.bytes.size());
        if (piece.isEmpty())
            break;
        result.bytes += piece;
    }
    if (result.bytes.size() != size) {
        const QString reason = file.error() != QFileDevice::NoError
                                   ? file.errorString()
                                   : QStringLiteral("The file ended after %1 of %2 bytes.").arg(result.bytes.size()).arg(size);
        result.bytes.clear();
        result.error = QStringLiteral("Cannot read file \"%1\". %2").arg(absolute(name), reason);
        return result;
    }
    result.status = FileRead::Ok;
    return result;
}

QString writeWholeFile(const QString& name, std::span<const std::uint8_t> bytes)
{
    const FileDevices& devices = installedDevices();
    const std::unique_ptr<QSaveFile> file = devices.writer ? devices.writer(name) : std::make_unique<QSaveFile>(name);
    return writeWholeFile(*file, bytes);
}

QString writeWholeFile(QSaveFile& file, std::span<const std::uint8_t> bytes)
{
    const QString name = file.fileName();
    // Never write straight into the target: if no temporary file can be made
    // beside it, the save fails and the old file stays. Unbuffered, so that
    // every byte reaches the disk through write() and a full disk shows there:
    // a failure found only when the file is closed does not stop the
    // replacement of the target.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return QStringLiteral("Cannot create file \"%1\". %2").arg(absolute(name), file.errorString());
    const qint64 size = qint64(bytes.size());
    const char* data = reinterpret_cast<const char*>(bytes.data());
    // A short write is not yet a failure: the rest is offered again, so that
    // a full disk reports itself with the system's reason on the next write.
    qint64 written = 0;
    qint64 last = 0;
    while (written < size) {
        last = file.write(data + written, size - written);
        if (last <= 0)
            break;
        written += last;
    }
    QString reason;
    if (written != size)
        reason = last < 0 || file.error() != QFileDevice::NoError
                     ? file.errorString()
                     : QStringLiteral("Only %1 of %2 bytes were written.").arg(written).arg(size);
    else if (!file.flush() || file.error() != QFileDevice::NoError)
        reason = file.errorString();
    if (!reason.isEmpty()) {
        // The temporary file goes with it; the target is not touched.
        file.cancelWriting();
        file.commit();
        return QStringLiteral("Cannot write file \"%1\". %2").arg(absolute(name), reason);
    }
    if (!file.commit() || file.error() != QFileDevice::NoError)
        return QStringLiteral("Cannot write file \"%1\". %2").arg(absolute(name), file.errorString());
    return {};
}

} // namespace zq
