#pragma once

#include "common/incremental_search.h"
#include "common/prefix_index.h"
#include "common/record_file.h"
#include "common/street_records.h"

#include <QString>
#include <optional>

namespace zelvora {

// Throws IoError when the entries of a street index, read from `indexName`,
// do not ascend, or name a first street outside the `streets` of `streetsName`.
void checkStreetIndex(const PrefixIndex &index, int streets, const QString &indexName, const QString &streetsName);

// The street files of one city: the streets in street order, their prefix
// index and the notes when there are any. Records come out typed; every
// record handed out is counted.
//
// Opening throws IoError for a file that cannot be read and for an index
// whose entries do not ascend or point outside the street file; a street or
// note number outside its file is an IoError when it is read.
class StreetDirectory
{
public:
    // Opens what `findCityFiles` found and keeps the files open, each
    // record read as the file is then, or reads each file whole (for a
    // reader of every street); a city that is not there opens nothing.
    // Throws IoError for a file that cannot be opened, and then leaves no
    // city open.
    enum class Reading { KeptOpen, Whole };
    void open(const CityFiles &city, Reading reading = Reading::KeptOpen);
    // The same on the files' bytes in memory; without notes the city has
    // none. `base` names the files in messages.
    void open(QByteArray streets, QByteArray index, std::optional<QByteArray> notes, const QString &base);

    bool isOpen() const { return m_open; }
    bool notesAvailable() const { return m_notesAvailable; }
    int count() const { return m_streets.count(); }
    StreetRecord record(int index) const { return StreetRecord::decode(m_streets.at(index)); }
    QString key(int index) const;
    int noteCount() const { return m_notes.count(); }
    // The note of a street: empty without notes or for a number of 0 or less.
    QString note(int noteNo) const;
    QString note(const StreetRecord &street) const { return note(street.noteNo); }
    const PrefixIndex &prefixIndex() const { return m_index; }

    // The incremental search of `text`: the longest beginning some street
    // has, and the first street that begins with it.
    Found find(const QString &text) const;

    qint64 streetReads() const { return m_streets.readCount(); }
    qint64 noteReads() const { return m_notes.readCount(); }
    // The street file, with its read position.
    RecordFile &streetFile() { return m_streets; }
    const RecordFile &streetFile() const { return m_streets; }

private:
    void set(RecordFile streets, RecordFile index, std::optional<RecordFile> notes);

    RecordFile m_streets;
    RecordFile m_indexFile;
    RecordFile m_notes;
    PrefixIndex m_index;
    bool m_notesAvailable = false;
    bool m_open = false;
};

} // namespace zelvora
