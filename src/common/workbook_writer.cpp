#include "workbook_writer.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QLibrary>
#include <QSaveFile>
#include <QTemporaryFile>
#include <xlsxwriter.h>

namespace zelvora {

namespace {

// libxlsxwriter is loaded when the first workbook is written, not when the
// program starts: linked, the program would map it and the cryptography
// library it links at every start. Its functions, found by name.
struct Library
{
#define ZELVORA_XLSX_FUNCTIONS(X)                                                                        \
    X(workbook_new_opt) X(workbook_add_worksheet) X(workbook_add_format) X(workbook_close)               \
    X(format_set_bold) X(format_set_pattern) X(format_set_bg_color) X(worksheet_freeze_panes)           \
    X(worksheet_set_column) X(worksheet_write_string) X(worksheet_autofilter) X(lxw_strerror)
#define ZELVORA_XLSX_POINTER(name) decltype(&::name) name = nullptr;
    ZELVORA_XLSX_FUNCTIONS(ZELVORA_XLSX_POINTER)
    QString error;

    Library()
    {
        QLibrary library(QStringLiteral(ZELVORA_XLSXWRITER_LIBRARY));
        if (!library.load()) {
            error = QStringLiteral("impossibile caricare la libreria dei fogli di calcolo (%1): %2")
                        .arg(library.fileName(), library.errorString());
            return;
        }
#define ZELVORA_XLSX_RESOLVE(name)                                                                       \
    if (!(name = reinterpret_cast<decltype(&::name)>(library.resolve(#name))))                           \
        error = QStringLiteral("la libreria dei fogli di calcolo non ha %1").arg(QLatin1String(#name));
        ZELVORA_XLSX_FUNCTIONS(ZELVORA_XLSX_RESOLVE)
    }
};

const Library &xlsx()
{
    static const Library library; // loaded once, kept for the program's life
    return library;
}

} // namespace

struct XlsxListWriter::State
{
    QTemporaryFile temporary{QDir::temp().filePath(QStringLiteral("zelvora-XXXXXX.xlsx"))};
    QByteArray temporaryDir = QFile::encodeName(QDir::tempPath());
    lxw_workbook *book = nullptr;
    lxw_worksheet *sheet = nullptr;
    lxw_format *bold = nullptr;
    QHash<quint32, lxw_format *> fills;
    lxw_row_t row = 0;
    lxw_col_t columns = 0;

    ~State()
    {
        if (book)
            xlsx().workbook_close(book); // an unfinished workbook: only its temporary file is written
    }

    lxw_format *fillFor(quint32 colour)
    {
        lxw_format *&format = fills[colour];
        if (!format) {
            format = xlsx().workbook_add_format(book);
            xlsx().format_set_pattern(format, LXW_PATTERN_SOLID);
            xlsx().format_set_bg_color(format, colour & 0xFFFFFF);
        }
        return format;
    }
};

XlsxListWriter::XlsxListWriter(const QString &fileName) : m_state(std::make_unique<State>()), m_fileName(fileName) {}

XlsxListWriter::~XlsxListWriter() = default;

bool XlsxListWriter::fail(int code)
{
    if (m_error.isEmpty())
        m_error = QStringLiteral("impossibile scrivere la cartella di lavoro: %1")
                      .arg(QString::fromUtf8(xlsx().lxw_strerror(static_cast<lxw_error>(code))));
    return false;
}

bool XlsxListWriter::begin(const QStringList &header)
{
    State &s = *m_state;
    const Library &x = xlsx();
    if (!x.error.isEmpty()) {
        m_error = x.error;
        return false;
    }
    if (!s.temporary.open()) {
        m_error = QStringLiteral("impossibile creare un file temporaneo: %1").arg(s.temporary.errorString());
        return false;
    }
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = s.temporaryDir.data();
    options.use_zip64 = LXW_TRUE;
    s.book = x.workbook_new_opt(QFile::encodeName(s.temporary.fileName()).constData(), &options);
    if (!s.book || !(s.sheet = x.workbook_add_worksheet(s.book, "Verifica"))) {
        m_error = QStringLiteral("impossibile creare la cartella di lavoro");
        return false;
    }
    s.bold = x.workbook_add_format(s.book);
    x.format_set_bold(s.bold);
    s.columns = static_cast<lxw_col_t>(header.size());
    x.worksheet_freeze_panes(s.sheet, 1, 0);
    x.worksheet_set_column(s.sheet, 0, s.columns ? s.columns - 1 : 0, 18, nullptr);
    for (int c = 0; c < header.size(); ++c)
        if (const lxw_error e = x.worksheet_write_string(s.sheet, 0, c, header.at(c).toUtf8().constData(), s.bold))
            return fail(e);
    s.row = 1;
    return true;
}

bool XlsxListWriter::addRow(const QStringList &cells, int fillColumn, quint32 fill)
{
    State &s = *m_state;
    if (!m_error.isEmpty() || !s.sheet)
        return false;
    if (s.row >= LXW_ROW_MAX) {
        m_error = QStringLiteral("la cartella di lavoro non può avere più di %1 righe").arg(LXW_ROW_MAX);
        return false;
    }
    for (int c = 0; c < cells.size() && c < static_cast<int>(LXW_COL_MAX); ++c) {
        if (cells.at(c).isEmpty() && c != fillColumn)
            continue;
        QByteArray text = cells.at(c).left(kLongestCell).toUtf8();
        lxw_format *format = c == fillColumn && fill ? s.fillFor(fill) : nullptr;
        if (const lxw_error e = xlsx().worksheet_write_string(s.sheet, s.row, static_cast<lxw_col_t>(c), text.constData(), format))
            return fail(e);
        s.columns = std::max(s.columns, static_cast<lxw_col_t>(c + 1));
    }
    ++s.row;
    return true;
}

bool XlsxListWriter::finish()
{
    State &s = *m_state;
    if (!m_error.isEmpty() || !s.book)
        return false;
    if (s.columns)
        xlsx().worksheet_autofilter(s.sheet, 0, 0, s.row - 1, s.columns - 1);
    const lxw_error closed = xlsx().workbook_close(s.book);
    s.book = nullptr;
    if (closed)
        return fail(closed);
    // The workbook is whole in the temporary file: now it replaces the file
    // in one step.
    QFile written(s.temporary.fileName());
    QSaveFile out(m_fileName);
    if (!written.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly)) {
        m_error = QStringLiteral("impossibile scrivere il file %1: %2").arg(m_fileName, out.errorString());
        return false;
    }
    while (!written.atEnd()) {
        const QByteArray piece = written.read(1 << 20);
        if (piece.isEmpty() || out.write(piece) != piece.size())
            break;
    }
    if (!written.atEnd() || !out.commit()) {
        m_error = QStringLiteral("impossibile scrivere il file %1: %2").arg(m_fileName, out.errorString());
        return false;
    }
    return true;
}

} // namespace zelvora
