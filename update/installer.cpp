#include "installer.h"

#include "error.h"
#include "installjournal.h"
#include "programfile.h"
#include "publishednames.h"

#include <array>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace
{
bool isProgramName(const QString &name)
{
    for (const char *base : {"player", "update", "check"})
        if (name == executableName(QString::fromLatin1(base)))
            return true;
    return false;
}

// Read bits gain the matching execute bits, as a freshly built program has.
mode_t withExecute(mode_t mode)
{
    return mode | ((mode & 0444) >> 2);
}

// Downloads are written in blocks of this size.
constexpr std::size_t writeBlock = 256 << 10;

mode_t creationMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

QString parentOf(const QString &name)
{
    return name.contains(u'/') ? folderOf(name) : QString();
}
} // namespace

// Writes each download into its working file in blocks of 256 KB while a
// thread of its own hashes the blocks already written. SHA-256 costs about
// as much as receiving and writing the bytes together; on a second core it
// no longer adds to the transfer's time. One writer serves every file of an
// update: the thread and its few blocks, reused in turn, are made once, so
// memory stays the same whatever the files' sizes.
class HashingWriter
{
public:
    HashingWriter() = default;
    ~HashingWriter()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_handedOne.notify_one();
        if (m_hasher.joinable())
            m_hasher.join();
    }
    HashingWriter(const HashingWriter &) = delete;
    HashingWriter &operator=(const HashingWriter &) = delete;

    void begin(WorkingFile &file)
    {
        waitUntilHashed();
        m_blocks[m_handed % m_blocks.size()].clear();
        m_file = &file;
        m_hash.emplace();
        m_handedBefore = m_handed;
    }

    void add(const char *data, std::size_t size)
    {
        while (size > 0) {
            std::vector<char> &block = filling();
            const std::size_t n = std::min(size, writeBlock - block.size());
            block.insert(block.end(), data, data + n);
            data += n;
            size -= n;
            if (block.size() == writeBlock)
                handOver();
        }
    }

    // The digest of everything added since begin(), all of it written.
    QByteArray finish()
    {
        std::vector<char> &last = filling();
        if (m_handed == m_handedBefore) {
            // All of it in one block: hashed here, which is quicker than
            // waking the thread for it.
            m_file->write(last.data(), last.size());
            m_hash->add(last.data(), last.size());
            last.clear();
        } else if (!last.empty()) {
            handOver();
        }
        waitUntilHashed();
        QByteArray digest = m_hash->finish();
        m_hash.reset();
        return digest;
    }

private:
    // The block being filled, once the hasher is done with what it held.
    std::vector<char> &filling()
    {
        std::unique_lock lock(m_mutex);
        m_hashedOne.wait(lock, [this] { return m_handed - m_hashed < m_blocks.size(); });
        std::vector<char> &block = m_blocks[m_handed % m_blocks.size()];
        if (block.capacity() < writeBlock)
            block.reserve(writeBlock);
        return block;
    }

    void handOver()
    {
        const std::vector<char> &block = m_blocks[m_handed % m_blocks.size()];
        m_file->write(block.data(), block.size());
        if (!m_hasher.joinable())
            m_hasher = std::thread([this] { hashBlocks(); });
        {
            const std::lock_guard lock(m_mutex);
            ++m_handed;
        }
        m_handedOne.notify_one();
    }

    void waitUntilHashed()
    {
        std::unique_lock lock(m_mutex);
        m_hashedOne.wait(lock, [this] { return m_hashed == m_handed; });
    }

    void hashBlocks()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_handedOne.wait(lock, [this] { return m_hashed < m_handed || m_stopping; });
            if (m_hashed == m_handed)
                return;
            std::vector<char> &block = m_blocks[m_hashed % m_blocks.size()];
            lock.unlock();
            m_hash->add(block.data(), block.size());
            block.clear();
            lock.lock();
            ++m_hashed;
            m_hashedOne.notify_one();
        }
    }

    WorkingFile *m_file = nullptr;
    std::optional<Sha256> m_hash;
    std::array<std::vector<char>, 4> m_blocks;
    std::mutex m_mutex;
    std::condition_variable m_handedOne;
    std::condition_variable m_hashedOne;
    std::size_t m_handed = 0;
    std::size_t m_hashed = 0;
    std::size_t m_handedBefore = 0; // m_handed when this file began
    bool m_stopping = false;
    std::thread m_hasher;
};

QStringList publishedFileNames(const UpdateInfo &info, int n)
{
    const int places = static_cast<int>(info.fileNames.size());
    if (n > places)
        throw Error(QStringLiteral("%1 files listed, but UpdateInfor.inf holds at most %2 names")
                        .arg(n)
                        .arg(places));
    QStringList names;
    for (int k = 0; k < n; ++k)
        names << info.fileNames[std::size_t(k)];
    if (const QStringList problems = publishedNamesProblems(names); !problems.isEmpty())
        throw Error(QStringLiteral("UpdateInfor.inf lists names that cannot be installed: %1")
                        .arg(problems.join(QStringLiteral("; "))));
    QStringList normalised;
    for (const QString &name : names)
        normalised << normalisedName(name);
    return normalised;
}

StagedInstall::StagedInstall(const QString &installFolder)
    : m_folder(installFolder), m_writer(std::make_unique<HashingWriter>())
{
    if (!m_folder.tryLock())
        throw Error(QStringLiteral("Another update is installing into %1").arg(installFolder));
}

StagedInstall::~StagedInstall() = default;

void StagedInstall::stage(const QString &name, const QString &url, const UpdateTrust &trust,
                          const HttpOptions &options, const HttpProgress &progress, int k)
{
    auto file = std::make_unique<WorkingFile>(m_folder);
    m_writer->begin(*file);
    bool first = true;
    fetchToSink(
        url,
        [&](const char *data, std::size_t size) {
            m_writer->add(data, size);
            if (std::exchange(first, false))
                faultPoint(QStringLiteral("during:%1").arg(k));
        },
        options, progress);
    trust.check(name, m_writer->finish());
    // A larger file goes to the disk now, while the next one arrives. A file
    // of one block waits for the flush before the commit, which writes it
    // with the others: its own write-back would cost more than it saves.
    if (file->size() > off_t(writeBlock))
        file->handToDisk();
    m_entries.push_back({name, std::move(file)});
    faultPoint(QStringLiteral("fetched:%1").arg(k));
}

void StagedInstall::stageClientInfor(const QByteArray &bytes)
{
    m_clientInfor = std::make_unique<WorkingFile>(m_folder);
    m_clientInfor->write(bytes);
    const int mode = regularFileMode(m_folder, QStringLiteral("ClientInfor.inf"));
    if (mode >= 0)
        m_clientInfor->setMode(mode_t(mode));
}

void StagedInstall::commit()
{
    if (!m_clientInfor)
        throw Error(QStringLiteral("No new ClientInfor.inf to install"));
    // Every folder on the way must be a real folder inside the install
    // folder; commitPlan checks the rest before anything is moved.
    QList<PlannedRename> plan;
    for (Entry &e : m_entries) {
        const FolderHandle parent = m_folder.subFolder(parentOf(e.name));
        const int mode = regularFileMode(parent, fileNameOf(e.name));
        if (mode >= 0)
            e.file->setMode(mode_t(mode));
        else if (isProgramName(e.name))
            e.file->setMode(withExecute(creationMode()));
        plan.append({e.file->name(), e.name});
    }
    plan.append({m_clientInfor->name(), QStringLiteral("ClientInfor.inf")});

    // From here on the plan owns the working files.
    for (Entry &e : m_entries)
        e.file->keep();
    m_clientInfor->keep();
    commitPlan(m_folder, plan);
}
