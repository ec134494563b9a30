#pragma once

#include <QString>

// A file of the program's own in the user's runtime folder: created
// exclusively under the name "lexiclash-BASE-" and six random characters, so
// that no file or folder that exists already is ever opened or changed, and
// locked for as long as this object lives. The destructor removes it. Files of
// the same BASE whose copy died (so nothing holds their lock) are removed
// before a new one is made.
class RuntimeFile {
public:
    // Creates the file in scratchFolder(); throws Error when it cannot.
    explicit RuntimeFile(const QString &base);
    // Creates the file in folder; throws Error when it cannot.
    RuntimeFile(const QString &base, const QString &folder);
    ~RuntimeFile();
    RuntimeFile(const RuntimeFile &) = delete;
    RuntimeFile &operator=(const RuntimeFile &) = delete;

    // The open file, for reading and writing; it belongs to this object.
    int descriptor() const { return fd_; }
    // The file's path.
    QString path() const { return path_; }

    // Removes the files of base in folder that no running copy holds, and
    // nothing else: only regular files of this user under the name pattern.
    static void removeStale(const QString &base, const QString &folder);

private:
    int fd_ = -1;
    QString path_;
};
