// Time of the work a keystroke and a page move cost on the bundled data.
// Run: QT_QPA_PLATFORM=offscreen build/bench/bench_locality
#include "app/application.h"
#include "app/shared_state.h"
#include "app/toolkit/edit.h"
#include "app/toolkit/string_grid.h"
#include "locality/main_window.h"

#include <QTest>

using namespace zelvora;

class BenchLocality : public QObject
{
    Q_OBJECT

    std::unique_ptr<TCapF> m_window;

private slots:
    void initTestCase()
    {
        Application::instance().reset();
        resetSharedState(QStringLiteral(ZELVORA_DATA_FOLDER));
        m_window = std::make_unique<TCapF>();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void typeANameLetterByLetter()
    {
        QBENCHMARK {
            m_window->Cerca->clear();
            QTest::keyClicks(m_window->Cerca, "SAN GIOVANNI");
        }
        QCOMPARE(m_window->StringGrid1->cell(0, 0).left(12), "SAN GIOVANNI");
    }

    void postalCodeSearch()
    {
        m_window->perCAP1->trigger();
        QBENCHMARK {
            m_window->Cerca->clear();
            QTest::keyClicks(m_window->Cerca, "00144");
        }
        QCOMPARE(m_window->StringGrid1->cell(0, 0), "ROMA");
        m_window->perLocalit1->trigger();
    }

    void pageDownThroughTheList()
    {
        m_window->Cerca->clear();
        m_window->StringGrid1->setFocus();
        QBENCHMARK {
            int position = 0;
            m_window->list().scroll(SB_PAGEDOWN, position);
        }
    }
};

QTEST_MAIN(BenchLocality)
#include "bench_locality.moc"
