#include "command.h"

#include "common/address_check.h"
#include "cli/lookup.h"
#include "cli/output.h"
#include "cli/verify.h"
#include "common/csv_list.h"
#include "common/data_location.h"
#include "common/io_error.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <unistd.h>

namespace zelvora::cli {

namespace {

const char kHelp[] = R"(Uso: zelvora-cerca [OPZIONI] TESTO
     zelvora-cerca [OPZIONI] --batch FILE
     zelvora-cerca [OPZIONI] --verifica FILE

Cerca i codici di avviamento postale (C.A.P.) nei dati di Zelvora, senza
finestre e con la stessa ricerca della finestra del programma: la prima voce
che inizia con TESTO e le voci che la seguono in ordine. Maiuscole e
minuscole non contano, né gli spazi all'inizio e alla fine. Più parole senza
virgolette formano un solo testo.

Cosa cercare:
  TESTO               l'inizio del nome di una località (ricerca predefinita)
  --cap               TESTO è un C.A.P., anche solo le prime cifre; una
                      località con più codici compare una volta per codice,
                      e la colonna C.A.P. dà il codice trovato
  --pv                TESTO è la sigla di una provincia (RM, MI...)
  --via CITTÀ         TESTO è l'inizio del nome di una via di CITTÀ, una delle
                      28 città dello stradario (Roma, Venezia-Mestre, Reggio
                      Calabria...); maiuscole, accenti e trattini non
                      contano; vale anche il nome dei suoi file (regcal...)

Quante righe:
  --limit N           N righe dalla prima voce trovata (predefinito: 8), come
                      la pagina della finestra
  --tutti             tutte e sole le voci che iniziano con TESTO

Formato (UTF-8):
  (predefinito)       colonne allineate sotto una riga di titoli
  --csv               CSV (RFC 4180): una riga d'intestazione, righe chiuse da
                      CRLF, i codici sempre tra virgolette, così i fogli di
                      calcolo li tengono come testo con gli zeri iniziali
  --json              un array JSON di oggetti; con --batch un oggetto per riga
  --dettagli          tutti i campi: per le località anche seconda
                      denominazione, nome della provincia, agenzia di recapito
                      e note; per le vie anche zona, agenzia e note

Elenco:
  --batch FILE        una ricerca per riga di FILE (- legge lo standard input)
                      e per ogni riga una riga di risultato: la prima voce
                      trovata, o campi vuoti; la prima colonna (TESTO, testo)
                      ripete la riga, l'ultima (ESITO, esito) dice "trovato",
                      "nessun risultato" o perché la riga non è valida

Controllo di un elenco di indirizzi:
  --verifica FILE     controlla un elenco CSV con una riga d'intestazione (-
                      legge lo standard input): località, provincia, C.A.P. e,
                      per le 28 città dello stradario, la via; riscrive ogni
                      riga com'era con in più le colonne esito, cap_proposto,
                      localita_trovata, pv_trovata e nota, con lo stesso
                      separatore e la stessa codifica (o come chiesto da --csv
                      e --json). Esiti: OK, CAP MANCANTE, CAP ERRATO, CAP
                      VARIATO, COMUNE NON PIÙ ESISTENTE, PROVINCIA ERRATA,
                      LOCALITÀ SCONOSCIUTA (con fino a tre "forse: ..."), VIA
                      SCONOSCIUTA, VIA SENZA CAP NEI DATI APERTI, RIGA NON
                      VALIDA (con il motivo). Un codice non è mai cambiato:
                      la proposta sta accanto. Il riepilogo è sullo standard
                      error. Colonne riconosciute dal nome: localita, comune,
                      citta, city, town; pv, prov, provincia, province; cap,
                      zip, postcode; via, indirizzo, address, street.
                      Separatore ; , o tabulazione, preso dalla prima riga.
  --colonne L,P,C[,V] le colonne di località, provincia, C.A.P. e via, per
                      nome o numero (da 1), quando l'intestazione usa altre
                      parole; una voce vuota salta la colonna
  --codifica CODIFICA utf-8 o windows-1252; senza, riconosciuta dal file
  --output FILE       scrive l'elenco controllato in FILE invece che sullo
                      standard output; mai sopra l'elenco stesso

Dati:
  --dati CARTELLA     la cartella dei dati; senza, quella del programma o,
                      installato, ../share/zelvora accanto al programma
  -h, --help          questo aiuto

Testi non validi: un testo vuoto, un carattere che i dati non possono
contenere (fuori dalla codifica Windows-1252) o un testo più lungo del campo
cercato (località 39 caratteri, C.A.P. 5, provincia 2, via 40).

Stato di uscita:
  0  trovato (con --batch: tutte le righe; con --verifica: ogni riga OK)
  1  nessuna voce inizia con tutto il testo, anche se ne inizia con una parte
     (con --batch: almeno una riga senza risultato o non valida; con
     --verifica: almeno una riga non OK)
  2  errore di uso, dati mancanti o danneggiati, testo non valido, elenco
     illeggibile o senza colonna della località; il messaggio è sullo
     standard error
)";

struct Options
{
    SearchKind kind = SearchKind::Locality;
    QString city;
    QString text;
    int limit = 8;
    bool all = false;
    bool limitGiven = false;
    OutputFormat format = OutputFormat::Aligned;
    bool details = false;
    std::optional<QString> batch;
    std::optional<QString> verify;
    QStringList columns;
    std::optional<ListEncoding> encoding;
    QString output;
    QString dataFolder;
    QString dataFolderFound; // the folder read: --dati, or found from the executable
    bool help = false;
};

// Parses the arguments; throws Error with the message for the user.
Options parse(const QStringList &arguments)
{
    Options options;
    QStringList words;
    bool kindGiven = false;
    bool formatGiven = false;
    const auto setKind = [&](SearchKind kind) {
        if (kindGiven)
            throw Error(QStringLiteral("scegliere una sola ricerca tra TESTO, --cap, --pv e --via"));
        kindGiven = true;
        options.kind = kind;
    };
    const auto setFormat = [&](OutputFormat format) {
        if (formatGiven)
            throw Error(QStringLiteral("scegliere un solo formato tra --csv e --json"));
        formatGiven = true;
        options.format = format;
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString argument = arguments.at(i);
        if (argument == u"--") {
            words += arguments.mid(i + 1);
            break;
        }
        if (!argument.startsWith(u'-') || argument == u"-") {
            words << argument;
            continue;
        }
        // "--option=value" or "--option value".
        std::optional<QString> inlineValue;
        if (const qsizetype equals = argument.indexOf(u'='); argument.startsWith(u"--") && equals > 0) {
            inlineValue = argument.mid(equals + 1);
            argument.truncate(equals);
        }
        const auto value = [&]() -> QString {
            if (inlineValue)
                return *inlineValue;
            if (i + 1 >= arguments.size())
                throw Error(QStringLiteral("manca il valore di %1").arg(argument));
            return arguments.at(++i);
        };
        const auto noValue = [&] {
            if (inlineValue)
                throw Error(QStringLiteral("%1 non vuole un valore").arg(argument));
        };
        if (argument == u"-h" || argument == u"--help") {
            noValue();
            options.help = true;
        } else if (argument == u"--cap") {
            noValue();
            setKind(SearchKind::Cap);
        } else if (argument == u"--pv") {
            noValue();
            setKind(SearchKind::Province);
        } else if (argument == u"--via") {
            setKind(SearchKind::Street);
            options.city = value();
        } else if (argument == u"--limit") {
            const QString number = value();
            bool ok = false;
            options.limit = number.toInt(&ok);
            if (!ok || options.limit < 1)
                throw Error(QStringLiteral("--limit vuole un numero intero maggiore di zero, non \"%1\"").arg(number));
            options.limitGiven = true;
        } else if (argument == u"--tutti") {
            noValue();
            options.all = true;
        } else if (argument == u"--csv") {
            noValue();
            setFormat(OutputFormat::Csv);
        } else if (argument == u"--json") {
            noValue();
            setFormat(OutputFormat::Json);
        } else if (argument == u"--dettagli") {
            noValue();
            options.details = true;
        } else if (argument == u"--batch") {
            options.batch = value();
        } else if (argument == u"--verifica") {
            options.verify = value();
        } else if (argument == u"--colonne") {
            options.columns = value().split(u',');
        } else if (argument == u"--codifica") {
            const QString name = value().toLower();
            if (name == u"utf-8" || name == u"utf8")
                options.encoding = ListEncoding::Utf8;
            else if (name == u"windows-1252" || name == u"cp1252")
                options.encoding = ListEncoding::Windows1252;
            else
                throw Error(QStringLiteral("--codifica vuole utf-8 o windows-1252, non \"%1\"").arg(name));
        } else if (argument == u"--output") {
            options.output = value();
        } else if (argument == u"--dati") {
            options.dataFolder = value();
        } else {
            throw Error(QStringLiteral("opzione sconosciuta: %1").arg(argument));
        }
    }
    if (options.help)
        return options;
    if (options.all && options.limitGiven)
        throw Error(QStringLiteral("--limit e --tutti non vanno usati insieme"));
    if (!options.verify && (!options.columns.isEmpty() || options.encoding || !options.output.isEmpty()))
        throw Error(QStringLiteral("--colonne, --codifica e --output valgono solo con --verifica"));
    if (options.verify) {
        if (!words.isEmpty() || options.batch || kindGiven || options.all || options.limitGiven || options.details)
            throw Error(QStringLiteral("--verifica legge l'elenco dal file: niente testo, --batch, ricerche o righe"));
        return options;
    }
    if (options.batch) {
        if (!words.isEmpty())
            throw Error(QStringLiteral("con --batch i testi si leggono dal file, non dalla riga di comando"));
        if (options.all || options.limitGiven)
            throw Error(QStringLiteral("con --batch ogni riga dà la sola prima voce: niente --limit o --tutti"));
        return options;
    }
    if (words.isEmpty())
        throw Error(QStringLiteral("manca il testo da cercare"));
    options.text = words.join(u' ');
    return options;
}

// Standard output and error as devices, written through the C streams.
struct Streams
{
    QFile out;
    QFile err;
    Streams()
    {
        out.open(stdout, QIODevice::WriteOnly);
        err.open(stderr, QIODevice::WriteOnly);
    }
    void message(const QString &text)
    {
        err.write(QStringLiteral("zelvora-cerca: %1\n").arg(text).toUtf8());
        err.flush();
    }
};

int lookUpOne(const Options &options, Lookup &lookup, Streams &io)
{
    const LookupResult result = lookup.find(options.text, options.all ? -1 : options.limit);
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
    if (options.kind == SearchKind::Locality || options.kind == SearchKind::Street) {
        // The closest names, compared as the address check compares them;
        // without the files it reads there are none, and the answer stands.
        try {
            AddressCheck check(options.dataFolderFound);
            const QStringList closest = options.kind == SearchKind::Locality
                                            ? check.suggestLocalities(options.text)
                                            : check.suggestStreets(findCity(options.city), options.text);
            if (!closest.isEmpty())
                io.message(QStringLiteral("forse: %1").arg(closest.join(QStringLiteral(", "))));
        } catch (const Error &) {
        }
    }
    return kNothing;
}

int lookUpBatch(const Options &options, Lookup &lookup, Streams &io)
{
    QFile file;
    int fd = STDIN_FILENO;
    if (*options.batch != u"-") {
        file.setFileName(*options.batch);
        if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
            io.message(QStringLiteral("impossibile leggere il file %1").arg(*options.batch));
            return kFailure;
        }
        fd = file.handle();
    }
    // Before each read, which may wait for more input, the answers so far go
    // out: a program at the other end of a pipe may wait for them before it
    // sends more. No text to search is anywhere near a line's limit, so
    // input without line ends is not held in memory whole.
    constexpr qsizetype kLongestLine = 1 << 20;
    CsvReader input(
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
    QList<Column> columns = lookup.columns();
    columns.prepend({QStringLiteral("TESTO"), QStringLiteral("testo"), lookup.keyCapacity()});
    columns.append({QStringLiteral("ESITO"), QStringLiteral("esito"), 0});
    OutputWriter writer(options.format, columns, true);
    io.out.write(writer.begin());
    lookup.preload();
    const qsizetype shownColumns = lookup.columns().size();
    bool everyLineFound = true;
    while (const std::optional<CsvRecord> bytes = input.nextLine()) {
        if (!bytes->error.isEmpty())
            throw Error(QStringLiteral("una riga dell'elenco supera %1 byte: non è un elenco di testi").arg(kLongestLine));
        const QString line = QString::fromUtf8(bytes->raw);
        const LookupResult result = lookup.find(line, 1);
        QStringList values;
        values.reserve(shownColumns + 2);
        values << line;
        if (result.rows.isEmpty())
            values.resize(1 + shownColumns);
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
        everyLineFound = everyLineFound && result.status == LookupResult::Found;
        io.out.write(writer.row(values));
    }
    io.out.write(writer.end());
    io.out.flush();
    return everyLineFound ? kFound : kNothing;
}

} // namespace

int run(const QStringList &arguments, const QString &executableFolder)
{
    Streams io;
    Options options;
    try {
        options = parse(arguments);
    } catch (const Error &error) {
        io.message(error.message() + QStringLiteral("\nPer l'aiuto: zelvora-cerca --help"));
        return kFailure;
    }
    if (options.help) {
        io.out.write(kHelp);
        return kFound;
    }
    const QString dataFolder = options.dataFolder.isEmpty() ? findDataFolder(executableFolder) : options.dataFolder;
    options.dataFolderFound = dataFolder;
    try {
        if (options.verify)
            return verifyList({*options.verify, options.output, options.columns, options.encoding, options.format,
                               dataFolder},
                              [&io](const QString &text) { io.message(text); });
        Lookup lookup(options.kind, dataFolder, options.city, options.details);
        for (const QString &warning : lookup.warnings())
            io.message(QStringLiteral("attenzione: %1").arg(warning));
        return options.batch ? lookUpBatch(options, lookup, io) : lookUpOne(options, lookup, io);
    } catch (const Error &error) {
        io.out.flush();
        io.message(error.message());
        return kFailure;
    }
}

} // namespace zelvora::cli
