#pragma once
// Reading and writing whole files for the editor's File menu. Reads refuse
// anything that is not a regular file before reading it and detect short
// reads; writes go to a temporary file beside the target that replaces it
// only once every byte is written and flushed, so a failed save leaves the
// old file as it was.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
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

// Writes `bytes` as the whole content of `name`, atomically. Returns an
// empty string on success, else the message for the general error display.
QString writeWholeFile(const QString& name, std::span<const std::uint8_t> bytes);

} // namespace zq
