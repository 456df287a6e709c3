#pragma once

#include "csv_reader.h"
#include "data_files.h"

#include <QList>
#include <QString>

namespace zelvora::datac {

// One row of a city's streets source.
struct StreetSource
{
    QString street{};      // the name proper, upper case
    QString designation{}; // VIA, PIAZZA, CORSO...
    QString cityTag{};
    QString cap{};         // five digits, or empty
    QString agency{};
    QString note{};        // house numbers and notes
    int line = 0;
};

struct CitySource
{
    QList<StreetSource> streets;
    QString file = QStringLiteral("city.csv");
};

// Reads a city's CSV source (see the README for its columns).
CitySource readCitySource(const QString &csv, QList<Fault> &faults);
// The same from a table already read, named by its file in faults.
CitySource citySourceFromTable(const CsvTable &table, const QString &file, QList<Fault> &faults);

// Validates a city and builds its three files, named `base`.loc, .lox and .civ:
// the streets in code page 1252 order of their names, the index of their first
// three characters, and one note record per distinct note text. Nothing is
// built when a fault is found: every fault is listed with its file and line.
DataFiles compileCity(const CitySource &city, const QString &base, QList<Fault> &faults);

// Validates, builds and writes the city's files into `folder`.
bool compileCityFolder(const CitySource &city, const QString &folder, const QString &base, QList<Fault> &faults);

} // namespace zelvora::datac
