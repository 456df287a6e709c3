#pragma once

#include "csv_reader.h"
#include "data_files.h"

#include <QList>
#include <QString>

namespace zelvora::datac {

// One row of the changes source (data/changes.csv).
struct ChangeSource
{
    QString kind{};        // "cap" (a documented code change) or "merged"
    QString locality{};    // the municipality, upper case
    QString province{};
    QString cap{};         // the old code of a code change
    QString newLocality{}; // the municipality a merged one became part of
    QString newProvince{};
    QString newCap{};      // the new code of a code change
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
// five digits each; a merger needs no code and has none.
DataFiles compileChanges(const ChangesSource &source, QList<Fault> &faults);

bool compileChangesFolder(const ChangesSource &source, const QString &folder, QList<Fault> &faults);

} // namespace zelvora::datac
