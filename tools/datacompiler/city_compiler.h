#pragma once

#include "csv_reader.h"
#include "data_files.h"

#include "common/house_evidence.h"

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

// One row of a city's house-number evidence: the street as in the streets
// source, and a register's range or a point.
struct EvidenceSource
{
    QString street{};
    QString designation{};
    HouseEvidenceEntry entry{};
    int line = 0;
};

struct CitySource
{
    QList<StreetSource> streets;
    QString file = QStringLiteral("city.csv");
    // The house-number evidence, when the city has a source of it.
    bool hasEvidence = false;
    QList<EvidenceSource> evidence;
    QString evidenceFile = QStringLiteral("evidence.csv");
};

// Reads a city's CSV source (see the README for its columns).
CitySource readCitySource(const QString &csv, QList<Fault> &faults);
// The same from a table already read, named by its file in faults.
CitySource citySourceFromTable(const CsvTable &table, const QString &file, QList<Fault> &faults);

// Reads a city's evidence source (columns street, designation, first, last,
// parity D/P/T, cap, sources joined by "+", kind R/P) into `city`; every row
// is checked, faults name the file and line.
void readEvidenceSource(const QString &csv, CitySource &city, QList<Fault> &faults);
void evidenceFromTable(const CsvTable &table, const QString &file, CitySource &city, QList<Fault> &faults);

// Validates a city and builds its three files, named `base`.loc, .lox and .civ:
// the streets in code page 1252 order of their names, the index of their first
// three characters, and one note record per distinct note text; with
// evidence, a fourth, `base`.evi, its entries by street record (a street's
// other names share its entries). Nothing is
// built when a fault is found: every fault is listed with its file and line.
DataFiles compileCity(const CitySource &city, const QString &base, QList<Fault> &faults);

// Validates, builds and writes the city's files into `folder`.
bool compileCityFolder(const CitySource &city, const QString &folder, const QString &base, QList<Fault> &faults);

} // namespace zelvora::datac
