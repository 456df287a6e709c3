#pragma once

#include "common/incremental_search.h"
#include "common/record_file.h"
#include "common/street_directory.h"
#include "streets/street_records.h"

#include <QString>
#include <functional>
#include <optional>

namespace zelvora {

// The files of the opened city as the street window reads them: kept open,
// the street file with its read position, its prefix index (the first three
// characters of the streets of each group, and the 1-based number of the
// group's first street), and the notes when there are any.
//
// Every file is opened read-only. Failures after a file was found throw
// IoError, for the general error report: a file that cannot be opened or read,
// index entries out of order or pointing outside the street file, a note
// number beyond the notes file. Nothing is ever read outside a file.
class StreetFiles : public SearchSource
{
public:
    StreetFiles() = default;
    StreetFiles(const StreetFiles &) = delete;
    StreetFiles &operator=(const StreetFiles &) = delete;

    // Opens what `findCityFiles` found: the street file, the index and, when
    // it is there, the notes file. The files of the city opened before are
    // released first; a city that is not opened leaves none open and the
    // index empty. Throws IoError, and then leaves
    // no city open.
    void open(const CityFiles &city) { open([&] { m_city.open(city); }); }
    // The same on the files' bytes in memory; without notes the city has
    // none. `base` names the files in messages.
    void open(QByteArray streets, QByteArray index, std::optional<QByteArray> notes, const QString &base)
    {
        open([&] { m_city.open(std::move(streets), std::move(index), std::move(notes), base); });
    }
    void close() { m_city = {}; m_streetCount = 0; }

    bool isOpen() const { return m_city.isOpen(); }
    bool notesAvailable() const { return m_city.notesAvailable(); }
    int streetCount() const { return m_streetCount; }
    // SearchSource: the index and the streets' names.
    const PrefixIndex &prefixIndex() const override { return m_city.prefixIndex(); }
    int recordCount() const override { return m_streetCount; }
    int keyLength() const override { return streetfiles::kKeyLength; }
    QString key(int index) override { return m_city.key(index); }

    // The street file's read position: the 0-based index of the street the
    // next readNext() reads; streetCount() at the end.
    int position() const { return isOpen() ? m_city.streetFile().position() : 0; }
    bool atEnd() const { return !isOpen() || m_city.streetFile().atEnd(); }
    // Positions the street file for a page that starts at `index`. A start
    // before the first street is held at 0, so a page computed back from the
    // end of a city with fewer streets than a page starts at its first
    // street; a start past streetCount() is an IoError.
    void seek(int index);
    StreetRecord readNext();
    // Street `index` (0-based); the read position is then index + 1.
    StreetRecord readStreet(int index) { return m_city.record(index); }

    // The note of a street: empty without notes or for a note number of 0 or
    // less. Only the notes file moves; the street file's read position stays.
    QString note(int noteNo) { return m_city.note(noteNo); }
    QString note(const StreetRecord &street) { return note(street.noteNo); }

    // The 1-based first and last street of the first index group whose
    // prefix begins with the first three characters of `text` (all of it when
    // shorter); the last group ends at the last street. An empty text matches
    // nothing.
    std::optional<Group> group(const QString &text) const;

    // Records read since the city was opened, to count the work of a page.
    qint64 streetReads() const { return m_city.streetReads(); }
    qint64 noteReads() const { return m_city.noteReads(); }

private:
    void open(const std::function<void()> &openFiles);

    StreetDirectory m_city;
    int m_streetCount = 0;
};

} // namespace zelvora
