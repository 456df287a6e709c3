#pragma once

#include "app/details_form.h"

class QLabel;

namespace zelvora {

class Edit;

// The details of one street of the street list, with its printout. It reads
// no file: it shows and prints the texts it is given.
class TDettagliZone : public DetailsForm
{
    Q_OBJECT
public:
    explicit TDettagliZone(QWidget *parent = nullptr);

    // Shows one row of the street list: the city line (the city and its
    // tags), the street and the locality of the grid, then the row's notes,
    // postal codes and agency.
    void fill(const QString &cityLine, const QString &street, const QString &locality, const QString &notes,
              const QString &caps, const QString &agencies);

    // On paper the notes come before the postal code and the agency, and the
    // street name has no label; every label is printed, also for a row the
    // compact layout hides.
    QList<PrintLine> printLines() const override;

private:
    QLabel *LCitZon = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *LUffCon = nullptr;
    QLabel *LCivZon = nullptr;
    Edit *ECitZon = nullptr; // shows and prints what it holds in upper case
    Edit *EViaZon = nullptr;
    Edit *ELocZon = nullptr;
    Edit *ECapZon = nullptr;
    Edit *EUffCon = nullptr;
    Edit *ECivZon = nullptr;
};

} // namespace zelvora
