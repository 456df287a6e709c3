#pragma once

#include "app/details_form.h"
#include "common/locality_database.h"
#include "common/locality_files.h"

#include <QStringList>

namespace zelvora {

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
