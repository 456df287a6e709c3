#pragma once

#include "common/prefix_index.h"
#include "datacompiler/data_compiler.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace zelvora::test {

using datac::LocalitySource;
using datac::ProvinceSource;
using datac::EvidenceSource;
using datac::StreetSource;

// Compiles the given records into `folder` with the data compiler; fails the
// calling test (returns false) when the compiler reports a fault.
bool buildDataFolder(const QString &folder, const QList<LocalitySource> &localities,
                     const QList<ProvinceSource> &provinces = {});

// Compiles one city of the street directory into `dataFolder`/zone, as the
// files `base`.loc, .lox and .civ; returns false when the compiler reports a
// fault.
bool buildCity(const QString &dataFolder, const QString &base, const QList<StreetSource> &streets);
// The same with the city's house-number evidence, the fourth file `base`.evi.
bool buildCity(const QString &dataFolder, const QString &base, const QList<StreetSource> &streets,
               const QList<EvidenceSource> &evidence);
bool buildCity(const QString &dataFolder, const QString &base, const datac::CitySource &city);

// Reads or writes a whole file, for tests that craft or damage bytes.
// What a program run gave: its standard output, its standard error as text
// and its exit code, -1 when it did not start or end normally.
struct ProgramRun
{
    QByteArray out;
    QString err;
    int exitCode = -1;
};
// Runs `program` with `input` on its standard input, waiting at most 30 s.
ProgramRun runProgram(const QString &program, const QStringList &arguments, const QByteArray &input);

// The bytes of an index file with these entries.
QByteArray indexFile(const QStringList &prefixes, const QList<int> &firstRecords);
// An index's prefixes, and its first records as decimal text, in its order.
QStringList prefixesOf(const PrefixIndex &index);
QStringList firstRecordsOf(const PrefixIndex &index);

QByteArray readAll(const QString &path);
// Writes a zip archive of the given parts (name, bytes), deflated; false when
// it cannot.
bool writeZip(const QString &path, const QList<QPair<QByteArray, QByteArray>> &parts);
void writeAll(const QString &path, const QByteArray &bytes);

// A test run as root may read and write any file, whatever its permissions.
// This gives that power up for the calling thread, the one that opens the
// data files, so that a file without read permission or a folder without
// write permission is closed to it as to any user; false when it cannot.
bool giveUpRootFileAccess();

} // namespace zelvora::test
