#pragma once
// Reads the messages of a list ahead of a script's loop, on a second thread.
//
// A loop over many messages spends as long waiting on the file system (open,
// read, close) as working on what it read; with a reader the two overlap. The
// reader follows the loop: it reads the messages after the one asked for last, in
// the direction the loop moves, at most a window ahead, and reads header blocks or
// whole files as the loop last asked. Each message is handed over at most once;
// whatever is not ready when asked for is read by the asker itself, so a script
// that jumps about sees exactly what it would see without the reader. Nothing is
// read before the first ask, and nothing is kept past the object's life: it reads
// at most milliseconds ahead of a command, never between commands.
//
// What is handed over is what is on disk at hand-over: the folders read ahead in
// are watched (inotify), and a file changed, renamed or deleted since the reader
// read it is read again by the asker. Without a watch nothing is read ahead.
//
// Only regular files are read, opened without blocking, so a message replaced by
// a FIFO or a link to a device reads as empty instead of stopping the thread or
// filling the memory; a header block is read up to 4 MB at most.

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace platform::mail {

class ReadAhead {
public:
    enum class Part { Header, Source };

    // The messages by their count and a function giving the path of each, which
    // both threads call.
    ReadAhead(qsizetype count, std::function<QString(qsizetype)> pathOf);
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The part of message index: as read ahead, or read now by the caller's
    // thread when the reader has not got it.
    [[nodiscard]] QByteArray take(qsizetype index, Part part);

    // What a message's header block and whole file read as, the reader's way and
    // the asker's alike: empty when the file cannot be read; a whole file only
    // from a regular file.
    [[nodiscard]] static QByteArray readHeader(const QString& path);
    [[nodiscard]] static QByteArray readSource(const QString& path);

private:
    class Folders;  // the open folders of one thread

    // The same, for path relative to the open folder directory.
    [[nodiscard]] static QByteArray readHeaderAt(int directory, const QByteArray& path);
    [[nodiscard]] static QByteArray readSourceAt(int directory, const QByteArray& path);

    enum class State : unsigned char { Unread, Reading, Ready, Gone };

    void run();
    [[nodiscard]] qsizetype window() const;
    [[nodiscard]] bool ahead(qsizetype index) const;  // inside the window, under the lock
    // Watches the folder of path for changes (the reader, under the lock).
    [[nodiscard]] bool watchFolderOf(const QString& path);
    // The changes seen since last asked, as inotify events (the asker, without
    // the lock); forgets what was read of those files (under the lock).
    [[nodiscard]] QByteArray readChanges() const;
    void forgetChanged(const QByteArray& events);
    // Forgets the blocks read ahead, all or those outside the window (under the lock).
    void dropReady(bool keepAhead);

    [[nodiscard]] static QByteArray read(Folders& folders, const QString& path, Part part);

    const qsizetype m_count;
    const std::function<QString(qsizetype)> m_pathOf;
    // The folders the asker opens the messages in that it reads itself; the
    // reader's are its own.
    std::unique_ptr<Folders> m_askerFolders;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<State> m_state;
    std::vector<QByteArray> m_data;
    std::vector<qsizetype> m_ready;  // the indexes in state Ready
    qsizetype m_at = -1;             // the index asked for last
    qsizetype m_step = 1;            // the direction of the loop
    qsizetype m_next = 0;            // the reader's next index
    qsizetype m_run = 0;             // asks in a row that kept the loop's course
    qsizetype m_reading = -1;        // the index the reader is reading
    bool m_readingChanged = false;   // and its file changed meanwhile
    bool m_readerFailed = false;     // no thread, or no watch: the asker reads alone
    int m_watch = -1;                // the inotify descriptor
    std::vector<std::pair<int, QString>> m_watched;  // watch descriptor, folder
    Part m_part = Part::Header;
    bool m_stop = false;
    bool m_readerWaiting = false;
    bool m_askerWaiting = false;
    std::thread m_reader;
};

}  // namespace platform::mail
