#pragma once

#include "common/printout.h"

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace zelvora {

class Edit;

// What the locality and street details dialogs share: a panel of read-only
// cyan fields with their labels, the "&Esci" and "&Stampa" buttons under it,
// the compact layout that shrinks the dialog when rows are left out, and the
// one-page printout of the fields.
class DetailsForm : public QDialog
{
    Q_OBJECT
public:
    struct Geometry
    {
        QSize client;     // at 96 pixels per inch
        QRect panel;
        QRect okButton;
        QRect printButton;
        bool boldButtons = false;
    };

    DetailsForm(QWidget *parent, const QString &caption, const Geometry &geometry);

    QFrame *Panel1 = nullptr;
    QPushButton *OKButton = nullptr;
    QPushButton *Stampa = nullptr;

    // Prints the fields as they are now.
    void StampaClick();

    // Takes n pixels off the dialog's and the panel's height and moves both
    // buttons up by as much.
    void shrink(int n);

    // The printout's body lines: the fields as they are now.
    virtual QList<PrintLine> printLines() const = 0;

protected:
    Edit *addField(const char *name, int left, int top, int width, int height);
    QLabel *addLabel(const char *name, const QString &caption, int left, int top, int width, int height);
    void showEvent(QShowEvent *event) override;
};

} // namespace zelvora
