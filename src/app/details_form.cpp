#include "details_form.h"

#include "app/error_report.h"
#include "app/fonts.h"
#include "app/print_details.h"
#include "app/toolkit/edit.h"
#include "app/toolkit/panel.h"
#include "app/window_helpers.h"

#include <QClipboard>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
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

    auto *panel = new Panel(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(geometry.panel);
    panel->setBevels(Panel::Bevel::Lowered, Panel::Bevel::Raised, 1, 1);
    Panel1 = panel;
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
    label->setFont(windowFont(11));
    // A label is as wide as its caption needs, never narrower than laid out,
    // so no caption is cut or wrapped.
    label->setGeometry(left, top, std::max(width, label->sizeHint().width()), height);
    return label;
}

void DetailsForm::addFields(const QList<Field> &fields, int notes, int agency)
{
    for (const Field &f : fields) {
        Edit *edit = addField(f.name, f.rect.x(), f.rect.y(), f.rect.width(), f.rect.height());
        edit->setAccessibleName(f.accessibleName);
        QLabel *caption = nullptr;
        if (f.labelName) {
            const QRect &r = f.labelRect;
            caption = addLabel(f.labelName, f.caption, r.x(), r.y(), r.width(), r.height());
            caption->setBuddy(edit);
        }
        m_fields.append(edit);
        m_labels.append(caption);
    }
    setCompactRows({field(notes), label(notes)}, {field(agency), label(agency)});
}

void DetailsForm::setTexts(const QStringList &texts)
{
    for (qsizetype i = 0; i < texts.size() && i < m_fields.size(); ++i)
        m_fields.at(i)->setText(texts.at(i));
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

QString DetailsForm::copyText() const
{
    QStringList lines;
    for (const PrintLine &line : copyLines()) {
        const QString value = line.value.trimmed();
        if (value.isEmpty())
            continue;
        QString label = line.label;
        if (label.endsWith(u':'))
            label.chop(1);
        label = label.trimmed();
        lines.append(label.isEmpty() ? value : label + u'\t' + value);
    }
    return lines.join(u'\n');
}

void DetailsForm::keyPressEvent(QKeyEvent *event)
{
    // A field with selected text copies its selection itself; the copy key
    // reaches the dialog from anywhere else.
    if (event->matches(QKeySequence::Copy)) {
        QGuiApplication::clipboard()->setText(copyText());
        event->accept();
        return;
    }
    // The dialog closes only with "&Esci", not with Esc.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void DetailsForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        centreOnScreen(this);
    OKButton->setFocus();
}

} // namespace zelvora
