#include "list_window.h"

#include "app/application.h"
#include "app/error_report.h"
#include "app/file_dialog.h"
#include "app/fonts.h"
#include "app/message_box.h"
#include "app/pictures.h"
#include "app/toolkit/panel.h"
#include "app/window_helpers.h"
#include "common/short_string.h"
#include "common/workbook_writer.h"

#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QKeyEvent>
#include <QTableView>
#include <sys/stat.h>

namespace zelvora {

namespace {

// Caption of every message of the window.
const QString kCaption = QStringLiteral("Verifica elenco");
const QString kNoColumn = QStringLiteral("(nessuna)");
const std::array<QString, kListFields> kColumnCaptions{
    QStringLiteral("&Località"), QStringLiteral("&Provincia"), QStringLiteral("&C.A.P."), QStringLiteral("&Indirizzo"),
    QStringLiteral("Ci&vico")};
const std::array<const char *, kListFields> kColumnNames{"ColonnaLocalita", "ColonnaProvincia", "ColonnaCap",
                                                                  "ColonnaIndirizzo", "ColonnaCivico"};
// The time left is shown once a check has run this long.
constexpr qint64 kShowTimeLeftMs = 2000;

// A panel with the raised outer and lowered inner bevel, as the other
// windows have.
Panel *panel(QWidget *parent, const char *name, QRect geometry, const QString &accessibleName)
{
    auto *frame = place(new Panel(parent), name, geometry.x(), geometry.y(), geometry.width(), geometry.height());
    frame->setBevels(Panel::Bevel::Raised, Panel::Bevel::Lowered, 2, 3);
    frame->setAccessibleName(accessibleName);
    return frame;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption, QRect geometry, const QString &hint)
{
    auto *b = place(new QPushButton(caption, parent), name, geometry.x(), geometry.y(), geometry.width(), geometry.height());
    b->setAutoDefault(false);
    b->setFont(windowFont(11, true));
    b->setAccessibleName(QString(caption).remove(u'&').remove(QStringLiteral("...")));
    setHint(b, hint);
    return b;
}

// Whether two names are one file (the same inode, or the same path).
bool sameFile(const QString &a, const QString &b)
{
    struct stat sa;
    struct stat sb;
    if (::stat(QFile::encodeName(a).constData(), &sa) == 0 && ::stat(QFile::encodeName(b).constData(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

QString thousands(qint64 n)
{
    return QLocale(QLocale::Italian).toString(n);
}

} // namespace

ListWindow::ListWindow(const SharedSettings &settings, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_settings(settings), m_check(std::make_unique<ListWorker>(settings.dataFolder))
{
    setObjectName(QStringLiteral("VerificaElenco"));
    setWindowTitle(QStringLiteral("Verifica elenco di indirizzi"));
    setWindowIcon(programIcon());
    m_filter.setSourceModel(&m_model);
    m_filter.setSortRole(Qt::DisplayRole);
    m_filter.setSortLocaleAware(false);
    buildLayout();
    connectControls();
    setBusy(false);
}

ListWindow::~ListWindow()
{
    // The check's thread ends before the model it reports to goes.
    m_check->disconnect(this);
    m_check.reset();
}

void ListWindow::buildLayout()
{
    setFixedSize(1000, 560);
    setAutoFillBackground(true);
    colour(this, QPalette::Window, kSilver);
    setFont(windowFont(11));

    Panel *top = panel(this, "Panel1", QRect(0, 0, 1000, 122), QStringLiteral("Elenco e colonne"));
    auto *emblem = place(new QLabel(top), "Image1", 12, 10, 48, 48);
    emblem->setPixmap(picture(QStringLiteral(":/zelvora/emblem.rgba"), QSize(48, 48)));
    emblem->setAccessibleName(QStringLiteral("Emblema C.A.P."));
    ApriElenco = button(top, "ApriElenco", QStringLiteral("&Apri elenco..."), QRect(72, 12, 120, 25),
                        QStringLiteral("Apri un elenco di indirizzi: CSV, testo, Excel (.xlsx) o OpenDocument (.ods)"));
    NomeElenco = place(new QLabel(QStringLiteral("Nessun elenco aperto"), top), "NomeElenco", 204, 12, 780, 25);
    NomeElenco->setFont(windowFont(12, true));
    colour(NomeElenco, QPalette::WindowText, kNavy);
    NomeElenco->setAccessibleName(QStringLiteral("Elenco"));
    buildColumns(top);

    Panel *middle = panel(this, "Panel2", QRect(0, 122, 1000, 388), QStringLiteral("Risultato"));
    buildResults(middle);
    Panel *bottom = panel(this, "Panel3", QRect(0, 510, 1000, 50), QStringLiteral("Ordine e salvataggio"));
    buildButtons(bottom);

    setTabOrder(ApriElenco, Colonne[0]);
    for (int w = 1; w < kListFields; ++w)
        setTabOrder(Colonne[w - 1], Colonne[w]);
    for (auto [from, to] : std::initializer_list<std::pair<QWidget *, QWidget *>>{
             {Colonne.back(), Verifica}, {Verifica, Annulla}, {Annulla, Esiti}, {Esiti, Risultati},
             {Risultati, OrdinaPer}, {OrdinaPer, Decrescente}, {Decrescente, Salva}, {Salva, Chiudi}})
        setTabOrder(from, to);
}

// The five drop-down lists of the columns, the check's buttons, its progress
// and its summary.
void ListWindow::buildColumns(QWidget *panel)
{
    for (int w = 0; w < kListFields; ++w) {
        const int left = 72 + w * 176;
        auto *label = place(new QLabel(kColumnCaptions[w], panel), "", left, 48, 64, 21);
        label->setObjectName(QStringLiteral("L") + QLatin1String(kColumnNames[w]));
        Colonne[w] = place(new QComboBox(panel), kColumnNames[w], left + 66, 48, 100, 21);
        Colonne[w]->setFont(windowFont(11, true));
        colour(Colonne[w], QPalette::Base, kCyan);
        colour(Colonne[w], QPalette::Button, kCyan);
        Colonne[w]->setAccessibleName(QStringLiteral("Colonna ") + QString(kColumnCaptions[w]).remove(u'&'));
        setHint(Colonne[w], QStringLiteral("La colonna dell'elenco che tiene questo campo"));
        label->setBuddy(Colonne[w]);
    }
    Verifica = button(panel, "Verifica", QStringLiteral("&Verifica"), QRect(72, 84, 90, 25),
                      QStringLiteral("Controlla ogni riga dell'elenco"));
    Annulla = button(panel, "Annulla", QStringLiteral("A&nnulla"), QRect(170, 84, 90, 25),
                     QStringLiteral("Ferma la verifica"));
    Avanzamento = place(new QProgressBar(panel), "Avanzamento", 272, 86, 220, 21);
    Avanzamento->setFormat(QStringLiteral("%v di %m righe"));
    Avanzamento->setRange(0, 1);
    Avanzamento->setValue(0);
    Avanzamento->setAccessibleName(QStringLiteral("Avanzamento"));
    Riepilogo = place(new QLabel(panel), "Riepilogo", 504, 84, 486, 25);
    Riepilogo->setWordWrap(true);
    colour(Riepilogo, QPalette::WindowText, kNavy);
    Riepilogo->setAccessibleName(QStringLiteral("Riepilogo"));
}

// The counts of each outcome, which filter the table, and the table.
void ListWindow::buildResults(QWidget *panel)
{
    auto *title = columnTitle(panel, "TitoloEsiti", QStringLiteral("Esiti"), 8, 250);
    title->move(8, 8);
    Esiti = place(new QListWidget(panel), "Esiti", 8, 26, 250, 354);
    colour(Esiti, QPalette::Base, kCyan);
    Esiti->setAccessibleName(QStringLiteral("Esiti"));
    Esiti->setAccessibleDescription(QStringLiteral("Scegliere un esito mostra solo le sue righe"));
    setHint(Esiti, QStringLiteral("Scegli un esito per vedere solo le sue righe"));
    Risultati = place(new QTableView(panel), "Risultati", 266, 8, 726, 372);
    Risultati->setModel(&m_filter);
    Risultati->setSelectionBehavior(QAbstractItemView::SelectRows);
    Risultati->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Risultati->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Risultati->setSortingEnabled(true);
    Risultati->sortByColumn(-1, Qt::AscendingOrder);
    Risultati->setWordWrap(false);
    Risultati->verticalHeader()->setDefaultSectionSize(scaleByPixelsPerInch(17, m_settings.pixelsPerInch));
    Risultati->horizontalHeader()->setFont(windowFont(11, true));
    colour(Risultati, QPalette::Base, kCyan);
    Risultati->setAccessibleName(QStringLiteral("Righe dell'elenco"));
    setHint(Risultati, QStringLiteral("Doppio click o Invio per i dettagli, Ctrl+C copia le righe scelte"));
}

void ListWindow::buildButtons(QWidget *panel)
{
    auto *label = place(new QLabel(QStringLiteral("&Ordina per"), panel), "LOrdinaPer", 12, 14, 64, 21);
    OrdinaPer = place(new QComboBox(panel), "OrdinaPer", 80, 14, 180, 21);
    OrdinaPer->setAccessibleName(QStringLiteral("Ordina per"));
    colour(OrdinaPer, QPalette::Base, kCyan);
    colour(OrdinaPer, QPalette::Button, kCyan);
    label->setBuddy(OrdinaPer);
    Decrescente = place(new QCheckBox(QStringLiteral("&Decrescente"), panel), "Decrescente", 272, 14, 110, 21);
    Decrescente->setAccessibleName(QStringLiteral("Decrescente"));
    Salva = button(panel, "Salva", QStringLiteral("&Salva risultato..."), QRect(740, 12, 140, 25),
                   QStringLiteral("Scrive le righe con il loro esito in CSV o in .xlsx"));
    Chiudi = button(panel, "Chiudi", QStringLiteral("&Esci"), QRect(892, 12, 96, 25), QStringLiteral("Ritorna a Zelvora"));
}

void ListWindow::connectControls()
{
    connectGuarded(ApriElenco, &QPushButton::clicked, this, &ListWindow::ApriElencoClick);
    connectGuarded(Verifica, &QPushButton::clicked, this, &ListWindow::VerificaClick);
    connectGuarded(Annulla, &QPushButton::clicked, this, &ListWindow::AnnullaClick);
    connectGuarded(Salva, &QPushButton::clicked, this, &ListWindow::SalvaClick);
    connect(Chiudi, &QPushButton::clicked, this, &ListWindow::reject);
    connectGuarded(Esiti, &QListWidget::currentRowChanged, this, &ListWindow::EsitiChange);
    connectGuarded(OrdinaPer, &QComboBox::currentIndexChanged, this, &ListWindow::OrdinaChange);
    connectGuarded(Decrescente, &QCheckBox::toggled, this, &ListWindow::OrdinaChange);
    connect(Risultati, &QTableView::activated, this, [this](const QModelIndex &index) { guarded([&] { RisultatiOpen(index); }); });
    // Ctrl+C copies the selected rows; the table's own copies one cell.
    Risultati->installEventFilter(this);
    connect(Risultati->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this, [this](int column, Qt::SortOrder order) {
        const QSignalBlocker a(OrdinaPer), b(Decrescente);
        OrdinaPer->setCurrentIndex(column + 1);
        Decrescente->setChecked(order == Qt::DescendingOrder);
    });
    connect(m_check.get(), &ListWorker::loaded, this, &ListWindow::listLoaded);
    connect(m_check.get(), &ListWorker::loadFailed, this, [this](const QString &message) {
        setBusy(false);
        NomeElenco->setText(QStringLiteral("Nessun elenco aperto"));
        showMessage(QStringLiteral("Impossibile aprire l'elenco:\r") + message, kCaption, MessageIcon::Error);
    });
    connect(m_check.get(), &ListWorker::checkedRows, this, &ListWindow::rowsChecked);
    connect(m_check.get(), &ListWorker::finished, this, &ListWindow::checkFinished);
}

void ListWindow::ApriElencoClick()
{
    const QString file = fileDialogs().openFileName(
        this, QStringLiteral("Apri elenco di indirizzi"),
        QStringLiteral("Elenchi (*.csv *.txt *.xlsx *.ods);;CSV e testo (*.csv *.txt);;Excel (*.xlsx);;"
                       "OpenDocument (*.ods);;Tutti i file (*)"));
    if (file.isEmpty())
        return;
    m_check->cancel();
    m_fileName = file;
    NomeElenco->setText(QStringLiteral("Lettura di %1...").arg(QFileInfo(file).fileName()));
    m_checking = true;
    setBusy(true);
    Annulla->setEnabled(false);
    m_check->load(file);
}

void ListWindow::listLoaded(const QStringList &header, const QList<ListRow> &rows, const ListWorker::Format &format)
{
    m_format = format;
    m_model.setList(header, rows);
    m_counts.fill(0);
    const ListColumns found = ListColumns::detect(header);
    for (int w = 0; w < kListFields; ++w) {
        const QSignalBlocker block(Colonne[w]);
        Colonne[w]->clear();
        Colonne[w]->addItem(kNoColumn);
        Colonne[w]->addItems(header);
        Colonne[w]->setCurrentIndex(found.index[w] + 1);
    }
    {
        const QSignalBlocker block(OrdinaPer);
        OrdinaPer->clear();
        OrdinaPer->addItem(QStringLiteral("ordine dell'elenco"));
        for (int c = 0; c < m_model.columnCount(); ++c)
            OrdinaPer->addItem(m_model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
    }
    NomeElenco->setText(QStringLiteral("%1: %2 righe").arg(QFileInfo(m_fileName).fileName(), thousands(rows.size())));
    NomeElenco->setAccessibleName(QStringLiteral("Elenco ") + NomeElenco->text());
    m_checking = false;
    setBusy(false);
    showCounts();
    showProgress();
    Colonne[0]->setFocus();
}

ListColumns ListWindow::chosenColumns() const
{
    ListColumns columns;
    for (int w = 0; w < kListFields; ++w)
        columns.index[w] = Colonne[w]->currentIndex() - 1;
    return columns;
}

void ListWindow::VerificaClick()
{
    if (m_checking || m_model.rowCount() == 0)
        return;
    const ListColumns columns = chosenColumns();
    if (columns.index[kLocalityField] < 0) {
        showMessage(QStringLiteral("Scegliere la colonna della località."), kCaption, MessageIcon::Information);
        Colonne[kLocalityField]->setFocus();
        return;
    }
    m_model.clearVerdicts();
    m_counts.fill(0);
    m_cancelled = false;
    m_checking = true;
    setBusy(true);
    m_elapsed.start();
    showProgress();
    showCounts();
    m_check->check(m_model.rows(), columns, m_model.listColumns());
}

void ListWindow::AnnullaClick()
{
    m_check->cancel();
}

void ListWindow::rowsChecked(const QList<Verdict> &verdicts)
{
    for (const Verdict &v : verdicts)
        if (v.outcome >= 0 && v.outcome < Verdict::kOutcomes)
            ++m_counts[v.outcome];
    m_model.addVerdicts(verdicts);
    showProgress();
    showCounts();
}

void ListWindow::checkFinished(bool cancelled, const QString &error)
{
    m_checking = false;
    m_cancelled = cancelled;
    setBusy(false);
    showProgress();
    if (!error.isEmpty())
        reportError(error);
}

void ListWindow::setBusy(bool checking)
{
    const bool loaded = m_model.rowCount() > 0;
    ApriElenco->setEnabled(!checking);
    for (QComboBox *column : Colonne)
        column->setEnabled(!checking && loaded);
    Verifica->setEnabled(!checking && loaded);
    Annulla->setEnabled(checking);
    Salva->setEnabled(!checking && loaded);
    if (checking)
        Annulla->setFocus();
    else if (!Annulla->isEnabled() && focusWidget() == nullptr)
        Verifica->setFocus();
}

// The progress bar and the summary line, whose accessible names a screen
// reader is told each time they change.
void ListWindow::showProgress()
{
    const int total = m_model.rowCount();
    const int done = m_model.checked();
    Avanzamento->setRange(0, std::max(total, 1));
    Avanzamento->setValue(done);
    QString text = QStringLiteral("Verificate %1 di %2 righe").arg(thousands(done), thousands(total));
    if (m_checking && done > 0 && m_elapsed.elapsed() >= kShowTimeLeftMs) {
        const qint64 left = m_elapsed.elapsed() * (total - done) / done / 1000;
        text += left >= 60 ? QStringLiteral(", circa %1 min rimasti").arg((left + 59) / 60)
                           : QStringLiteral(", circa %1 s rimasti").arg(left + 1);
    } else if (!m_checking && m_cancelled) {
        text = QStringLiteral("Verifica annullata: ") + text;
    } else if (!m_checking && done == total && total > 0) {
        text = QStringLiteral("Verifica finita: ") + text;
    }
    Riepilogo->setText(text);
    if (Avanzamento->accessibleName() != text) {
        Avanzamento->setAccessibleName(text);
        Riepilogo->setAccessibleName(text);
    }
}

// One line per outcome found, with its count, after the line of all rows;
// the line chosen stays chosen as the counts grow.
void ListWindow::showCounts()
{
    const int chosen = m_filter.outcome();
    QList<QPair<QString, int>> lines{{QStringLiteral("Tutte le righe: %1").arg(thousands(m_model.rowCount())), -1}};
    for (int o = 0; o < Verdict::kOutcomes; ++o)
        if (m_counts[o] || o == chosen)
            lines.append({QStringLiteral("%1: %2").arg(Verdict::text(Verdict::Outcome(o)), thousands(m_counts[o])), o});
    const QSignalBlocker block(Esiti);
    while (Esiti->count() > lines.size())
        delete Esiti->takeItem(Esiti->count() - 1);
    for (int i = 0; i < lines.size(); ++i) {
        QListWidgetItem *item = i < Esiti->count() ? Esiti->item(i) : new QListWidgetItem(Esiti);
        if (item->text() != lines[i].first)
            item->setText(lines[i].first);
        item->setData(Qt::UserRole, lines[i].second);
        if (lines[i].second >= 0)
            item->setBackground(QColor(QRgb(outcomeColour(Verdict::Outcome(lines[i].second)))));
        if (lines[i].second == chosen)
            Esiti->setCurrentRow(i);
    }
}

void ListWindow::EsitiChange()
{
    const QListWidgetItem *item = Esiti->currentItem();
    const int outcome = item ? item->data(Qt::UserRole).toInt() : -1;
    m_filter.setOutcome(outcome);
    Risultati->setAccessibleName(outcome < 0 ? QStringLiteral("Righe dell'elenco")
                                             : QStringLiteral("Righe dell'elenco, solo %1").arg(Verdict::text(Verdict::Outcome(outcome))));
}

void ListWindow::OrdinaChange()
{
    const int column = OrdinaPer->currentIndex() - 1;
    Risultati->sortByColumn(column, Decrescente->isChecked() ? Qt::DescendingOrder : Qt::AscendingOrder);
    if (column < 0)
        m_filter.sort(-1);
}

void ListWindow::RisultatiOpen(const QModelIndex &index)
{
    const int row = m_filter.mapToSource(index).row();
    if (row < 0 || row >= m_model.checked())
        return;
    const Verdict &v = m_model.verdict(row);
    if (v.city >= 0 && v.street >= 0 && openStreet && openStreet(this, v.city, v.street))
        return;
    if (!v.locality.isEmpty() && openLocality && openLocality(this, v.locality, v.pv.section(u' ', 0, 0)))
        return;
    showMessage(QStringLiteral("Per questa riga non è stata trovata una località."), kCaption, MessageIcon::Information);
}

void ListWindow::RisultatiCopy()
{
    QList<int> rows;
    for (const QModelIndex &index : Risultati->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    QStringList lines;
    for (const int row : rows)
        lines << m_model.rowTexts(m_filter.mapToSource(m_filter.index(row, 0)).row()).join(u'\t');
    if (!lines.isEmpty())
        QGuiApplication::clipboard()->setText(lines.join(u'\n') + u'\n');
}

bool ListWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Risultati && (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)
        && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy)) {
        if (event->type() == QEvent::KeyPress)
            guarded([this] { RisultatiCopy(); });
        event->accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void ListWindow::SalvaClick()
{
    QString filter;
    QString file = fileDialogs().saveFileName(this, QStringLiteral("Salva risultato"),
                                              QStringLiteral("Cartella di lavoro Excel (*.xlsx);;CSV (*.csv)"), &filter);
    if (file.isEmpty())
        return;
    const bool workbook = file.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive)
                          || (!file.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive) && filter.contains(u"xlsx"));
    if (QFileInfo(file).suffix().isEmpty())
        file += workbook ? QStringLiteral(".xlsx") : QStringLiteral(".csv");
    if (sameFile(file, m_fileName)) {
        showMessage(QStringLiteral("Il file %1\rè l'elenco da verificare: non viene sovrascritto.").arg(file), kCaption,
                    MessageIcon::Error);
        return;
    }
    QString error;
    if (!save(file, workbook, &error))
        showMessage(error, kCaption, MessageIcon::Error);
    else
        Riepilogo->setText(QStringLiteral("Salvato in %1").arg(QFileInfo(file).fileName()));
}

bool ListWindow::save(const QString &fileName, bool workbook, QString *error) const
{
    return workbook ? saveWorkbook(fileName, error) : saveCsv(fileName, error);
}

// As the command line writes it: the list's rows as they came, in its own
// separator, encoding, byte order mark and line ends (a workbook's in UTF-8
// with semicolons), the five columns after them.
bool ListWindow::saveCsv(const QString &fileName, QString *error) const
{
    const ListFormat &format = m_format.format;
    const QStringList unchecked(verdictColumns().size(), QString());
    QSaveFile out(fileName);
    if (out.open(QIODevice::WriteOnly)) {
        out.write(format.header(m_format.rawHeader, verdictColumns()));
        for (int row = 0; row < m_model.rowCount(); ++row)
            out.write(format.row(m_model.rows().at(row), m_model.listColumns(),
                                 row < m_model.checked() ? verdictFields(m_model.verdict(row)) : unchecked));
        if (out.commit())
            return true;
    }
    *error = QStringLiteral("Impossibile scrivere il file %1:\r%2").arg(fileName, out.errorString());
    return false;
}

bool ListWindow::saveWorkbook(const QString &fileName, QString *error) const
{
    XlsxListWriter writer(fileName);
    bool ok = writer.begin(m_model.header() + verdictColumns());
    for (int row = 0; ok && row < m_model.rowCount(); ++row) {
        const bool isChecked = row < m_model.checked();
        ok = writer.addRow(m_model.rowTexts(row), m_model.listColumns(),
                           isChecked ? outcomeColour(m_model.verdict(row).outcome) : 0);
    }
    if (ok && writer.finish())
        return true;
    *error = writer.error();
    return false;
}

void ListWindow::reject()
{
    // Closing ends a check in progress; its thread stops with the window.
    m_check->cancel();
    QDialog::reject();
}

void ListWindow::closeEvent(QCloseEvent *event)
{
    m_check->cancel();
    QDialog::closeEvent(event);
}

} // namespace zelvora
