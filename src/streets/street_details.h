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

    // On paper the notes come before the postal code and the agency, and the
    // street name has no label; every label is printed, also for a row the
    // compact layout hides.
    QList<PrintLine> printLines() const override;
};

} // namespace zelvora
