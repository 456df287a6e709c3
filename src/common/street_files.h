#pragma once

#include "common/incremental_search.h"
#include "common/record_file.h"
#include "common/street_directory.h"
#include "common/street_records.h"

#include <QString>
#include <optional>

namespace zelvora {

// The files of the opened city as the street window reads them: the street
// directory, kept open, with the street file's read position; its prefix
// index (the first three characters of the streets of each group, and the
// 1-based number of the group's first street) is what the search field
// searches.
//
// Every file is opened read-only. Failures after a file was found throw
// IoError, for the general error report: a file that cannot be opened or read,
// index entries out of order or pointing outside the street file, a note
// number beyond the notes file. Nothing is ever read outside a file.
class StreetFiles : public StreetDirectory, public SearchSource
{
public:
    // Opens what `findCityFiles` found, or the files' bytes in memory: the
    // city opened before is released first; a city that is not opened, or
    // whose opening throws IoError, leaves none open and the index empty.
    template <typename... Files>
    void open(Files &&...files)
    {
        close();
        StreetDirectory::open(std::forward<Files>(files)...);
        m_streetCount = count();
    }
    void close()
    {
        static_cast<StreetDirectory &>(*this) = {};
        m_streetCount = 0;
    }

    // The streets when the city was opened.
    int streetCount() const { return m_streetCount; }
    // SearchSource: the index and the streets' names.
    const PrefixIndex &prefixIndex() const override { return StreetDirectory::prefixIndex(); }
    int recordCount() const override { return m_streetCount; }
    int keyLength() const override { return streetfiles::kKeyLength; }
    QString key(int index) override { return StreetDirectory::key(index); }

    // The street file's read position: the 0-based index of the street the
    // next readNext() reads; streetCount() at the end.
    int position() const { return isOpen() ? streetFile().position() : 0; }
    bool atEnd() const { return !isOpen() || streetFile().atEnd(); }
    // Positions the street file for a page that starts at `index`. A start
    // before the first street is held at 0, so a page computed back from the
    // end of a city with fewer streets than a page starts at its first
    // street; a start past streetCount() is an IoError.
    void seek(int index);
    StreetRecord readNext();
    // Street `index` (0-based); the read position is then index + 1. Only
    // the notes file moves when a note is read.
    StreetRecord readStreet(int index) { return record(index); }

    // The 1-based first and last street of the first index group whose
    // prefix begins with the first three characters of `text` (all of it when
    // shorter); the last group ends at the last street. An empty text matches
    // nothing.
    std::optional<Group> group(const QString &text) const;

private:
    int m_streetCount = 0;
};

} // namespace zelvora
