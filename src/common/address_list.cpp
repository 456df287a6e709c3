#include "address_list.h"

#include "common/io_error.h"
#include "common/name_match.h"
#include "common/short_string.h"

#include <QFileInfo>
#include <QStringDecoder>

namespace zelvora {

namespace {

// Header names of each column wanted, as nameKey() writes them (case,
// accents, spaces and signs set aside).
const std::array<QStringList, ListColumns::kWanted> kHeaderNames{{
    {"LOCALITA", "COMUNE", "CITTA", "CITY", "TOWN", "LOCALITY", "PAESE"},
    {"PV", "PROV", "PROVINCIA", "PROVINCE", "SIGLAPROVINCIA", "SIGLA"},
    {"CAP", "ZIP", "ZIPCODE", "POSTCODE", "POSTALCODE", "CODICEPOSTALE"},
    {"VIA", "INDIRIZZO", "ADDRESS", "STREET", "STRADA"},
}};

QString headerKey(const QString &name)
{
    return nameKey(name, false);
}

// The column `given` names: a header name, a number from 1, or a name with
// case, accents and signs set aside; -1 when none.
int givenColumn(const QStringList &header, const QString &given)
{
    const qsizetype byName = header.indexOf(given);
    if (byName >= 0)
        return static_cast<int>(byName);
    bool isNumber = false;
    const int number = given.toInt(&isNumber);
    if (isNumber && number >= 1 && number <= header.size())
        return number - 1;
    for (qsizetype i = 0; i < header.size(); ++i)
        if (headerKey(header.at(i)) == headerKey(given))
            return static_cast<int>(i);
    return -1;
}

// The limits of the fields checked, beyond which no name of the data can be
// meant: locality and province as long as their data fields (a province may
// be written by name), an address as long as a street with a house number.
constexpr std::array<int, ListColumns::kWanted> kLongest{39, 25, 10, 120};
const std::array<QString, ListColumns::kWanted> kWhat{QStringLiteral("località"), QStringLiteral("provincia"),
                                                      QStringLiteral("CAP"), QStringLiteral("indirizzo")};

// Why a field cannot be checked, or nothing when it can.
QString fieldFault(const QString &value, int wanted)
{
    const bool ascii = std::all_of(value.begin(), value.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (!ascii && !encodeCp1252(value)) {
        QString bad;
        for (const QChar c : value)
            if (!encodeCp1252(QString(c)) && !bad.contains(c))
                bad += c;
        return QStringLiteral("caratteri non ammessi nei dati nel campo %1: %2").arg(kWhat[wanted], bad);
    }
    if (value.size() > kLongest[wanted])
        return QStringLiteral("%1 troppo lunga: %2 caratteri, al massimo %3")
            .arg(kWhat[wanted])
            .arg(value.size())
            .arg(kLongest[wanted]);
    return {};
}

} // namespace

ListColumns columnsByName(const QStringList &header)
{
    ListColumns found;
    for (int w = 0; w < ListColumns::kWanted; ++w)
        for (qsizetype i = 0; i < header.size() && found.column[w] < 0; ++i)
            if (kHeaderNames[w].contains(headerKey(header.at(i))))
                found.column[w] = static_cast<int>(i);
    return found;
}

std::optional<ListColumns> findListColumns(const QStringList &header, const QStringList &given, QString *error)
{
    ListColumns found;
    if (!given.isEmpty()) {
        for (int w = 0; w < ListColumns::kWanted && w < given.size(); ++w) {
            const QString name = given.at(w).trimmed();
            if (name.isEmpty())
                continue;
            found.column[w] = givenColumn(header, name);
            if (found.column[w] < 0) {
                *error = QStringLiteral("nessuna colonna \"%1\" nell'intestazione").arg(name);
                return std::nullopt;
            }
        }
    } else {
        found = columnsByName(header);
    }
    if (found.column[ListColumns::Locality] < 0) {
        *error = QStringLiteral("nessuna colonna della località nell'intestazione (%1)").arg(header.join(QStringLiteral(", ")));
        return std::nullopt;
    }
    return found;
}

Verdict checkListRow(AddressCheck &check, const ListRow &row, const ListColumns &columns)
{
    Verdict verdict;
    verdict.outcome = Verdict::InvalidRow;
    if (!row.error.isEmpty()) {
        verdict.note = row.error;
        return verdict;
    }
    const int localityColumn = columns.column[ListColumns::Locality];
    if (row.cells.size() <= localityColumn) {
        verdict.note = QStringLiteral("mancano dei campi: %1 invece di almeno %2").arg(row.cells.size()).arg(localityColumn + 1);
        return verdict;
    }
    std::array<QString, ListColumns::kWanted> wanted;
    for (int w = 0; w < ListColumns::kWanted; ++w) {
        if (columns.column[w] >= 0)
            wanted[w] = row.cells.value(columns.column[w]).trimmed();
        verdict.note = fieldFault(wanted[w], w);
        if (!verdict.note.isEmpty())
            return verdict;
    }
    return check.check(wanted[ListColumns::Locality], wanted[ListColumns::Province], wanted[ListColumns::Cap],
                       wanted[ListColumns::Address]);
}

quint32 outcomeColour(Verdict::Outcome outcome)
{
    switch (outcome) {
    case Verdict::Ok:
        return 0xC6EFCE;
    case Verdict::CapMissing:
    case Verdict::StreetWithoutCap:
        return 0xFFEB9C;
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

QStringList checkCells(const Verdict &verdict)
{
    return {Verdict::text(verdict.outcome), verdict.cap, verdict.locality, verdict.pv, verdict.note};
}

AddressListReader::AddressListReader(const QString &fileName) : m_file(fileName) {}

AddressListReader::~AddressListReader() = default;

bool AddressListReader::open(std::optional<ListEncoding> encoding)
{
    if (!QFileInfo(m_file).isFile() || !m_file.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("impossibile leggere il file %1").arg(m_file.fileName());
        return false;
    }
    if (const std::optional<WorkbookFormat> format = workbookFormatOf(m_file.fileName()))
        return openWorkbook(*format);
    return openCsv(encoding);
}

bool AddressListReader::openWorkbook(WorkbookFormat format)
{
    m_workbook = std::make_unique<WorkbookReader>(&m_file, format);
    if (m_workbook->open())
        if (const std::optional<WorkbookRow> first = m_workbook->next()) {
            for (const QString &name : first->cells)
                m_header << name.trimmed();
            return true;
        }
    m_error = m_workbook->error().isEmpty() ? QStringLiteral("il foglio è vuoto") : m_workbook->error();
    return false;
}

bool AddressListReader::openCsv(std::optional<ListEncoding> encoding)
{
    // The encoding: UTF-8 when the whole file is, else Windows-1252.
    if (encoding) {
        m_encoding = *encoding;
    } else {
        QStringDecoder decoder(QStringDecoder::Utf8);
        while (!m_file.atEnd() && !decoder.hasError()) {
            const QByteArray piece = m_file.read(1 << 20);
            if (piece.isEmpty())
                break;
            (void)QString(decoder(piece));
        }
        m_encoding = decoder.hasError() ? ListEncoding::Windows1252 : ListEncoding::Utf8;
        m_file.seek(0);
    }
    m_csv = std::make_unique<CsvReader>(
        [this](char *data, qsizetype size) -> qsizetype {
            const qint64 got = m_file.read(data, size);
            if (got < 0)
                throw IoError(QStringLiteral("errore di lettura dell'elenco: %1").arg(m_file.errorString()));
            return got;
        },
        ';', CsvReader::kListLimits);
    m_separator = detectSeparator(m_csv->peekFirstLine());
    m_csv->setSeparator(m_separator);
    const std::optional<CsvRecord> header = m_csv->next();
    if (!header || !header->error.isEmpty()) {
        m_error = QStringLiteral("l'elenco non ha una riga d'intestazione leggibile");
        return false;
    }
    for (const QByteArray &field : header->fields)
        m_header << decode(field).trimmed();
    return true;
}

std::optional<ListRow> AddressListReader::next()
{
    ListRow row;
    if (m_workbook) {
        std::optional<WorkbookRow> read = m_workbook->next();
        if (!read) {
            m_error = m_workbook->error();
            return std::nullopt;
        }
        return ListRow{std::move(read->cells), std::move(read->error), read->line};
    }
    std::optional<CsvRecord> record = m_csv->next();
    if (!record)
        return std::nullopt;
    row.line = record->line;
    row.error = record->error;
    if (record->fields.isEmpty())
        row.cells << decode(record->raw); // quotes never closed: the line as one field
    for (const QByteArray &field : std::as_const(record->fields))
        row.cells << decode(field);
    return row;
}

QString AddressListReader::decode(const QByteArray &bytes) const
{
    return m_encoding == ListEncoding::Utf8 ? QString::fromUtf8(bytes) : decodeCp1252(bytes);
}

QByteArray AddressListReader::encode(const QString &text) const
{
    if (m_encoding == ListEncoding::Utf8)
        return text.toUtf8();
    if (const auto bytes = encodeCp1252(text))
        return *bytes;
    QByteArray bytes;
    for (const QChar c : text)
        bytes += encodeCp1252(QString(c)).value_or(QByteArray("?"));
    return bytes;
}

} // namespace zelvora
