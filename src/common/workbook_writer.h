#pragma once

#include <QString>
#include <QStringList>
#include <memory>

namespace zelvora {

// Writes a checked list as an .xlsx workbook of one sheet: the header row
// bold and frozen, with a filter on every column; every cell a text, so that
// postal codes keep their leading zeros; a row's outcome cell filled with
// the outcome's colour. The rows go to a temporary file as they come (little
// memory whatever the list's length); finish() then replaces the file whole,
// or leaves it as it was.
class XlsxListWriter
{
public:
    explicit XlsxListWriter(const QString &fileName);
    ~XlsxListWriter();
    XlsxListWriter(const XlsxListWriter &) = delete;
    XlsxListWriter &operator=(const XlsxListWriter &) = delete;

    // Each returns false, with error(), once something failed.
    bool begin(const QStringList &header);
    // `fill` (0xRRGGBB) is the colour of cell `fillColumn` (none when it is
    // 0).
    bool addRow(const QStringList &cells, int fillColumn = -1, quint32 fill = 0);
    bool finish();
    QString error() const { return m_error; }

    // The longest text a cell of the format holds; longer ones are cut.
    static constexpr int kLongestCell = 32767;

private:
    struct State;
    bool fail(int code);
    std::unique_ptr<State> m_state;
    QString m_fileName;
    QString m_error;
};

} // namespace zelvora
