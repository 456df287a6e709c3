#pragma once

#include "app/toolkit/string_grid.h"

namespace zelvora::test {

// A row of plain texts and a note, for a grid's page outside the windows.
struct TextRow
{
    QStringList cells;
    QString noteText;
    QString cell(int column) const { return cells.value(column); }
    QStringList copied() const { return cells; }
    QString note() const { return noteText; }
};
using TextPage = PageModel<TextRow>;

} // namespace zelvora::test
