#include "windows.h"

#include "streets/street_window.h"
#include "support/controls.h"
#include "support/seams.h"

#include <QComboBox>

namespace zelvora::test {

namespace {
// Runs `inspect` on the next modal dialog, which `open` opens.
void inModal(const std::function<void()> &open, const std::function<void(QWidget *)> &inspect)
{
    bool seen = false;
    onNextModal([&](QDialog *dialog) {
        seen = true;
        inspect(dialog);
    });
    open();
    QVERIFY(seen);
}
} // namespace

void withWindow(Shown shown, const std::function<void(QWidget *)> &inspect)
{
    MainWindowFixture f;
    QVERIFY(f.open({{.locality = "ALFA", .province = "TO", .agency = "TORINO CENTRO", .cap = "10100",
                     .bil = "ALPHA", .note = "NOTA ALFA"},
                    {.locality = "BETA", .province = "TO", .cap = "10010"}},
                   {{.province = "TO", .name = "TORINO"}}, [](const QString &folder) {
                       QVERIFY(buildCity(folder, "mestre",
                                         {{.street = "ALFA", .designation = "VIA", .cityTag = "ME", .cap = "30172",
                                           .agency = "MESTRE 1", .note = "TUTTI"},
                                          {.street = "BETA"}}));
                   }));
    TCapF *w = f.window.get();
    w->streetWindowFactory = [w](QWidget *owner) { return std::make_unique<TZone>(w->settings(), owner); };
    auto openDetails = [&] {
        f.focusGrid();
        f.key(Qt::Key_Return, f.grid());
    };
    switch (shown) {
    case Shown::MainWindow:
        return inspect(w);
    case Shown::ByProvince:
        test::control<QAction>(w, "perProvincia1")->trigger();
        return inspect(w);
    case Shown::Details:
        return inModal(openDetails, inspect);
    case Shown::CompactDetails: // BETA has neither agency nor notes
        f.type("B");
        return inModal(openDetails, inspect);
    case Shown::AboutBox:
        return inModal([w] { test::control<QAction>(w, "InformazionesuZelvora1")->trigger(); }, inspect);
    case Shown::Streets:
    case Shown::StreetDetails:
        return inModal([w] { test::control<QAction>(w, "Stradari1")->trigger(); }, [&](QWidget *window) {
            auto *zone = static_cast<TZone *>(window);
            auto *cities = test::control<QComboBox>(zone, "ComboBox1");
            cities->setCurrentIndex(cities->findText("Venezia-Mestre") - 1);
            QTest::keyClick(cities, Qt::Key_Down);
            if (shown == Shown::Streets)
                return inspect(zone);
            auto *grid = test::control<StringGrid>(zone, "StringGrid2");
            grid->setFocus();
            inModal([grid] { QTest::keyClick(grid, Qt::Key_Return); }, inspect);
        });
    }
}

void addWindowRows()
{
    QTest::addColumn<Shown>("shown");
    QTest::newRow("main window") << Shown::MainWindow;
    QTest::newRow("main window, by province") << Shown::ByProvince;
    QTest::newRow("details") << Shown::Details;
    QTest::newRow("details, compact") << Shown::CompactDetails;
    QTest::newRow("about box") << Shown::AboutBox;
    QTest::newRow("street window") << Shown::Streets;
    QTest::newRow("street details") << Shown::StreetDetails;
}

} // namespace zelvora::test
