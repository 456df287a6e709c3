#pragma once

#include "app/paged_list.h"
#include "common/street_files.h"

#include <QList>

namespace zelvora {

// A row of the street grid: the street, whose name and designation it shows,
// and its note.
struct StreetRow
{
    StreetRecord street;
    QString streetNotes;
    int record = -1; // the street's record in the city's street file
};

// Where the street list's rows come from: the open city's street file, one
// street at a time from its read position. A row shows the street and its
// urban designation; its note (read from the notes file), city tag, postal
// code and agency go to the page of rows that the street window owns. With no city open there is
// nothing to read: the page stays empty.
class StreetListSource : public PageSource
{
public:
    StreetListSource(StreetFiles &files, QList<StreetRow> &rows) : m_files(files), m_rows(rows) {}

    int readPosition() const override { return m_files.isOpen() ? m_files.position() : 0; }
    void seek(int index) override;
    bool atEnd() const override { return !m_files.isOpen() || m_files.atEnd(); }
    void readRow(QStringList &cells) override;
    void clearRowLists() override;
    QString note(int row) const override;

private:
    StreetFiles &m_files;
    QList<StreetRow> &m_rows;
};

} // namespace zelvora
