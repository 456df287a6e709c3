#pragma once

#include "common/incremental_search.h"
#include "common/prefix_index.h"
#include "common/record_file.h"
#include "common/locality_files.h"
#include "common/search_modes.h"

#include <QString>
#include <QStringList>
#include <array>

namespace zelvora {

// The province table of cap.pv, in file order.
struct ProvinceTable
{
    bool provincesLoaded = false; // cap.pv was there
    QStringList provinceCodes;
    QStringList provinceNames;

    // The name of the province whose code begins with `pv`; of several, the
    // last in the file wins, as the details have always shown it.
    QString nameOf(const QString &pv) const;
    // Reads every record of cap.pv's bytes.
    static ProvinceTable fromBytes(const QByteArray &file);
};

// The locality files of a data folder, each read whole once: localita.loc,
// the order file and prefix index of each search mode, and cap.pv. Records
// come out typed; every record handed out is counted (reads()).
//
// Nothing is ever read outside a file: a record or a stored locality number
// outside its file is an IoError.
class LocalityDatabase
{
public:
    // Reads localita.loc through `files`, each file read whole; false when it
    // is not there.
    bool open(const DataFileReader &files);
    bool open(const QString &folder) { return open(folderReader(folder)); }
    // As a window reads them: the files of `folder` kept open, each record
    // read as the file is then; false when localita.loc cannot be opened.
    bool openFiles(const QString &folder);

    // Opens a mode's order file (none of its own in locality mode) and
    // prefix index, and reads the index: the name of the first of them that
    // is not there, empty when both are. The order file is kept even without
    // its index.
    QString openMode(SearchMode mode);
    // Reads cap.pv: false when it is not there.
    bool openProvinces();

    // The same in the steps a window takes: a mode's files opened, closed
    // when they cannot be (the index is not tried when the order file
    // fails); then taking the place of the ones before (the records read
    // from those still count), its prefix index empty until loadIndex()
    // reads the index file whole.
    struct ModeFiles
    {
        RecordFile order;
        RecordFile index;
    };
    ModeFiles openModeFiles(SearchMode mode) const;
    void setMode(SearchMode mode, ModeFiles files);
    void loadIndex(SearchMode mode);
    // The file a mode's order reads, with its read position: localita.loc
    // itself in locality mode.
    RecordFile &orderFile(SearchMode mode) { return ordersLocalities(mode) ? m_localities : m_orders[size_t(mode)]; }
    const RecordFile &orderFile(SearchMode mode) const
    {
        return ordersLocalities(mode) ? m_localities : m_orders[size_t(mode)];
    }

    const ProvinceTable &provinces() const { return m_provinces; }

    // localita.loc: the locality at a 0-based index, or by its stored
    // 1-based number.
    int count() const { return m_localities.count(); }
    LocalityRecord record(int index) const { return LocalityRecord::decode(m_localities.at(index)); }
    LocalityRecord localityNo(int localityNo) const { return LocalityRecord::decode(localityBytes(localityNo)); }
    QByteArray localityBytes(int localityNo) const;

    // A mode's order: how many records, the locality at a 0-based index
    // (its record's bytes), the order record's key and the prefix index.
    int orderCount(SearchMode mode) const;
    QByteArray inOrder(SearchMode mode, int index) const;
    QString key(SearchMode mode, int index) const;
    // The order file's own record (none in locality mode).
    QByteArray orderRecord(SearchMode mode, int index) const { return m_orders[size_t(mode)].at(index); }
    const PrefixIndex &prefixIndex(SearchMode mode) const { return m_indexes[size_t(mode)]; }

    // The incremental search of `text` in a mode's order: the longest
    // beginning some key has, and the first record whose key begins with it.
    Found find(SearchMode mode, const QString &text) const;

    qint64 reads() const;

private:
    static bool ordersLocalities(SearchMode mode) { return searchModeInfo(mode).ordersLocalities(); }
    // A file read whole through m_files, or else kept open in m_folder.
    RecordFile openFile(const QString &name, int recordSize) const;

    DataFileReader m_files;
    QString m_folder;

    RecordFile m_localities;
    std::array<RecordFile, 3> m_orders;
    std::array<RecordFile, 3> m_indexFiles;
    std::array<PrefixIndex, 3> m_indexes;
    qint64 m_retiredReads = 0;
    ProvinceTable m_provinces;
};

} // namespace zelvora
