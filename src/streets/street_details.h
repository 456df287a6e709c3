#pragma once

#include "app/details_form.h"
#include "common/street_files.h"

class QLabel;
class QListWidget;

namespace zelvora {

// A code of a street with the house numbers a source gives it: a register's
// range ("1-99 dispari") or one number a source saw it at ("113").
struct NumberCode
{
    QString numbers;
    QString cap;
};

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

    // A street with several codes lists each range or number with its code
    // under the fields, scrolling when long, and the dialog grows to hold
    // the list; a street with one code looks as it always did.
    void showNumberCodes(const QList<NumberCode> &numbers);

    // How many lines of the list the printout holds; when there are more, the
    // last of them says how many were left out.
    static constexpr int kPrintedNumberLines = 23;

    // On paper the notes come before the postal code and the agency, and the
    // street name has no label; every label is printed, also for a row the
    // compact layout hides.
    QList<PrintLine> printLines() const override;
    // The copy key copies every line of the list, however long.
    QList<PrintLine> copyLines() const override;

private:
    // The fields and at most `room` lines of the list, the last of them
    // saying how many were left out when they do not fit.
    QList<PrintLine> withNumberLines(qsizetype room) const;

    QStringList m_texts; // the fields' texts, in table order
    QLabel *LCivCap = nullptr;
    QListWidget *ECivCap = nullptr; // the codes by house number, when several
    QStringList m_numberLines;
};

} // namespace zelvora
