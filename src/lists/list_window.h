#pragma once

#include "app/shared_settings.h"
#include "lists/list_worker.h"
#include "lists/list_model.h"

#include <QDialog>
#include <QElapsedTimer>
#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QProgressBar;
class QPushButton;
class QTableView;

namespace zelvora {

// The check of an address list: the user opens a list (CSV, text, .xlsx or
// .ods), sees its columns found by their headers in four drop-down lists he
// may change, and starts the check, which runs on a thread of its own while
// a progress bar counts the rows and the table fills with every row's
// outcome. The counts of each outcome filter the table; any column sorts it;
// Ctrl+C copies the selected rows; Enter or a double click opens the details
// of the row's locality or street; "Salva risultato..." writes the rows with
// their outcomes as CSV or .xlsx. The main window opens it modally.
class ListWindow : public QDialog
{
    Q_OBJECT
public:
    // `settings` are the data folder and pixels per inch of the opener.
    explicit ListWindow(const SharedSettings &settings, QWidget *parent = nullptr);
    ~ListWindow() override;

    // What opens the details of a row: start-up hands them over, so that
    // this window knows neither of the two subsystems.
    std::function<bool(QWidget *owner, const QString &locality, const QString &pv)> openLocality;
    std::function<bool(QWidget *owner, int city, int street)> openStreet;

    // Handlers.
    void ApriElencoClick();
    void VerificaClick();
    void AnnullaClick();
    void SalvaClick();
    void EsitiChange();
    void OrdinaChange();
    void RisultatiOpen(const QModelIndex &index);
    void RisultatiCopy();

    const ListModel &model() const { return m_model; }
    bool checking() const { return m_checking; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void buildLayout();
    void buildColumns(QWidget *panel);
    void buildResults(QWidget *panel);
    void buildButtons(QWidget *panel);
    void connectControls();
    void listLoaded(const QStringList &header, const QList<ListRow> &rows, const ListWorker::Format &format);
    void rowsChecked(const QList<Verdict> &verdicts);
    void checkFinished(bool cancelled, const QString &error);
    void showCounts();
    void showProgress();
    void setBusy(bool checking);
    ListColumns chosenColumns() const;
    bool save(const QString &fileName, bool workbook, QString *error) const;
    bool saveCsv(const QString &fileName, QString *error) const;
    bool saveWorkbook(const QString &fileName, QString *error) const;

    // Controls, named as their objectNames; tests reach them by those names.
    QPushButton *ApriElenco = nullptr;
    QLabel *NomeElenco = nullptr;
    std::array<QComboBox *, kListFields> Colonne{};
    QPushButton *Verifica = nullptr;
    QPushButton *Annulla = nullptr;
    QProgressBar *Avanzamento = nullptr;
    QLabel *Riepilogo = nullptr;
    QListWidget *Esiti = nullptr;
    QTableView *Risultati = nullptr;
    QComboBox *OrdinaPer = nullptr;
    QCheckBox *Decrescente = nullptr;
    QPushButton *Salva = nullptr;
    QPushButton *Chiudi = nullptr;

    const SharedSettings m_settings;
    ListModel m_model;
    ListFilter m_filter;
    std::unique_ptr<ListWorker> m_check;
    QString m_fileName;
    ListWorker::Format m_format;
    std::array<int, Verdict::kOutcomes> m_counts{};
    QElapsedTimer m_elapsed;
    bool m_checking = false;
    bool m_cancelled = false;
};

} // namespace zelvora
