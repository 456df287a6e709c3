#pragma once

#include "app/details_form.h"
#include "locality/locality_files.h"

#include <QStringList>

namespace zelvora {

// The province table of cap.pv, loaded by the main window when it is built.
struct ProvinceTable
{
    bool provincesLoaded = false; // cap.pv was there
    QStringList provinceCodes;
    QStringList provinceNames;
};

// The details of one locality, with its printout. It reads no file: it shows
// and prints the record it is given and looks the province name up in the
// province table loaded at start-up.
class TDettagli : public DetailsForm
{
    Q_OBJECT
public:
    // The dialog looks province names up in `provinces`, which outlives it.
    explicit TDettagli(const ProvinceTable &provinces, QWidget *parent = nullptr);

    // Shows one locality, in the compact layout its notes and agency call for.
    void fill(const LocalityRecord &record);

    void FormShow();

    QList<PrintLine> printLines() const override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    const ProvinceTable &m_provinces;
    LocalityRecord m_record;
    QString m_provinceName;
};

} // namespace zelvora
