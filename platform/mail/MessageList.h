#pragma once
// The messages of a selection or a mailbox as a script list: the table of where
// they lie, and each message object made when the script reads its item. A loop
// over 10,000 messages so holds the table and the message it is on; the few
// messages read last are kept, so reading several properties of one message, or
// an item twice, reads its file once. Lists of 16 messages or more get a reader
// ahead of the loop on the second core (ReadAhead.h), started at the first read,
// when the process may run on a second core.

#include "platform/applescript/List.h"
#include "platform/mail/LocationTable.h"

#include <array>
#include <memory>
#include <utility>

namespace platform::mail {

class MailMessage;
class MessageIds;
class ReadAhead;

class MessageList final : public platform::applescript::ItemSource {
public:
    explicit MessageList(const QVector<MessageLocation>& locations);
    explicit MessageList(std::shared_ptr<const LocationTable> table);

    [[nodiscard]] std::size_t size() const override;
    [[nodiscard]] platform::applescript::Value item(std::size_t index) const override;

private:
    [[nodiscard]] std::shared_ptr<MailMessage> message(std::size_t index) const;

    std::shared_ptr<const LocationTable> m_table;
    std::shared_ptr<MessageIds> m_ids;
    // Made at the first read; items are read on the script's thread only.
    mutable std::shared_ptr<ReadAhead> m_reader;
    bool m_readAhead;  // whether there is a second core to read on
    mutable std::array<std::pair<std::size_t, std::shared_ptr<MailMessage>>, 4> m_recent;
    mutable std::size_t m_nextRecent = 0;
};

}  // namespace platform::mail
