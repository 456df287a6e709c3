#pragma once

#include "common/error.h"

#include <QObject>
#include <QString>
#include <functional>

namespace zelvora {

// Raised when a process builds a second guard.
class ECloneControlError : public Error
{
public:
    using Error::Error;
};

enum TCloneControlAction { clcNone = 0, clcMessage = 1, clcCustom = 2 };
enum TTerminationStyle { tsAppTerminate = 0, tsHalt = 1, tsCustom = 2 };

// Limits how many copies of the program run at the same time for one user.
//
// The copies are counted under a name formed from the executable's file
// name, so copies started from other folders share a count and another file
// name has its own. Each counted copy holds a lock on one slot of a small
// file in the user's runtime directory: the kernel drops the lock the moment
// a copy ends, also when it crashes or is killed, so a place is never lost,
// and a lock on a gate byte makes checking and claiming one step, so two
// copies starting at the same instant cannot both take the last place. The
// last copy to end removes the file.
//
// The check runs once, from Loaded(), when the owner's layout is complete.
// Only one guard may exist in a process.
class TQuilletCloneControl : public QObject
{
    Q_OBJECT
public:
    using Notification = std::function<void(TQuilletCloneControl *sender)>;

    static constexpr int kMaxInstanceLimit = 65520;

    // Throws ECloneControlError when the process already has a guard.
    explicit TQuilletCloneControl(QObject *owner);
    ~TQuilletCloneControl() override;

    TCloneControlAction Action = clcMessage;
    TTerminationStyle TerminationStyle = tsAppTerminate;
    Notification OnAction;
    Notification OnTerminate;

    int MaxInstance() const { return m_maxInstance; }
    // Held between 1 and 65520.
    void setMaxInstance(int value);

    QString mappingName() const { return m_mappingName; }
    bool counted() const { return m_fd >= 0; }

    // The owner's layout is complete: count this copy, or refuse it.
    void Loaded();

    static TQuilletCloneControl *current();
    // Copies counted now under a name, for diagnostics and tests.
    static int countedCopies(const QString &mappingName);
    // Where the counters live: the user's runtime directory.
    static QString counterFolder();

protected:
    virtual void DoAction();
    virtual void DoTerminate();

private:
    void CheckInstances();
    void ReleaseInstance();

    QString m_mappingName;
    QString m_path;
    int m_maxInstance = 1;
    int m_fd = -1;
    int m_slot = -1;
};

} // namespace zelvora
