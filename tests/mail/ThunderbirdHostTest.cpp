// The native host as Thunderbird runs it, this test playing the extension on its
// standard input and output and the app on its socket: malformed frames get a clear
// error and reach neither side; fetched messages stay private and die with their command.

#include "MailTestSupport.h"

#include "platform/mail/MailState.h"
#include "platform/mail/NativeFrames.h"
#include "platform/mail/ThunderbirdLink.h"
#include "platform/mail/ThunderbirdSource.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

#include <cstring>
#include <future>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using namespace platform::mail;

QByteArray lengthOnly(std::uint32_t length)
{
    return QByteArray(reinterpret_cast<const char*>(&length), 4);
}
QByteArray frameOf(const QByteArray& text) { return lengthOnly(std::uint32_t(text.size())) + text; }

// Reads one frame from a reader fed by `more` (false: nothing more within 3 s);
// an empty object when none came.
QJsonObject nextObject(native::FrameReader& reader, const std::function<bool()>& more)
{
    QByteArray frame;
    while (reader.next(&frame) != native::FrameReader::Status::Frame) {
        if (!more())
            return {};
    }
    return native::parseFrame(frame).object.value_or(QJsonObject{});
}

// The host, started as Thunderbird starts it, in a private runtime folder.
class Host {
public:
    Host()
    {
        qputenv("XDG_RUNTIME_DIR", m_environment.home().toUtf8());
        m_process.start(qEnvironmentVariable("QUORVELL_BINARY_DIR")
                            + QStringLiteral("/tools/quorvell-thunderbird-host/quorvell-thunderbird-host"),
                        {QStringLiteral("manifest.json"), QStringLiteral("quorvell@brightfold.com")});
        EXPECT_TRUE(m_process.waitForStarted(3000));
        QElapsedTimer clock;
        clock.start();
        while (!QFileInfo(thunderbirdEndpoint()).exists() && clock.elapsed() < 3000)
            ::usleep(10000);
    }
    ~Host() { m_process.closeWriteChannel(), m_process.waitForFinished(3000); }

    void fromExtension(const QByteArray& bytes) { m_process.write(bytes), m_process.waitForBytesWritten(3000); }
    void answer(const QJsonObject& object) { fromExtension(native::encodeFrame(object)); }
    // The next frame the host sent the extension; empty when none came within ms.
    QJsonObject toExtension(int ms = 3000)
    {
        return nextObject(m_fromHost, [this, ms] {
            if (!m_process.waitForReadyRead(ms))
                return false;
            const QByteArray got = m_process.readAllStandardOutput();
            m_fromHost.feed(got.constData(), got.size());
            return true;
        });
    }
    bool endsWithin(int ms) { return m_process.waitForFinished(ms) && m_process.exitCode() == 0; }

    const mailtest::MailEnvironment m_environment;
    QProcess m_process;
    native::FrameReader m_fromHost{native::kMaxMessageFrame};
};

// The app's side: one connection to the host's socket.
class Client {
public:
    Client()
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(thunderbirdEndpoint());
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        timeval wait{3, 0};
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        EXPECT_EQ(::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    }
    ~Client() { ::close(m_fd); }
    void send(const QByteArray& bytes) { EXPECT_EQ(::send(m_fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL), bytes.size()); }
    QJsonObject next()
    {
        return nextObject(m_reader, [this] {
            char chunk[4096];
            const ssize_t got = ::recv(m_fd, chunk, sizeof chunk, 0);
            m_closed = got == 0;
            if (got > 0)
                m_reader.feed(chunk, got);
            return got > 0;
        });
    }
    bool closedByHost() { return next().isEmpty() && m_closed; }

    int m_fd = -1;
    bool m_closed = false;
    native::FrameReader m_reader{native::kMaxMessageFrame};
};

std::string text(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

TEST(ThunderbirdHost, RefusesMalformedRequestsOfTheAppAndPassesOnNothingOfThem)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        const char* error;
        bool closes;
    };
    const Case cases[] = {
        {"bad JSON", frameOf("{\"id\":1,"), "not JSON", false},
        {"no id", frameOf(R"({"request":"selection"})"), "without a whole number as its \"id\"", false},
        {"unknown request", frameOf(R"({"id":5,"request":"exec","command":"rm -rf ~"})"), "unknown request \"exec\"", false},
        {"raw without a number", frameOf(R"({"id":6,"request":"raw","message":"1; rm"})"), "without a message number", false},
        {"huge length", lengthOnly(0xFFFFFFFFu) + "{}", "more than the 65536 allowed", true},
        {"zero length", lengthOnly(0), "a frame of length 0", true},
    };
    Host host;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Client client;
        client.send(c.bytes);
        const QJsonObject refused = client.next();
        EXPECT_TRUE(refused.value(QLatin1String("error")).toString().contains(QLatin1String(c.error))) << text(refused);
        if (c.closes) {
            EXPECT_TRUE(client.closedByHost());
            continue;
        }
        // The connection still serves, and the first thing Thunderbird hears is
        // the good request, rebuilt under the host's own number.
        client.send(native::encodeFrame({{QStringLiteral("id"), 77}, {QStringLiteral("request"), QStringLiteral("selection")}}));
        const QJsonObject passed = host.toExtension();
        EXPECT_EQ(passed.keys(), (QStringList{QStringLiteral("id"), QStringLiteral("request")})) << text(passed);
        host.answer({{QStringLiteral("id"), passed.value(QLatin1String("id"))}, {QStringLiteral("mailTab"), true},
                     {QStringLiteral("messages"), QJsonArray{}}, {QStringLiteral("extra"), 1}});
        EXPECT_EQ(text(client.next()), R"({"id":77,"mailTab":true,"messages":[]})");
    }
    // A connection cut inside a frame costs the others nothing.
    {
        Client cut;
        cut.send(lengthOnly(40).left(2));
    }
    Client after;
    after.send(native::encodeFrame({{QStringLiteral("id"), 1}, {QStringLiteral("request"), QStringLiteral("raw")}, {QStringLiteral("message"), 3}}));
    EXPECT_EQ(host.toExtension().value(QLatin1String("message")).toInt(), 3);
}

TEST(ThunderbirdHost, RefusesWhatTheExtensionSendsOutOfTurnAndStopsOnABrokenLine)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        const char* error;  // the host's error frame to the extension; none: it ends
    };
    const Case cases[] = {
        {"bad JSON", frameOf("not json"), "not JSON"},
        {"unknown request", frameOf(R"({"type":"run","command":"ls"})"), "unknown request \"run\""},
        {"answer to nothing", frameOf(R"({"id":999,"raw":"eA=="})"), "an answer to no open request"},
        {"huge length", lengthOnly(0xFFFFFFF0u), nullptr},
        {"short length", QByteArray(2, '\x10'), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Host host;
        host.fromExtension(c.bytes);
        if (!c.error) {
            host.m_process.closeWriteChannel();  // as Thunderbird does; the short frame is left cut
            EXPECT_TRUE(host.endsWithin(3000));
            EXPECT_FALSE(QFileInfo::exists(thunderbirdEndpoint()));
            continue;
        }
        EXPECT_TRUE(host.toExtension().value(QLatin1String("error")).toString().contains(QLatin1String(c.error)));
        // An answer of the wrong shape reaches the app as an error, not as data.
        Client client;
        client.send(native::encodeFrame({{QStringLiteral("id"), 4}, {QStringLiteral("request"), QStringLiteral("selection")}}));
        host.answer({{QStringLiteral("id"), host.toExtension().value(QLatin1String("id"))}, {QStringLiteral("mailTab"), QStringLiteral("yes")}});
        EXPECT_TRUE(client.next().value(QLatin1String("error")).toString().contains(QLatin1String("form this host does not know")));
    }
}

// The app reads Thunderbird's selection through the host while this test answers
// as the extension: `raw` maps a message number to its text, or to an error.
MailState::Read readWhileAnswering(Host& host, const QMap<int, QByteArray>& raw, bool silent = false)
{
    const MailState state;
    EXPECT_TRUE(state.writeRecord({2, QString::fromLatin1(kThunderbirdSource), thunderbirdEndpoint(), {}}));
    auto reading = std::async(std::launch::async, [&state] { return state.read(); });
    while (!silent && reading.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
        const QJsonObject request = host.toExtension(100);
        if (request.isEmpty())
            continue;
        const QJsonValue id = request.value(QLatin1String("id"));
        if (request.value(QLatin1String("request")) == QLatin1String("selection")) {
            QJsonArray messages;
            for (auto it = raw.constBegin(); it != raw.constEnd(); ++it)
                messages.append(QJsonObject{{QStringLiteral("id"), it.key()}, {QStringLiteral("messageId"), QStringLiteral("m%1@x").arg(it.key())},
                                            {QStringLiteral("folder"), QStringLiteral("Inbox")}});
            host.answer({{QStringLiteral("id"), id}, {QStringLiteral("mailTab"), true}, {QStringLiteral("messages"), messages}});
            continue;
        }
        const QByteArray bytes = raw.value(request.value(QLatin1String("message")).toInt());
        host.answer(bytes.startsWith("error:") ? QJsonObject{{QStringLiteral("id"), id}, {QStringLiteral("error"), QString::fromUtf8(bytes.mid(6))}}
                                               : QJsonObject{{QStringLiteral("id"), id}, {QStringLiteral("raw"), QString::fromLatin1(bytes.toBase64())}});
    }
    return reading.get();
}

TEST(ThunderbirdSource, FetchesTheSelectionForOneCommandAndKeepsItPrivate)
{
    Host host;
    QStringList subjects;
    QString folder;
    {
        const SelectionScope command;
        const MailState::Read read = readWhileAnswering(host, {{7, "Subject: Caf\xC3\xA9\n\nx\n"}, {9, "Subject: Two\n\ny\n"}});
        ASSERT_TRUE(read.mailbox.problem.isEmpty()) << read.mailbox.problem.toStdString();
        for (const MessageLocation& location : read.messages->all()) {
            subjects.append(MailMessage(location).subject());
            struct stat info {};
            ASSERT_EQ(::stat(QFile::encodeName(location.path).constData(), &info), 0);
            EXPECT_EQ(info.st_mode & 0777, 0600u);
            folder = QFileInfo(location.path).absolutePath();
        }
    }
    EXPECT_EQ(subjects, (QStringList{QStringLiteral("Café"), QStringLiteral("Two")}));
    EXPECT_FALSE(QFileInfo::exists(folder)) << "the fetched messages outlived their command";
}

TEST(ThunderbirdSource, SaysWhatWentWrongWithinItsTimeOut)
{
    Host host;
    const MailState::Read offline = readWhileAnswering(host, {{7, "Subject: a\n\n"}, {8, "error:not kept offline"}});
    EXPECT_EQ(offline.messages->size(), 0);
    EXPECT_TRUE(offline.mailbox.problem.contains(QLatin1String("could not give the message <m8@x> in Inbox: not kept offline")))
        << offline.mailbox.problem.toStdString();

    QElapsedTimer clock;
    clock.start();
    const MailState::Read silent = readWhileAnswering(host, {}, true);
    EXPECT_TRUE(silent.mailbox.problem.contains(QLatin1String("did not answer within 3 s")));
    EXPECT_LT(clock.elapsed(), ThunderbirdLink::kQuietMs + 1000);
}

}  // namespace
