#pragma once

#include "common/list_check.h"

#include <QElapsedTimer>
#include <QObject>
#include <QThread>
#include <atomic>
#include <memory>

namespace zelvora {

// Reads a list and checks its rows on a thread of its own, with its own
// address check, so that the window answers input meanwhile. Results come
// back as signals, queued to the window's thread: the list once read, then
// the verdicts in batches (every few hundred rows, or more often on a slow
// start), then the end.
class ListWorker : public QObject
{
    Q_OBJECT
public:
    explicit ListWorker(const QString &dataFolder);
    ~ListWorker() override;

    // Each runs on the check's thread and answers with signals.
    void load(const QString &fileName);
    // `headerFields`: the header's number of fields.
    void check(const QList<ListRow> &rows, const ListColumns &columns, int headerFields);
    // Asks a check in progress to stop after the row it is on; safe from
    // any thread.
    void cancel() { m_cancelled = true; }

    // How a loaded list was written, for writing it again the same way.
    struct Format
    {
        ListFormat format;
        QByteArray rawHeader;
        bool workbook = false;
    };

signals:
    void loaded(const QStringList &header, const QList<zelvora::ListRow> &rows, const zelvora::ListWorker::Format &format);
    void loadFailed(const QString &message);
    void checkedRows(const QList<zelvora::Verdict> &verdicts);
    void finished(bool cancelled, const QString &error);

private:
    void run(const std::function<void()> &work);
    void loadNow(const QString &fileName);
    void checkNow(const QList<ListRow> &rows, const ListColumns &columns, int headerFields);

    QString m_dataFolder;
    std::unique_ptr<AddressCheck> m_check; // read once, at the first check
    QThread m_thread;
    QObject m_worker; // lives on m_thread: what it runs, runs there
    std::atomic<bool> m_cancelled{false};
};

} // namespace zelvora

Q_DECLARE_METATYPE(zelvora::ListRow)
Q_DECLARE_METATYPE(zelvora::Verdict)
Q_DECLARE_METATYPE(zelvora::ListWorker::Format)
