#include "safefile.h"

#include "error.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
QString systemError()
{
    return qt_error_string(errno);
}

QByteArray encoded(const QString &name)
{
    return QFile::encodeName(name);
}

int openFolderAt(int at, const QByteArray &name, bool followLinks)
{
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW);
    int fd;
    do
        fd = ::openat(at, name.constData(), flags);
    while (fd < 0 && errno == EINTR);
    return fd;
}
} // namespace

QString newWorkingName()
{
    quint64 random = QRandomGenerator::system()->generate64();
    return QStringLiteral(".veltaro-tmp-%1").arg(random, 16, 16, QLatin1Char('0'));
}

// By hand: a pattern costs more to compile than a whole small update takes
// to look through its folders.
bool isWorkingName(const QString &name)
{
    static const QString prefix = QStringLiteral(".veltaro-tmp-");
    return name.size() == prefix.size() + 16 && name.startsWith(prefix) &&
           std::all_of(name.cbegin() + prefix.size(), name.cend(), [](QChar c) {
               return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f');
           });
}

QByteArray readWholeFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Cannot open %1 for reading: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Error(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    return bytes;
}

QString fileNameOf(const QString &path)
{
    return path.section(u'/', -1);
}

QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return QStringLiteral(".");
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

FolderHandle::FolderHandle(const QString &path) : m_path(path)
{
    m_fd = openFolderAt(AT_FDCWD, encoded(path), true);
    if (m_fd < 0)
        throw Error(QStringLiteral("Cannot open the folder %1: %2").arg(path, systemError()));
}

FolderHandle::FolderHandle(FolderHandle &&other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_path(std::move(other.m_path))
{
}

FolderHandle &FolderHandle::operator=(FolderHandle &&other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
        m_path = std::move(other.m_path);
    }
    return *this;
}

FolderHandle::~FolderHandle()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

FolderHandle FolderHandle::subFolder(const QString &relative) const
{
    FolderHandle current;
    current.m_fd = ::dup(m_fd);
    current.m_path = m_path;
    if (current.m_fd < 0)
        throw Error(QStringLiteral("Cannot open the folder %1: %2").arg(m_path, systemError()));
    for (const QString &part : relative.split(u'/', Qt::SkipEmptyParts)) {
        FolderHandle next;
        next.m_path = current.m_path + u'/' + part;
        next.m_fd = openFolderAt(current.m_fd, encoded(part), false);
        if (next.m_fd < 0)
            throw Error(QStringLiteral("%1 is not a folder of its own (a link, or missing): %2")
                            .arg(next.m_path, systemError()));
        current = std::move(next);
    }
    return current;
}

void FolderHandle::sync() const
{
    if (::fsync(m_fd) != 0)
        throw Error(QStringLiteral("Cannot flush the folder %1: %2").arg(m_path, systemError()));
}

bool FolderHandle::tryLock() const
{
    return ::flock(m_fd, LOCK_EX | LOCK_NB) == 0;
}

bool FolderHandle::lockWithin(int milliseconds) const
{
    QElapsedTimer waited;
    waited.start();
    while (!tryLock()) {
        if (waited.elapsed() >= milliseconds)
            return false;
        QThread::msleep(50);
    }
    return true;
}

void FolderHandle::removeWorkingFiles() const
{
    const int fd = ::dup(m_fd);
    if (fd < 0)
        return;
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    ::rewinddir(dir);
    QList<QByteArray> found;
    while (const dirent *entry = ::readdir(dir))
        if (isWorkingName(QFile::decodeName(entry->d_name)))
            found << QByteArray(entry->d_name);
    ::closedir(dir);
    for (const QByteArray &name : found) {
        struct stat st {
        };
        if (::fstatat(m_fd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            !S_ISDIR(st.st_mode))
            ::unlinkat(m_fd, name.constData(), 0);
    }
}

WorkingFile::WorkingFile(const FolderHandle &folder) : m_folder(&folder)
{
    // A clash with an existing name can only be a planted file: never write
    // into it, take another name.
    for (int attempt = 0; attempt < 8 && m_fd < 0; ++attempt) {
        m_name = newWorkingName();
        do
            m_fd = ::openat(folder.fd(), encoded(m_name).constData(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        while (m_fd < 0 && errno == EINTR);
        if (m_fd < 0 && errno != EEXIST)
            break;
    }
    if (m_fd < 0)
        throw Error(
            QStringLiteral("Cannot create a file in %1: %2").arg(folder.path(), systemError()));
}

WorkingFile::WorkingFile(WorkingFile &&other) noexcept
    : m_folder(other.m_folder), m_name(std::move(other.m_name)),
      m_fd(std::exchange(other.m_fd, -1)), m_kept(std::exchange(other.m_kept, true)),
      m_written(other.m_written), m_handedToDisk(other.m_handedToDisk), m_settled(other.m_settled)
{
}

WorkingFile::~WorkingFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_kept && !m_name.isEmpty())
        ::unlinkat(m_folder->fd(), encoded(m_name).constData(), 0);
}

void WorkingFile::write(const char *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(m_fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throw Error(
                QStringLiteral("Cannot write in %1: %2").arg(m_folder->path(), systemError()));
        data += written;
        size -= std::size_t(written);
        m_written += written;
    }
    // Every 8 MB the new step goes to the disk, and the step before, once
    // it is on disk, leaves the page cache. The download overlaps the
    // disk's work instead of preceding it, and a large file costs a few
    // steps of cache, not its size: a 1 GB update does not push the
    // desktop's working set out of memory while the old version's pages
    // are still there, and it reuses the same pages instead of asking for
    // new ones (which costs most of the time of the write inside a virtual
    // machine). Only hints: the flush before the commit is what makes the
    // bytes durable.
    constexpr off_t writeBackStep = 8 << 20;
    if (m_written - m_handedToDisk < writeBackStep)
        return;
    const off_t handedBefore = m_handedToDisk;
    handToDisk();
#ifdef __linux__
    if (handedBefore > m_settled) {
        ::sync_file_range(m_fd, m_settled, handedBefore - m_settled,
                          SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                              SYNC_FILE_RANGE_WAIT_AFTER);
        ::posix_fadvise(m_fd, m_settled, handedBefore - m_settled, POSIX_FADV_DONTNEED);
    }
#endif
    m_settled = handedBefore;
}

void WorkingFile::handToDisk()
{
#ifdef __linux__
    if (m_written > m_handedToDisk)
        ::sync_file_range(m_fd, m_handedToDisk, m_written - m_handedToDisk, SYNC_FILE_RANGE_WRITE);
#endif
    m_handedToDisk = m_written;
}

void WorkingFile::setMode(mode_t mode)
{
    if (::fchmod(m_fd, mode) != 0)
        throw Error(QStringLiteral("Cannot set a file's mode in %1: %2")
                        .arg(m_folder->path(), systemError()));
}

void WorkingFile::sync()
{
    if (::fsync(m_fd) != 0)
        throw Error(
            QStringLiteral("Cannot flush a file in %1: %2").arg(m_folder->path(), systemError()));
}

void WorkingFile::renameTo(const FolderHandle &folder, const QString &target)
{
    if (::renameat(m_folder->fd(), encoded(m_name).constData(), folder.fd(),
                   encoded(target).constData()) != 0)
        throw Error(
            QStringLiteral("Cannot replace %1/%2: %3").arg(folder.path(), target, systemError()));
    m_kept = true;
}

int regularFileMode(const FolderHandle &folder, const QString &name)
{
    struct stat st {
    };
    if (::fstatat(folder.fd(), encoded(name).constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return -1;
    if (S_ISDIR(st.st_mode))
        throw Error(QStringLiteral("%1/%2 is a folder").arg(folder.path(), name));
    return S_ISREG(st.st_mode) ? int(st.st_mode & 07777) : -1;
}

void syncFileSystem(const FolderHandle &folder)
{
    if (::syncfs(folder.fd()) != 0)
        throw Error(
            QStringLiteral("Cannot flush %1 to disk: %2").arg(folder.path(), systemError()));
}
