#include "tally/tallyfile.h"

#include "common/errors.h"
#include "common/paths.h"
#include "tally/tlzrw1.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>

#include <filesystem>
#include <system_error>
#include <utility>

#include <unistd.h>

namespace {

const QString kTextFile = QStringLiteral("temp.txt");

// The settings section name followed by "tally.tld".
const QString kTallyFileName = QStringLiteral("Lexiclash") + QStringLiteral("tally.tld");

// The container's header, and the offset and size of its uncompressed-size field.
constexpr char kHeader[] = "WRZL";
constexpr qint64 kStoredSizeOffset = 4;
constexpr qint64 kStoredSizeBytes = 4;

// The tally's text lies in "temp.txt" while it is coded, in a new private
// folder of the runtime folder: never in the working folder, where the user
// may keep a file of that name, and never in a folder that existed before.
class TextFolder {
public:
    TextFolder()
        : folder_(scratchFolder() + QStringLiteral("/lexiclash-tally-XXXXXX"))
    {
        if (!folder_.isValid())
            throw Error(QStringLiteral("Cannot create a folder in %1: %2")
                            .arg(scratchFolder(), folder_.errorString()));
    }
    QString textFile() const { return folder_.filePath(kTextFile); }

private:
    QTemporaryDir folder_;
};

void writeText(const QString &name, const QByteArray &text)
{
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Error(QStringLiteral("Cannot create %1: %2").arg(name, file.errorString()));
    if (file.write(text) != text.size() || !file.flush())
        throw Error(QStringLiteral("Cannot write %1: %2").arg(name, file.errorString()));
    file.close();
    if (file.error() != QFileDevice::NoError)
        throw Error(QStringLiteral("Cannot write %1: %2").arg(name, file.errorString()));
}

QByteArray readText(const QString &name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Cannot open %1: %2").arg(name, file.errorString()));
    if (file.size() > TallyFile::kMaxTextSize)
        throw Error(QStringLiteral("The tally text is too large"));
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Error(QStringLiteral("Cannot read %1: %2").arg(name, file.errorString()));
    return text;
}

// The new file must be on disk before it takes the old one's name, or a crash
// right after the rename could leave an empty tally behind.
void syncToDisk(const QString &name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly) || ::fsync(file.handle()) != 0)
        throw Error(QStringLiteral("Cannot write %1 to disk").arg(name));
}

// The new container takes the old one's place only when it reads back as the
// very text we meant to store: a write error that slipped through unnoticed
// must not cost the player his record.
void checkWritten(const QString &name, qint64 written, const QByteArray &text)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly) || file.size() != written)
        throw Error(QStringLiteral("Cannot write %1").arg(name));
    QBuffer decoded;
    decoded.open(QIODevice::WriteOnly);
    Tlzrw1 check;
    check.DecompressStream(file, decoded);
    if (decoded.data() != text)
        throw Error(QStringLiteral("%1 does not read back as the tally").arg(name));
}

void replaceFile(const QString &from, const QString &to)
{
    std::error_code error;
    std::filesystem::rename(from.toStdString(), to.toStdString(), error);
    if (error)
        throw Error(QStringLiteral("Cannot rename %1 to %2: %3")
                        .arg(from, to, QString::fromStdString(error.message())));
}

} // namespace

TallyFile::TallyFile(QString path)
    : m_path(std::move(path))
{
}

QString TallyFile::defaultPath()
{
    return dataFolder() + QLatin1Char('/') + kTallyFileName;
}

TallyTable TallyFile::load()
{
    if (!QFileInfo::exists(m_path))
        return {};
    const TextFolder folder;
    try {
        TallyTable table = read(folder.textFile());
        table.clearSession();
        return table;
    } catch (...) {
        keepDamaged();
        throw;
    }
}

TallyTable TallyFile::read(const QString &textName)
{
    checkStoredSize();
    Tlzrw1 doit;
    doit.CompressMode = TCompressMode::Fast;
    doit.InputFile = m_path;
    doit.OutputFile = textName;
    doit.Decompress();
    const QByteArray text = readText(textName);
    QFile::remove(textName);
    return TallyTable::fromText(text);
}

// Looked at before decompressing, so that a damaged size field cannot make us
// write gigabytes into the runtime folder. Other headers are the container's
// to reject.
void TallyFile::checkStoredSize() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray start = file.read(kStoredSizeOffset + kStoredSizeBytes);
    if (start.size() != kStoredSizeOffset + kStoredSizeBytes || !start.startsWith(kHeader))
        return;
    if (qFromLittleEndian<quint32>(start.constData() + kStoredSizeOffset) > kMaxTextSize)
        throw Error(QStringLiteral("%1 : the tally text is too large").arg(m_path));
}

void TallyFile::keepDamaged()
{
    QFile::remove(damagedPath());
    if (!QFile::rename(m_path, damagedPath()))
        m_mayReplace = false;
}

void TallyFile::save(const TallyTable &table)
{
    if (!m_mayReplace)
        throw Error(
            QStringLiteral("%1 is damaged and could not be moved aside; it is left as it is")
                .arg(m_path));
    const QString pending = m_path + QStringLiteral(".tmp");
    const TextFolder folder;
    const QString textName = folder.textFile();
    try {
        const QByteArray text = table.toText();
        writeText(textName, text);
        Tlzrw1 doit;
        doit.CompressMode = TCompressMode::Fast;
        doit.InputFile = textName;
        doit.OutputFile = pending;
        const qint64 written = doit.Compress();
        QFile::remove(textName);
        syncToDisk(pending);
        checkWritten(pending, written, text);
        replaceFile(pending, m_path);
    } catch (...) {
        QFile::remove(textName);
        QFile::remove(pending);
        throw;
    }
}
