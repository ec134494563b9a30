#include "tally/tallytable.h"

#include "common/errors.h"
#include "common/intconv.h"

#include <QByteArrayView>

#include <limits>

namespace {

constexpr int kMaxPlayerSeat = 6;

const QString kZero = QStringLiteral("0");

QStringList zeroRow()
{
    QStringList row;
    row.reserve(TallyTable::kColumns);
    for (int c = 0; c < TallyTable::kColumns; ++c)
        row << kZero;
    return row;
}

// Hands out the lines of the stored text one by one. A line ends at LF; a CR
// before it belongs to the line end. Files written by other programs may lack
// the final line end, so a last unterminated line still counts.
class LineReader {
public:
    explicit LineReader(QByteArrayView text)
        : m_text(text)
    {
    }

    QByteArrayView next()
    {
        if (m_pos >= m_text.size())
            throw Error(QStringLiteral("Read beyond end of file"));
        qsizetype end = m_text.indexOf('\n', m_pos);
        const qsizetype following = end < 0 ? m_text.size() : end + 1;
        if (end < 0)
            end = m_text.size();
        QByteArrayView line = m_text.sliced(m_pos, end - m_pos);
        if (line.endsWith('\r'))
            line.chop(1);
        m_pos = following;
        return line;
    }

    qsizetype remainingLines() const
    {
        if (m_pos >= m_text.size())
            return 0;
        const QByteArrayView rest = m_text.sliced(m_pos);
        return rest.count('\n') + (rest.endsWith('\n') ? 0 : 1);
    }

private:
    QByteArrayView m_text;
    qsizetype m_pos = 0;
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// A count line holds the number; whatever follows it on the line is ignored
// by a reader that only wants the number.
QByteArrayView countField(QByteArrayView line, QByteArrayView *rest = nullptr)
{
    qsizetype start = 0;
    while (start < line.size() && isBlank(line[start]))
        ++start;
    qsizetype end = start;
    while (end < line.size() && !isBlank(line[end]))
        ++end;
    if (rest)
        *rest = line.sliced(end).trimmed();
    return line.sliced(start, end - start);
}

int readCount(QByteArrayView line)
{
    return strToInt(countField(line));
}

// Cells are stored in Latin-1, as they always were. A table holding a
// character beyond Latin-1 (a name like "Jiří") is stored in UTF-8 instead,
// and says so after the column count on the first line, where older readers
// ignore it. Files without the mark read exactly as before.
constexpr QByteArrayView kUtf8Mark = "UTF-8";

bool fitsLatin1(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0xFF)
            return false;
    }
    return true;
}

// A cell is one line of the file, so a line break inside it would shift every
// later cell.
QByteArray storedCell(const QString &text, bool utf8)
{
    QByteArray bytes = utf8 ? text.toUtf8() : text.toLatin1();
    bytes.replace('\r', ' ');
    bytes.replace('\n', ' ');
    return bytes;
}

} // namespace

TallyTable::TallyTable()
{
    clear();
}

void TallyTable::checkCell(int column, int row) const
{
    if (column < 0 || column >= kColumns || row < 0 || row >= rowCount())
        throw Error(
            QStringLiteral("Tally cell (%1, %2) is outside the table").arg(column).arg(row));
}

QString TallyTable::cell(int column, int row) const
{
    checkCell(column, row);
    return m_rows[row][column];
}

void TallyTable::setCell(int column, int row, const QString &text)
{
    checkCell(column, row);
    m_rows[row][column] = text;
}

int TallyTable::addit(int column, int row)
{
    checkCell(column, row);
    const int value = strToInt(m_rows[row][column]);
    // A count that reached the largest integer stays there rather than wrapping.
    const int next = value == std::numeric_limits<int>::max() ? value : value + 1;
    m_rows[row][column] = QString::number(next);
    return next;
}

void TallyTable::clear()
{
    m_rows = {zeroRow()};
}

void TallyTable::addOpponent(const QString &name)
{
    QStringList row = zeroRow();
    row[0] = name;
    m_rows << row;
}

int TallyTable::findOpponent(const QString &name) const
{
    for (int row = 1; row < rowCount(); ++row) {
        if (m_rows[row][0].compare(name, Qt::CaseInsensitive) == 0)
            return row;
    }
    return -1;
}

QStringList TallyTable::opponentNames() const
{
    QStringList names;
    for (int row = 1; row < rowCount(); ++row)
        names << m_rows[row][0];
    return names;
}

void TallyTable::moverow(int row)
{
    if (row < 1 || row >= rowCount())
        throw Error(QStringLiteral("Tally row %1 is not an opponent row").arg(row));
    m_rows.removeAt(row);
}

void TallyTable::clearSession()
{
    for (int row = 1; row < rowCount(); ++row) {
        for (int column = kFirstSessionColumn; column < kColumns; ++column)
            m_rows[row][column] = kZero;
    }
}

bool TallyTable::countGameWith(const QString &name, const QString &winner)
{
    const int row = findOpponent(name);
    if (row < 0)
        return false;
    for (int column = 1; column < kColumns; ++column) {
        if (m_rows[row][column].isEmpty())
            m_rows[row][column] = kZero;
    }
    addit(1, row);
    addit(5, row);
    // The stored spelling decides a win: a seat name that differs in letter
    // case is the same opponent but not the same winner.
    int column = 4;
    if (m_rows[row][0] == winner)
        column = 2;
    else if (winner == kMineWinner)
        column = 3;
    addit(column, row);
    addit(column + 4, row);
    return true;
}

QByteArray TallyTable::toText() const
{
    QByteArray text;
    const auto line = [&text](const QByteArray &bytes) {
        text += bytes;
        text += "\r\n";
    };
    bool utf8 = false;
    for (const QStringList &row : m_rows) {
        for (const QString &cell : row)
            utf8 = utf8 || !fitsLatin1(cell);
    }
    line(utf8 ? QByteArray::number(kColumns) + ' ' + kUtf8Mark.toByteArray()
              : QByteArray::number(kColumns));
    line(QByteArray::number(rowCount()));
    for (int column = 0; column < kColumns; ++column) {
        for (const QStringList &row : m_rows)
            line(storedCell(row[column], utf8));
    }
    return text;
}

TallyTable TallyTable::fromText(const QByteArray &text)
{
    LineReader reader(text);
    QByteArrayView mark;
    const int columns = strToInt(countField(reader.next(), &mark));
    const bool utf8 = mark == kUtf8Mark;
    const int rows = readCount(reader.next());
    if (columns != kColumns || rows < 1)
        throw Error(
            QStringLiteral("Invalid tally table size: %1 columns, %2 rows").arg(columns).arg(rows));
    // Checked before anything is allocated, so an absurd row count costs nothing.
    if (qint64(columns) * rows > reader.remainingLines())
        throw Error(QStringLiteral("Read beyond end of file"));

    TallyTable table;
    table.m_rows.clear();
    table.m_rows.reserve(rows);
    for (int row = 0; row < rows; ++row)
        table.m_rows << zeroRow();
    for (int column = 0; column < columns; ++column) {
        for (int row = 0; row < rows; ++row) {
            const QByteArrayView cell = reader.next();
            table.m_rows[row][column] = utf8 ? QString::fromUtf8(cell) : QString::fromLatin1(cell);
        }
    }
    return table;
}

bool TallyTable::countsGame(int myseat, int numseats)
{
    return myseat >= 1 && myseat <= numseats && myseat <= kMaxPlayerSeat;
}
