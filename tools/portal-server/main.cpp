// A small loopback HTTP server for the tests and the demo: serves a folder on
// 127.0.0.1 and can be told, per path, to fail in the ways real servers do.

#include "files.h"
#include "rules.h"

#include <arpa/inet.h>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <httplib.h>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{

constexpr const char *ControlPath = "/__control";

struct Options {
    fs::path root;
    int port = 0;
    std::string logFile;
};

std::optional<Options> parseOptions(int argc, char **argv)
{
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const std::string value = argv[i + 1];
        if (key == "--root")
            options.root = value;
        else if (key == "--port")
            options.port = std::atoi(value.c_str());
        else if (key == "--log")
            options.logFile = value;
        else
            return std::nullopt;
    }
    if (argc % 2 == 0 || options.root.empty() || options.port < 0)
        return std::nullopt;
    return options;
}

// One line per request, flushed at once so that a reader sees every request
// that has been answered.
class AccessLog
{
public:
    explicit AccessLog(const std::string &file)
        : m_out(file.empty() ? stderr : std::fopen(file.c_str(), "a"))
    {
    }
    ~AccessLog()
    {
        if (m_out && m_out != stderr)
            std::fclose(m_out);
    }
    bool isOpen() const { return m_out != nullptr; }

    void write(const std::string &method, const std::string &path, int status)
    {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
        const std::lock_guard lock(m_mutex);
        std::fprintf(m_out, "%lld %s %s %d\n", static_cast<long long>(ms), method.c_str(),
                     path.c_str(), status);
        std::fflush(m_out);
    }

private:
    std::mutex m_mutex;
    std::FILE *m_out;
};

// Lets a delayed answer end early when the server shuts down.
class StopFlag
{
public:
    void raise()
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_changed.notify_all();
    }
    bool isRaised()
    {
        const std::lock_guard lock(m_mutex);
        return m_stopping;
    }
    void sleep(int ms)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_stopping; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_stopping = false;
};

// The handlers never see the socket, so find it by the client's address:
// shutting it down makes the client read an end of stream instead of a
// status line.
void closeClientConnection(const httplib::Request &req)
{
    for (const auto &entry : fs::directory_iterator("/proc/self/fd")) {
        const int fd = std::atoi(entry.path().filename().c_str());
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        if (getpeername(fd, reinterpret_cast<sockaddr *>(&peer), &length) != 0 ||
            peer.sin_family != AF_INET || ntohs(peer.sin_port) != req.remote_port)
            continue;
        char address[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &peer.sin_addr, address, sizeof address);
        if (req.remote_addr == address)
            shutdown(fd, SHUT_RDWR);
    }
}

// The body in chunks without a length; with dropAfter >= 0 it ends, cleanly,
// after that many bytes, as a proxy that lost the rest of a file would end it.
void serveUnsized(httplib::Response &res, const fs::path &file, long long dropAfter)
{
    auto in = std::make_shared<std::ifstream>(file, std::ios::binary);
    const auto limit = dropAfter >= 0 ? static_cast<std::size_t>(dropAfter)
                                      : static_cast<std::size_t>(fs::file_size(file));
    res.set_chunked_content_provider(
        contentTypeFor(file), [in, limit](std::size_t offset, httplib::DataSink &sink) {
            char buffer[64 * 1024];
            const std::size_t length = std::min(limit - std::min(limit, offset), sizeof buffer);
            in->seekg(static_cast<std::streamoff>(offset));
            in->read(buffer, static_cast<std::streamsize>(length));
            if (in->gcount() <= 0) {
                sink.done();
                return true;
            }
            return sink.write(buffer, static_cast<std::size_t>(in->gcount()));
        });
}

// The body in chunks without a length, as a slow or runaway server sends it:
// with dripMs one small piece at a time, dripMs apart; when endless, the file
// over and over until the client goes away or the server stops.
void serveStream(httplib::Response &res, const fs::path &file, int dripMs, bool endless,
                 StopFlag &stop)
{
    auto in = std::make_shared<std::ifstream>(file, std::ios::binary);
    const auto size = static_cast<std::size_t>(fs::file_size(file));
    res.set_chunked_content_provider(
        contentTypeFor(file),
        [in, size, dripMs, endless, &stop](std::size_t offset, httplib::DataSink &sink) {
            if (size == 0 || (!endless && offset >= size) || stop.isRaised()) {
                sink.done();
                return true;
            }
            if (dripMs)
                stop.sleep(dripMs);
            char buffer[64 * 1024];
            const std::size_t at = offset % size;
            const std::size_t length = std::min(size - at, dripMs ? 4096 : sizeof buffer);
            in->clear();
            in->seekg(static_cast<std::streamoff>(at));
            in->read(buffer, static_cast<std::streamsize>(length));
            return in->gcount() > 0 && sink.write(buffer, static_cast<std::size_t>(in->gcount()));
        });
}

// Streams the file in pieces so that a file of any size is served with flat
// memory; dropAfter >= 0 breaks the body off after that many bytes.
void serveFile(httplib::Response &res, const fs::path &file, long long dropAfter, bool unsized)
{
    if (unsized)
        return serveUnsized(res, file, dropAfter);
    auto in = std::make_shared<std::ifstream>(file, std::ios::binary);
    const auto size = static_cast<std::size_t>(fs::file_size(file));
    res.set_content_provider(
        size, contentTypeFor(file),
        [in, dropAfter](std::size_t offset, std::size_t length, httplib::DataSink &sink) {
            if (dropAfter >= 0) {
                if (offset >= static_cast<std::size_t>(dropAfter))
                    return false;
                length = std::min(length, static_cast<std::size_t>(dropAfter) - offset);
            }
            char buffer[64 * 1024];
            length = std::min(length, sizeof buffer);
            in->seekg(static_cast<std::streamoff>(offset));
            in->read(buffer, static_cast<std::streamsize>(length));
            if (in->gcount() <= 0)
                return false;
            return sink.write(buffer, static_cast<std::size_t>(in->gcount()));
        });
}

class PortalServer
{
public:
    PortalServer(fs::path root, AccessLog &log, StopFlag &stop)
        : m_root(std::move(root)), m_log(log), m_stop(stop)
    {
    }

    void handle(const httplib::Request &req, httplib::Response &res)
    {
        if (req.path == ControlPath) {
            const auto error = m_rules.apply(req.params);
            res.status = error ? 400 : 200;
            res.set_content(error ? *error + "\n" : "ok\n", "text/plain");
            return;
        }
        const Rule rule = m_rules.find(req.path);
        const auto file = resolveUnder(m_root, req.path);
        std::error_code ec;
        const bool isDir = file && fs::is_directory(*file, ec);
        const fs::path target = isDir ? *file / "index.html" : file.value_or(fs::path());
        const bool found = file && fs::is_regular_file(target, ec);
        const bool needsSlash = isDir && !req.path.ends_with('/');

        int status = found ? 200 : 404;
        if (needsSlash)
            status = 301;
        if (!rule.redirect.empty())
            status = 302;
        if (rule.status)
            status = rule.status;
        m_log.write(req.method, req.path, rule.close ? 0 : status);

        if (rule.delayMs)
            m_stop.sleep(rule.delayMs);
        if (rule.close || m_stop.isRaised()) {
            closeClientConnection(req);
            return;
        }
        res.status = status;
        if (!rule.redirect.empty())
            res.set_header("Location", rule.redirect);
        else if (needsSlash)
            res.set_header("Location", req.path + "/");
        if (found && !needsSlash && (rule.dripMs || rule.endless))
            serveStream(res, target, rule.dripMs, rule.endless, m_stop);
        else if (found && !needsSlash)
            serveFile(res, target, rule.dropAfter, rule.unsized);
        else
            res.set_content(std::to_string(status) + "\n", "text/plain");
    }

private:
    fs::path m_root;
    AccessLog &m_log;
    StopFlag &m_stop;
    RuleBook m_rules;
};

} // namespace

int main(int argc, char **argv)
{
    const auto options = parseOptions(argc, argv);
    if (!options || !fs::is_directory(options->root)) {
        std::fprintf(stderr, "usage: portal-server --root DIR [--port N] [--log FILE]\n");
        return 2;
    }
    AccessLog log(options->logFile);
    if (!log.isOpen()) {
        std::fprintf(stderr, "portal-server: cannot open %s\n", options->logFile.c_str());
        return 2;
    }

    // A client that goes away mid-answer must not kill the server; the
    // termination signals are taken by one waiting thread, which stops the
    // server in an orderly way.
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    StopFlag stop;
    PortalServer portal(fs::canonical(options->root), log, stop);
    httplib::Server server;
    // Browsers keep several idle connections open, each holding a worker.
    server.new_task_queue = [] { return new httplib::ThreadPool(32); };
    server.set_keep_alive_timeout(2);
    // A small body written after its headers would otherwise wait for the
    // client's delayed acknowledgement (40 ms), as no real web server makes
    // a client wait: nginx sends with TCP_NODELAY on kept-alive connections.
    server.set_tcp_nodelay(true);
    const auto handler = [&portal](const httplib::Request &req, httplib::Response &res) {
        portal.handle(req, res);
    };
    server.Get(".*", handler);
    server.Post(".*", handler);

    int port = options->port;
    if (port == 0)
        port = server.bind_to_any_port("127.0.0.1");
    else if (!server.bind_to_port("127.0.0.1", port))
        port = -1;
    if (port <= 0) {
        std::fprintf(stderr, "portal-server: cannot listen on port %d\n", options->port);
        return 1;
    }

    std::thread waiter([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        stop.raise();
        server.stop();
    });
    std::printf("listening on http://127.0.0.1:%d/\n", port);
    std::fflush(stdout);
    server.listen_after_bind();
    if (!stop.isRaised())
        kill(getpid(), SIGTERM);
    waiter.join();
    return 0;
}
