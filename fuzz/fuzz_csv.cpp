// The CSV reader on any bytes, then the columns of every source taken from
// what it read: faults are listed, nothing else happens.
#include "fuzz_target.h"

#include "datacompiler/city_compiler.h"
#include "datacompiler/csv_reader.h"
#include "datacompiler/locality_compiler.h"

using namespace zelvora;
using namespace zelvora::datac;

ZELVORA_FUZZ_TARGET(csv)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     static_cast<qsizetype>(size));
    QList<Fault> faults;
    const CsvTable table = parseCsv(bytes, QStringLiteral("fuzz.csv"), faults);
    // Rows come in file order, after the header's line, each at a line of
    // the file.
    const qsizetype lines = bytes.count('\n') + 1;
    int previous = 1;
    for (const CsvRow &row : table.rows) {
        FUZZ_CHECK(row.line > previous && row.line <= lines);
        FUZZ_CHECK(!row.fields.isEmpty());
        previous = row.line;
    }
    for (const Fault &fault : std::as_const(faults))
        FUZZ_CHECK(fault.line >= 0 && fault.line <= lines);

    QList<Fault> sourceFaults;
    const Sources sources = sourcesFromTables(table, QStringLiteral("localities.csv"), table,
                                              QStringLiteral("provinces.csv"), sourceFaults);
    FUZZ_CHECK(sources.localities.size() == table.rows.size());
    const CitySource city = citySourceFromTable(table, QStringLiteral("roma.csv"), sourceFaults);
    FUZZ_CHECK(city.streets.size() == table.rows.size());
    return 0;
}
