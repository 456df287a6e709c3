#include "command.h"

#include "common/data_location.h"
#include "common/error.h"

#include <QCommandLineParser>
#include <cstdio>
#include <memory>

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
                      contano; vale anche il nome dei suoi file (regcal...).
                      Con il civico dopo la via ("via padova 150") dà il
                      C.A.P. di quel civico e la sua fonte, o i C.A.P. della
                      via e la fonte più vicina; --json elenca i civici noti

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
                      VARIATO, CAP GENERICO, COMUNE NON PIÙ ESISTENTE,
                      PROVINCIA ERRATA, PROVINCIA VARIATA, LOCALITÀ
                      SCONOSCIUTA (con fino a tre "forse: ..."), VIA
                      SCONOSCIUTA, VIA SENZA CAP NEI DATI APERTI, CAP DELLA
                      VIA, CIVICO NON VERIFICATO (un CAP della via, ma nessuna
                      fonte per quel civico), CAP NON CONFERMATO (nessun CAP
                      della via, e nessuna fonte per quel civico), RIGA NON
                      VALIDA (con il motivo). Nelle 28 città un CAP è ERRATO
                      solo dove una fonte copre quel civico. Un codice non è
                      mai cambiato: la proposta sta accanto. Il riepilogo è
                      sullo standard error. Colonne riconosciute dal nome: localita, comune,
                      citta, city, town; pv, prov, provincia, province; cap,
                      zip, postcode; via, indirizzo, address, street;
                      civico, numero civico, housenumber (il civico in una
                      colonna sua, unito alla via). Separatore ; , o tabulazione, preso dalla prima riga.
  --colonne L,P,C[,V[,N]]
                      le colonne di località, provincia, C.A.P., via e
                      civico, per nome o numero (da 1), quando l'intestazione
                      usa altre parole; una voce vuota salta la colonna
  --codifica CODIFICA utf-8 o windows-1252; senza, riconosciuta dal file
  --output FILE       scrive l'elenco controllato in FILE invece che sullo
                      standard output; mai sopra l'elenco stesso

Dati:
  --dati CARTELLA     la cartella dei dati; senza, quella del programma o,
                      installato, ../share/zelvora accanto al programma
  -h, --help          questo aiuto

Testi non validi: un testo vuoto, un carattere che i dati non possono
contenere (fuori dalla codifica Windows-1252) o un testo più lungo del campo
cercato (località 39 caratteri, C.A.P. 5, provincia 2, via 40; più lungo, il
testo di --via è letto come un indirizzo di --verifica, fino a 1000 byte).

Stato di uscita:
  0  trovato (con --batch: tutte le righe; con --verifica: ogni riga OK)
  1  nessuna voce inizia con tutto il testo, anche se ne inizia con una parte
     (con --batch: almeno una riga senza risultato o non valida; con
     --verifica: almeno una riga non OK)
  2  errore di uso, dati mancanti o danneggiati, testo non valido, elenco
     illeggibile o senza colonna della località; il messaggio è sullo
     standard error
)";

// The arguments as the parser takes them apart; throws Error with the
// message for the user.
struct Parsed
{
    QCommandLineParser parser;
    Parsed(const QStringList &arguments, const QList<QCommandLineOption> &options)
    {
        // -word is a long option, as --word: no option has one letter but -h.
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.addOptions(options);
        if (parser.parse(QStringList{QStringLiteral("zelvora-cerca")} + arguments))
            return;
        if (const QStringList unknown = parser.unknownOptionNames(); !unknown.isEmpty())
            throw Error(QStringLiteral("opzione sconosciuta: %1%2")
                            .arg(unknown.first().size() == 1 ? u"-" : u"--", unknown.first()));
        // "Missing value after '--limit'." or "Unexpected value after '--cap'."
        const QString option = parser.errorText().section(u'\'', 1, 1);
        throw Error(parser.errorText().startsWith(u"Missing") ? QStringLiteral("manca il valore di %1").arg(option)
                                                              : QStringLiteral("%1 non vuole un valore").arg(option));
    }
    // How many times any of `names` was given.
    qsizetype count(const QStringList &names) const
    {
        const QStringList given = parser.optionNames();
        return std::count_if(given.begin(), given.end(), [&](const QString &n) { return names.contains(n); });
    }
    bool isSet(const QString &name) const { return parser.isSet(name); }
    QString value(const QString &name) const { return parser.value(name); }
};

const QList<QCommandLineOption> &optionTable()
{
    static const QList<QCommandLineOption> table{
        {{"h", "help"}, {}},   {"cap", {}},  {"pv", {}},       {"via", {}, "CITTÀ"},        {"limit", {}, "N"},
        {"tutti", {}},         {"csv", {}},  {"json", {}},     {"dettagli", {}},            {"batch", {}, "FILE"},
        {"verifica", {}, "FILE"}, {"colonne", {}, "L,P,C[,V[,N]]"}, {"codifica", {}, "CODIFICA"}, {"output", {}, "FILE"},
        {"dati", {}, "CARTELLA"}};
    return table;
}

void checkCombinations(const Parsed &args, const Options &options)
{
    const auto refuse = [](bool wrong, const char *message) {
        if (wrong)
            throw Error(QString::fromUtf8(message));
    };
    const bool words = !args.parser.positionalArguments().isEmpty();
    const bool rows = args.isSet("tutti") || args.isSet("limit");
    refuse(args.count({"cap", "pv", "via"}) > 1, "scegliere una sola ricerca tra TESTO, --cap, --pv e --via");
    refuse(args.count({"csv", "json"}) > 1, "scegliere un solo formato tra --csv e --json");
    refuse(args.isSet("tutti") && args.isSet("limit"), "--limit e --tutti non vanno usati insieme");
    refuse(!options.verify && args.count({"colonne", "codifica", "output"}) > 0,
           "--colonne, --codifica e --output valgono solo con --verifica");
    refuse(options.verify && (words || options.batch || args.count({"cap", "pv", "via"}) || rows || options.details),
           "--verifica legge l'elenco dal file: niente testo, --batch, ricerche o righe");
    refuse(options.batch && !options.verify && words, "con --batch i testi si leggono dal file, non dalla riga di comando");
    refuse(options.batch && !options.verify && rows, "con --batch ogni riga dà la sola prima voce: niente --limit o --tutti");
    refuse(!options.batch && !options.verify && !words, "manca il testo da cercare");
}

// Reads the options' values; nothing for --help.
std::optional<Options> parse(const QStringList &arguments)
{
    const Parsed args(arguments, optionTable());
    if (args.isSet("help"))
        return std::nullopt;
    Options options;
    options.kind = args.isSet("cap")   ? SearchKind(SearchMode::Cap)
                   : args.isSet("pv")  ? SearchKind(SearchMode::Province)
                   : args.isSet("via") ? std::nullopt
                                       : SearchKind(SearchMode::Locality);
    options.city = args.value("via");
    if (args.isSet("limit")) {
        bool ok = false;
        options.limit = args.value("limit").toInt(&ok);
        if (!ok || options.limit < 1)
            throw Error(QStringLiteral("--limit vuole un numero intero maggiore di zero, non \"%1\"").arg(args.value("limit")));
    }
    if (args.isSet("tutti"))
        options.limit = -1;
    options.format = args.isSet("csv") ? OutputFormat::Csv : args.isSet("json") ? OutputFormat::Json : OutputFormat::Aligned;
    options.details = args.isSet("dettagli");
    if (args.isSet("batch"))
        options.batch = args.value("batch");
    if (args.isSet("verifica"))
        options.verify = args.value("verifica");
    if (args.isSet("colonne"))
        options.columns = args.value("colonne").split(u',');
    if (const QString name = args.value("codifica").toLower(); name == u"utf-8" || name == u"utf8")
        options.encoding = ListEncoding::Utf8;
    else if (name == u"windows-1252" || name == u"cp1252")
        options.encoding = ListEncoding::Windows1252;
    else if (args.isSet("codifica"))
        throw Error(QStringLiteral("--codifica vuole utf-8 o windows-1252, non \"%1\"").arg(name));
    options.output = args.value("output");
    options.dataFolder = args.value("dati");
    options.text = args.parser.positionalArguments().join(u' ');
    checkCombinations(args, options);
    return options;
}

} // namespace

Streams::Streams()
{
    out.open(stdout, QIODevice::WriteOnly);
    err.open(stderr, QIODevice::WriteOnly);
}

void Streams::message(const QString &text)
{
    err.write(QStringLiteral("zelvora-cerca: %1\n").arg(text).toUtf8());
    err.flush();
}

int run(const QStringList &arguments, const QString &executableFolder)
{
    Streams io;
    std::optional<Options> options;
    try {
        options = parse(arguments);
    } catch (const Error &error) {
        io.message(error.message() + QStringLiteral("\nPer l'aiuto: zelvora-cerca --help"));
        return kFailure;
    }
    if (!options) {
        io.out.write(kHelp);
        return kFound;
    }
    if (options->dataFolder.isEmpty())
        options->dataFolder = findDataFolder(executableFolder);
    std::unique_ptr<Command> command;
    if (options->verify)
        command = std::make_unique<VerifyCommand>();
    else if (options->batch)
        command = std::make_unique<BatchCommand>();
    else
        command = std::make_unique<LookupCommand>();
    try {
        return command->execute(*options, io);
    } catch (const Error &error) {
        io.out.flush();
        io.message(error.message());
        return kFailure;
    }
}

} // namespace zelvora::cli
