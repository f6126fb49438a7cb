#pragma once

#include <QByteArray>
#include <QString>
#include <sys/types.h>

// File work in folders that others may also write to: the install folder
// and the staging folder. Working files (temporaries, the journal) have
// names of the programs' own, are created exclusively and never through a
// link, get their mode on the open descriptor, and are renamed through
// folder descriptors, so nothing planted at a name can redirect a write.

// A fresh, unpredictable working-file name: ".veltaro-tmp-" and 16 hex digits.
QString newWorkingName();
// Whether name (no folder part) is one that newWorkingName makes.
bool isWorkingName(const QString &name);

// An open folder; closes itself.
class FolderHandle
{
public:
    FolderHandle() = default;
    // Opens path as a folder (it may be reached through links: it is the
    // user's own path); an Error when it is no folder.
    explicit FolderHandle(const QString &path);
    FolderHandle(FolderHandle &&other) noexcept;
    FolderHandle &operator=(FolderHandle &&other) noexcept;
    ~FolderHandle();
    FolderHandle(const FolderHandle &) = delete;
    FolderHandle &operator=(const FolderHandle &) = delete;

    int fd() const { return m_fd; }
    const QString &path() const { return m_path; }

    // The sub-folder reached by relative, every component a real folder,
    // never a link; "" is this folder again. An Error otherwise.
    FolderHandle subFolder(const QString &relative) const;
    // Makes the folder's entries (renames, new names) durable.
    void sync() const;
    // Takes the folder's advisory lock without waiting; false when another
    // process holds it. Released when the handle closes.
    bool tryLock() const;
    // The same, trying again for up to milliseconds.
    bool lockWithin(int milliseconds) const;
    // Removes every working file directly in the folder that an earlier run
    // left behind; what cannot be removed is left.
    void removeWorkingFiles() const;

private:
    int m_fd = -1;
    QString m_path;
};

// A new file being written under a working name in a folder; removed again
// unless it was renamed into place.
class WorkingFile
{
public:
    explicit WorkingFile(const FolderHandle &folder);
    WorkingFile(WorkingFile &&other) noexcept;
    ~WorkingFile();
    WorkingFile(const WorkingFile &) = delete;
    WorkingFile &operator=(const WorkingFile &) = delete;
    WorkingFile &operator=(WorkingFile &&) = delete;

    const QString &name() const { return m_name; }
    // Appends data. On Linux the disk starts taking each few megabytes
    // while later ones still arrive, so the flush before the renames finds
    // little left to write.
    void write(const char *data, std::size_t size);
    void write(const QByteArray &data) { write(data.constData(), std::size_t(data.size())); }
    off_t size() const { return m_written; }
    // Once the last byte is written: the disk starts taking what it has not
    // been handed yet, without waiting, while the next file arrives.
    void handToDisk();
    void setMode(mode_t mode);
    void sync();
    // Renames it over target in folder; target is replaced whole even when
    // it is a link (the link goes, not what it points to).
    void renameTo(const FolderHandle &folder, const QString &target);
    // Leaves the file where it is when this object goes (the journal names it).
    void keep() { m_kept = true; }

private:
    const FolderHandle *m_folder;
    QString m_name;
    int m_fd = -1;
    bool m_kept = false;
    off_t m_written = 0;
    off_t m_handedToDisk = 0;
    off_t m_settled = 0;
};

// The mode of the file at name in folder, not following a link; -1 when
// there is no regular file there. An Error when a folder stands there.
int regularFileMode(const FolderHandle &folder, const QString &name);

// Makes everything written on folder's file system durable (one syncfs).
void syncFileSystem(const FolderHandle &folder);

// The whole content of the file at path; an Error naming it when it cannot
// be read.
QByteArray readWholeFile(const QString &path);

// path's last component and the folder that holds it.
QString fileNameOf(const QString &path);
QString folderOf(const QString &path);
