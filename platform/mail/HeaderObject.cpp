#include "platform/mail/HeaderObject.h"

#include <QRegularExpression>

namespace platform::mail {

using platform::applescript::List;
using platform::applescript::Reply;
using platform::applescript::Value;

HeaderObject::HeaderObject(QString name, QString content, std::shared_ptr<const platform::applescript::Object> owner)
    : m_name(std::move(name)), m_content(std::move(content)), m_owner(std::move(owner))
{
}

Reply HeaderObject::listOf(const QString& headerBlock, const std::shared_ptr<const platform::applescript::Object>& owner)
{
    List items;
    QString name;
    QString content;
    auto flush = [&] {
        if (!name.isEmpty())
            items.emplace_back(std::make_shared<HeaderObject>(name, content.simplified(), owner));
        name.clear();
        content.clear();
    };
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    for (const QString& line : headerBlock.split(lineBreak)) {
        if (!line.isEmpty() && (line.front() == u' ' || line.front() == u'\t')) {
            content += u' ' + line.trimmed();  // a folded continuation
            continue;
        }
        flush();
        const int colon = line.indexOf(u':');
        if (colon > 0) {
            name = line.left(colon).trimmed();
            content = line.mid(colon + 1);
        }
    }
    flush();
    return Value::list(std::move(items));
}

QString HeaderObject::describe() const
{
    return QStringLiteral("header \"%1\" of %2").arg(m_name, m_owner->describe());
}

Reply HeaderObject::property(const QString& name) const
{
    if (name == QLatin1String("name"))
        return Value(m_name);
    if (name == QLatin1String("content"))
        return Value(m_content);
    return Reply::error(-1728);
}

}  // namespace platform::mail
