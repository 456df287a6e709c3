#include "street_details.h"

#include "app/toolkit/edit.h"
#include "app/window_helpers.h"
#include "common/short_string.h"

#include <QLabel>
#include <QPushButton>

namespace zelvora {

namespace {
// The fields in table order.
enum { kCity, kDesignation, kStreet, kCap, kAgency, kNotes };
} // namespace

TDettagliZone::TDettagliZone(QWidget *parent)
    : DetailsForm(parent, QStringLiteral("Dettagli ricerca Vie o Piazze"),
                  {QSize(457, 257), QRect(8, 8, 441, 197), QRect(143, 217, 76, 28), QRect(239, 217, 76, 28),
                   false, kSilver, 31})
{
    setObjectName(QStringLiteral("DettagliZone"));
    addFields({{"ECitZon", {64, 15, 177, 20}, QStringLiteral("Città"), "LCitZon", QStringLiteral("Città"), {16, 18, 21, 13}},
               {"EViaZon", {64, 46, 177, 20}, QStringLiteral("Denominazione urbanistica"), "Label2",
                QStringLiteral("Località"), {16, 49, 44, 15}},
               {"ELocZon", {64, 70, 361, 20}, QStringLiteral("Via o piazza")},
               {"ECapZon", {64, 101, 65, 20}, QStringLiteral("C.A.P."), "Label1", QStringLiteral("C.A.P."), {16, 104, 38, 15}},
               {"EUffCon", {112, 132, 313, 20}, QStringLiteral("Agenzia recapito"), "LUffCon",
                QStringLiteral("Agenzia recapito"), {16, 135, 81, 15}},
               {"ECivZon", {64, 163, 361, 20}, QStringLiteral("Numeri civici e note"), "LCivZon", QStringLiteral("Note"),
                {16, 166, 41, 15}}},
              kNotes, kAgency);
    field(kCity)->setUpperCase(true);
    field(kCity)->setAccessibleDescription(QStringLiteral("La città e la sua zona"));
    Panel1->setAccessibleName(QStringLiteral("Dettagli della via"));
    colour(OKButton, QPalette::ButtonText, Qt::black);
    colour(Stampa, QPalette::ButtonText, Qt::black);
    setTabOrder(OKButton, Stampa);
}

void TDettagliZone::fill(const QString &city, const StreetRecord &street, const QString &note)
{
    compact(note.isEmpty(), street.agency.isEmpty());
    m_texts = {toUpperCp1252(city + QStringLiteral("   ") + street.cityTag), street.designation, street.street,
               street.cap, street.agency, note};
    setTexts(m_texts);
}

QList<PrintLine> TDettagliZone::printLines() const
{
    const QStringList &t = m_texts;
    return {{40, QStringLiteral("Città :"), t.value(kCity)},
            {140, QStringLiteral("Località :"), t.value(kDesignation)},
            {240, QString(), t.value(kStreet)},
            {340, QStringLiteral("Note :"), t.value(kNotes)},
            {440, QStringLiteral("C.A.P. :"), t.value(kCap)},
            {540, QStringLiteral("Agenzia recapito :"), t.value(kAgency)}};
}

} // namespace zelvora
