#include "details_form.h"

#include "app/error_report.h"
#include "app/fonts.h"
#include "app/printing.h"
#include "app/toolkit/edit.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace zelvora {

DetailsForm::DetailsForm(QWidget *parent, const QString &caption, const Geometry &geometry)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_rowStep(geometry.rowStep)
{
    setWindowTitle(caption);
    setFixedSize(geometry.client);
    if (geometry.windowColour) {
        QPalette window = palette();
        window.setColor(QPalette::Window, *geometry.windowColour);
        setPalette(window);
        setAutoFillBackground(true);
    }
    QPalette silver = palette();
    silver.setColor(QPalette::Window, QColor(192, 192, 192));

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(geometry.panel);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(1);
    Panel1->setAutoFillBackground(true);
    Panel1->setPalette(silver);

    Stampa = new QPushButton(QStringLiteral("&Stampa"), this);
    Stampa->setObjectName(QStringLiteral("Stampa"));
    Stampa->setGeometry(geometry.printButton);
    Stampa->setFont(windowFont(11, geometry.boldButtons));
    Stampa->setDefault(true);
    OKButton = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("&Esci"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(geometry.okButton);
    OKButton->setFont(windowFont(11, geometry.boldButtons));

    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connectGuarded(Stampa, &QPushButton::clicked, this, &DetailsForm::StampaClick);
}

Edit *DetailsForm::addField(const char *name, int left, int top, int width, int height)
{
    auto *field = new Edit(Panel1);
    field->setObjectName(QString::fromLatin1(name));
    field->setGeometry(left, top, width, height);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::ClickFocus);
    field->setFont(windowFont(11));
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, QColor(0, 255, 255));
    palette.setColor(QPalette::Text, Qt::black);
    field->setPalette(palette);
    return field;
}

QLabel *DetailsForm::addLabel(const char *name, const QString &caption, int left, int top, int width, int height)
{
    auto *label = new QLabel(caption, Panel1);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(left, top, width, height);
    label->setFont(windowFont(11));
    return label;
}

void DetailsForm::shrink(int n)
{
    setFixedHeight(height() - n);
    Panel1->resize(Panel1->width(), Panel1->height() - n);
    OKButton->move(OKButton->x(), OKButton->y() - n);
    Stampa->move(Stampa->x(), Stampa->y() - n);
}

void DetailsForm::setCompactRows(QList<QWidget *> notesRow, QList<QWidget *> agencyRow)
{
    m_notesRow = std::move(notesRow);
    m_agencyRow = std::move(agencyRow);
}

void DetailsForm::compact(bool notesEmpty, bool agencyEmpty)
{
    auto hide = [](const QList<QWidget *> &row) {
        for (QWidget *control : row)
            control->hide();
    };
    if (notesEmpty)
        hide(m_notesRow);
    if (agencyEmpty)
        hide(m_agencyRow);
    if (agencyEmpty && !notesEmpty) {
        for (QWidget *control : m_notesRow)
            control->move(control->x(), control->y() - m_rowStep);
    }
    const int rowsLeftOut = (notesEmpty ? 1 : 0) + (agencyEmpty ? 1 : 0);
    if (rowsLeftOut > 0)
        shrink(m_rowStep * rowsLeftOut);
}

void DetailsForm::StampaClick()
{
    printDetails(this, printLines());
}

void DetailsForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    OKButton->setFocus();
}

} // namespace zelvora
