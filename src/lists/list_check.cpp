#include "list_check.h"

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

ListCheck::ListCheck(const QString &dataFolder) : m_dataFolder(dataFolder)
{
    m_worker.moveToThread(&m_thread);
    m_thread.setObjectName(QStringLiteral("verifica elenco"));
    m_thread.start();
}

ListCheck::~ListCheck()
{
    cancel();
    m_thread.quit();
    m_thread.wait();
    // The address check was made on the thread; it holds no thread state, so
    // it goes here.
}

void ListCheck::run(const std::function<void()> &work)
{
    QMetaObject::invokeMethod(&m_worker, work, Qt::QueuedConnection);
}

void ListCheck::load(const QString &fileName)
{
    run([this, fileName] { loadNow(fileName); });
}

void ListCheck::check(const QList<ListRow> &rows, const ListColumns &columns)
{
    m_cancelled = false;
    run([this, rows, columns] { checkNow(rows, columns); });
}

void ListCheck::loadNow(const QString &fileName)
{
    try {
        AddressListReader reader(fileName);
        if (!reader.open()) {
            emit loadFailed(reader.error());
            return;
        }
        QList<ListRow> rows;
        while (std::optional<ListRow> row = reader.next())
            rows.append(std::move(*row));
        if (!reader.error().isEmpty()) {
            emit loadFailed(reader.error());
            return;
        }
        emit loaded(reader.header(), rows,
                    Format{reader.isWorkbook(), reader.encoding(), reader.separator(), reader.bom(), reader.crlf()});
    } catch (const std::exception &e) {
        emit loadFailed(QString::fromUtf8(e.what()));
    }
}

void ListCheck::checkNow(const QList<ListRow> &rows, const ListColumns &columns)
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
            batch.append(checkListRow(*m_check, row, columns));
            if (batch.size() >= kBatchRows || sinceBatch.elapsed() >= kBatchMs) {
                emit checkedRows(batch);
                batch.clear();
                sinceBatch.restart();
            }
        }
        emit checkedRows(batch);
        emit finished(false, QString());
    } catch (const std::exception &e) {
        emit finished(true, QString::fromUtf8(e.what()));
    }
}

} // namespace zelvora
