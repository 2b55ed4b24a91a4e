#pragma once
// Reading and writing whole files for the editor's File menu. Reads refuse
// anything that is not a regular file before reading it and detect short
// reads; writes go to a temporary file beside the target that replaces it
// only once every byte is written and flushed, so a failed save leaves the
// old file as it was and no temporary file behind.

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

namespace zq {

struct FileRead {
    enum Status { Ok, WrongSize, Failed } status = Failed;
    QByteArray bytes;
    QString error; // the message for the general error display when Failed
};

// Reads `name` whole when acceptedSize(size of the file) holds; WrongSize
// (nothing read) when it does not.
FileRead readWholeFile(const QString& name, const std::function<bool(std::uint64_t)>& acceptedSize);

// The same on a file object that is not open yet; its file name is the one
// checked and named in the messages. A file whose reported size is accepted
// but that then delivers fewer bytes (it shrank in between) is Failed.
FileRead readWholeFile(QFile& file, const std::function<bool(std::uint64_t)>& acceptedSize);

// Writes `bytes` as the whole content of `name`, atomically. Returns an
// empty string on success, else the message for the general error display.
QString writeWholeFile(const QString& name, std::span<const std::uint8_t> bytes);

// The same through a save file that is not open yet.
QString writeWholeFile(QSaveFile& file, std::span<const std::uint8_t> bytes);

// The bytes of a byte array, as the core library takes them.
inline std::span<const std::uint8_t> byteSpan(const QByteArray& bytes)
{
    return {reinterpret_cast<const std::uint8_t*>(bytes.data()), std::size_t(bytes.size())};
}

// Where the name-based functions get their file objects: a QFile and a
// QSaveFile on the name unless replaced. Tests install their own (a file that
// shrinks after its size is taken, a disk that fills up part way) to drive
// the failure paths of the File menu; an empty function means the default.
// Returns the pair that was installed before.
struct FileDevices {
    std::function<std::unique_ptr<QFile>(const QString& name)> reader;
    std::function<std::unique_ptr<QSaveFile>(const QString& name)> writer;
};
FileDevices setFileDevices(FileDevices devices);

} // namespace zq
