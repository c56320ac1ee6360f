#pragma once
// One field of a message's header block as scripts see it (`header "X-Mailer" of
// m`): name as written, content unfolded and trimmed, raw (no RFC 2047 decoding).

#include "platform/applescript/Dictionary.h"

namespace platform::mail {

class HeaderObject : public platform::applescript::Object {
public:
    // owner describes the message in error messages, asked only when one is shown.
    HeaderObject(QString name, QString content, std::shared_ptr<const platform::applescript::Object> owner);

    // Every field of the header block text, in order, as a list of HeaderObjects.
    [[nodiscard]] static platform::applescript::Reply listOf(const QString& headerBlock,
                                                              const std::shared_ptr<const platform::applescript::Object>& owner);

    [[nodiscard]] QString className() const override { return QStringLiteral("header"); }
    [[nodiscard]] QString describe() const override;
    [[nodiscard]] platform::applescript::Reply property(const QString& name) const override;

private:
    QString m_name;
    QString m_content;
    std::shared_ptr<const platform::applescript::Object> m_owner;
};

}  // namespace platform::mail
