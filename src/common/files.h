#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Whole-file reading and writing, the same everywhere in the program and its tests.

// The file's bytes; nothing when it cannot be opened or read.
std::optional<QByteArray> readWholeFile(const QString &path);
// Replaces the file's contents with the bytes in place; false when any of
// them did not reach the file.
bool writeWholeFile(const QString &path, const QByteArray &bytes);
// Writes the bytes to a temporary file beside path and renames it over path,
// so that readers see either the old contents or the new ones, never a part;
// false (and path untouched) when that failed.
bool writeFileAtomically(const QString &path, const QByteArray &bytes);
// Creates the folder and any missing parents; true when it exists afterwards.
bool makeFolder(const QString &path);
