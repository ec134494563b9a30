#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The tally table: row 0 holds the player's own totals (games, wins, best
// score, words in columns 1 to 4), every further row one followed opponent
// (name, then games, his wins, own wins, neither won, in total and for this
// session). Every cell is text; the counting cells hold decimal integers.
class TallyTable {
public:
    static constexpr int kColumns = 9;
    // First of the four session columns of an opponent row.
    static constexpr int kFirstSessionColumn = 5;
    // Text handed to countGameWith when the local player won.
    static inline const QString kMineWinner = QStringLiteral("addtomine");

    // The empty tally: one row of "0" cells.
    TallyTable();

    // Always kColumns.
    int columnCount() const { return kColumns; }
    // 1 + the number of followed opponents.
    int rowCount() const { return int(m_rows.size()); }
    // The text of one cell; throws Error outside the table.
    QString cell(int column, int row) const;
    // Replaces the text of one cell; throws Error outside the table.
    void setCell(int column, int row, const QString &text);
    // Adds 1 to the cell's integer value, writes it back and returns it; throws
    // EConvertError when the cell is not a decimal integer.
    int addit(int column, int row);

    // Back to the empty tally.
    void clear();
    // Follows an opponent: a new last row with the name and "0" counts.
    void addOpponent(const QString &name);
    // The row of the followed opponent with this name, ignoring letter case; -1 if none.
    int findOpponent(const QString &name) const;
    // Names of the followed opponents, row 1 first.
    QStringList opponentNames() const;
    // Removes opponent row `row` (1 or more); the rows after it move up.
    void moverow(int row);
    // Sets the session columns of every opponent row to "0".
    void clearSession();
    // Counts a finished game for `name` when followed: games, and the winner
    // (exact name, kMineWinner for the local player, else neither). Returns
    // whether the name is followed.
    bool countGameWith(const QString &name, const QString &winner);

    // The stored text: column count, row count, then every cell column by
    // column, each line ended by CR LF.
    QByteArray toText() const;
    // Reads the stored text; throws Error for a damaged text.
    static TallyTable fromText(const QByteArray &text);

    // A local player in this seat takes part in the game's tally: seats 1 to
    // numseats play, the rest only watch.
    static bool countsGame(int myseat, int numseats);

private:
    void checkCell(int column, int row) const;

    QList<QStringList> m_rows;
};
