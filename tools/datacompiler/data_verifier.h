#pragma once

#include "csv_reader.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace zelvora::datac {

struct VerifyReport
{
    QStringList lines;   // what was found, one line per file
    QList<Fault> faults; // what is wrong
    bool ok() const { return faults.isEmpty(); }
};

// Checks an existing data folder: record counts, every short string within
// its capacity, every stored record number inside its file, order files in
// order and each index entry in order and consistent with its group. The
// locality files, then every city of the street directory's zone folder
// (a file there that belongs to no city of the table is a fault too).
VerifyReport verifyDataFolder(const QString &folder);

} // namespace zelvora::datac
