#pragma once

#include "app/details_form.h"

#include <QStringList>

class QLabel;

namespace zelvora {

class Edit;

// The province table of cap.pv, loaded by the main window when it is built.
struct ProvinceTable
{
    bool provincesLoaded = false; // cap.pv was there
    QStringList provinceCodes;
    QStringList provinceNames;
};

// The details of one locality of the results list, with its printout. It
// reads no file: it shows the texts it is given and looks the province name
// up in the province table loaded at start-up.
class TDettagli : public DetailsForm
{
    Q_OBJECT
public:
    // The dialog looks province names up in `provinces`, which outlives it.
    explicit TDettagli(const ProvinceTable &provinces, QWidget *parent = nullptr);

    // Shows one row of the results list: the grid's three columns, then the
    // row's bilingual name, agency and notes.
    void fill(const QString &locality, const QString &province, const QString &cap, const QString &bils,
              const QString &agencies, const QString &notes);

    void FormShow();

    QList<PrintLine> printLines() const override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLabel *LLoc = nullptr;
    QLabel *LPv = nullptr;
    QLabel *LCap = nullptr;
    QLabel *LRec = nullptr;
    QLabel *LNot = nullptr;
    Edit *ELoc = nullptr;
    Edit *EBil = nullptr;
    Edit *EPv = nullptr;
    Edit *EPro = nullptr;
    Edit *ECap = nullptr;
    Edit *ERec = nullptr;
    Edit *ENot = nullptr;

    const ProvinceTable &m_provinces;
};

} // namespace zelvora
