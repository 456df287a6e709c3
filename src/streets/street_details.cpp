#include "street_details.h"

#include "app/toolkit/edit.h"
#include "app/window_helpers.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace zelvora {

TDettagliZone::TDettagliZone(QWidget *parent)
    : DetailsForm(parent, QStringLiteral("Dettagli ricerca Vie o Piazze"),
                  {QSize(457, 257), QRect(8, 8, 441, 197), QRect(143, 217, 76, 28), QRect(239, 217, 76, 28),
                   false, kSilver, 31})
{
    setObjectName(QStringLiteral("DettagliZone"));
    LCitZon = addLabel("LCitZon", QStringLiteral("Città"), 16, 18, 21, 13);
    ECitZon = addField("ECitZon", 64, 15, 177, 20);
    ECitZon->setUpperCase(true);
    Label2 = addLabel("Label2", QStringLiteral("Località"), 16, 49, 44, 15);
    EViaZon = addField("EViaZon", 64, 46, 177, 20);
    ELocZon = addField("ELocZon", 64, 70, 361, 20);
    Label1 = addLabel("Label1", QStringLiteral("C.A.P."), 16, 104, 38, 15);
    ECapZon = addField("ECapZon", 64, 101, 65, 20);
    LUffCon = addLabel("LUffCon", QStringLiteral("Agenzia recapito"), 16, 135, 81, 15);
    EUffCon = addField("EUffCon", 112, 132, 313, 20);
    LCivZon = addLabel("LCivZon", QStringLiteral("Note"), 16, 166, 41, 15);
    ECivZon = addField("ECivZon", 64, 163, 361, 20);

    Panel1->setAccessibleName(QStringLiteral("Dettagli della via"));
    ECitZon->setAccessibleName(QStringLiteral("Città"));
    EViaZon->setAccessibleName(QStringLiteral("Denominazione urbanistica"));
    ELocZon->setAccessibleName(QStringLiteral("Via o piazza"));
    ECapZon->setAccessibleName(QStringLiteral("C.A.P."));
    EUffCon->setAccessibleName(QStringLiteral("Agenzia recapito"));
    ECivZon->setAccessibleName(QStringLiteral("Numeri civici e note"));
    ECitZon->setAccessibleDescription(QStringLiteral("La città e la sua zona"));
    LCitZon->setBuddy(ECitZon);
    Label2->setBuddy(EViaZon);
    Label1->setBuddy(ECapZon);
    LUffCon->setBuddy(EUffCon);
    LCivZon->setBuddy(ECivZon);
    colour(OKButton, QPalette::ButtonText, Qt::black);
    colour(Stampa, QPalette::ButtonText, Qt::black);
    setCompactRows({ECivZon, LCivZon}, {EUffCon, LUffCon});
    setTabOrder(OKButton, Stampa);
}

void TDettagliZone::fill(const QString &cityLine, const QString &street, const QString &locality,
                         const QString &notes, const QString &caps, const QString &agencies)
{
    ECitZon->setText(cityLine);
    EViaZon->setText(street);
    ELocZon->setText(locality);
    ECivZon->setText(notes);
    ECapZon->setText(caps);
    EUffCon->setText(agencies);
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
    ECivCap->setFont(ECivZon->font());
    ECivCap->setPalette(ECivZon->palette());
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
    QList<PrintLine> lines{{40, QStringLiteral("Città :"), ECitZon->text()},
                           {140, QStringLiteral("Località :"), EViaZon->text()},
                           {240, QString(), ELocZon->text()},
                           {340, QStringLiteral("Note :"), ECivZon->text()},
                           {440, QStringLiteral("C.A.P. :"), ECapZon->text()},
                           {540, QStringLiteral("Agenzia recapito :"), EUffCon->text()}};
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
