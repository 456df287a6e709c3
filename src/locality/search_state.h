#pragma once

#include "common/short_string.h"
#include "common/locality_files.h"
#include "common/search_modes.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <array>

namespace zelvora {

// The search state of the main window, which its search, its results list and
// its commands share. The window's search owns it; each new main window starts
// it afresh.
struct LocalitySearchState
{
    // Rows of a full page of the results list; never changed.
    static constexpr int rowsPerPage = 8;

    SearchMode mode = SearchMode::Locality;
    int keyLength = 3;
    int currentRecord = 0;
    int recordCount = 0;
    int lastRow = 0; // the grid row remembered while the grid has no focus

    // The mode's name, as the window shows it: "localita", "cap" or "pv".
    QString searchMode() const { return searchModeInfo(mode).name; }
};

// What a row of the results grid holds beyond the three texts it shows: its
// entries of the row lists agencies, bils and notes. They are kept as the
// locality's record and decoded when asked for: a page is filled at every
// keystroke, and the details of most rows are never opened (decoding them
// at once was a tenth of a keystroke).
class LocalityRow
{
public:
    LocalityRow() = default;
    // `record` holds a LocalityRecord's bytes, which the row copies: holding
    // on to the read's own buffer would make the next read copy it instead.
    // A row without a record (all bytes zero) has every field empty.
    explicit LocalityRow(QByteArrayView record)
    {
        std::copy_n(record.data(), std::min<qsizetype>(record.size(), LocalityRecord::kSize), m_record.begin());
    }

    // The locality as the details show it: the record with its note blanked
    // when the row's is.
    LocalityRecord record() const
    {
        LocalityRecord r = LocalityRecord::decode(QByteArray::fromRawData(m_record.data(), LocalityRecord::kSize));
        if (m_notesBlank)
            r.note.clear();
        return r;
    }
    QString agencies() const { return field(LocalityRecord::kAgency); }
    // The grid's columns: the locality, its province and its postal code.
    QString cell(int column) const
    {
        static constexpr std::array kColumns{LocalityRecord::kLocality, LocalityRecord::kPv, LocalityRecord::kCap};
        return column >= 0 && column < int(kColumns.size()) ? field(kColumns[column]) : QString();
    }
    QStringList copied() const { return {cell(0), cell(1), cell(2)}; }
    QString note() const { return m_notesBlank ? QString() : field(LocalityRecord::kNote); }
    // The note is emptied; the other fields stay.
    void blankNotes() { m_notesBlank = true; }

private:
    QString field(TextField field) const { return readText(m_record.data(), field); }

    std::array<char, LocalityRecord::kSize> m_record{};
    bool m_notesBlank = false;
};

} // namespace zelvora
