#include "locality_database.h"

#include "common/short_string.h"

#include <QDir>

namespace zelvora {

QString ProvinceTable::nameOf(const QString &pv) const
{
    QString name;
    if (!pv.isEmpty())
        for (qsizetype i = 0; i < provinceCodes.size(); ++i)
            if (provinceCodes.at(i).startsWith(pv))
                name = provinceNames.value(i);
    return name;
}

ProvinceTable ProvinceTable::fromBytes(const QByteArray &file)
{
    ProvinceTable table{true, {}, {}};
    RecordFile records;
    records.open(file, ProvinceRecord::kSize, localityfiles::kProvinces);
    for (int i = 0; i < records.count(); ++i) {
        const ProvinceRecord province = ProvinceRecord::decode(records.at(i));
        table.provinceCodes.append(province.pv);
        table.provinceNames.append(province.name);
    }
    return table;
}

RecordFile LocalityDatabase::openFile(const QString &name, int recordSize) const
{
    RecordFile file;
    if (!m_files)
        file.open(QDir(m_folder).filePath(name), recordSize);
    else if (std::optional<QByteArray> bytes = m_files(name))
        file.open(std::move(*bytes), recordSize, name);
    return file;
}

bool LocalityDatabase::open(const DataFileReader &files)
{
    *this = {};
    m_files = files;
    m_localities = openFile(localityfiles::kLocalities, LocalityRecord::kSize);
    return m_localities.isOpen();
}

bool LocalityDatabase::openFiles(const QString &folder)
{
    *this = {};
    m_folder = folder;
    m_localities = openFile(localityfiles::kLocalities, LocalityRecord::kSize);
    return m_localities.isOpen();
}

QString LocalityDatabase::openMode(SearchMode mode)
{
    const SearchModeInfo &info = searchModeInfo(mode);
    ModeFiles files = openModeFiles(mode);
    const QString missing = !info.ordersLocalities() && !files.order.isOpen() ? info.orderFile
                            : !files.index.isOpen()                          ? info.indexFile
                                                                             : QString();
    setMode(mode, std::move(files));
    loadIndex(mode);
    return missing;
}

bool LocalityDatabase::openProvinces()
{
    RecordFile file = openFile(localityfiles::kProvinces, ProvinceRecord::kSize);
    m_provinces = file.isOpen() ? ProvinceTable::fromBytes(file.readAll()) : ProvinceTable{};
    return file.isOpen();
}

LocalityDatabase::ModeFiles LocalityDatabase::openModeFiles(SearchMode mode) const
{
    const SearchModeInfo &info = searchModeInfo(mode);
    ModeFiles files;
    if (info.ordersLocalities() || (files.order = openFile(info.orderFile, info.orderRecordSize)).isOpen())
        files.index = openFile(info.indexFile, PrefixIndexEntry::kSize);
    return files;
}

void LocalityDatabase::setMode(SearchMode mode, ModeFiles files)
{
    const size_t at = size_t(mode);
    if (files.order.isOpen()) {
        m_retiredReads += m_orders[at].readCount();
        m_orders[at] = std::move(files.order);
    }
    m_retiredReads += m_indexFiles[at].readCount();
    m_indexFiles[at] = std::move(files.index);
    m_indexes[at] = {};
}

void LocalityDatabase::loadIndex(SearchMode mode)
{
    RecordFile &file = m_indexFiles[size_t(mode)];
    if (file.isOpen())
        m_indexes[size_t(mode)] = PrefixIndex(file.readAll());
}

QByteArray LocalityDatabase::localityBytes(int localityNo) const
{
    return readLocalityRecord(m_localities, localityNo);
}

int LocalityDatabase::orderCount(SearchMode mode) const
{
    return orderFile(mode).count();
}

QByteArray LocalityDatabase::inOrder(SearchMode mode, int index) const
{
    const SearchModeInfo &info = searchModeInfo(mode);
    if (info.ordersLocalities())
        return m_localities.at(index);
    const QByteArray entry = m_orders[size_t(mode)].at(index);
    return localityBytes(readRecordNumber(entry.constData() + info.localityNoOffset));
}

QString LocalityDatabase::key(SearchMode mode, int index) const
{
    const SearchModeInfo &info = searchModeInfo(mode);
    const QByteArray record =
        info.keyInLocality || info.ordersLocalities() ? inOrder(mode, index) : orderRecord(mode, index);
    return readText(record.constData(), info.key);
}

Found LocalityDatabase::find(SearchMode mode, const QString &text) const
{
    return findText(text, prefixIndex(mode), orderCount(mode), searchModeInfo(mode).keyLength,
                    [&](int index) { return key(mode, index); });
}

qint64 LocalityDatabase::reads() const
{
    qint64 reads = m_retiredReads + m_localities.readCount();
    for (size_t i = 0; i < m_orders.size(); ++i)
        reads += m_orders[i].readCount() + m_indexFiles[i].readCount();
    return reads;
}

} // namespace zelvora
