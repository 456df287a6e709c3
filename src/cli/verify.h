#pragma once

#include "common/csv_list.h"
#include "cli/output.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace zelvora::cli {

// What `zelvora-cerca --verifica` is asked.
struct VerifyOptions
{
    QString input;      // a file, or "-" for standard input
    QString output;     // a file; empty for standard output
    QStringList columns; // --colonne: locality, province, code[, address] by header name or number
    std::optional<ListEncoding> encoding; // --codifica; detected when not given
    OutputFormat format = OutputFormat::Aligned; // Aligned: as the input is written
    QString dataFolder;
};

// Checks an address list (a CSV file with a header line) and writes it again
// with the outcome of every row beside its fields. Messages and the summary go
// through `message`; the exit status is returned: 0 when every row is OK, 1
// when some is not. Throws Error when the run cannot go on.
int verifyList(const VerifyOptions &options, const std::function<void(const QString &)> &message);

} // namespace zelvora::cli
