#include "street_details.h"

#include "app/toolkit/edit.h"
#include "app/window_helpers.h"
#include "common/short_string.h"

#include <QLabel>
#include <QListWidget>
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

void TDettagliZone::showNumberCodes(const QList<NumberCode> &numbers)
{
    QStringList caps;
    for (const NumberCode &n : numbers)
        if (!caps.contains(n.cap))
            caps << n.cap;
    if (caps.size() < 2 || ECivCap)
        return;
    for (const NumberCode &n : numbers)
        m_numberLines << n.cap + QStringLiteral("   n. ") + n.numbers;
    // Under the last row shown, whatever the compact layout left out.
    constexpr int kListHeight = 100;
    const int top = Panel1->height() - 8;
    LCivCap = addLabel("LCivCap", QStringLiteral("Civici"), 16, top + 3, 41, 15);
    ECivCap = new QListWidget(Panel1);
    ECivCap->setObjectName(QStringLiteral("ECivCap"));
    ECivCap->setGeometry(64, top, 361, kListHeight);
    ECivCap->setFont(field(kNotes)->font());
    ECivCap->setPalette(field(kNotes)->palette());
    ECivCap->setFocusPolicy(Qt::ClickFocus);
    ECivCap->setSelectionMode(QAbstractItemView::NoSelection);
    ECivCap->addItems(m_numberLines);
    ECivCap->setAccessibleName(QStringLiteral("C.A.P. per numero civico"));
    LCivCap->setBuddy(ECivCap);
    shrink(-(kListHeight + 8));
}

QList<PrintLine> TDettagliZone::printLines() const
{
    return withNumberLines(kPrintedNumberLines);
}

QList<PrintLine> TDettagliZone::copyLines() const
{
    return withNumberLines(m_numberLines.size());
}

QList<PrintLine> TDettagliZone::withNumberLines(qsizetype room) const
{
    const QStringList &t = m_texts;
    QList<PrintLine> lines{{40, QStringLiteral("Città :"), t.value(kCity)},
                           {140, QStringLiteral("Località :"), t.value(kDesignation)},
                           {240, QString(), t.value(kStreet)},
                           {340, QStringLiteral("Note :"), t.value(kNotes)},
                           {440, QStringLiteral("C.A.P. :"), t.value(kCap)},
                           {540, QStringLiteral("Agenzia recapito :"), t.value(kAgency)}};
    const qsizetype total = m_numberLines.size();
    const qsizetype printed = total <= room ? total : room - 1;
    int refY = 640;
    for (qsizetype i = 0; i < printed; ++i, refY += 100)
        lines.append({refY, i == 0 ? QStringLiteral("Civici :") : QString(), m_numberLines.at(i)});
    if (printed < total)
        lines.append({refY, QString(), QStringLiteral("... e altri %1 non stampati").arg(total - printed)});
    return lines;
}

} // namespace zelvora
