#include "lookup.h"

#include "common/io_error.h"
#include "common/short_string.h"

#include <QDir>

namespace zelvora::cli {

namespace {

QString missingFile(const QString &path)
{
    return QStringLiteral("File dei dati mancante: %1").arg(QDir::toNativeSeparators(path));
}

// The characters of `text` that code page 1252 cannot hold, each once.
QString unencodable(const QString &text)
{
    QString found;
    if (encodeCp1252(text))
        return found;
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A pair of surrogates is one character.
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString c = text.mid(i, length);
        if (!encodeCp1252(c) && !found.contains(c))
            found += c;
        i += length - 1;
    }
    return found;
}

} // namespace

Lookup::Lookup(SearchKind kind, const QString &dataFolder, const QString &city, bool details)
    : m_kind(kind), m_mode(kind.value_or(SearchMode::Locality)), m_details(details)
{
    if (streets())
        openStreets(dataFolder, city);
    else
        openLocalities(dataFolder);
}

void Lookup::openLocalities(const QString &dataFolder)
{
    const QDir folder(dataFolder);
    if (!m_localities.open(dataFolder))
        throw Error(missingFile(folder.filePath(localityfiles::kLocalities)));
    if (const QString missing = m_localities.openMode(m_mode); !missing.isEmpty())
        throw Error(missingFile(folder.filePath(missing)));
    m_keyCapacity = searchModeInfo(m_mode).key.capacity;

    m_columns = {{QStringLiteral("LOCALITA'"), QStringLiteral("localita"), LocalityRecord::kLocality.capacity},
                 {QStringLiteral("PV"), QStringLiteral("pv"), LocalityRecord::kPv.capacity},
                 {QStringLiteral("C.A.P."), QStringLiteral("cap"), LocalityRecord::kCap.capacity, true}};
    if (!m_details)
        return;
    m_columns += {{QStringLiteral("SECONDA DENOMINAZIONE"), QStringLiteral("seconda_denominazione"),
                   LocalityRecord::kBil.capacity},
                  {QStringLiteral("PROVINCIA"), QStringLiteral("provincia"), ProvinceRecord::kName.capacity},
                  {QStringLiteral("AGENZIA RECAPITO"), QStringLiteral("agenzia"), LocalityRecord::kAgency.capacity},
                  {QStringLiteral("NOTE"), QStringLiteral("note"), LocalityRecord::kNote.capacity}};
    if (!m_localities.openProvinces())
        m_warnings << missingFile(folder.filePath(localityfiles::kProvinces))
                          + QStringLiteral(": nomi delle province non disponibili");
}

void Lookup::openStreets(const QString &dataFolder, const QString &city)
{
    const int row = findCity(city);
    if (row < 0) {
        QStringList names;
        for (const City &c : cityTable)
            names << c.displayName.toString();
        throw Error(QStringLiteral("Città sconosciuta: \"%1\". Le città dello stradario sono: %2.")
                        .arg(city, names.join(QStringLiteral(", "))));
    }
    const CityFiles files = findCityFiles(dataFolder, row);
    if (files.outcome == CityOutcome::NotOpened)
        throw Error(missingCityFilesText(files));
    if (files.outcome == CityOutcome::OpenedWithoutNotes)
        m_warnings << missingCityFilesText(files);
    m_streets.open(files);
    m_keyCapacity = StreetRecord::kStreet.capacity;

    m_columns = {{QStringLiteral("VIA / PIAZZA"), QStringLiteral("via"), StreetRecord::kStreet.capacity},
                 {QStringLiteral("DENOM. URBANISTICA"), QStringLiteral("denominazione"),
                  StreetRecord::kDesignation.capacity},
                 {QStringLiteral("C.A.P."), QStringLiteral("cap"), StreetRecord::kCap.capacity, true}};
    if (m_details)
        m_columns += {{QStringLiteral("ZONA"), QStringLiteral("zona"), StreetRecord::kCityTag.capacity, true},
                      {QStringLiteral("AGENZIA RECAPITO"), QStringLiteral("agenzia"), StreetRecord::kAgency.capacity},
                      {QStringLiteral("NOTE"), QStringLiteral("note"), StreetNote::kText.capacity}};
}

int Lookup::recordCount() const
{
    return streets() ? m_streets.count() : m_localities.orderCount(m_mode);
}

QString Lookup::key(int index) const
{
    return streets() ? m_streets.key(index) : m_localities.key(m_mode, index);
}

QStringList Lookup::readRow(int index) const
{
    if (!streets())
        return localityRow(index);
    const StreetRecord record = m_streets.record(index);
    QStringList row{record.street, record.designation, record.cap};
    if (m_details)
        row << record.cityTag << record.agency << m_streets.note(record);
    return row;
}

QStringList Lookup::localityRow(int index) const
{
    const QByteArray bytes = m_localities.inOrder(m_mode, index);
    if (!m_details && m_mode == SearchMode::Locality) {
        // Only the three fields shown: a batch reads a row for every name.
        return {readText(bytes.constData(), LocalityRecord::kLocality), readText(bytes.constData(), LocalityRecord::kPv),
                readText(bytes.constData(), LocalityRecord::kCap)};
    }
    LocalityRecord record = LocalityRecord::decode(bytes);
    // The code the locality is listed under, which is what was searched: a
    // city with many codes has no code of its own in its record.
    if (m_mode == SearchMode::Cap)
        record.cap = m_localities.key(SearchMode::Cap, index);
    QStringList row{record.locality, record.pv, record.cap};
    if (m_details)
        row << record.bil << m_localities.provinces().nameOf(record.pv) << record.agency << record.note;
    return row;
}

LookupResult Lookup::find(const QString &text, int limit) const
{
    LookupResult result;
    // The search field of the windows holds upper case only.
    result.text = toUpperCp1252(text.trimmed());
    const QString &wanted = result.text;
    if (wanted.isEmpty()) {
        result.status = LookupResult::BadInput;
        result.message = QStringLiteral("testo vuoto");
        return result;
    }
    if (const QString bad = unencodable(wanted); !bad.isEmpty()) {
        result.status = LookupResult::BadInput;
        result.message = QStringLiteral("caratteri non ammessi nei dati: %1").arg(bad);
        return result;
    }
    if (wanted.size() > m_keyCapacity) {
        result.status = LookupResult::BadInput;
        result.tooLong = true;
        result.message = QStringLiteral("testo troppo lungo: %1 caratteri, al massimo %2")
                             .arg(wanted.size())
                             .arg(m_keyCapacity);
        return result;
    }

    // A text taken back means that no record begins with the whole of it.
    const Found found = streets() ? m_streets.find(wanted) : m_localities.find(m_mode, wanted);
    result.matched = found.text;
    if (result.matched != wanted)
        return result;

    result.status = LookupResult::Found;
    for (int i = found.start; i < recordCount() && (limit < 0 || result.rows.size() < limit); ++i) {
        if (limit < 0 && !key(i).startsWith(wanted))
            break;
        result.rows << readRow(i);
    }
    return result;
}

} // namespace zelvora::cli
