#pragma once

#include "app/details_form.h"

class QLabel;
class QListWidget;

namespace zelvora {

class Edit;

// A code of a street with the house numbers a source gives it: a register's
// range ("1-99 dispari") or one number a source saw it at ("113").
struct NumberCode
{
    QString numbers;
    QString cap;
};

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
    QLabel *LCivCap = nullptr;
    QListWidget *ECivCap = nullptr; // the codes by house number, when several
    QStringList m_numberLines;
};

} // namespace zelvora
