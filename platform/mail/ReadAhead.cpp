#include "platform/mail/ReadAhead.h"

#include "platform/mail/HeaderBlock.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <optional>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::mail {
namespace {

// One read of a page holds the header block of most mail; a longer block takes
// further reads of the same size, so a message is never copied far past its
// header block.
constexpr qsizetype kHeaderChunk = 4096;

// How far the reader goes ahead of the loop: enough to keep it busy while the
// loop works, little enough to hold a few hundred KB at most.
constexpr qsizetype kHeaderWindow = 32;
constexpr qsizetype kSourceWindow = 4;

// A whole message is read only up to what one byte array holds comfortably; a
// larger file reads as empty, as one that cannot be read.
constexpr qsizetype kLargestSource = std::numeric_limits<int>::max() / 2;

// No mail has a header block near this size; a longer one is cut here, so a file
// without an empty line costs at most this much.
constexpr qsizetype kLargestHeader = 4 * 1024 * 1024;

// A regular file opened for reading, or -1: path relative to the folder directory
// (or absolute, with AT_FDCWD). Opening does not wait for a writer when the name
// has become a FIFO, and a name that has become a device (a link to /dev/zero)
// is not read at all.
int openForReading(int directory, const QByteArray& path)
{
    const int fd = ::openat(directory, path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return fd;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Reads into buffer from filled until done(filled) or the end; the new size.
template <class Done>
qsizetype readUntil(int fd, std::vector<char>& buffer, qsizetype filled, qsizetype chunk, Done done)
{
    for (;;) {
        if (buffer.size() < static_cast<size_t>(filled + chunk))
            buffer.resize(static_cast<size_t>(filled + chunk));
        const ssize_t got = ::read(fd, buffer.data() + filled, static_cast<size_t>(chunk));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return filled;
        const qsizetype from = filled;
        filled += got;
        if (done(from, filled))
            return filled;
    }
}

// Whether a line break followed by an empty line starts in [from, size) of data;
// from > 0 (the start of a block is split()'s to judge). Only the new bytes of a
// read are looked at, so a long file without an empty line costs one pass.
bool holdsBlankLine(const char* data, qsizetype from, qsizetype size)
{
    for (const char* at = data + from; at < data + size;) {
        const auto* lf = static_cast<const char*>(std::memchr(at, '\n', static_cast<size_t>(data + size - at)));
        if (!lf)
            return false;
        const qsizetype next = lf + 1 - data;
        if ((next < size && data[next] == '\n')
            || (next + 1 < size && data[next] == '\r' && data[next + 1] == '\n'))
            return true;
        at = lf + 1;
    }
    return false;
}

}  // namespace

// A thread's way to the messages: each folder opened once for all the files in
// it, so opening a message looks up one name instead of walking the whole path
// again. The few folders used last stay open (cur/ and new/ of a folder or two),
// and only while their owner lives.
class ReadAhead::Folders {
public:
    Folders() = default;
    Folders(const Folders&) = delete;
    Folders& operator=(const Folders&) = delete;
    ~Folders()
    {
        for (const Open& open : m_open)
            ::close(open.fd);
    }

    // The folder to open name in (AT_FDCWD with the whole path when it has none).
    int folderOf(const QString& path, QByteArray* name)
    {
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        const int fd = slash > 0 ? open(QStringView(path).left(slash)) : -1;
        if (fd < 0) {
            *name = QFile::encodeName(path);
            return AT_FDCWD;
        }
        *name = QFile::encodeName(path.mid(slash + 1));
        return fd;
    }

private:
    static constexpr size_t kKept = 4;
    struct Open {
        QString folder;
        int fd;
    };

    int open(QStringView folder)
    {
        const auto found =
            std::find_if(m_open.begin(), m_open.end(), [&](const Open& o) { return o.folder == folder; });
        if (found != m_open.end()) {
            std::rotate(m_open.begin(), found, found + 1);  // the latest first
            return m_open.front().fd;
        }
        const int fd = ::open(QFile::encodeName(folder.toString()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return fd;
        if (m_open.size() == kKept) {
            ::close(m_open.back().fd);
            m_open.pop_back();
        }
        m_open.insert(m_open.begin(), Open{folder.toString(), fd});
        return fd;
    }

    std::vector<Open> m_open;
};

QByteArray ReadAhead::read(Folders& folders, const QString& path, Part part)
{
    QByteArray name;
    const int folder = folders.folderOf(path, &name);
    return part == Part::Header ? readHeaderAt(folder, name) : readSourceAt(folder, name);
}

QByteArray ReadAhead::readHeader(const QString& path)
{
    return readHeaderAt(AT_FDCWD, QFile::encodeName(path));
}

QByteArray ReadAhead::readSource(const QString& path)
{
    return readSourceAt(AT_FDCWD, QFile::encodeName(path));
}

QByteArray ReadAhead::readHeaderAt(int directory, const QByteArray& path)
{
    const int fd = openForReading(directory, path);
    if (fd < 0)
        return {};
    // One buffer per thread for every message read: no allocation per message.
    thread_local std::vector<char> head;
    // The first read usually holds the whole block: what split() found then is kept.
    std::optional<HeaderBlock::Split> first;
    const qsizetype filled = readUntil(fd, head, 0, kHeaderChunk, [&first](qsizetype from, qsizetype size) {
        if (from == 0) {
            first = HeaderBlock::split(head.data(), size);
            return first->complete || size >= kLargestHeader;
        }
        return size >= kLargestHeader || holdsBlankLine(head.data(), std::max<qsizetype>(1, from - 2), size);
    });
    ::close(fd);
    const HeaderBlock::Split split =
        first && first->complete ? *first : HeaderBlock::split(head.data(), filled);
    // A copy of exactly the block's size: the message keeps it while it lives.
    QByteArray block(head.data(), split.headerLength);
    if (head.size() > static_cast<size_t>(8 * kHeaderChunk))
        std::vector<char>().swap(head);  // a rare long block gives its memory back
    return block;
}

QByteArray ReadAhead::readSourceAt(int directory, const QByteArray& path)
{
    const int fd = openForReading(directory, path);
    if (fd < 0)
        return {};
    struct stat info {};
    QByteArray source;
    if (::fstat(fd, &info) == 0 && info.st_size < kLargestSource) {
        // The size stated is a guess: a file that grows or shrinks while it is read
        // is read to its end (up to the largest size), and the buffer keeps no
        // spare room when the guess was right.
        source.resize(static_cast<int>(info.st_size));
        qsizetype filled = 0;
        char more[4096];
        for (;;) {
            const bool full = filled == source.size();
            const ssize_t got = full ? ::read(fd, more, sizeof more)
                                     : ::read(fd, source.data() + filled, static_cast<size_t>(source.size() - filled));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0 || filled + got >= kLargestSource)
                break;
            if (full)
                source.append(more, static_cast<int>(got));
            filled += got;
        }
        source.truncate(static_cast<int>(filled));
    }
    ::close(fd);
    return source;
}

ReadAhead::ReadAhead(qsizetype count, std::function<QString(qsizetype)> pathOf)
    : m_count(count),
      m_pathOf(std::move(pathOf)),
      m_askerFolders(std::make_unique<Folders>()),
      m_state(static_cast<size_t>(count), State::Unread),
      m_data(static_cast<size_t>(count)),
      m_watch(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
{
    m_ready.reserve(static_cast<size_t>(kHeaderWindow) + 1);
}

ReadAhead::~ReadAhead()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_reader.joinable())
        m_reader.join();
    if (m_watch >= 0)
        ::close(m_watch);
}

qsizetype ReadAhead::window() const
{
    // The window opens as the loop keeps its course (2, 4, ... files ahead) and
    // shuts when it jumps, so a script that jumps about costs at most two files
    // read for nothing per jump.
    const qsizetype most = m_part == Part::Header ? kHeaderWindow : kSourceWindow;
    return std::min(most, qsizetype(2) << std::min<qsizetype>(m_run, 4));
}

bool ReadAhead::watchFolderOf(const QString& path)
{
    const QStringView folder = QStringView(path).left(path.lastIndexOf(QLatin1Char('/')));
    if (std::any_of(m_watched.cbegin(), m_watched.cend(), [&](const auto& watched) { return watched.second == folder; }))
        return true;
    const int wd = ::inotify_add_watch(m_watch, QFile::encodeName(folder.toString()).constData(),
                                       IN_MODIFY | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_MOVED_FROM
                                           | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR);
    if (wd < 0)
        return false;
    m_watched.emplace_back(wd, folder.toString());
    return true;
}

QByteArray ReadAhead::readChanges() const
{
    QByteArray events;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(m_watch, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return events;  // nothing more has changed (EAGAIN)
        events.append(buffer, static_cast<int>(got));
    }
}

void ReadAhead::forgetChanged(const QByteArray& events)
{
    for (qsizetype at = 0; at + qsizetype(sizeof(inotify_event)) <= events.size();) {
        inotify_event event;
        std::memcpy(&event, events.constData() + at, sizeof event);
        const char* name = events.constData() + at + sizeof event;
        at += qsizetype(sizeof(inotify_event) + event.len);
        const int wd = event.wd;  // (a lambda cannot capture a struct with a flexible array)
        const auto watched = std::find_if(m_watched.cbegin(), m_watched.cend(),
                                          [wd](const auto& w) { return w.first == wd; });
        const bool all = (event.mask & (IN_Q_OVERFLOW | IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) != 0
            || watched == m_watched.cend() || event.len == 0;
        const QString path = all ? QString() : watched->second + QLatin1Char('/') + QFile::decodeName(name);
        const auto changed = [&](qsizetype index) { return all || m_pathOf(index) == path; };
        if (m_reading >= 0 && changed(m_reading))
            m_readingChanged = true;
        m_ready.erase(std::remove_if(m_ready.begin(), m_ready.end(),
                                     [&](qsizetype index) {
                                         if (!changed(index))
                                             return false;
                                         m_data[static_cast<size_t>(index)] = QByteArray();
                                         m_state[static_cast<size_t>(index)] = State::Unread;
                                         return true;
                                     }),
                      m_ready.end());
    }
}

bool ReadAhead::ahead(qsizetype index) const
{
    const qsizetype distance = (index - m_at) * m_step;
    return m_at >= 0 && index >= 0 && index < m_count && distance > 0 && distance <= window();
}

void ReadAhead::dropReady(bool keepAhead)
{
    m_ready.erase(std::remove_if(m_ready.begin(), m_ready.end(),
                                 [this, keepAhead](qsizetype index) {
                                     if (keepAhead && ahead(index))
                                         return false;
                                     m_data[static_cast<size_t>(index)] = QByteArray();
                                     m_state[static_cast<size_t>(index)] = State::Unread;
                                     return true;
                                 }),
                  m_ready.end());
}

QByteArray ReadAhead::take(qsizetype index, Part part)
{
    if (index < 0 || index >= m_count)
        return {};
    // Without a watch on the folders nothing read ahead could be trusted: the
    // asker reads every message itself.
    if (m_watch < 0)
        return read(*m_askerFolders, m_pathOf(index), part);
    std::unique_lock lock(m_mutex);
    if (m_at >= 0 && (index == m_at + 1 || index == m_at - 1))
        ++m_run;
    else if (index != m_at)
        m_run = 0;
    if (m_at >= 0 && index != m_at)
        m_step = index > m_at ? 1 : -1;
    m_at = index;
    if (part != m_part) {
        // What was read ahead is the other part: the loop reads this one itself.
        m_part = part;
        dropReady(false);
    }
    // The reader is on this very message: waiting for it beats reading it twice.
    const bool caughtUp = m_state[static_cast<size_t>(index)] != State::Ready;
    m_askerWaiting = true;
    m_changed.wait(lock, [&] { return m_state[static_cast<size_t>(index)] != State::Reading; });
    m_askerWaiting = false;
    // A file changed since the reader read it (rewritten, renamed, deleted) is
    // read again: what is handed over is what is on disk now. The events are
    // read without the lock, which the reader needs meanwhile; only the asker
    // takes a block out of Ready, so this one stays Ready until they are applied.
    if (m_state[static_cast<size_t>(index)] == State::Ready) {
        lock.unlock();
        const QByteArray events = readChanges();
        lock.lock();
        if (!events.isEmpty())
            forgetChanged(events);
    }
    std::optional<QByteArray> result;  // none: this thread reads it
    State& state = m_state[static_cast<size_t>(index)];
    if (state == State::Ready) {
        result = std::move(m_data[static_cast<size_t>(index)]);
        m_data[static_cast<size_t>(index)] = QByteArray();
        m_ready.erase(std::find(m_ready.begin(), m_ready.end(), index));
    }
    state = State::Gone;
    dropReady(true);
    if (caughtUp) {
        // The loop has caught up with the reader: it reads the next few messages
        // itself while the reader goes on past them, so the two share the reading.
        m_next = index + m_step * (window() / 2);
    } else if (!ahead(m_next)) {
        m_next = index + m_step;
    }
    if (!m_reader.joinable() && !m_readerFailed) {
        try {
            m_reader = std::thread([this] { run(); });
        } catch (const std::system_error&) {
            m_readerFailed = true;  // no thread to be had: the asker reads alone
        }
    }
    // A reader that waits is woken when half its window is free, not at every
    // message: each wake-up costs both threads a system call.
    const bool wake = m_readerWaiting && (m_next - m_at) * m_step <= window() / 2 && ahead(m_next);
    lock.unlock();
    if (wake)
        m_changed.notify_all();
    return result ? std::move(*result) : read(*m_askerFolders, m_pathOf(index), part);
}

void ReadAhead::run()
{
    Folders folders;
    std::unique_lock lock(m_mutex);
    while (!m_stop) {
        if (!ahead(m_next)) {
            m_readerWaiting = true;
            m_changed.wait(lock);
            m_readerWaiting = false;
            continue;
        }
        const qsizetype index = m_next;
        m_next += m_step;
        if (m_state[static_cast<size_t>(index)] != State::Unread)
            continue;
        const QString path = m_pathOf(index);
        // The folder is watched before its file is read: a change after the read
        // is then seen at hand-over.
        if (!watchFolderOf(path)) {
            m_readerFailed = true;
            break;
        }
        m_state[static_cast<size_t>(index)] = State::Reading;
        m_reading = index;
        m_readingChanged = false;
        const Part part = m_part;
        lock.unlock();
        QByteArray data;
        bool read = true;
        try {
            data = ReadAhead::read(folders, path, part);
        } catch (const std::bad_alloc&) {
            read = false;  // the asker reads it and meets the shortage itself
        }
        lock.lock();
        m_reading = -1;
        State& state = m_state[static_cast<size_t>(index)];
        // Kept when still wanted: ahead of the loop, or the message it waits for.
        if (read && !m_readingChanged && part == m_part && (ahead(index) || index == m_at)) {
            state = State::Ready;
            m_data[static_cast<size_t>(index)] = std::move(data);
            m_ready.push_back(index);
        } else {
            state = State::Unread;
        }
        if (m_askerWaiting)
            m_changed.notify_all();
    }
    if (m_readerFailed && m_askerWaiting)
        m_changed.notify_all();
}

}  // namespace platform::mail
