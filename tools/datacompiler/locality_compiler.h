#pragma once

#include "csv_reader.h"
#include "data_files.h"

#include <QByteArray>
#include <QList>
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

// Reads the CSV sources (see the README for their columns).
Sources readSources(const QString &localitiesCsv, const QString &provincesCsv, QList<Fault> &faults);
// The same from tables already read, named by their files in faults.
Sources sourcesFromTables(const CsvTable &localities, const QString &localitiesFile, const CsvTable &provinces,
                          const QString &provincesFile, QList<Fault> &faults);

// Validates the sources and builds the seven locality files. Nothing is built
// when a fault is found: every fault is listed with its file and line.
DataFiles compileLocalities(const Sources &sources, QList<Fault> &faults);

// Convenience for tests and the command-line tool: validate, build and write.
bool compileDataFolder(const Sources &sources, const QString &folder, QList<Fault> &faults);

} // namespace zelvora::datac
