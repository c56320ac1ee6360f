// The reader that reads a long selection ahead of a script's loop hands over what
// is on disk at hand-over, whatever happens to the files meanwhile, and reads no
// file that is not a regular one.

#include "MailTestSupport.h"

#include "platform/mail/ReadAhead.h"

#include <QSet>

#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

using mailtest::MailEnvironment;
using platform::mail::MailMessage;
using platform::mail::ReadAhead;

namespace {

// Tells which files of a folder someone (the reader thread) has read and closed.
class ReadWatcher {
public:
    explicit ReadWatcher(const QString& folder) : m_fd(::inotify_init1(IN_CLOEXEC))
    {
        ::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_CLOSE_NOWRITE);
    }
    ~ReadWatcher() { ::close(m_fd); }

    // The first count names read for which wanted holds, in name order; fewer
    // when no more are read within a minute.
    template <class Wanted>
    QStringList waitFor(qsizetype count, Wanted wanted)
    {
        QSet<QString> names;
        alignas(inotify_event) char buffer[4096];
        while (names.size() < count) {
            pollfd ready{m_fd, POLLIN, 0};
            if (::poll(&ready, 1, 60000) <= 0)
                break;
            const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0 && wanted(QFile::decodeName(event->name)) && names.size() < count)
                    names.insert(QFile::decodeName(event->name));
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
        QStringList sorted = names.values();
        sorted.sort();
        return sorted;
    }

private:
    int m_fd;
};

TEST(ReadAhead, HandsOverWhatIsOnDiskWhenFilesChangeMidLoop)
{
    MailEnvironment env;
    QStringList paths;
    std::vector<std::unique_ptr<MailMessage>> messages;
    for (int i = 0; i < 60; ++i) {
        const QString name = QStringLiteral("17651880%1.M%1.x").arg(i, 2, 10, QLatin1Char('0'));
        paths << env.addMessage({}, name + QStringLiteral(":2,"), "Subject: s" + QByteArray::number(i) + "\n\nb\n");
        messages.push_back(std::make_unique<MailMessage>(platform::mail::MessageLocation{QStringLiteral("INBOX"), name, paths.last(), {}}));
    }
    const auto reader = std::make_shared<ReadAhead>(paths.size(), [paths](qsizetype i) { return paths.at(i); });
    for (int i = 0; i < 60; ++i)
        messages.at(size_t(i))->setReadAhead(reader, i);

    ReadWatcher watcher(env.maildir() + QStringLiteral("/cur"));
    for (int i = 0; i < 28; ++i)
        EXPECT_EQ(messages.at(size_t(i))->subject(), QStringLiteral("s%1").arg(i));
    // Five files the reader has read ahead of the loop, whichever they are.
    const QStringList read = watcher.waitFor(5, [&](const QString& name) { return name > QStringLiteral("1765188027"); });
    ASSERT_EQ(read.size(), 5) << "the reader never read ahead";
    QList<int> changed;
    for (const QString& name : read)
        changed.append(name.mid(8, 2).toInt());

    // Rewritten in place; deleted; renamed by a flag change; replaced by a link
    // to a device; replaced by a FIFO.
    QFile rewritten(paths.at(changed[0]));
    ASSERT_TRUE(rewritten.open(QIODevice::WriteOnly | QIODevice::Truncate));
    rewritten.write("Subject: rewritten\n\nb\n");
    rewritten.close();
    ASSERT_TRUE(QFile::remove(paths.at(changed[1])));
    ASSERT_TRUE(QFile::rename(paths.at(changed[2]), paths.at(changed[2]) + QStringLiteral("S")));
    ASSERT_TRUE(QFile::remove(paths.at(changed[3])));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), paths.at(changed[3])));
    ASSERT_TRUE(QFile::remove(paths.at(changed[4])));
    ASSERT_EQ(::mkfifo(QFile::encodeName(paths.at(changed[4])).constData(), 0600), 0);

    for (int i = 28; i < 60; ++i) {
        const qsizetype which = changed.indexOf(i);
        const QString expected = which == 0 ? QStringLiteral("rewritten")
            : which == 1 || which == 3 || which == 4 ? QString()
                                                     : QStringLiteral("s%1").arg(i);
        EXPECT_EQ(messages.at(size_t(i))->subject(), expected) << "message " << i;
    }
    EXPECT_TRUE(messages.at(size_t(changed[2]))->readStatus()) << "the renamed message shows its new flags";
}

TEST(ReadAhead, ReadsOnlyRegularFiles)
{
    MailEnvironment env;
    const QString fifo = env.maildir() + QStringLiteral("/cur/fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& path : {QStringLiteral("/dev/zero"), fifo, env.maildir()}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_TRUE(ReadAhead::readHeader(path).isEmpty());
        EXPECT_TRUE(ReadAhead::readSource(path).isEmpty());
    }
}

}  // namespace
