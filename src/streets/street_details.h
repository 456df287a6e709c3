#pragma once

#include "app/details_form.h"
#include "streets/street_files.h"

namespace zelvora {

// The details of one street, with its printout. It reads no file: it shows
// and prints the street it is given.
class TDettagliZone : public DetailsForm
{
    Q_OBJECT
public:
    explicit TDettagliZone(QWidget *parent = nullptr);

    // Shows one street of the city named `city` with its note, in the compact
    // layout its note and agency call for. The city line is the city and the
    // street's tags, in upper case.
    void fill(const QString &city, const StreetRecord &street, const QString &note);

    // On paper the notes come before the postal code and the agency, and the
    // street name has no label; every label is printed, also for a row the
    // compact layout hides.
    QList<PrintLine> printLines() const override;

private:
    QStringList m_texts; // the fields' texts, in table order
};

} // namespace zelvora
