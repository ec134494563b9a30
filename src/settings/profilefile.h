#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A profile file in the common initialisation-file form: section lines
// "[name]", then lines key=value. Section and key names are matched without
// regard to letter case; every other line of the file (other sections, other
// keys, comments, blank lines) is kept byte for byte. The file is read once,
// when the object is made; writes change the copy in memory until flush()
// replaces the whole file in one step, so it is never left half-written.
class ProfileFile {
public:
    // Files beyond this size are not profiles of ours; they are neither read
    // nor overwritten.
    static constexpr qint64 kMaxFileSize = 4 * 1024 * 1024;

    // Reads the file at path; a missing file reads as empty.
    explicit ProfileFile(const QString &path);

    // The file's full path, as error messages name it.
    QString path() const { return path_; }
    // The value of key in section, blanks around it removed; fallback when
    // the section or the key is missing.
    QString readString(const QString &section, const QString &key,
                       const QString &fallback = QString()) const;
    // True when section holds key (an empty value counts).
    bool hasKey(const QString &section, const QString &key) const;
    // Sets key in section in memory, adding the section and the key when
    // missing; line breaks in value become blanks so the line stays one line.
    void writeString(const QString &section, const QString &key, const QString &value);
    // True when writes are waiting for flush().
    bool isModified() const { return modified_; }
    // Replaces the file with the profile in memory (creating it when missing).
    // Raises Error "Unable to write to <path>" when the file cannot be
    // replaced, or when it existed but could not be read (so that a write
    // never wipes what could not be seen); the old file is then left as it was.
    void flush();

private:
    // Index of the section header line, or -1.
    qsizetype findSection(const QString &section) const;
    // Index of the key's line within the section starting at header, or -1.
    qsizetype findKey(qsizetype header, const QString &key) const;
    // Index one past the section's last line that is not blank.
    qsizetype sectionEnd(qsizetype header) const;

    QString path_;
    // The file's lines without their "\n" (a "\r" of a CRLF file stays on).
    QList<QByteArray> lines_;
    bool crlf_ = false;
    bool readFailed_ = false;
    bool modified_ = false;
};
