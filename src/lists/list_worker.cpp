#include "list_worker.h"

#include "common/error.h"

#include <QTimer>

namespace zelvora {

namespace {
// A batch of verdicts goes to the window after this many rows, or sooner
// when this much time has passed, so that results show as they come without
// a signal for every row.
constexpr int kBatchRows = 2000;
constexpr qint64 kBatchMs = 100;
} // namespace

ListWorker::ListWorker(const QString &dataFolder) : m_dataFolder(dataFolder)
{
    m_worker.moveToThread(&m_thread);
    m_thread.setObjectName(QStringLiteral("verifica elenco"));
    m_thread.start();
}

ListWorker::~ListWorker()
{
    cancel();
    m_thread.quit();
    m_thread.wait();
    // The address check was made on the thread; it holds no thread state, so
    // it goes here.
}

void ListWorker::run(const std::function<void()> &work)
{
    QMetaObject::invokeMethod(&m_worker, work, Qt::QueuedConnection);
}

void ListWorker::load(const QString &fileName)
{
    run([this, fileName] { loadNow(fileName); });
}

void ListWorker::check(const QList<ListRow> &rows, const ListColumns &columns, int headerFields)
{
    m_cancelled = false;
    run([this, rows, columns, headerFields] { checkNow(rows, columns, headerFields); });
}

void ListWorker::loadNow(const QString &fileName)
{
    try {
        AddressList list(fileName);
        QList<ListRow> rows;
        while (std::optional<ListRow> row = list.next())
            rows.append(std::move(*row));
        emit loaded(list.header(), rows, Format{list.format(), list.rawHeader(), list.isWorkbook()});
    } catch (const Error &e) {
        emit loadFailed(e.message());
    } catch (const std::exception &e) {
        emit loadFailed(QString::fromUtf8(e.what()));
    }
}

void ListWorker::checkNow(const QList<ListRow> &rows, const ListColumns &columns, int headerFields)
{
    try {
        if (!m_check)
            m_check = std::make_unique<AddressCheck>(m_dataFolder);
        QList<Verdict> batch;
        QElapsedTimer sinceBatch;
        sinceBatch.start();
        for (const ListRow &row : rows) {
            if (m_cancelled) {
                emit checkedRows(batch);
                emit finished(true, QString());
                return;
            }
            batch.append(checkRow(*m_check, columns, row, headerFields));
            if (batch.size() >= kBatchRows || sinceBatch.elapsed() >= kBatchMs) {
                emit checkedRows(batch);
                batch.clear();
                sinceBatch.restart();
            }
        }
        emit checkedRows(batch);
        emit finished(false, QString());
    } catch (const Error &e) {
        emit finished(true, e.message());
    } catch (const std::exception &e) {
        emit finished(true, QString::fromUtf8(e.what()));
    }
}

} // namespace zelvora
