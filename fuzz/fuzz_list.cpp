// An address list made of the input, read as the list check reads it: the
// CSV reader fed in pieces of every size gives the records it gives on the
// whole input at once, each within the limits of a list (a record cut at the
// record limit, a field at the field limit, a line number for every record);
// a record written back with the columns of a check reads back as it was;
// and the list opened from a file gives a row for every record after the
// header.
#include "fuzz_target.h"

#include "common/csv_list.h"
#include "common/error.h"
#include "common/list_check.h"

#include <QTemporaryDir>
#include <algorithm>
#include <cstring>

using namespace zelvora;

namespace {

// A reader of `bytes` that gives at most `piece` bytes at a time.
std::function<qsizetype(char *, qsizetype)> pieces(const QByteArray &bytes, qsizetype piece)
{
    return [&bytes, piece, at = qsizetype(0)](char *to, qsizetype size) mutable {
        const qsizetype n = std::min({size, piece, bytes.size() - at});
        std::memcpy(to, bytes.constData() + at, static_cast<size_t>(n));
        at += n;
        return n;
    };
}

QList<CsvRecord> readAll(CsvReader &reader, bool lines)
{
    QList<CsvRecord> records;
    while (std::optional<CsvRecord> record = lines ? reader.nextLine() : reader.next())
        records << std::move(*record);
    return records;
}

bool sameRecords(const QList<CsvRecord> &a, const QList<CsvRecord> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const CsvRecord &x, const CsvRecord &y) {
        return x.raw == y.raw && x.fields == y.fields && x.error == y.error && x.line == y.line
               && x.quoteOpen == y.quoteOpen;
    });
}

void checkLimits(const QList<CsvRecord> &records, const QByteArray &bytes)
{
    const qsizetype lines = bytes.count('\n') + 1;
    int previous = 0;
    for (const CsvRecord &r : records) {
        FUZZ_CHECK(r.line > previous && r.line <= lines);
        FUZZ_CHECK(r.raw.size() <= CsvReader::kListLimits.record);
        FUZZ_CHECK(r.fields.size() <= r.raw.size() + 1);
        FUZZ_CHECK(r.error.isEmpty() ? !r.fields.isEmpty() : true);
        FUZZ_CHECK(r.quoteOpen == (r.error == u"virgolette non chiuse"));
        for (const QByteArray &field : r.fields)
            FUZZ_CHECK(field.size() <= CsvReader::kListLimits.field);
        previous = r.line;
    }
}

// A record as the check writes it back, with its missing fields and the
// verdict's columns, reads back as the same fields followed by those.
void checkWrittenBack(const CsvRecord &r, char separator, int headerFields)
{
    if (!r.error.isEmpty() || r.raw.endsWith('\r') || r.raw.contains('\0'))
        return;
    const QStringList added{QStringLiteral("OK"), QStringLiteral("a;b,c\td"), QStringLiteral("\"x\"\ny")};
    ListRow row{r.line, QStringList(r.fields.size()), {}, r.raw};
    // After a line of its own, as a row is never the first of what is
    // written (a byte order mark there would be taken for the file's).
    const QByteArray line =
        "h\n" + ListFormat{ListEncoding::Utf8, separator, false, false}.row(row, headerFields, added);
    CsvReader reader(pieces(line, line.size()), separator, {});
    FUZZ_CHECK(reader.next());
    const std::optional<CsvRecord> back = reader.next();
    FUZZ_CHECK(back && back->error.isEmpty());
    QList<QByteArray> expected = r.fields;
    while (expected.size() < headerFields)
        expected << QByteArray();
    for (const QString &value : added)
        expected << value.toUtf8();
    FUZZ_CHECK(back->fields == expected);
}

} // namespace

ZELVORA_FUZZ_TARGET(list)
{
    if (size < 1)
        return 0;
    // The first byte: the size of the pieces read and whether the list's
    // encoding is given; the rest is the list.
    const qsizetype piece = 1 + data[0] % 64 * (data[0] % 64);
    const QByteArray bytes(reinterpret_cast<const char *>(data) + 1, static_cast<qsizetype>(size - 1));

    CsvReader whole(pieces(bytes, bytes.size() + 1), ';', CsvReader::kListLimits);
    const char separator = detectSeparator(whole.peekFirstLine());
    whole.setSeparator(separator);
    const QList<CsvRecord> records = readAll(whole, false);
    CsvReader inPieces(pieces(bytes, piece), ';', CsvReader::kListLimits);
    FUZZ_CHECK(detectSeparator(inPieces.peekFirstLine()) == separator);
    inPieces.setSeparator(separator);
    FUZZ_CHECK(sameRecords(readAll(inPieces, false), records));
    checkLimits(records, bytes);
    for (const CsvRecord &r : records)
        checkWrittenBack(r, separator, static_cast<int>(records.first().fields.size()));

    CsvReader lines(pieces(bytes, bytes.size() + 1), ';', CsvReader::kListLimits);
    CsvReader linesInPieces(pieces(bytes, piece), ';', CsvReader::kListLimits);
    FUZZ_CHECK(sameRecords(readAll(linesInPieces, true), readAll(lines, true)));

    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("elenco.csv"));
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size());
    file.close();
    const std::optional<ListEncoding> encodings[] = {std::nullopt, ListEncoding::Utf8, ListEncoding::Windows1252};
    try {
        AddressList list(path, encodings[data[0] / 64 % 3]);
        FUZZ_CHECK(!records.isEmpty() && records.first().error.isEmpty());
        FUZZ_CHECK(list.format().separator == separator);
        FUZZ_CHECK(list.header().size() == records.first().fields.size());
        qsizetype i = 1;
        while (const std::optional<ListRow> row = list.next()) {
            FUZZ_CHECK(i < records.size());
            FUZZ_CHECK(row->line == records.at(i).line && row->raw == records.at(i).raw);
            FUZZ_CHECK(row->fields.size() == records.at(i).fields.size() && row->error == records.at(i).error);
            ++i;
        }
        FUZZ_CHECK(i == records.size());
    } catch (const Error &) {
        FUZZ_CHECK(records.isEmpty() || !records.first().error.isEmpty());
    }
    return 0;
}
