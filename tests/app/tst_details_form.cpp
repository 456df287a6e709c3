// The details form's compact layout and window colour, on a form laid out
// with its own row step: the street details' 31 pixels on a silver window.
#include "app/details_form.h"
#include "app/toolkit/edit.h"
#include "support/controls.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace zelvora;

namespace {

class SilverForm : public DetailsForm
{
public:
    SilverForm()
        : DetailsForm(nullptr, QStringLiteral("Dettagli"),
                      {QSize(457, 257), QRect(8, 8, 441, 197), QRect(143, 217, 76, 28), QRect(239, 217, 76, 28),
                       false, QColor(192, 192, 192), 31})
    {
        agencyLabel = addLabel("LAgency", QStringLiteral("Agenzia recapito"), 16, 135, 81, 15);
        agency = addField("EAgency", 112, 132, 313, 20);
        notesLabel = addLabel("LNotes", QStringLiteral("Note"), 16, 166, 41, 15);
        notes = addField("ENotes", 64, 163, 361, 20);
        setCompactRows({notes, notesLabel}, {agency, agencyLabel});
    }
    QList<PrintLine> printLines() const override { return {}; }

    QLabel *agencyLabel;
    Edit *agency;
    QLabel *notesLabel;
    Edit *notes;
};

} // namespace

class TestDetailsForm : public QObject
{
    Q_OBJECT

private slots:
    void compactLayoutByItsOwnRowStep_data()
    {
        QTest::addColumn<bool>("notesEmpty");
        QTest::addColumn<bool>("agencyEmpty");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("agencyRow");
        QTest::addColumn<bool>("notesRow");
        QTest::addColumn<int>("notesTop");
        QTest::newRow("both present") << false << false << 257 << true << true << 163;
        QTest::newRow("notes without agency move up") << false << true << 226 << false << true << 132;
        QTest::newRow("agency without notes") << true << false << 226 << true << false << 163;
        QTest::newRow("neither: two rows shorter") << true << true << 195 << false << false << 163;
    }
    void compactLayoutByItsOwnRowStep()
    {
        QFETCH(bool, notesEmpty);
        QFETCH(bool, agencyEmpty);
        QFETCH(int, height);
        QFETCH(bool, agencyRow);
        QFETCH(bool, notesRow);
        QFETCH(int, notesTop);
        SilverForm form;
        form.compact(notesEmpty, agencyEmpty);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.height(), height);
        QCOMPARE(test::control<QFrame>(&form, "Panel1")->height(), 197 - (257 - height));
        QCOMPARE(test::control<QPushButton>(&form, "OKButton")->y(), 217 - (257 - height));
        QCOMPARE(test::control<QPushButton>(&form, "Stampa")->y(), 217 - (257 - height));
        QCOMPARE(form.agency->isVisible(), agencyRow);
        QCOMPARE(form.agencyLabel->isVisible(), agencyRow);
        QCOMPARE(form.notes->isVisible(), notesRow);
        QCOMPARE(form.notesLabel->isVisible(), notesRow);
        QCOMPARE(form.notes->y(), notesTop);
        QCOMPARE(form.notesLabel->y(), notesTop + 3);
        // The window is silver around the panel.
        QCOMPARE(form.grab().toImage().pixelColor(3, 3), QColor(192, 192, 192));
    }
};

QTEST_MAIN(TestDetailsForm)
#include "tst_details_form.moc"
