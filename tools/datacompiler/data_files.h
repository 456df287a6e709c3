#pragma once

#include "csv_reader.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

namespace zelvora::datac {

// The files of a data folder, by file name relative to the folder (a name may
// lie in a sub-folder, "zone/roma.loc"), ready to be written.
using DataFiles = QMap<QString, QByteArray>;

// Writes the files into `folder` (created when missing); each file is replaced
// whole or not at all. No files (what a compiler gives on a fault) writes
// nothing and is false.
bool writeDataFiles(const DataFiles &files, const QString &folder, QList<Fault> &faults);

// Groups records that share their first `keyLength` characters into prefix
// index entries. `keys` must already be in file order (sorted).
QByteArray buildPrefixIndex(const QList<QByteArray> &keys, int keyLength);

} // namespace zelvora::datac
