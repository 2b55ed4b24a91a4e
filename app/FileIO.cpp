#include "app/FileIO.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace zq {

namespace {

QString cannotOpen(const QString& name, const QString& reason)
{
    return QStringLiteral("Cannot open file \"%1\". %2").arg(QFileInfo(name).absoluteFilePath(), reason);
}

} // namespace

FileRead readWholeFile(const QString& name, const std::function<bool(std::uint64_t)>& acceptedSize)
{
    FileRead result;
    const QFileInfo info(name);
    if (info.exists() && !info.isFile()) {
        result.error = cannotOpen(name, QStringLiteral("It is not a regular file."));
        return result;
    }
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = cannotOpen(name, file.errorString());
        return result;
    }
    const qint64 size = file.size();
    if (size < 0 || !acceptedSize(std::uint64_t(size))) {
        result.status = FileRead::WrongSize;
        return result;
    }
    result.bytes = file.read(size);
    if (result.bytes.size() != size) {
        const QString reason = file.error() != QFileDevice::NoError
                                   ? file.errorString()
                                   : QStringLiteral("The file ended after %1 of %2 bytes.").arg(result.bytes.size()).arg(size);
        result.bytes.clear();
        result.error = QStringLiteral("Cannot read file \"%1\". %2").arg(info.absoluteFilePath(), reason);
        return result;
    }
    result.status = FileRead::Ok;
    return result;
}

QString writeWholeFile(const QString& name, std::span<const std::uint8_t> bytes)
{
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("Cannot create file \"%1\". %2").arg(QFileInfo(name).absoluteFilePath(), file.errorString());
    const qint64 written = file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    if (written != qint64(bytes.size()) || !file.commit()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return QStringLiteral("Cannot write file \"%1\". %2").arg(QFileInfo(name).absoluteFilePath(), reason);
    }
    return {};
}

} // namespace zq
