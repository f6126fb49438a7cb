#pragma once

#include "http.h"
#include "versioninfo.h"

#include <QString>
#include <QStringList>
#include <vector>

// A published name may only reach into the install folder: not empty, not
// absolute, no drive letter, no ".." component, and naming a file rather
// than a folder. Both "/" and "\" count as separators, since the names are
// written for every system the product runs on.
bool isSafeFileName(const QString &name);

// The n file names of an UpdateInfor.inf (elements 11 onward). An Error when
// n exceeds the ten places the file has, when a name is missing, or when a
// name is not safe; n of 0 or below lists nothing.
QStringList publishedFileNames(const UpdateLines &lines, int n);

// Installs a set of files so that the install folder never holds a mix of
// old and new copies: each file is streamed into a temporary sibling of its
// target, and only commit() moves them over the installed copies, one atomic
// rename each. Whatever has not been committed is removed by the destructor.
class StagedInstall
{
public:
    explicit StagedInstall(const QString &installFolder);
    ~StagedInstall();
    StagedInstall(const StagedInstall &) = delete;
    StagedInstall &operator=(const StagedInstall &) = delete;

    // Fetches url into the temporary of installFolder/name.
    void stage(const QString &name, const QString &url, const HttpOptions &options,
               const HttpProgress &progress);
    // A replaced file keeps its mode; a new one gets the default mode, and is
    // executable when it is one of the product's programs.
    void commit();

private:
    struct Entry {
        QString name;
        QString target;
        QString temporary;
        bool committed = false;
    };
    Entry &entryFor(const QString &name);

    QString m_folder;
    QString m_canonicalFolder;
    std::vector<Entry> m_entries;
};
