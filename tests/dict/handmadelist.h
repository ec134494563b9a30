#pragma once

#include <QByteArrayList>
#include <QFile>
#include <QString>
#include <QTest>

// What the dictionary says when it has no list to read.
inline const QString kNotFound = QStringLiteral("English.dic dictionary not found!");

// Writes a hand-made list: each field padded with blanks (or cut) to 14 bytes
// behind the record mark, in the order given.
inline void writeList(const QString &fileName, const QByteArrayList &fields)
{
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    for (const QByteArray &field : fields)
        QCOMPARE(file.write('\x1e' + field.leftJustified(14, ' ', true)), 15);
}
