// quorvell-thunderbird-host: the native messaging host of Quorvell's Thunderbird
// extension. Thunderbird starts it with the path of its manifest and the
// extension's id as arguments and talks to it over standard input and output; it
// listens for the app on the Unix socket thunderbirdEndpoint() (ThunderbirdLink.h)
// and relays requests and answers (HostRelay.h). When the person selects in a
// mail tab, it names Thunderbird as the selection's source in the selection file.
// It ends when Thunderbird closes its standard input, removing its socket.
//
// One thread, one poll loop; every descriptor is non-blocking, so a side that
// stops reading stalls nobody else.

#include "platform/mail/MailState.h"
#include "platform/mail/ThunderbirdLink.h"
#include "platform/mail/ThunderbirdSource.h"
#include "tools/quorvell-thunderbird-host/HostRelay.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

using quorvell::host::HostRelay;

struct Connection {
    QByteArray out;
    bool closing = false;
};

class Loop : public HostRelay::Sink {
public:
    void toExtension(const QByteArray& frame) override { m_toExtension += frame; }
    void toClient(int client, const QByteArray& frame) override
    {
        if (auto it = m_clients.find(client); it != m_clients.end())
            it->second.out += frame;
    }
    void closeClient(int client) override
    {
        if (auto it = m_clients.find(client); it != m_clients.end())
            it->second.closing = true;
    }
    void selectedInThunderbird() override
    {
        const platform::mail::MailState state;
        const std::optional<platform::mail::SelectionRecord> stored = state.storedRecord();
        if (stored && stored->sourceKind == QLatin1String(platform::mail::kThunderbirdSource) && stored->root == m_endpoint)
            return;
        QString error;
        if (!state.writeRecord({2, QString::fromLatin1(platform::mail::kThunderbirdSource), m_endpoint, {}}, &error))
            log(error);
    }
    void log(const QString& line) override
    {
        // Thunderbird shows a host's standard error in its error console.
        QTextStream(stderr) << "quorvell-thunderbird-host: " << line << Qt::endl;
    }
    void stop() override { m_stopped = true; }

    int run();

private:
    bool listen();
    void acceptClients();
    bool readFrom(int fd, const std::function<void(const char*, qsizetype)>& use);
    bool flush(int fd, QByteArray& out);

    HostRelay m_relay{*this};
    QString m_endpoint = platform::mail::thunderbirdEndpoint();
    int m_listener = -1;
    ino_t m_socketInode = 0;
    QByteArray m_toExtension;
    std::map<int, Connection> m_clients;
    bool m_stopped = false;
    QElapsedTimer m_clock;
};

bool Loop::listen()
{
    // Bound under a name of its own, then renamed over the endpoint: a host of
    // another Thunderbird profile that listened there is replaced in one step.
    const QByteArray path = QFile::encodeName(m_endpoint);
    const QByteArray fresh = path + ".new." + QByteArray::number(::getpid());
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (fresh.size() >= qsizetype(sizeof address.sun_path)) {
        log(QStringLiteral("the socket path %1 is too long").arg(m_endpoint));
        return false;
    }
    std::memcpy(address.sun_path, fresh.constData(), size_t(fresh.size()));
    ::unlink(fresh.constData());
    m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    struct stat info {};
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0
        || ::listen(m_listener, 16) != 0 || ::rename(fresh.constData(), path.constData()) != 0
        || ::stat(path.constData(), &info) != 0) {
        log(QStringLiteral("cannot listen at %1: %2").arg(m_endpoint, QString::fromLocal8Bit(std::strerror(errno))));
        ::unlink(fresh.constData());
        return false;
    }
    m_socketInode = info.st_ino;
    return true;
}

void Loop::acceptClients()
{
    for (;;) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0)
            return;
        m_clients.emplace(fd, Connection{});
    }
}

bool Loop::readFrom(int fd, const std::function<void(const char*, qsizetype)>& use)
{
    char chunk[256 * 1024];
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0)
        return errno == EAGAIN || errno == EINTR;
    if (got == 0)
        return false;
    use(chunk, got);
    return true;
}

bool Loop::flush(int fd, QByteArray& out)
{
    while (!out.isEmpty()) {
        const ssize_t sent = fd == STDOUT_FILENO ? ::write(fd, out.constData(), size_t(out.size()))
                                                 : ::send(fd, out.constData(), size_t(out.size()), MSG_NOSIGNAL);
        if (sent < 0)
            return errno == EAGAIN || errno == EINTR;
        out.remove(0, sent);
    }
    return true;
}

int Loop::run()
{
    m_clock.start();
    ::fcntl(STDIN_FILENO, F_SETFL, ::fcntl(STDIN_FILENO, F_GETFL) | O_NONBLOCK);
    ::fcntl(STDOUT_FILENO, F_SETFL, ::fcntl(STDOUT_FILENO, F_GETFL) | O_NONBLOCK);
    if (!listen())
        return 1;
    log(QStringLiteral("listening at %1").arg(m_endpoint));
    while (!m_stopped) {
        std::vector<pollfd> fds{{STDIN_FILENO, POLLIN, 0},
                                {STDOUT_FILENO, short(m_toExtension.isEmpty() ? 0 : POLLOUT), 0},
                                {m_listener, POLLIN, 0}};
        for (const auto& [fd, connection] : m_clients)
            fds.push_back({fd, short(POLLIN | (connection.out.isEmpty() ? 0 : POLLOUT)), 0});
        if (::poll(fds.data(), fds.size(), 1000) < 0 && errno != EINTR)
            break;
        const qint64 now = m_clock.elapsed();
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            if (!readFrom(STDIN_FILENO, [&](const char* data, qsizetype size) { m_relay.fromExtension(data, size, now); }))
                break;  // Thunderbird closed the line: the extension is gone.
        }
        if (fds[2].revents & POLLIN)
            acceptClients();
        for (std::size_t i = 3; i < fds.size(); ++i) {
            const int fd = fds[i].fd;
            bool open = true;
            if (fds[i].revents & (POLLIN | POLLHUP | POLLERR))
                open = readFrom(fd, [&](const char* data, qsizetype size) { m_relay.fromClient(fd, data, size, now); });
            auto it = m_clients.find(fd);
            if (open && it != m_clients.end())
                open = flush(fd, it->second.out) && !(it->second.closing && it->second.out.isEmpty());
            if (!open) {
                m_relay.clientClosed(fd);
                m_clients.erase(fd);
                ::close(fd);
            }
        }
        m_relay.expire(now);
        for (auto& [fd, connection] : m_clients)
            (void)flush(fd, connection.out);
        if (!flush(STDOUT_FILENO, m_toExtension))
            break;
    }
    // Removes the socket only while it is still this host's.
    struct stat info {};
    const QByteArray path = QFile::encodeName(m_endpoint);
    if (::stat(path.constData(), &info) == 0 && info.st_ino == m_socketInode)
        ::unlink(path.constData());
    for (const auto& entry : m_clients)
        ::close(entry.first);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    (void)argc;
    (void)argv;  // the manifest's path and the extension's id: nothing to act on
    ::umask(077);
    std::signal(SIGPIPE, SIG_IGN);
    Loop loop;
    return loop.run();
}
