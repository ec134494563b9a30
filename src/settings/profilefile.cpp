#include "settings/profilefile.h"

#include "common/errors.h"
#include "common/files.h"

#include <QFile>
#include <QFileInfo>

namespace {

// The line without the "\r" that a CRLF file leaves on it.
QByteArrayView content(const QByteArray &raw)
{
    QByteArrayView view(raw);
    if (view.endsWith('\r'))
        view.chop(1);
    return view;
}

// Files written by other programs may be in a single-byte code page rather
// than UTF-8; such bytes are taken as Latin-1 instead of being replaced.
QString decode(QByteArrayView bytes)
{
    const QString text = QString::fromUtf8(bytes);
    if (text.contains(QChar::ReplacementCharacter) && !bytes.contains("\xEF\xBF\xBD"))
        return QString::fromLatin1(bytes);
    return text;
}

// The section name of a "[name]" line, or a null string for any other line.
QString sectionName(const QByteArray &raw)
{
    const QByteArrayView line = content(raw).trimmed();
    if (!line.startsWith('['))
        return {};
    const qsizetype close = line.indexOf(']');
    if (close < 0)
        return {};
    QString name = decode(line.sliced(1, close - 1).trimmed());
    // An empty name must still count as a section header.
    if (name.isNull())
        name = QStringLiteral("");
    return name;
}

struct KeyLine {
    QString key;
    QString value;
    bool valid = false;
};

KeyLine keyLine(const QByteArray &raw)
{
    const QByteArrayView line = content(raw);
    const QByteArrayView trimmed = line.trimmed();
    if (trimmed.startsWith(';') || trimmed.startsWith('['))
        return {};
    const qsizetype equals = line.indexOf('=');
    if (equals <= 0)
        return {};
    const QByteArrayView key = line.first(equals).trimmed();
    if (key.isEmpty())
        return {};
    return {decode(key), decode(line.sliced(equals + 1).trimmed()), true};
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

ProfileFile::ProfileFile(const QString &path)
    : path_(QFileInfo(path).absoluteFilePath())
{
    const QFileInfo info(path_);
    if (!info.exists())
        return;
    QFile file(path_);
    if (!info.isFile() || info.size() > kMaxFileSize || !file.open(QIODevice::ReadOnly)) {
        readFailed_ = true;
        return;
    }
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (bytes.size() > kMaxFileSize || file.error() != QFileDevice::NoError) {
        readFailed_ = true;
        return;
    }
    if (bytes.isEmpty())
        return;
    lines_ = bytes.split('\n');
    // The split leaves an empty piece after the file's last line break.
    if (bytes.endsWith('\n'))
        lines_.removeLast();
    crlf_ = !lines_.isEmpty() && lines_.first().endsWith('\r');
}

qsizetype ProfileFile::findSection(const QString &section) const
{
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        const QString name = sectionName(lines_.at(i));
        if (!name.isNull() && sameName(name, section))
            return i;
    }
    return -1;
}

qsizetype ProfileFile::findKey(qsizetype header, const QString &key) const
{
    for (qsizetype i = header + 1; i < lines_.size(); ++i) {
        if (!sectionName(lines_.at(i)).isNull())
            return -1;
        const KeyLine line = keyLine(lines_.at(i));
        if (line.valid && sameName(line.key, key))
            return i;
    }
    return -1;
}

qsizetype ProfileFile::sectionEnd(qsizetype header) const
{
    qsizetype end = header + 1;
    for (qsizetype i = header + 1; i < lines_.size(); ++i) {
        if (!sectionName(lines_.at(i)).isNull())
            break;
        if (!content(lines_.at(i)).trimmed().isEmpty())
            end = i + 1;
    }
    return end;
}

QString ProfileFile::readString(const QString &section, const QString &key,
                                const QString &fallback) const
{
    const qsizetype header = findSection(section);
    if (header < 0)
        return fallback;
    const qsizetype at = findKey(header, key);
    if (at < 0)
        return fallback;
    return keyLine(lines_.at(at)).value;
}

bool ProfileFile::hasKey(const QString &section, const QString &key) const
{
    const qsizetype header = findSection(section);
    return header >= 0 && findKey(header, key) >= 0;
}

void ProfileFile::writeString(const QString &section, const QString &key, const QString &value)
{
    QString oneLine = value;
    oneLine.replace(QLatin1Char('\r'), QLatin1Char(' '));
    oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QByteArray ending = crlf_ ? QByteArrayLiteral("\r") : QByteArray();
    auto lineOf = [&](const QString &name) {
        return name.toUtf8() + '=' + oneLine.toUtf8() + ending;
    };

    modified_ = true;
    qsizetype header = findSection(section);
    if (header < 0) {
        lines_.append('[' + section.toUtf8() + ']' + ending);
        lines_.append(lineOf(key));
        return;
    }
    const qsizetype at = findKey(header, key);
    if (at >= 0) {
        // The key keeps the spelling the file already gives it.
        lines_[at] = lineOf(keyLine(lines_.at(at)).key);
        return;
    }
    lines_.insert(sectionEnd(header), lineOf(key));
}

void ProfileFile::flush()
{
    const Error failure(QStringLiteral("Unable to write to %1").arg(path_));
    if (readFailed_)
        throw failure;
    QByteArray bytes;
    for (const QByteArray &line : std::as_const(lines_)) {
        bytes += line;
        bytes += '\n';
    }
    if (!writeFileAtomically(path_, bytes))
        throw failure;
    modified_ = false;
}
