#pragma once

#include "http.h"
#include "safefile.h"
#include "updatetrust.h"
#include "versioninfo.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// The first n file names of an UpdateInfor.inf. An Error when n exceeds the
// ten places the file has, or when any name breaks the rules for published
// names (then nothing is fetched at all). n of 0 or below lists nothing.
QStringList publishedFileNames(const UpdateInfo &info, int n);

class HashingWriter;

// Installs a set of files all or nothing, even across a crash. Each file
// streams into a working file of its own in the install folder while its
// SHA-256 is computed; commit() records the plan in the install journal and
// moves every file into place, ClientInfor.inf last. Whatever has not been
// committed is removed by the destructor. Holds the install folder's lock,
// so no other start takes these files for leftovers.
class StagedInstall
{
public:
    explicit StagedInstall(const QString &installFolder);
    ~StagedInstall();
    StagedInstall(const StagedInstall &) = delete;
    StagedInstall &operator=(const StagedInstall &) = delete;

    // Fetches url into the working file for installFolder/name; an Error when
    // trust lists the name with other bytes than arrived. k names the
    // transfer for the test kill points.
    void stage(const QString &name, const QString &url, const UpdateTrust &trust,
               const HttpOptions &options, const HttpProgress &progress, int k);
    // The new ClientInfor.inf, which commit() puts in place last.
    void stageClientInfor(const QByteArray &bytes);
    // A replaced file keeps its mode; a new one gets the default mode, and is
    // executable when it is one of the product's programs.
    void commit();

private:
    struct Entry {
        QString name;
        std::unique_ptr<WorkingFile> file;
    };

    FolderHandle m_folder;
    std::unique_ptr<HashingWriter> m_writer;
    std::vector<Entry> m_entries;
    std::unique_ptr<WorkingFile> m_clientInfor;
};
