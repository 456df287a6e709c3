#include "verify.h"

#include "common/address_check.h"
#include "cli/command.h"
#include "common/error.h"
#include "common/io_error.h"
#include "common/name_match.h"
#include "common/short_string.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <array>
#include <sys/stat.h>
#include <unistd.h>

namespace zelvora::cli {

namespace {

const QStringList kAddedColumns{"esito", "cap_proposto", "localita_trovata", "pv_trovata", "nota"};

// Header names of each column wanted, as nameKey() writes them (case,
// accents, spaces and signs set aside).
enum Wanted { kLocalityColumn, kProvinceColumn, kCapColumn, kAddressColumn, kWanted };
const std::array<QStringList, kWanted> kHeaderNames{{
    {"LOCALITA", "COMUNE", "CITTA", "CITY", "TOWN", "LOCALITY", "PAESE"},
    {"PV", "PROV", "PROVINCIA", "PROVINCE", "SIGLAPROVINCIA", "SIGLA"},
    {"CAP", "ZIP", "ZIPCODE", "POSTCODE", "POSTALCODE", "CODICEPOSTALE"},
    {"VIA", "INDIRIZZO", "ADDRESS", "STREET", "STRADA"},
}};

// The limits of the fields checked, beyond which no name of the data can be
// meant: locality and province as long as their data fields (a province may
// be written by name), an address as long as a street with a house number.
constexpr std::array<int, kWanted> kLongest{39, 25, 10, 120};
const std::array<QString, kWanted> kWhat{QStringLiteral("località"), QStringLiteral("provincia"),
                                         QStringLiteral("CAP"), QStringLiteral("indirizzo")};

bool sameFile(const QString &a, const QString &b)
{
    struct stat sa;
    struct stat sb;
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 || ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

} // namespace

int verifyList(const VerifyOptions &options, const std::function<void(const QString &)> &message)
{
    // The input: a file is read twice (once to learn its encoding), standard
    // input is kept in memory.
    QFile file;
    QByteArray stdinBytes;
    const bool fromStdin = options.input == u"-";
    if (fromStdin) {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly)) {
            message(QStringLiteral("impossibile leggere lo standard input"));
            return kFailure;
        }
        stdinBytes = in.readAll();
    } else {
        file.setFileName(options.input);
        if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly)) {
            message(QStringLiteral("impossibile leggere il file %1").arg(options.input));
            return kFailure;
        }
    }
    if (!options.output.isEmpty() && !fromStdin
        && (sameFile(options.input, options.output)
            || QFileInfo(options.input).absoluteFilePath() == QFileInfo(options.output).absoluteFilePath())) {
        message(QStringLiteral("il file di uscita %1 è l'elenco da controllare: non lo sovrascrivo").arg(options.output));
        return kFailure;
    }

    ListEncoding encoding = ListEncoding::Utf8;
    if (options.encoding) {
        encoding = *options.encoding;
    } else if (fromStdin) {
        QStringDecoder decoder(QStringDecoder::Utf8);
        (void)QString(decoder(stdinBytes));
        encoding = stdinBytes.startsWith("\xEF\xBB\xBF") || !decoder.hasError() ? ListEncoding::Utf8
                                                                                 : ListEncoding::Windows1252;
    } else {
        const bool bom = file.peek(3) == "\xEF\xBB\xBF"; // UTF-8 by its own word
        QStringDecoder decoder(QStringDecoder::Utf8);
        while (!file.atEnd() && !decoder.hasError()) {
            const QByteArray piece = file.read(1 << 20);
            if (piece.isEmpty() && file.error() != QFile::NoError)
                break;
            (void)QString(decoder(piece));
        }
        if (decoder.hasError() && !bom)
            encoding = ListEncoding::Windows1252;
        file.seek(0);
    }
    const auto decode = [encoding](const QByteArray &bytes) {
        return encoding == ListEncoding::Utf8 ? QString::fromUtf8(bytes) : decodeCp1252(bytes);
    };
    const auto encode = [encoding](const QString &text) -> QByteArray {
        if (encoding == ListEncoding::Utf8)
            return text.toUtf8();
        if (const auto bytes = encodeCp1252(text))
            return *bytes;
        QByteArray bytes;
        for (const QChar c : text)
            bytes += encodeCp1252(QString(c)).value_or(QByteArray("?"));
        return bytes;
    };

    qsizetype stdinPosition = 0;
    CsvReader reader([&](char *data, qsizetype size) -> qsizetype {
        if (fromStdin) {
            const qsizetype n = std::min(size, stdinBytes.size() - stdinPosition);
            memcpy(data, stdinBytes.constData() + stdinPosition, n);
            stdinPosition += n;
            return n;
        }
        const qint64 got = file.read(data, size);
        if (got < 0)
            throw IoError(QStringLiteral("errore di lettura dell'elenco: %1").arg(file.errorString()));
        return got;
    }, ';', CsvReader::kListLimits);
    const char separator = detectSeparator(reader.peekFirstLine());
    reader.setSeparator(separator);
    const std::optional<CsvRecord> header = reader.next();
    if (!header || !header->error.isEmpty()) {
        message(QStringLiteral("l'elenco non ha una riga d'intestazione leggibile"));
        return kFailure;
    }
    QStringList headerNames;
    for (const QByteArray &f : header->fields)
        headerNames << decode(f).trimmed();

    // The columns, by their names or as --colonne gives them.
    std::array<int, kWanted> column;
    column.fill(-1);
    if (!options.columns.isEmpty()) {
        for (int w = 0; w < kWanted && w < options.columns.size(); ++w) {
            const QString given = options.columns.at(w).trimmed();
            if (given.isEmpty())
                continue;
            const qsizetype byName = headerNames.indexOf(given);
            bool isNumber = false;
            const int number = given.toInt(&isNumber);
            if (byName >= 0)
                column[w] = static_cast<int>(byName);
            else if (isNumber && number >= 1 && number <= headerNames.size())
                column[w] = number - 1;
            else
                for (qsizetype i = 0; i < headerNames.size() && column[w] < 0; ++i)
                    if (nameKey(headerNames.at(i), false) == nameKey(given, false))
                        column[w] = static_cast<int>(i);
            if (column[w] < 0) {
                message(QStringLiteral("--colonne: nessuna colonna \"%1\" nell'intestazione").arg(given));
                return kFailure;
            }
        }
    } else {
        for (int w = 0; w < kWanted; ++w)
            for (qsizetype i = 0; i < headerNames.size() && column[w] < 0; ++i)
                if (kHeaderNames[w].contains(nameKey(headerNames.at(i), false)))
                    column[w] = static_cast<int>(i);
    }
    if (column[kLocalityColumn] < 0) {
        message(QStringLiteral("nessuna colonna della località nell'intestazione (%1): usare --colonne")
                    .arg(headerNames.join(QStringLiteral(", "))));
        return kFailure;
    }

    AddressCheck check(options.dataFolder);
    for (const QString &warning : check.warnings())
        message(QStringLiteral("attenzione: %1").arg(warning));

    QFile standardOutput;
    QSaveFile outputFile;
    QIODevice *out = &standardOutput;
    if (options.output.isEmpty() || options.output == u"-") {
        standardOutput.open(stdout, QIODevice::WriteOnly);
    } else {
        outputFile.setFileName(options.output);
        if (!outputFile.open(QIODevice::WriteOnly)) {
            message(QStringLiteral("impossibile scrivere il file %1: %2").arg(options.output, outputFile.errorString()));
            return kFailure;
        }
        out = &outputFile;
    }

    const QByteArray lineEnd = reader.crlf() ? QByteArray("\r\n") : QByteArray("\n");
    const QByteArray sep(1, separator);
    const int fieldCount = static_cast<int>(header->fields.size());
    QList<Column> columns;
    for (const QString &name : std::as_const(headerNames))
        columns.append({name, name, 0});
    for (const QString &name : kAddedColumns)
        columns.append({name, name, 0, name == u"cap_proposto"});
    OutputWriter writer(options.format == OutputFormat::Json ? OutputFormat::Json : OutputFormat::Csv, columns, true);
    if (options.format == OutputFormat::Aligned) {
        QByteArray line = reader.bom() && encoding == ListEncoding::Utf8 ? QByteArray("\xEF\xBB\xBF") : QByteArray();
        line += header->raw;
        for (const QString &name : kAddedColumns)
            line += sep + name.toLatin1();
        out->write(line + lineEnd);
    } else {
        out->write(writer.begin());
    }

    std::array<int, Verdict::kOutcomes> counts{};
    int rows = 0;
    while (std::optional<CsvRecord> record = reader.next()) {
        ++rows;
        Verdict verdict;
        QStringList values;
        for (const QByteArray &f : record->fields)
            values << decode(f);
        std::array<QString, kWanted> wanted;
        for (int w = 0; w < kWanted; ++w)
            if (column[w] >= 0)
                wanted[w] = values.value(column[w]).trimmed();
        if (!record->error.isEmpty()) {
            verdict.outcome = Verdict::InvalidRow;
            verdict.note = record->error;
        } else if (values.size() <= column[kLocalityColumn]) {
            verdict.outcome = Verdict::InvalidRow;
            verdict.note = QStringLiteral("mancano dei campi: %1 invece di %2").arg(values.size()).arg(fieldCount);
        }
        const auto ascii = [](const QString &text) {
            return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
        };
        const auto control = [](QChar c) { return c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r'; };
        for (int w = 0; w < kWanted && verdict.outcome != Verdict::InvalidRow; ++w) {
            if (std::any_of(wanted[w].begin(), wanted[w].end(), control)) {
                verdict.outcome = Verdict::InvalidRow;
                verdict.note = QStringLiteral("caratteri di controllo nel campo %1").arg(kWhat[w]);
            } else if (!ascii(wanted[w]) && !encodeCp1252(wanted[w])) {
                QString bad;
                for (const QChar c : wanted[w])
                    if (!encodeCp1252(QString(c)) && !bad.contains(c))
                        bad += c;
                verdict.outcome = Verdict::InvalidRow;
                verdict.note = QStringLiteral("caratteri non ammessi nei dati nel campo %1: %2").arg(kWhat[w], bad);
            } else if (wanted[w].size() > kLongest[w]) {
                verdict.outcome = Verdict::InvalidRow;
                verdict.note = QStringLiteral("%1 troppo lunga: %2 caratteri, al massimo %3")
                                   .arg(kWhat[w])
                                   .arg(wanted[w].size())
                                   .arg(kLongest[w]);
            }
        }
        if (verdict.outcome != Verdict::InvalidRow)
            verdict = check.check(wanted[kLocalityColumn], wanted[kProvinceColumn], wanted[kCapColumn],
                                  wanted[kAddressColumn]);
        ++counts[verdict.outcome];
        const QStringList added{Verdict::text(verdict.outcome), verdict.cap, verdict.locality, verdict.pv, verdict.note};

        if (options.format != OutputFormat::Aligned) {
            if (record->fields.isEmpty())
                values = QStringList{decode(record->raw)};
            while (values.size() < fieldCount)
                values << QString();
            values = values.mid(0, fieldCount);
            out->write(writer.row(values + added));
            continue;
        }
        // As the input is written: its record as it was, the missing fields
        // empty, then the outcome.
        QByteArray line;
        int fields = static_cast<int>(record->fields.size());
        if (record->fields.isEmpty()) {
            line = csvQuote(record->raw, separator); // quotes never closed: the line as one field
            fields = 1;
        } else {
            line = record->raw;
        }
        for (; fields < fieldCount; ++fields)
            line += sep;
        for (const QString &value : added)
            line += sep + csvQuote(encode(value), separator);
        out->write(line + lineEnd);
    }
    out->write(writer.end());
    if (out == &outputFile && !outputFile.commit()) {
        message(QStringLiteral("impossibile scrivere il file %1: %2").arg(options.output, outputFile.errorString()));
        return kFailure;
    }
    if (standardOutput.isOpen())
        standardOutput.flush();

    // The summary: rows read and the count of each outcome.
    QString summary = QStringLiteral("righe lette: %1").arg(rows);
    for (int o = 0; o < Verdict::kOutcomes; ++o)
        if (counts[o])
            summary += QStringLiteral("\n  %1 %2").arg(Verdict::text(Verdict::Outcome(o)).leftJustified(30)).arg(counts[o], 7);
    message(summary);
    return counts[Verdict::Ok] == rows ? kFound : kNothing;
}

} // namespace zelvora::cli
