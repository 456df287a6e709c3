#pragma once

#include "common/printout.h"

#include <QColor>
#include <QDialog>
#include <optional>

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
        std::optional<QColor> windowColour; // none: the system's
        int rowStep = 24; // the compact layout's shrink per row left out
    };

    // One field of the panel, with the label before it when it has one.
    struct Field
    {
        const char *name;
        QRect rect;
        QString accessibleName;
        const char *labelName = nullptr;
        QString caption = {};
        QRect labelRect = {};
    };

    DetailsForm(QWidget *parent, const QString &caption, const Geometry &geometry);

    // Prints the fields as they are now.
    void StampaClick();

    // Takes n pixels off the dialog's and the panel's height and moves both
    // buttons up by as much.
    void shrink(int n);

    // The compact layout, decided by the row's notes and agency: notes
    // without agency hide the notes row; an agency without notes hides the
    // agency row and moves the notes row up into its place; neither hides
    // both. Each row left out shrinks the dialog by the row step.
    void compact(bool notesEmpty, bool agencyEmpty);

    // The printout's body lines: the fields as they are now.
    virtual QList<PrintLine> printLines() const = 0;
    // What the copy key copies: the printout's lines unless a dialog has
    // more than a page holds.
    virtual QList<PrintLine> copyLines() const { return printLines(); }

    // Every field that holds a text, one a line, its label and its text
    // separated by a tab: what the copy key puts on the clipboard.
    QString copyText() const;

protected:
    // The controls the derived dialogs place and colour, named as their
    // objectNames.
    QFrame *Panel1 = nullptr;
    QPushButton *OKButton = nullptr;
    QPushButton *Stampa = nullptr;

    // The two rows the compact layout may leave out: their label and field.
    void setCompactRows(QList<QWidget *> notesRow, QList<QWidget *> agencyRow);

    // Places `fields` in table order, each label the buddy of its field; the
    // rows of fields `notes` and `agency` (indices into the table) are those
    // the compact layout may leave out.
    void addFields(const QList<Field> &fields, int notes, int agency);
    Edit *field(int index) const { return m_fields.at(index); }
    QLabel *label(int index) const { return m_labels.at(index); }
    // The fields' texts, in table order.
    void setTexts(const QStringList &texts);

    Edit *addField(const char *name, int left, int top, int width, int height);
    QLabel *addLabel(const char *name, const QString &caption, int left, int top, int width, int height);
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    int m_rowStep;
    QList<Edit *> m_fields;
    QList<QLabel *> m_labels; // nullptr for a field without a label
    QList<QWidget *> m_notesRow;
    QList<QWidget *> m_agencyRow;
};

} // namespace zelvora
