// The list window on a long list: from opening the file to the last verdict
// shown, on the offscreen platform, with a timer on the interface thread that
// records how late it fires (how long the thread was kept from input), and
// the process's peak memory. Prints "seconds lateness_ms peak_mb"; with more
// arguments, also saves a picture of the window at the end, and the result
// through "Salva risultato...", for a person to look at.
//   bench_list_window DATA_FOLDER LIST [PICTURE.png [RESULT.xlsx]]
#include "app/application.h"
#include "app/file_dialog.h"
#include "app/message_box.h"
#include "lists/list_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTableView>
#include <QTimer>
#include <cstdio>

using namespace zelvora;

namespace {

class Answer : public FileDialogs
{
public:
    explicit Answer(QString file) : m_file(std::move(file)) {}
    QString openFileName(QWidget *, const QString &, const QString &) override { return m_file; }
    QString saveFileName(QWidget *, const QString &, const QString &, QString *) override { return save; }
    QString save;

private:
    QString m_file;
};

class Fail : public MessageBoxes
{
public:
    void show(const MessageRequest &request) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(request.text));
        std::exit(2);
    }
};

double peakMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3 || argc > 5) {
        std::fprintf(stderr, "usage: bench_list_window DATA_FOLDER LIST [PICTURE.png [RESULT.xlsx]]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setUpToolkit();
    Answer answer(QString::fromLocal8Bit(argv[2]));
    setFileDialogs(&answer);
    Fail fail;
    setMessageBoxes(&fail);
    SharedSettings settings;
    settings.dataFolder = QString::fromLocal8Bit(argv[1]);
    settings.pixelsPerInch = 96;
    ListWindow window(settings);
    window.show();

    // A timer every 10 ms: how much later than due it fires is how long the
    // interface thread was busy.
    QElapsedTimer clock;
    qint64 due = 0;
    qint64 latest = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        latest = std::max(latest, now - due);
        due = now + 10'000'000;
    });

    QElapsedTimer total;
    bool started = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const ListModel &model = window.model();
        if (!started && model.rowCount() > 0 && !window.checking()) {
            started = true;
            window.findChild<QAbstractButton *>(QStringLiteral("Verifica"))->click();
        } else if (started && !window.checking() && model.checked() == model.rowCount()) {
            // The last verdict is in the model; the table shows it at this paint.
            window.findChild<QTableView *>(QStringLiteral("Risultati"))->viewport()->repaint();
            app.quit();
        }
    });
    QTimer::singleShot(0, [&] {
        clock.start();
        due = 10'000'000;
        tick.start(10);
        poll.start(5);
        total.start();
        window.findChild<QAbstractButton *>(QStringLiteral("ApriElenco"))->click();
    });
    app.exec();
    std::printf("%.3f %.1f %.1f\n", total.nsecsElapsed() / 1e9, latest / 1e6, peakMegabytes());
    if (argc >= 4)
        window.grab().save(QString::fromLocal8Bit(argv[3]));
    if (argc == 5) {
        answer.save = QString::fromLocal8Bit(argv[4]);
        window.findChild<QAbstractButton *>(QStringLiteral("Salva"))->click();
    }
    setFileDialogs(nullptr);
    setMessageBoxes(nullptr);
    return 0;
}
