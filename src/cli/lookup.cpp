#include "lookup.h"

#include "common/io_error.h"
#include "common/prefix_index.h"
#include "common/short_string.h"
#include "locality/search_modes.h"

#include <QDir>
#include <QFileInfo>

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
    : m_kind(kind), m_details(details)
{
    if (kind == SearchKind::Street)
        openStreets(dataFolder, city);
    else
        openLocalities(dataFolder);
    m_keys.resize(m_recordCount);
    m_keyRead.resize(m_recordCount);
}

Lookup::~Lookup() = default;

void Lookup::openLocalities(const QString &dataFolder)
{
    using namespace localityfiles;
    const QDir folder(dataFolder);
    const auto open = [&folder](RecordFile &file, const QString &name, int recordSize) {
        if (!file.open(folder.filePath(name), recordSize))
            throw Error(missingFile(folder.filePath(name)));
    };
    open(m_localities, kLocalities, LocalityRecord::kSize);
    const SearchModeInfo &mode = searchModeInfo(m_kind == SearchKind::Cap        ? SearchMode::Cap
                                                 : m_kind == SearchKind::Province ? SearchMode::Province
                                                                                  : SearchMode::Locality);
    if (!mode.ordersLocalities())
        open(m_order, mode.orderFile, mode.orderRecordSize);
    RecordFile index;
    open(index, mode.indexFile, PrefixIndexEntry::kSize);
    m_keyLength = mode.keyLength;
    m_recordCount = mode.ordersLocalities() ? m_localities.count() : m_order.count();
    m_keyCapacity = mode.key.capacity;
    m_prefixIndex = PrefixIndex(index.readAll());

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
    RecordFile provinces;
    if (!provinces.open(folder.filePath(kProvinces), ProvinceRecord::kSize)) {
        m_warnings << missingFile(folder.filePath(kProvinces)) + QStringLiteral(": nomi delle province non disponibili");
        return;
    }
    QStringList codes;
    QStringList names;
    loadProvinceTable(provinces, codes, names);
    for (qsizetype i = codes.size() - 1; i >= 0; --i)
        m_provinceNames.insert(codes.at(i), names.at(i));
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
    m_streets = std::make_unique<StreetFiles>();
    m_streets->open(files);
    m_recordCount = m_streets->streetCount();
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

QString Lookup::key(int index)
{
    if (index < 0 || index >= m_recordCount)
        throw IoError(QStringLiteral("Record %1 fuori dai dati (%2 record)").arg(index + 1).arg(m_recordCount));
    if (m_keyRead[index])
        return m_keys[index];
    QString key;
    switch (m_kind) {
    case SearchKind::Locality: {
        const QByteArray record = recordAt(m_localities, m_localityRecords, index);
        key = readText(record.constData(), LocalityRecord::kLocality);
        break;
    }
    case SearchKind::Cap:
        key = CapOrderEntry::decode(recordAt(m_order, m_orderRecords, index)).cap;
        break;
    case SearchKind::Province:
        key = localityNo(PvOrderEntry::decode(recordAt(m_order, m_orderRecords, index)).localityNo).pv;
        break;
    case SearchKind::Street:
        key = street(index).street;
        break;
    }
    m_keyRead[index] = true;
    m_keys[index] = key;
    return key;
}

QStringList Lookup::readRow(int index)
{
    if (m_kind == SearchKind::Street) {
        const StreetRecord record = street(index);
        QStringList row{record.street, record.designation, record.cap};
        if (m_details)
            row << record.cityTag << record.agency << m_streets->note(record);
        return row;
    }
    LocalityRecord record;
    if (m_kind == SearchKind::Locality && !m_details) {
        // Only the three fields shown: a batch reads a row for every name.
        const QByteArray bytes = recordAt(m_localities, m_localityRecords, index);
        return {readText(bytes.constData(), LocalityRecord::kLocality), readText(bytes.constData(), LocalityRecord::kPv),
                readText(bytes.constData(), LocalityRecord::kCap)};
    }
    if (m_kind == SearchKind::Locality) {
        record = LocalityRecord::decode(recordAt(m_localities, m_localityRecords, index));
    } else if (m_kind == SearchKind::Cap) {
        // The code the locality is listed under, which is what was searched:
        // a city with many codes has no code of its own in its record.
        const CapOrderEntry entry = CapOrderEntry::decode(recordAt(m_order, m_orderRecords, index));
        record = localityNo(entry.localityNo);
        record.cap = entry.cap;
    } else {
        record = localityNo(PvOrderEntry::decode(recordAt(m_order, m_orderRecords, index)).localityNo);
    }
    QStringList row{record.locality, record.pv, record.cap};
    if (m_details)
        row << record.bil << m_provinceNames.value(record.pv) << record.agency << record.note;
    return row;
}

void Lookup::preload()
{
    const auto readAll = [](RecordFile &file, std::vector<QByteArray> &memory) {
        if (!file.isOpen())
            return;
        const int records = file.count();
        memory.reserve(records);
        file.seek(0);
        for (int i = 0; i < records; ++i)
            memory.push_back(file.readNext());
    };
    if (m_streets) {
        m_streets->seek(0);
        m_streetRecords.reserve(m_recordCount);
        for (int i = 0; i < m_recordCount; ++i)
            m_streetRecords.push_back(m_streets->readNext());
        return;
    }
    readAll(m_localities, m_localityRecords);
    readAll(m_order, m_orderRecords);
}

QByteArray Lookup::recordAt(RecordFile &file, const std::vector<QByteArray> &memory, int index)
{
    if (memory.empty())
        return file.readAt(index);
    if (index < 0 || index >= static_cast<int>(memory.size()))
        throw IoError(QStringLiteral("Record %1 fuori dal file %2 (%3 record)")
                          .arg(index + 1)
                          .arg(QFileInfo(file.fileName()).fileName())
                          .arg(memory.size()));
    return memory[index];
}

LocalityRecord Lookup::localityNo(int localityNo)
{
    if (m_localityRecords.empty())
        return readLocalityNo(m_localities, localityNo);
    // The order file's 1-based number, checked as readLocalityNo checks it.
    if (localityNo < 1 || localityNo > static_cast<int>(m_localityRecords.size()))
        throw IoError(QStringLiteral("Numero di località %1 fuori dal file %2 (%3 record)")
                          .arg(localityNo)
                          .arg(localityfiles::kLocalities)
                          .arg(m_localityRecords.size()));
    return LocalityRecord::decode(m_localityRecords[localityNo - 1]);
}

StreetRecord Lookup::street(int index)
{
    if (m_streetRecords.empty())
        return m_streets->readStreet(index);
    if (index < 0 || index >= static_cast<int>(m_streetRecords.size()))
        throw IoError(QStringLiteral("Via %1 fuori dallo stradario (%2 vie)").arg(index + 1).arg(m_streetRecords.size()));
    return m_streetRecords[index];
}

LookupResult Lookup::find(const QString &text, int limit)
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
        result.message = QStringLiteral("testo troppo lungo: %1 caratteri, al massimo %2")
                             .arg(wanted.size())
                             .arg(m_keyCapacity);
        return result;
    }

    // A text taken back means that no record begins with the whole of it.
    const Found found = findText(wanted, *this);
    result.matched = found.text;
    if (result.matched != wanted)
        return result;

    result.status = LookupResult::Found;
    for (int i = found.start; i < m_recordCount && (limit < 0 || result.rows.size() < limit); ++i) {
        if (limit < 0 && !key(i).startsWith(wanted))
            break;
        result.rows << readRow(i);
    }
    return result;
}

} // namespace zelvora::cli
