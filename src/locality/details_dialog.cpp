#include "details_dialog.h"

#include "app/toolkit/edit.h"

#include <QLabel>
#include <QPushButton>

namespace zelvora {

namespace {
// The fields in table order.
enum { kLoc, kBil, kPv, kPro, kCap, kRec, kNot };
const QString kNoCap = QStringLiteral("VEDI NOTE");
} // namespace

TDettagli::TDettagli(const ProvinceTable &provinces, QWidget *parent)
    : DetailsForm(parent, QStringLiteral("Dettagli Zelvora"),
                  {QSize(396, 225), QRect(8, 8, 380, 170), QRect(116, 188, 76, 28), QRect(204, 188, 76, 28), true, {}, 24}),
      m_provinces(provinces)
{
    setObjectName(QStringLiteral("Dettagli"));
    addFields({{"ELoc", {64, 16, 305, 18}, QStringLiteral("Località"), "LLoc", QStringLiteral("Località"), {10, 18, 63, 15}},
               {"EBil", {64, 40, 305, 18}, QStringLiteral("Seconda denominazione")},
               {"EPv", {64, 64, 33, 18}, QStringLiteral("Provincia"), "LPv", QStringLiteral("Provincia"), {8, 66, 44, 16}},
               {"EPro", {112, 64, 193, 18}, QStringLiteral("Nome della provincia")},
               {"ECap", {64, 88, 65, 18}, QStringLiteral("C.A.P."), "LCap", QStringLiteral("C.A.P."), {8, 90, 30, 16}},
               {"ERec", {96, 112, 273, 18}, QStringLiteral("Agenzia recapito"), "LRec",
                QStringLiteral("Agenzia recapito"), {8, 114, 81, 15}},
               {"ENot", {64, 136, 305, 18}, QStringLiteral("Note"), "LNot", QStringLiteral("Note"), {8, 138, 23, 13}}},
              kNot, kRec);
    setTabOrder(Stampa, OKButton);
}

void TDettagli::showEvent(QShowEvent *event)
{
    FormShow();
    DetailsForm::showEvent(event);
}

void TDettagli::fill(const LocalityRecord &record)
{
    m_record = record;
    m_provinceName = m_provinces.nameOf(record.pv);
    compact(record.note.isEmpty(), record.agency.isEmpty());
    setTexts({record.locality, record.bil, record.pv, m_provinceName, record.cap.isEmpty() ? kNoCap : record.cap,
              record.agency, record.note});
}

void TDettagli::FormShow()
{
    field(kBil)->setVisible(!m_record.bil.isEmpty());
    const bool hasProvince = !m_record.pv.isEmpty();
    label(kPv)->setVisible(hasProvince);
    field(kPv)->setVisible(hasProvince);
    field(kPro)->setVisible(hasProvince && m_provinces.provincesLoaded);
}

QList<PrintLine> TDettagli::printLines() const
{
    const LocalityRecord &r = m_record;
    return {{40, QStringLiteral("Località :"), r.locality},
            {140, QString(), r.bil},
            {240, QStringLiteral("Provincia :"), m_provinceName + QStringLiteral("   ") + r.pv},
            {340, QStringLiteral("C.A.P. :"), r.cap.isEmpty() ? kNoCap : r.cap},
            {440, QStringLiteral("Agenzia recapito :"), r.agency},
            {540, QStringLiteral("Note :"), r.note}};
}

} // namespace zelvora
