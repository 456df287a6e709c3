// The check of an address list by zelvora-cerca.
#include "cli/command.h"

#include "common/error.h"
#include "common/list_check.h"
#include "common/workbook.h"
#include "common/workbook_writer.h"

#include <QFileInfo>
#include <QSaveFile>
#include <array>
#include <sys/stat.h>

namespace zelvora::cli {

namespace {

bool sameFile(const QString &a, const QString &b)
{
    struct stat sa;
    struct stat sb;
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 || ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// Where the checked list goes: standard output, or a file replaced whole at
// the end.
class CheckedOutput
{
public:
    explicit CheckedOutput(const QString &path) : m_file(path)
    {
        if (path.isEmpty() || path == u"-")
            m_stdout.open(stdout, QIODevice::WriteOnly);
        else if (!m_file.open(QIODevice::WriteOnly))
            throw Error(failure());
    }
    void write(const QByteArray &bytes) { (m_stdout.isOpen() ? static_cast<QIODevice &>(m_stdout) : m_file).write(bytes); }
    void finish()
    {
        if (m_stdout.isOpen())
            m_stdout.flush();
        else if (!m_file.commit())
            throw Error(failure());
    }

private:
    QString failure() const
    {
        return QStringLiteral("impossibile scrivere il file %1: %2").arg(m_file.fileName(), m_file.errorString());
    }
    QFile m_stdout;
    QSaveFile m_file;
};

ListColumns columnsOf(const AddressList &list, const QStringList &names)
{
    ListColumns columns;
    try {
        columns = names.isEmpty() ? ListColumns::detect(list.header()) : ListColumns::named(list.header(), names);
    } catch (const Error &error) {
        throw Error(QStringLiteral("--colonne: %1").arg(error.message()));
    }
    if (columns.index[kLocalityField] < 0) {
        QStringList shown = list.header().mid(0, 20);
        if (list.header().size() > shown.size())
            shown << QStringLiteral("...");
        throw Error(QStringLiteral("nessuna colonna della località nell'intestazione (%1): usare --colonne")
                        .arg(shown.join(QStringLiteral(", "))));
    }
    return columns;
}

using Counts = std::array<int, Verdict::kOutcomes>;

// Checks every row of `list` and writes it, as the list is written or as CSV
// or JSON as asked, to `options.output` or standard output.
Counts checkIntoList(AddressList &list, const ListColumns &columns, AddressCheck &check, const Options &options,
                     int &rows)
{
    CheckedOutput out(options.output);
    const int fields = static_cast<int>(list.header().size());
    const ListFormat &format = list.format();
    std::optional<OutputWriter> writer;
    if (options.format == OutputFormat::Aligned) {
        out.write(format.header(list.rawHeader(), verdictColumns()));
    } else {
        QList<Column> names;
        for (const QString &name : list.header())
            names.append({name, name, 0});
        for (const QString &name : verdictColumns())
            names.append({name, name, 0, name == u"cap_proposto"});
        writer.emplace(options.format, names, true);
        out.write(writer->begin());
    }
    Counts counts{};
    while (const std::optional<ListRow> row = list.next()) {
        ++rows;
        const Verdict verdict = checkRow(check, columns, *row, fields);
        ++counts[verdict.outcome];
        if (!writer) {
            out.write(format.row(*row, fields, verdictFields(verdict)));
            continue;
        }
        QStringList values = row->fields.isEmpty() ? QStringList{format.decode(row->raw)} : row->fields;
        values.resize(fields);
        out.write(writer->row(values + verdictFields(verdict)));
    }
    if (writer)
        out.write(writer->end());
    out.finish();
    return counts;
}

// The same into an .xlsx workbook: every cell a text, the outcome's cell in
// its colour; the file replaced whole at the end.
Counts checkIntoWorkbook(AddressList &list, const ListColumns &columns, AddressCheck &check, const QString &file,
                         int &rows)
{
    const int fields = static_cast<int>(list.header().size());
    XlsxListWriter workbook(file);
    if (!workbook.begin(list.header() + verdictColumns()))
        throw Error(workbook.error());
    Counts counts{};
    while (const std::optional<ListRow> row = list.next()) {
        ++rows;
        const Verdict verdict = checkRow(check, columns, *row, fields);
        ++counts[verdict.outcome];
        QStringList values = row->fields.isEmpty() ? QStringList{list.format().decode(row->raw)} : row->fields;
        values.resize(fields);
        if (!workbook.addRow(values + verdictFields(verdict), fields, outcomeColour(verdict.outcome)))
            throw Error(workbook.error());
    }
    if (!workbook.finish())
        throw Error(workbook.error());
    return counts;
}

} // namespace

int VerifyCommand::execute(const Options &options, Streams &io)
{
    AddressList list(*options.verify, options.encoding);
    if (!options.output.isEmpty() && *options.verify != u"-" && sameFile(*options.verify, options.output))
        throw Error(QStringLiteral("il file di uscita %1 è l'elenco da controllare: non lo sovrascrivo").arg(options.output));
    const ListColumns columns = columnsOf(list, options.columns);
    AddressCheck check(options.dataFolder);
    for (const QString &warning : check.warnings())
        io.message(QStringLiteral("attenzione: %1").arg(warning));
    int rows = 0;
    const Counts counts = workbookFormatOf(options.output) == WorkbookFormat::Xlsx
                              ? checkIntoWorkbook(list, columns, check, options.output, rows)
                              : checkIntoList(list, columns, check, options, rows);

    // The summary: rows read and the count of each outcome.
    QString summary = QStringLiteral("righe lette: %1").arg(rows);
    for (int o = 0; o < Verdict::kOutcomes; ++o)
        if (counts[o])
            summary += QStringLiteral("\n  %1 %2").arg(Verdict::text(Verdict::Outcome(o)).leftJustified(36)).arg(counts[o], 7);
    io.message(summary);
    return counts[Verdict::Ok] == rows ? kFound : kNothing;
}

} // namespace zelvora::cli
