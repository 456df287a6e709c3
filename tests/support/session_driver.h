#pragma once

#include "support/session_model.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <deque>
#include <random>

class QLineEdit;
class QWidget;

namespace zelvora {
class Edit;
class ScrollBar;
class StringGrid;
class TCapF;
class TZone;
} // namespace zelvora

namespace zelvora::test {

// What a user sees of a search window after a step, and the records the step
// read: taken from the real window, or worked out by the model.
struct SessionState
{
    QString mode;               // search mode, or city
    QString field;
    QString focus;              // objectName of the focused control
    QList<QStringList> cells;   // the grid's rows
    int selected = 0;
    int lastRow = 0;
    int position = 0;
    int maximum = 0;
    bool noteShown = false;
    QString note;               // when shown
    qint64 reads = 0;
    qint64 readsAtMost = 0;     // the model's bound: a search may read fewer

    QString describe() const;
    // The fields in which the window's state differs from the model's, by
    // name; records read differ when outside [model.reads, model.readsAtMost].
    static QStringList differences(const SessionState &program, const SessionState &model);
};

// A long random session on a real search window, compared after every step
// with the model. The actions go through the real controls as a user's would:
// keys and text into the search field, keys and clicks in the grid, clicks on
// the scroll bar's arrows and trough, its other scroll commands, dragging and
// releasing its thumb; each window adds its own (the search modes, the city).
class WindowSession
{
public:
    virtual ~WindowSession() = default;

    // One random action; false when the window and the model then differ,
    // and report() tells where.
    bool step();
    // Compares the window with the model without acting.
    bool check();

    // Prints every action and the state after it, to replay a failing run;
    // on when ZELVORA_SOAK_TRACE is set.
    bool trace = false;

    int stepsDone() const { return m_steps; }
    QString report() const { return m_report; }
    SessionState observed() const;
    SessionState expected() const;

protected:
    struct Controls
    {
        Edit *field;
        StringGrid *grid;
        ScrollBar *scrollBar;
        QWidget *noteLabel;
        QLineEdit *noteEdit;
    };
    WindowSession(Controls controls, SearchModel &model, quint64 seed);

    quint32 below(quint32 bound) { return quint32(m_random() % bound); }
    // Lets the window repaint, as it does between a user's actions.
    void settle();

    // What differs between the windows.
    virtual QString modeName() const = 0;      // the window's
    virtual QString modelModeName() const = 0; // the model's
    virtual int programLastRow() const = 0;
    virtual qint64 programReads() const = 0;
    virtual QString switchAction() = 0; // the mode or the city
    virtual int keyColumn() const = 0;  // the grid column of the key searched
    virtual QString randomKey() = 0;

    Controls m_controls;
    SearchModel &m_model;
    qint64 m_readsBefore = 0;

private:
    QString act();
    QString typeCharacter();
    QString paste();
    QString scrollBarClick(int code);
    QString thumbDrag();
    QString clickRow();
    QChar continuation(const QString &key) const;

    std::mt19937_64 m_random;
    quint64 m_seed;
    int m_steps = 0;
    std::deque<QString> m_history;
    QString m_report;
};

// The main window: locality search and results list, and the three modes.
class LocalitySession : public WindowSession
{
public:
    // `window` is open and active on the data folder that `data` was read from.
    LocalitySession(TCapF &window, const LocalityData &data, quint64 seed);

private:
    QString modeName() const override;
    QString modelModeName() const override;
    int programLastRow() const override;
    qint64 programReads() const override;
    QString switchAction() override;
    int keyColumn() const override;
    QString randomKey() override;

    TCapF &m_window;
    LocalityModel m_locality;
};

// The street window: a city picked from the list, its search and street list.
class StreetSession : public WindowSession
{
public:
    // `window` is shown and active; `zoneFolder` holds the files of the
    // cities of `cityRows` (rows of the city table), which the session picks
    // from. It starts by picking the first.
    StreetSession(TZone &window, const QString &zoneFolder, const QList<int> &cityRows, quint64 seed);

    bool started() const { return m_started; }

private:
    QString modeName() const override;
    QString modelModeName() const override;
    int programLastRow() const override;
    qint64 programReads() const override;
    QString switchAction() override;
    int keyColumn() const override { return 0; }
    QString randomKey() override;
    void pick(int row);

    TZone &m_window;
    StreetModel m_streets;
    QList<int> m_cityRows;
    QList<CityData> m_cities;
    bool m_started = false;
};

// Resident memory of this process in kB (VmRSS), 0 where not known.
qint64 residentKilobytes();

} // namespace zelvora::test
