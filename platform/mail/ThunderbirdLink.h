#pragma once
// The app's line to Thunderbird. Thunderbird starts our native host
// (quorvell-thunderbird-host) for the Quorvell extension; the host listens on a
// Unix socket in a folder private to the user and passes each request on to the
// extension, which answers from Thunderbird itself. Requests and answers are
// native-messaging frames (NativeFrames.h) holding one JSON object:
//
//   {"id":1,"request":"selection"}
//     -> {"id":1,"mailTab":true,"messages":[{"id":7,"messageId":"a@b","folder":"Inbox",
//                                            "read":true,"flagged":false}]}
//   {"id":2,"request":"raw","message":7}
//     -> {"id":2,"raw":"<the message, base64>"}
//   any request -> {"id":N,"error":"why"} when it cannot be answered
//
// "selection" is the selection of the mail tab (or the message tab or window) the
// person looks at, asked at the moment of the command. Nothing here waits without
// a bound: Thunderbird is taken as gone when it gives no answer for kQuietMs, and a
// fetch ends after kTotalMs whatever happens.

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QVector>

#include <functional>
#include <optional>

namespace platform::mail {

// Where the host listens and fetched messages wait for their command:
// $XDG_RUNTIME_DIR/quorvell when XDG_RUNTIME_DIR is an absolute folder, else
// ${XDG_STATE_HOME:-~/.local/state}/quorvell. Made 0700 when missing.
[[nodiscard]] QString thunderbirdRuntimeFolder();
[[nodiscard]] QString thunderbirdEndpoint();

struct ThunderbirdMessage {
    qint64 id = 0;      // Thunderbird's number for the message while it runs
    QString messageId;  // the Message-ID header, without brackets; may be empty
    QString folder;     // the folder's name as Thunderbird shows it
    QString flags;      // as a Maildir name writes them: "F" flagged, "S" read
};

struct ThunderbirdSelection {
    bool mailTab = false;  // false: Thunderbird shows no mail or message tab
    QVector<ThunderbirdMessage> messages;
};

class ThunderbirdLink {
public:
    static constexpr int kQuietMs = 3000;
    static constexpr int kTotalMs = 30000;

    explicit ThunderbirdLink(QString endpoint);
    ~ThunderbirdLink();
    ThunderbirdLink(const ThunderbirdLink&) = delete;
    ThunderbirdLink& operator=(const ThunderbirdLink&) = delete;

    // Whether a host listens; error() says why not.
    [[nodiscard]] bool open();
    [[nodiscard]] std::optional<ThunderbirdSelection> selection();
    // Asks for these messages raw; got(index, bytes) takes each as it arrives, in
    // any order, and returns false to stop. False with error() when a message
    // cannot be had (the first such one is named) or Thunderbird stops answering.
    [[nodiscard]] bool fetch(const QVector<ThunderbirdMessage>& messages,
                             const std::function<bool(qsizetype, const QByteArray&)>& got);
    [[nodiscard]] const QString& error() const { return m_error; }

private:
    // Sends out, then reads answers until `answers` came; each goes to onAnswer,
    // which returns false to stop. False with m_error when that stops it, or on a
    // broken or silent line.
    [[nodiscard]] bool exchange(QByteArray out, qsizetype answers,
                                const std::function<bool(const QJsonObject&)>& onAnswer);

    QString m_endpoint;
    int m_socket = -1;
    qint64 m_nextId = 1;
    QString m_error;
};

}  // namespace platform::mail
