#include "details_dialog.h"

#include "app/toolkit/edit.h"

#include <QLabel>
#include <QPushButton>

namespace zelvora {

TDettagli::TDettagli(const ProvinceTable &provinces, QWidget *parent)
    : DetailsForm(parent, QStringLiteral("Dettagli Zelvora"),
                  {QSize(396, 225), QRect(8, 8, 380, 170), QRect(116, 188, 76, 28), QRect(204, 188, 76, 28), true, {}, 24}),
      m_provinces(provinces)
{
    setObjectName(QStringLiteral("Dettagli"));
    LLoc = addLabel("LLoc", QStringLiteral("Località"), 10, 18, 63, 15);
    ELoc = addField("ELoc", 64, 16, 305, 18);
    EBil = addField("EBil", 64, 40, 305, 18);
    LPv = addLabel("LPv", QStringLiteral("Provincia"), 8, 66, 44, 16);
    EPv = addField("EPv", 64, 64, 33, 18);
    EPro = addField("EPro", 112, 64, 193, 18);
    LCap = addLabel("LCap", QStringLiteral("C.A.P."), 8, 90, 30, 16);
    ECap = addField("ECap", 64, 88, 65, 18);
    LRec = addLabel("LRec", QStringLiteral("Agenzia recapito"), 8, 114, 81, 15);
    ERec = addField("ERec", 96, 112, 273, 18);
    LNot = addLabel("LNot", QStringLiteral("Note"), 8, 138, 23, 13);
    ENot = addField("ENot", 64, 136, 305, 18);

    ELoc->setAccessibleName(QStringLiteral("Località"));
    EBil->setAccessibleName(QStringLiteral("Seconda denominazione"));
    EPv->setAccessibleName(QStringLiteral("Provincia"));
    EPro->setAccessibleName(QStringLiteral("Nome della provincia"));
    ECap->setAccessibleName(QStringLiteral("C.A.P."));
    ERec->setAccessibleName(QStringLiteral("Agenzia recapito"));
    ENot->setAccessibleName(QStringLiteral("Note"));
    setCompactRows({ENot, LNot}, {ERec, LRec});
    setTabOrder(Stampa, OKButton);
}

void TDettagli::showEvent(QShowEvent *event)
{
    FormShow();
    DetailsForm::showEvent(event);
}

void TDettagli::fill(const QString &locality, const QString &province, const QString &cap, const QString &bils,
                    const QString &agencies, const QString &notes)
{
    ELoc->setText(locality);
    EPv->setText(province);
    ECap->setText(cap);
    EBil->setText(bils);
    ERec->setText(agencies);
    ENot->setText(notes);
}

void TDettagli::FormShow()
{
    EBil->setVisible(!EBil->text().isEmpty());
    const bool hasProvince = !EPv->text().isEmpty();
    LPv->setVisible(hasProvince);
    EPv->setVisible(hasProvince);
    EPro->setVisible(hasProvince && m_provinces.provincesLoaded);
    if (ECap->text().isEmpty())
        ECap->setText(QStringLiteral("VEDI NOTE"));

    // Every matching entry replaces the one before: the last one wins.
    if (!hasProvince)
        return;
    for (qsizetype i = 0; i < m_provinces.provinceCodes.size(); ++i)
        if (m_provinces.provinceCodes.at(i).startsWith(EPv->text()))
            EPro->setText(m_provinces.provinceNames.value(i));
}

QList<PrintLine> TDettagli::printLines() const
{
    return {{40, QStringLiteral("Località :"), ELoc->text()},
            {140, QString(), EBil->text()},
            {240, QStringLiteral("Provincia :"), EPro->text() + QStringLiteral("   ") + EPv->text()},
            {340, QStringLiteral("C.A.P. :"), ECap->text()},
            {440, QStringLiteral("Agenzia recapito :"), ERec->text()},
            {540, QStringLiteral("Note :"), ENot->text()}};
}

} // namespace zelvora
