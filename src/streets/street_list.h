#pragma once

#include "app/paged_list.h"
#include "app/toolkit/string_grid.h"
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

    // The grid shows the street and its designation; a copy adds its code.
    QString cell(int column) const { return column == 0 ? street.street : column == 1 ? street.designation : QString(); }
    QStringList copied() const { return {street.street, street.designation, street.cap}; }
    QString note() const { return streetNotes; }
};

// Where the street list's rows come from: the open city's files, which the
// source keeps, read from the street file one street at a time from its read
// position. A row shows the street and its urban designation; its note (read
// from the notes file), city tag, postal code and agency stay in the page's
// rows. With no city open there is nothing
// to read: the page stays empty.
class StreetListSource : public PageSource
{
public:
    StreetFiles &files() { return m_files; }

    int readPosition() const override { return m_files.isOpen() ? m_files.position() : 0; }
    void seek(int index) override;
    bool atEnd() const override { return !m_files.isOpen() || m_files.atEnd(); }
    void readRow() override;
    PageModel<StreetRow> &page() override { return m_page; }

private:
    StreetFiles m_files; // the open city's files
    PageModel<StreetRow> m_page;
};

} // namespace zelvora
