#pragma once

#include "support/session_model.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <deque>
#include <random>

namespace zelvora {
class TCapF;
}

namespace zelvora::test {

// What a user sees of the main window after a step, and the records the step
// read: taken from the real window, or worked out by the model.
struct SessionState
{
    int mode = 0;
    QString field;
    QString focus;              // objectName of the focused control
    QList<QStringList> cells;   // the grid's rows, three texts each
    int selected = 0;
    int lastRow = 0;
    int position = 0;
    int maximum = 0;
    bool noteShown = false;
    QString note;               // when shown
    qint64 reads = 0;

    bool operator==(const SessionState &) const = default;
    QString describe() const;
    // The fields in which two states differ, by name.
    static QStringList differences(const SessionState &a, const SessionState &b);
};

// A long random session on the real main window, compared after every step
// with the model. The actions go through the real controls as a user's would:
// keys and text into the search field, keys and clicks in the grid, clicks on
// the scroll bar's arrows and trough, its other scroll commands, dragging and
// releasing its thumb, and the three search modes from the menu.
class LocalitySession
{
public:
    // `window` is open and active on the data folder that `data` was read from.
    LocalitySession(TCapF &window, const LocalityData &data, quint64 seed);

    // One random action; false when the window and the model then differ,
    // and report() tells where.
    bool step();
    // Compares the window with the model without acting.
    bool check();

    // Prints every action and the state after it, to replay a failing run.
    bool trace = false;

    int stepsDone() const { return m_steps; }
    QString report() const { return m_report; }
    SessionState observed() const;
    SessionState expected() const;

private:
    quint32 below(quint32 bound) { return quint32(m_random() % bound); }
    QString act();
    QString typeCharacter();
    QString paste();
    QString scrollBarClick(int code);
    QString thumbDrag();
    QString clickRow();
    QString switchMode();
    QChar continuation(const QString &key) const;
    QString randomKey();
    void settle();

    TCapF &m_window;
    LocalityModel m_model;
    std::mt19937_64 m_random;
    quint64 m_seed;
    qint64 m_readsBefore = 0;
    int m_steps = 0;
    std::deque<QString> m_history;
    QString m_report;
};

// Resident memory of this process in kB (VmRSS), 0 where not known.
qint64 residentKilobytes();

} // namespace zelvora::test
