#pragma once
// What the native host does with the bytes it reads, without any I/O of its own:
// the loop in main.cpp feeds it what arrives from Thunderbird's extension
// (standard input) and from the app's connections, and it answers through a Sink.
//
// It trusts neither side. Every frame's length is checked against a bound for its
// side and its text must be one JSON object; a request of the app must be one of
// the two it knows ("selection", "raw" with a message number) and is passed on
// rebuilt from its checked fields, under a number of the host's own, so nothing
// the app sends reaches Thunderbird unchecked. An answer of the extension must
// match a request still waiting and have the shape of its answer. Everything else
// is refused with an error frame, never executed. A broken frame length ends the
// stream it came on: the app's connection is closed, and on standard input the
// host stops (Thunderbird starts it anew when the extension reconnects). A request
// that waits longer than kPendingMs is answered with an error.

#include "platform/mail/NativeFrames.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <map>

namespace quorvell::host {

class HostRelay {
public:
    class Sink {
    public:
        virtual ~Sink() = default;
        virtual void toExtension(const QByteArray& frame) = 0;
        virtual void toClient(int client, const QByteArray& frame) = 0;
        // Closes the connection once what was sent to it is written.
        virtual void closeClient(int client) = 0;
        // The person selected in a mail tab of Thunderbird (or one is shown at start).
        virtual void selectedInThunderbird() = 0;
        virtual void log(const QString& line) = 0;
        // Standard input can no longer be read as frames.
        virtual void stop() = 0;
    };

    static constexpr qint64 kPendingMs = 10000;
    static constexpr qsizetype kMaxPendingPerClient = 20000;

    explicit HostRelay(Sink& sink) : m_sink(sink), m_extension(platform::mail::native::kMaxMessageFrame) {}

    void fromExtension(const char* data, qsizetype size, qint64 nowMs);
    void fromClient(int client, const char* data, qsizetype size, qint64 nowMs);
    void clientClosed(int client);
    // Answers with an error every request that waits since before now - kPendingMs.
    void expire(qint64 nowMs);

private:
    enum class Request { Selection, Raw };
    struct Pending {
        int client;
        qint64 clientId;
        Request request;
        qint64 since;
    };

    void extensionFrame(const QByteArray& text);
    void clientFrame(int client, const QByteArray& text, qint64 nowMs);
    void refuse(int client, const QJsonValue& id, const QString& why);

    Sink& m_sink;
    platform::mail::native::FrameReader m_extension;
    std::map<int, platform::mail::native::FrameReader> m_clients;
    QHash<qint64, Pending> m_pending;  // by the host's number
    QHash<int, qsizetype> m_pendingOf;  // how many each client waits for
    qint64 m_nextId = 1;
};

}  // namespace quorvell::host
