#pragma once

#include "csv_reader.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace zelvora::datac {

// One row of the localities source.
struct LocalitySource
{
    QString locality{};
    QString province{};
    QString agency{};
    QString cap{};
    QString bil{};
    QString note{};
    // Every postal code the locality is listed under in the postal-code order;
    // the record's own `cap` is always among them when it is not empty.
    QStringList codes{};
    int line = 0;
};

// One row of the provinces source.
struct ProvinceSource
{
    QString province{};
    QString name{};
    int line = 0;
};

struct Sources
{
    QList<LocalitySource> localities;
    QList<ProvinceSource> provinces;
    QString localitiesFile = QStringLiteral("localities.csv");
    QString provincesFile = QStringLiteral("provinces.csv");
};

// The files of a data folder, by file name, ready to be written.
using DataFiles = QMap<QString, QByteArray>;

// Reads the CSV sources (see the README for their columns).
Sources readSources(const QString &localitiesCsv, const QString &provincesCsv, QList<Fault> &faults);

// Validates the sources and builds the seven locality files. Nothing is built
// when a fault is found: every fault is listed with its file and line.
DataFiles compileLocalities(const Sources &sources, QList<Fault> &faults);

// Writes the files into `folder` (created when missing); each file is replaced
// whole or not at all.
bool writeDataFiles(const DataFiles &files, const QString &folder, QList<Fault> &faults);

// Convenience for tests and the command-line tool: validate, build and write.
bool compileDataFolder(const Sources &sources, const QString &folder, QList<Fault> &faults);

// Groups records that share their first `keyLength` characters into prefix
// index entries. `keys` must already be in file order (sorted).
QByteArray buildPrefixIndex(const QList<QByteArray> &keys, int keyLength);

// Byte-order comparison of code page 1252 text, the order of every data file.
bool cp1252Less(const QByteArray &a, const QByteArray &b);

} // namespace zelvora::datac
