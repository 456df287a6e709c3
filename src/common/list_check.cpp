#include "list_check.h"

#include "common/error.h"
#include "common/io_error.h"
#include "common/workbook.h"
#include "common/name_match.h"
#include "common/short_string.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <QTemporaryFile>
#include <algorithm>

namespace zelvora {

namespace {

// Header names of each field, as nameKey() writes them.
const std::array<QStringList, kListFields> kHeaderNames{{
    {"LOCALITA", "COMUNE", "CITTA", "CITY", "TOWN", "LOCALITY", "PAESE"},
    {"PV", "PROV", "PROVINCIA", "PROVINCE", "SIGLAPROVINCIA", "SIGLA"},
    {"CAP", "ZIP", "ZIPCODE", "POSTCODE", "POSTALCODE", "CODICEPOSTALE"},
    {"VIA", "INDIRIZZO", "ADDRESS", "STREET", "STRADA"},
    {"CIVICO", "NUMEROCIVICO", "NCIVICO", "NUMCIVICO", "NRCIVICO", "HOUSENUMBER", "HOUSENO"},
}};

// The limits of the fields checked, beyond which no name of the data can be
// meant: locality and province as long as their data fields (a province may
// be written by name), an address as long as a street with a house number,
// a house number with its letters and parts.
constexpr std::array<int, kListFields> kLongest{39, 25, 10, 120, 20};
const std::array<QString, kListFields> kWhat{QStringLiteral("località"), QStringLiteral("provincia"),
                                             QStringLiteral("CAP"), QStringLiteral("indirizzo"),
                                             QStringLiteral("civico")};

// Why a field can match no name of the data; empty when it may.
QString fieldFault(const QString &text, int field)
{
    const auto control = [](QChar c) { return c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r'; };
    if (std::any_of(text.begin(), text.end(), control))
        return QStringLiteral("caratteri di controllo nel campo %1").arg(kWhat[field]);
    const bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (!ascii && !encodeCp1252(text)) {
        QString bad;
        for (const QChar c : text)
            if (!encodeCp1252(QString(c)) && !bad.contains(c))
                bad += c;
        return QStringLiteral("caratteri non ammessi nei dati nel campo %1: %2").arg(kWhat[field], bad);
    }
    if (text.size() > kLongest[field])
        return QStringLiteral("%1 troppo lunga: %2 caratteri, al massimo %3")
            .arg(kWhat[field])
            .arg(text.size())
            .arg(kLongest[field]);
    return {};
}

} // namespace

ListColumns ListColumns::detect(const QStringList &header)
{
    ListColumns columns;
    for (int f = 0; f < kListFields; ++f)
        for (qsizetype i = 0; i < header.size() && columns.index[f] < 0; ++i)
            if (kHeaderNames[f].contains(nameKey(header.at(i), false)))
                columns.index[f] = static_cast<int>(i);
    return columns;
}

ListColumns ListColumns::named(const QStringList &header, const QStringList &names)
{
    ListColumns columns;
    for (int f = 0; f < kListFields && f < names.size(); ++f) {
        const QString given = names.at(f).trimmed();
        if (given.isEmpty())
            continue;
        bool isNumber = false;
        const int number = given.toInt(&isNumber);
        int &column = columns.index[f];
        column = static_cast<int>(header.indexOf(given));
        if (column < 0 && isNumber && number >= 1 && number <= header.size())
            column = number - 1;
        for (qsizetype i = 0; i < header.size() && column < 0; ++i)
            if (nameKey(header.at(i), false) == nameKey(given, false))
                column = static_cast<int>(i);
        if (column < 0)
            throw Error(QStringLiteral("nessuna colonna \"%1\" nell'intestazione").arg(given));
    }
    return columns;
}

QString ListFormat::decode(const QByteArray &bytes) const
{
    return encoding == ListEncoding::Utf8 ? QString::fromUtf8(bytes) : decodeCp1252(bytes);
}

QByteArray ListFormat::encode(const QString &text) const
{
    if (encoding == ListEncoding::Utf8)
        return text.toUtf8();
    if (const auto bytes = encodeCp1252(text))
        return *bytes;
    QByteArray bytes;
    for (const QChar c : text)
        bytes += encodeCp1252(QString(c)).value_or(QByteArray("?"));
    return bytes;
}

QByteArray ListFormat::row(const ListRow &row, int fields, const QStringList &added) const
{
    // The row as it came, its missing fields empty; a row that cannot be
    // taken apart as one field.
    QByteArray line = row.fields.isEmpty() ? csvQuote(row.raw, separator) : row.raw;
    line += QByteArray(std::max<qsizetype>(0, fields - std::max<qsizetype>(1, row.fields.size())), separator);
    for (const QString &value : added)
        line += separator + csvQuote(encode(value), separator);
    return line + (crlf ? "\r\n" : "\n");
}

QByteArray ListFormat::header(const QByteArray &raw, const QStringList &added) const
{
    const QByteArray mark = bom && encoding == ListEncoding::Utf8 ? "\xEF\xBB\xBF" : "";
    return mark + row({0, {QString()}, {}, raw}, 0, added);
}

AddressList::AddressList(const QString &path, std::optional<ListEncoding> encoding)
{
    if (path == u"-") {
        if (!m_file.open(stdin, QIODevice::ReadOnly))
            throw Error(QStringLiteral("impossibile leggere lo standard input"));
    } else {
        m_file.setFileName(path);
        if (!QFileInfo(m_file).isFile() || !m_file.open(QIODevice::ReadOnly))
            throw Error(QStringLiteral("impossibile leggere il file %1").arg(path));
        if (workbookFormatOf(path)) {
            openWorkbook();
            return;
        }
    }
    m_format.encoding = encoding ? *encoding : detectEncoding();
    QIODevice *input = m_copy ? static_cast<QIODevice *>(m_copy.get()) : &m_file;
    const auto read = [input](char *data, qsizetype size) -> qsizetype {
        const qint64 got = input->read(data, size);
        if (got < 0)
            throw IoError(QStringLiteral("errore di lettura dell'elenco: %1").arg(input->errorString()));
        return got;
    };
    m_reader = std::make_unique<CsvReader>(read, ';', CsvReader::kListLimits);
    m_format.separator = detectSeparator(m_reader->peekFirstLine());
    m_reader->setSeparator(m_format.separator);
    const std::optional<CsvRecord> header = m_reader->next();
    if (!header || !header->error.isEmpty())
        throw Error(QStringLiteral("l'elenco non ha una riga d'intestazione leggibile"));
    m_format.crlf = m_reader->crlf();
    m_format.bom = m_reader->bom();
    m_rawHeader = header->raw;
    for (const QByteArray &field : header->fields)
        m_header << m_format.decode(field).trimmed();
}

AddressList::~AddressList() = default;

void AddressList::openWorkbook()
{
    m_workbook = std::make_unique<WorkbookReader>(&m_file, *workbookFormatOf(m_file.fileName()));
    std::optional<WorkbookRow> first;
    if (m_workbook->open())
        first = m_workbook->next();
    if (!first)
        throw Error(m_workbook->error().isEmpty() ? QStringLiteral("il foglio è vuoto")
                                                  : QStringLiteral("%1: %2").arg(m_file.fileName(), m_workbook->error()));
    m_format = ListFormat{ListEncoding::Utf8, ';', true, true};
    for (const QString &name : first->cells)
        m_header << name.trimmed();
    m_rawHeader = rawOf(first->cells);
}

// A workbook row's fields as a CSV line would hold them.
QByteArray AddressList::rawOf(const QStringList &fields) const
{
    QByteArrayList quoted;
    for (const QString &field : fields)
        quoted << csvQuote(m_format.encode(field), m_format.separator);
    return quoted.join(m_format.separator);
}

ListEncoding AddressList::detectEncoding()
{
    // Standard input is read once: it goes to a temporary file meanwhile.
    if (m_file.fileName().isEmpty()) {
        m_copy = std::make_unique<QTemporaryFile>();
        if (!m_copy->open())
            throw Error(QStringLiteral("impossibile leggere lo standard input: %1").arg(m_copy->errorString()));
    }
    // UTF-8 throughout, or said to be by a byte order mark.
    QStringDecoder decoder(QStringDecoder::Utf8);
    const bool bom = m_file.peek(3) == "\xEF\xBB\xBF";
    for (;;) {
        const QByteArray piece = m_file.read(1 << 20);
        if (piece.isEmpty() || (!m_copy && decoder.hasError()))
            break;
        if (!decoder.hasError())
            (void)QString(decoder(piece));
        if (m_copy && m_copy->write(piece) != piece.size())
            throw Error(QStringLiteral("impossibile leggere lo standard input: %1").arg(m_copy->errorString()));
    }
    if (m_file.error() != QFile::NoError)
        throw IoError(QStringLiteral("errore di lettura dell'elenco: %1").arg(m_file.errorString()));
    if (!(m_copy ? m_copy->seek(0) : m_file.seek(0)))
        throw IoError(QStringLiteral("errore di lettura dell'elenco"));
    return bom || !decoder.hasError() ? ListEncoding::Utf8 : ListEncoding::Windows1252;
}

std::optional<ListRow> AddressList::next()
{
    if (m_workbook) {
        std::optional<WorkbookRow> read = m_workbook->next();
        if (!read) {
            if (!m_workbook->error().isEmpty())
                throw IoError(QStringLiteral("%1: %2").arg(m_file.fileName(), m_workbook->error()));
            return std::nullopt;
        }
        QByteArray raw = rawOf(read->cells);
        return ListRow{read->line, std::move(read->cells), std::move(read->error), std::move(raw)};
    }
    std::optional<CsvRecord> record = m_reader->next();
    if (!record)
        return std::nullopt;
    ListRow row{record->line, {}, record->error, std::move(record->raw)};
    for (const QByteArray &field : std::as_const(record->fields))
        row.fields << m_format.decode(field);
    return row;
}

const QStringList &verdictColumns()
{
    static const QStringList names{"esito", "cap_proposto", "localita_trovata", "pv_trovata", "nota"};
    return names;
}

QStringList verdictFields(const Verdict &verdict)
{
    return {Verdict::text(verdict.outcome), verdict.cap, verdict.locality, verdict.pv, verdict.note};
}

quint32 outcomeColour(Verdict::Outcome outcome)
{
    switch (outcome) {
    case Verdict::Ok:
        return 0xC6EFCE;
    case Verdict::CapOfStreet:
        return 0xE2EFDA; // a paler green: the street's code, its house number not verified
    case Verdict::CapMissing:
    case Verdict::StreetWithoutCap:
        return 0xFFEB9C;
    case Verdict::CapUnconfirmed:
        return 0xFFF2CC; // a paler yellow: no evidence says it is wrong
    case Verdict::CapChanged:
    case Verdict::MunicipalityGone:
        return 0xFCD5B4;
    case Verdict::CapWrong:
    case Verdict::ProvinceWrong:
        return 0xFFC7CE;
    case Verdict::LocalityUnknown:
    case Verdict::StreetUnknown:
        return 0xD9E1F2;
    case Verdict::InvalidRow:
        return 0xD9D9D9;
    default:
        return 0xEDEDED; // an outcome added later, until it has its own
    }
}

Verdict checkRow(AddressCheck &check, const ListColumns &columns, const ListRow &row, int headerFields)
{
    Verdict invalid;
    invalid.outcome = Verdict::InvalidRow;
    invalid.note = row.error;
    if (!row.error.isEmpty())
        return invalid;
    if (row.fields.size() <= columns.index[kLocalityField]) {
        invalid.note = QStringLiteral("mancano dei campi: %1 invece di %2").arg(row.fields.size()).arg(headerFields);
        return invalid;
    }
    std::array<QString, kListFields> wanted;
    for (int f = 0; f < kListFields; ++f) {
        if (columns.index[f] >= 0)
            wanted[f] = row.fields.value(columns.index[f]).trimmed();
        invalid.note = fieldFault(wanted[f], f);
        if (!invalid.note.isEmpty())
            return invalid;
    }
    // A house number of its own column follows the street, unless the
    // address already ends with it.
    QString address = wanted[kAddressField];
    const QString &number = wanted[kNumberField];
    if (!address.isEmpty() && !number.isEmpty() && !address.endsWith(number, Qt::CaseInsensitive))
        address += QStringLiteral(", ") + number;
    return check.check(wanted[kLocalityField], wanted[kProvinceField], wanted[kCapField], address);
}

} // namespace zelvora
