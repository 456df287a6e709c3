#include "clone_control.h"

#include "application.h"
#include "message_box.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zelvora {

namespace {

TQuilletCloneControl *currentGuard = nullptr;

// Slot i of the counter file is byte i; the gate is a byte past every slot.
constexpr off_t kGate = TQuilletCloneControl::kMaxInstanceLimit + 1;

bool lockByte(int fd, off_t offset, short type, bool wait)
{
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = offset;
    lock.l_len = 1;
    int result;
    do {
        result = fcntl(fd, wait ? F_SETLKW : F_SETLK, &lock);
    } while (result == -1 && errno == EINTR);
    return result == 0;
}

// A slot in [from, to) that another process holds, or -1.
off_t heldSlot(int fd, off_t from, off_t to)
{
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = from;
    probe.l_len = to - from;
    if (probe.l_len <= 0 || fcntl(fd, F_GETLK, &probe) == -1 || probe.l_type == F_UNLCK)
        return -1;
    return probe.l_start;
}

// Slots in [from, to) that other processes hold. The kernel names any one
// conflicting lock, so both sides of it are counted again.
int heldSlots(int fd, off_t from, off_t to)
{
    const off_t slot = heldSlot(fd, from, to);
    if (slot < 0)
        return 0;
    return 1 + heldSlots(fd, from, slot) + heldSlots(fd, slot + 1, to);
}

bool sameFile(int fd, const QByteArray &path)
{
    struct stat opened {}, named {};
    return fstat(fd, &opened) == 0 && stat(path.constData(), &named) == 0 && opened.st_dev == named.st_dev
           && opened.st_ino == named.st_ino;
}

} // namespace

TQuilletCloneControl::TQuilletCloneControl(QObject *owner)
{
    if (currentGuard)
        throw ECloneControlError(QStringLiteral("Programma già in esecuzione"));
    setParent(owner);
    setObjectName(QStringLiteral("QuilletCloneControl1"));
    const QString executable = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    m_mappingName = QStringLiteral("Quillet.CloneControl.%1").arg(executable);
    currentGuard = this;
}

TQuilletCloneControl::~TQuilletCloneControl()
{
    ReleaseInstance();
    if (currentGuard == this)
        currentGuard = nullptr;
}

TQuilletCloneControl *TQuilletCloneControl::current()
{
    return currentGuard;
}

void TQuilletCloneControl::setMaxInstance(int value)
{
    m_maxInstance = std::clamp(value, 1, kMaxInstanceLimit);
}

QString TQuilletCloneControl::counterFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

void TQuilletCloneControl::Loaded()
{
    CheckInstances();
}

void TQuilletCloneControl::CheckInstances()
{
    if (m_fd >= 0)
        return;
    const QString folder = counterFolder();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return; // no runtime directory: the copy runs uncounted
    m_path = QDir(folder).filePath(m_mappingName);
    const QByteArray path = QFile::encodeName(m_path);

    // A file that the last holder removed while we waited at its gate is
    // left for a fresh one.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0)
            return; // no permission: uncounted
        if (!lockByte(fd, kGate, F_WRLCK, true)) {
            ::close(fd);
            return;
        }
        if (!sameFile(fd, path)) {
            ::close(fd);
            continue;
        }
        for (int slot = 0; slot < m_maxInstance; ++slot) {
            if (lockByte(fd, slot, F_WRLCK, false)) {
                m_fd = fd;
                m_slot = slot;
                lockByte(fd, kGate, F_UNLCK, false);
                return;
            }
        }
        // Every place is taken: this copy is refused and never counted.
        ::close(fd);
        DoAction();
        DoTerminate();
        return;
    }
}

void TQuilletCloneControl::ReleaseInstance()
{
    if (m_fd < 0)
        return;
    const QByteArray path = QFile::encodeName(m_path);
    lockByte(m_fd, kGate, F_WRLCK, true);
    lockByte(m_fd, m_slot, F_UNLCK, false);
    // The last copy counted takes the counter with it.
    if (heldSlot(m_fd, 0, kMaxInstanceLimit) < 0 && sameFile(m_fd, path))
        ::unlink(path.constData());
    ::close(m_fd);
    m_fd = -1;
    m_slot = -1;
}

int TQuilletCloneControl::countedCopies(const QString &mappingName)
{
    // A process's locks go with any of its descriptors of the file that it
    // closes: a counted copy asks through its own.
    if (currentGuard && currentGuard->m_fd >= 0 && currentGuard->m_mappingName == mappingName)
        return 1 + heldSlots(currentGuard->m_fd, 0, kMaxInstanceLimit);
    const QString folder = counterFolder();
    if (folder.isEmpty())
        return 0;
    const int fd = ::open(QFile::encodeName(QDir(folder).filePath(mappingName)).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return 0;
    const int copies = heldSlots(fd, 0, kMaxInstanceLimit);
    ::close(fd);
    return copies;
}

void TQuilletCloneControl::DoAction()
{
    switch (Action) {
    case clcNone:
        break;
    case clcMessage:
        showMessage(QStringLiteral("Solo %1 instanza(e) permessa(e)").arg(m_maxInstance), QStringLiteral("Errore"),
                    MessageIcon::Error);
        break;
    case clcCustom:
        if (OnAction)
            OnAction(this);
        break;
    }
}

void TQuilletCloneControl::DoTerminate()
{
    switch (TerminationStyle) {
    case tsAppTerminate:
        Application::instance().terminate();
        break;
    case tsHalt:
        std::fflush(nullptr);
        std::exit(0);
    case tsCustom:
        if (OnTerminate)
            OnTerminate(this);
        break;
    }
}

} // namespace zelvora
