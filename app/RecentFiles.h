#pragma once
// The files of File > Open Recent: the last kMax files opened or saved,
// newest first, kept with the editor's settings so that every editor of the
// user shares them.

#include <QString>
#include <QStringList>

namespace zq {

class RecentFiles {
public:
    static constexpr int kMax = 8;

    QStringList files() const;
    // Puts the file (by its absolute path) first, once.
    void add(const QString& name);
    void remove(const QString& name);
    void clear();

private:
    void store(const QStringList& files);
};

} // namespace zq
