#pragma once
// Where each of many messages lies, held compactly: the directories once, and
// each file name once as UTF-8 with twelve bytes beside it, instead of four
// strings per message. A selection of 10,000 messages is about 400 KB here, where
// a list of MessageLocation was about 3 MB; the location of one message is made
// again when it is asked for. Immutable once built, so two threads may read it.

#include "platform/mail/MailMessage.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include <cstdint>
#include <string_view>
#include <vector>

namespace platform::mail {

class LocationTable {
public:
    LocationTable() = default;
    explicit LocationTable(const QVector<MessageLocation>& locations);

    // Building a table whose places are found in any order: count places, each
    // empty until a location is put there; withoutEmpty() closes the gaps.
    [[nodiscard]] static LocationTable empty(qsizetype count, qsizetype nameBytes = 0);
    [[nodiscard]] bool has(qsizetype index) const;
    void put(qsizetype index, const MessageLocation& location);
    // A file a directory listing found: its raw name of ASCII, the message's
    // unique name and, after ":2,", its flags, in the directory whose path and
    // slash is prefix. No string is made. False, and nothing put, for another name.
    [[nodiscard]] bool putPlainFile(qsizetype index, const QString& folder, const QString& prefix,
                                    const QByteArray& raw);
    // The places in this order, each an index of this table (a place may repeat).
    [[nodiscard]] LocationTable picked(const std::vector<qsizetype>& indexes);
    [[nodiscard]] LocationTable withoutEmpty();
    // Whether the message's path is root, a slash and relative (in UTF-8).
    [[nodiscard]] bool isAt(qsizetype index, const QString& root, std::string_view relative) const;

    [[nodiscard]] qsizetype size() const { return static_cast<qsizetype>(m_entries.size()); }
    // The location as it was given: the same strings, compared as text.
    [[nodiscard]] MessageLocation at(qsizetype index) const;
    [[nodiscard]] QString path(qsizetype index) const;
    [[nodiscard]] QStringList uniqueNames() const;
    [[nodiscard]] QVector<MessageLocation> all() const;

private:
    struct Entry {
        std::uint32_t start;       // of the file name in m_names; the index in m_odd for an odd one
        std::uint16_t length;      // of the file name, in bytes
        std::uint16_t nameLength;  // of the unique name, the file name's beginning
        std::uint16_t directory;   // in m_directories; kOdd for a location kept whole
    };
    static constexpr std::uint16_t kOdd = 0xFFFF;
    static constexpr std::uint16_t kEmpty = 0xFFFE;
    struct Directory {
        QString folder;
        QString prefix;  // the directory's path and a slash
    };

    void add(const MessageLocation& location);
    [[nodiscard]] Entry compact(const MessageLocation& location);
    // The directory's number, added when new; kOdd when there are too many.
    [[nodiscard]] std::uint16_t directoryOf(const QString& folder, const QString& prefix);

    std::vector<Entry> m_entries;
    QByteArray m_names;
    std::vector<Directory> m_directories;
    QHash<QString, std::uint16_t> m_directoryOf;  // prefix and folder, while building
    std::size_t m_lastDirectory = 0;
    // Locations the compact form would not give back exactly (a name that is not
    // the unique name and its flags, text that UTF-8 does not carry), kept whole.
    QVector<MessageLocation> m_odd;
};

}  // namespace platform::mail
