// The lookups of zelvora-cerca: one text, or one text a line.
#include "cli/command.h"

#include "common/address_check.h"
#include "common/csv_list.h"
#include "common/io_error.h"

#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace zelvora::cli {

namespace {

void warn(Streams &io, const Lookup &lookup)
{
    for (const QString &warning : lookup.warnings())
        io.message(QStringLiteral("attenzione: %1").arg(warning));
}

} // namespace

QStringList closestNames(const Options &options)
{
    // Compared as the address check compares them; without the files it
    // reads there are none, and the answer stands.
    try {
        AddressCheck check(options.dataFolder);
        if (options.kind == SearchMode::Locality)
            return check.suggestLocalities(options.text);
        if (!options.kind)
            return check.suggestStreets(findCity(options.city), options.text);
    } catch (const Error &) {
    }
    return {};
}

int LookupCommand::execute(const Options &options, Streams &io)
{
    Lookup lookup(options.kind, options.dataFolder, options.city, options.details);
    warn(io, lookup);
    LookupResult result = lookup.find(options.text, options.limit);
    // No street begins with "tiburtina 113": the street and its number. An
    // address is read as the list check reads one, up to a list's field:
    // longer than the windows' search field is fine, and no street found.
    const bool address = result.status == LookupResult::NotFound
                         || (result.tooLong && options.text.toUtf8().size() <= CsvReader::kListLimits.field);
    if (address && !options.kind) {
        if (const int answered = answerHouseNumber(options, io); answered >= 0)
            return answered;
        result.status = LookupResult::NotFound;
    }
    if (result.status == LookupResult::BadInput) {
        io.message(QStringLiteral("testo non valido: %1").arg(result.message));
        return kFailure;
    }
    OutputWriter writer(options.format, lookup.columns(), false);
    io.out.write(writer.begin());
    for (const QStringList &row : result.rows)
        io.out.write(writer.row(row));
    io.out.write(writer.end());
    io.out.flush();
    if (result.status == LookupResult::Found)
        return kFound;
    io.message(result.matched.isEmpty()
                   ? QStringLiteral("nessuna voce inizia con \"%1\"").arg(result.text)
                   : QStringLiteral("nessuna voce inizia con \"%1\" (ne iniziano con \"%2\")")
                         .arg(result.text, result.matched));
    if (const QStringList closest = closestNames(options); !closest.isEmpty())
        io.message(QStringLiteral("forse: %1").arg(closest.join(QStringLiteral(", "))));
    return kNothing;
}

namespace {

// The list of texts: a file, or the standard input for "-". Before each
// read, which may wait for more input, the answers so far go out: a program
// at the other end of a pipe may wait for them before it sends more. No text
// to search is anywhere near a line's limit, so input without line ends is
// not held in memory whole.
constexpr qsizetype kLongestLine = 1 << 20;
CsvReader batchInput(const QString &name, QFile &file, Streams &io)
{
    int fd = STDIN_FILENO;
    if (name != u"-") {
        file.setFileName(name);
        if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            throw Error(QStringLiteral("impossibile leggere il file %1").arg(name));
        fd = file.handle();
    }
    return CsvReader(
        [&io, fd](char *data, qsizetype size) -> qsizetype {
            io.out.flush();
            for (;;) {
                const ssize_t got = ::read(fd, data, size);
                if (got >= 0)
                    return got;
                if (errno != EINTR)
                    throw IoError(QStringLiteral("errore di lettura dell'elenco: %1")
                                      .arg(QString::fromLocal8Bit(strerror(errno))));
            }
        },
        '\n', {0, kLongestLine});
}

// The answer to one line: the text, the first row found (empty values
// without one) and the outcome.
QStringList batchAnswer(const Lookup &lookup, const QString &text, const LookupResult &result)
{
    QStringList values;
    values.reserve(lookup.columns().size() + 2);
    values << text;
    if (result.rows.isEmpty())
        values.resize(1 + lookup.columns().size());
    else
        values << result.rows.first();
    switch (result.status) {
    case LookupResult::Found:
        values << QStringLiteral("trovato");
        break;
    case LookupResult::NotFound:
        values << QStringLiteral("nessun risultato");
        break;
    case LookupResult::BadInput:
        values << result.message;
        break;
    }
    return values;
}

} // namespace

int BatchCommand::execute(const Options &options, Streams &io)
{
    Lookup lookup(options.kind, options.dataFolder, options.city, options.details);
    warn(io, lookup);
    QFile file;
    CsvReader input = batchInput(*options.batch, file, io);
    QList<Column> columns = lookup.columns();
    columns.prepend({QStringLiteral("TESTO"), QStringLiteral("testo"), lookup.keyCapacity()});
    columns.append({QStringLiteral("ESITO"), QStringLiteral("esito"), 0});
    OutputWriter writer(options.format, columns, true);
    io.out.write(writer.begin());
    bool everyLineFound = true;
    while (const std::optional<CsvRecord> line = input.nextLine()) {
        if (!line->error.isEmpty())
            throw Error(QStringLiteral("una riga dell'elenco supera %1 byte: non è un elenco di testi").arg(kLongestLine));
        const QString text = QString::fromUtf8(line->raw);
        const LookupResult result = lookup.find(text, 1);
        everyLineFound = everyLineFound && result.status == LookupResult::Found;
        io.out.write(writer.row(batchAnswer(lookup, text, result)));
    }
    io.out.write(writer.end());
    io.out.flush();
    return everyLineFound ? kFound : kNothing;
}

} // namespace zelvora::cli
