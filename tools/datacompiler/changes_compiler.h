#pragma once

#include "csv_reader.h"
#include "data_files.h"

#include <QList>
#include <QString>

namespace zelvora::datac {

// One row of the changes source (data/changes.csv).
struct ChangeSource
{
    QString kind{};        // "cap", "merged", "generic", "province", "name" or "fraction"
    QString locality{};    // the municipality (another name, a frazione), upper case
    QString province{};    // its province (a former province)
    QString cap{};         // the old code, the catch-all code, a frazione's own code
    QString newLocality{}; // the municipality it merged into, the locality named, a frazione's municipality
    QString newProvince{}; // their province (today's province)
    QString newCap{};      // the new code of a code change
    QString year{};        // the year of the change, when known
    int line = 0;
};

struct ChangesSource
{
    QList<ChangeSource> changes;
    QString file = QStringLiteral("changes.csv");
};

ChangesSource readChangesSource(const QString &csv, QList<Fault> &faults);
ChangesSource changesSourceFromTable(const CsvTable &table, const QString &file, QList<Fault> &faults);

// Validates the changes and builds variazioni.dat, one record per change in
// the order of kind, locality and province. A code change needs both codes,
// five digits each; a catch-all code, its code; a merger, a former province
// and another name have none; a frazione at most its own; the year is four
// digits or empty.
DataFiles compileChanges(const ChangesSource &source, QList<Fault> &faults);

bool compileChangesFolder(const ChangesSource &source, const QString &folder, QList<Fault> &faults);

} // namespace zelvora::datac
