#pragma once

#include "tally/tallytable.h"

#include <QString>

// The tally file: a compressed container (LZRW1/KH) holding the tally table's
// text, converted through "temp.txt" in a private folder of the runtime folder.
class TallyFile {
public:
    // Largest tally text accepted from a file; a real tally stays far below.
    static constexpr qint64 kMaxTextSize = 16 * 1024 * 1024;

    // A tally file at `path`.
    explicit TallyFile(QString path);
    // "Lexiclashtally.tld" in the data folder.
    static QString defaultPath();

    // The file's path.
    QString path() const { return m_path; }
    // The path a damaged file is moved to: the path with ".bad" appended.
    QString damagedPath() const { return m_path + QStringLiteral(".bad"); }

    // Reads the tally with its session columns at "0"; no file is the empty
    // tally. A damaged file is moved to damagedPath() and its error thrown.
    TallyTable load();
    // Writes the table; the previous file is replaced only once the new one
    // is complete, so a failure (thrown as Error) leaves it untouched.
    void save(const TallyTable &table);

private:
    TallyTable read(const QString &textName);
    void checkStoredSize() const;
    void keepDamaged();

    QString m_path;
    // False when a damaged file could not be moved aside: it is then never
    // overwritten.
    bool m_mayReplace = true;
};
