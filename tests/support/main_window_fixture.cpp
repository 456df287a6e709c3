#include "main_window_fixture.h"

#include <QApplication>
#include <QKeyEvent>

namespace zelvora::test {

bool MainWindowFixture::open(const QList<LocalitySource> &localities, const QList<ProvinceSource> &provinces,
                             const std::function<void(const QString &)> &damage)
{
    if (!dir.isValid() || !buildDataFolder(dir.path(), localities, provinces))
        return false;
    if (damage)
        damage(dir.path());
    return openOn(dir.path());
}

bool MainWindowFixture::openOn(const QString &folder)
{
    Application::instance().reset();
    window = std::make_unique<TCapF>(folder);
    if (Application::instance().terminated())
        return true;
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window.get());
}

QStringList MainWindowFixture::names() const
{
    QStringList names;
    for (int row = 0; row < grid()->rowCountValue(); ++row)
        names << grid()->cell(0, row);
    return names;
}

void typeInto(QWidget *field, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(field, c.toLatin1());
            continue;
        }
        // Qt Test types ASCII only: send the key event of an accented letter.
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &press);
        QApplication::sendEvent(field, &release);
    }
}

void MainWindowFixture::type(const QString &text) const
{
    typeInto(cerca(), text);
}

void MainWindowFixture::key(Qt::Key key, QWidget *target) const
{
    QTest::keyClick(target ? target : QApplication::focusWidget(), key);
}

void MainWindowFixture::focusGrid() const
{
    cerca()->setFocus();
    QTest::keyClick(cerca(), Qt::Key_Return);
}

namespace {
QString numberedName(int i)
{
    return QStringLiteral("P%1").arg(i, 3, 10, QLatin1Char('0'));
}
} // namespace

QList<LocalitySource> numberedLocalities(int count)
{
    QList<LocalitySource> rows;
    for (int i = 0; i < count; ++i)
        rows.append({.locality = numberedName(i),
                     .province = "PV",
                     .cap = QStringLiteral("%1").arg(27000 + i),
                     .note = i % 5 == 0 ? QStringLiteral("NOTA %1").arg(i) : QString()});
    return rows;
}

QStringList numberedNames(int from, int to)
{
    QStringList names;
    for (int i = from; i <= to; ++i)
        names << numberedName(i);
    return names;
}

} // namespace zelvora::test
