#pragma once

#include "datacompiler/data_compiler.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace zelvora::test {

using datac::LocalitySource;
using datac::ProvinceSource;
using datac::StreetSource;

// Compiles the given records into `folder` with the data compiler; fails the
// calling test (returns false) when the compiler reports a fault.
bool buildDataFolder(const QString &folder, const QList<LocalitySource> &localities,
                     const QList<ProvinceSource> &provinces = {});

// Compiles one city of the street directory into `dataFolder`/zone, as the
// files `base`.loc, .lox and .civ; returns false when the compiler reports a
// fault.
bool buildCity(const QString &dataFolder, const QString &base, const QList<StreetSource> &streets);

// Reads or writes a whole file, for tests that craft or damage bytes.
QByteArray readAll(const QString &path);
void writeAll(const QString &path, const QByteArray &bytes);

// A test run as root may read and write any file, whatever its permissions.
// This gives that power up for the calling thread, the one that opens the
// data files, so that a file without read permission or a folder without
// write permission is closed to it as to any user; false when it cannot.
bool giveUpRootFileAccess();

} // namespace zelvora::test
