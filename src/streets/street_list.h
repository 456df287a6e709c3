#pragma once

#include "app/paged_list.h"
#include "streets/street_files.h"

namespace zelvora {

// Where the street list's rows come from: the open city's street file, one
// street at a time from its read position. A row shows the street and its
// urban designation; its note (read from the notes file), city tag, postal
// code and agency go to the street row lists. With no city open there is
// nothing to read: the page stays empty.
class StreetListSource : public PageSource
{
public:
    explicit StreetListSource(StreetFiles &files) : m_files(files) {}

    int readPosition() const override { return m_files.isOpen() ? m_files.position() : 0; }
    void seek(int index) override;
    bool atEnd() const override { return !m_files.isOpen() || m_files.atEnd(); }
    QStringList readRow() override;
    void clearRowLists() override;
    QString note(int row) const override;

private:
    StreetFiles &m_files;
};

} // namespace zelvora
