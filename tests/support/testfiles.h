#pragma once

#include "common/files.h"

#include <QTest>

// File helpers of the tests, on top of the program's own.

// The file's bytes, or empty when it cannot be read.
inline QByteArray readBytes(const QString &path)
{
    return readWholeFile(path).value_or(QByteArray());
}

// Writes the bytes over the file; fails the running test when that did not work.
inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QVERIFY2(writeWholeFile(path, bytes), qPrintable(path));
}

// Writes the bytes over the file and makes it executable by its owner.
inline void writeExecutable(const QString &path, const QByteArray &bytes)
{
    writeBytes(path, bytes);
    QFile file(path);
    QVERIFY(file.setPermissions(file.permissions() | QFileDevice::ExeOwner));
}
