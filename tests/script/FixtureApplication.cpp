#include "FixtureApplication.h"

#include <QDateTime>

#include <memory>

namespace quorvell::test {

namespace {

using namespace platform::applescript;

class Recipient : public Object {
public:
    Recipient(QString name, QString address) : m_name(std::move(name)), m_address(std::move(address)) { }
    QString className() const override { return QStringLiteral("to recipient"); }
    QString describe() const override { return QStringLiteral("to recipient \"%1\"").arg(m_address); }
    Reply property(const QString& name) const override
    {
        if (name == u"name")
            return Value(m_name);
        if (name == u"address")
            return Value(m_address);
        return Object::property(name);
    }

private:
    QString m_name, m_address;
};

class Message : public Object {
public:
    Message(int id, Value subject, std::vector<std::shared_ptr<Recipient>> to)
        : m_id(id), m_subject(std::move(subject)), m_to(std::move(to))
    {
    }
    QString className() const override { return QStringLiteral("message"); }
    QString describe() const override
    {
        return QStringLiteral("message id %1 of application \"Fixture\"").arg(m_id);
    }
    Reply property(const QString& name) const override
    {
        if (name == u"subject")
            return m_subject;
        if (name == u"id")
            return Value(m_id);
        if (name == u"reply to")
            return Value(QStringLiteral("Ann Example <ann@example.org>"));
        if (name == u"date sent")
            return Value(QDateTime(QDate(2026, 12, 6), QTime(7, 15, 56)));
        if (name == u"message size")
            return Value(1234 * m_id);
        if (name == u"read status")
            return Value(m_id == 1);
        if (name == u"content")
            return Value(QStringLiteral("Body of message %1\nsecond line").arg(m_id));
        if (name == u"broken")
            return Reply::error(-1728);
        return Object::property(name);
    }
    Reply elements(const QString& cls) const override
    {
        if (cls == u"to recipient" || cls == u"recipient") {
            List items;
            for (const auto& r : m_to)
                items.emplace_back(r);
            return Value::list(std::move(items));
        }
        return Object::elements(cls);
    }

private:
    int m_id;
    Value m_subject;
    std::vector<std::shared_ptr<Recipient>> m_to;
};

class Fixture : public Application {
public:
    Fixture()
    {
        m_terms.classes = {{QStringLiteral("message"), QStringLiteral("messages")},
                           {QStringLiteral("to recipient"), QStringLiteral("to recipients")},
                           {QStringLiteral("recipient"), QStringLiteral("recipients")}};
        m_terms.properties = {QStringLiteral("subject"),      QStringLiteral("reply to"),
                              QStringLiteral("date sent"),    QStringLiteral("message size"),
                              QStringLiteral("read status"),  QStringLiteral("content"),
                              QStringLiteral("selection"),    QStringLiteral("name"),
                              QStringLiteral("address"),      QStringLiteral("id"),
                              QStringLiteral("broken")};
        m_terms.commands = {{QStringLiteral("extract name from"), true, {}},
                            {QStringLiteral("extract address from"), true, {}},
                            {QStringLiteral("save"), true, {QStringLiteral("in"), QStringLiteral("as")}},
                            {QStringLiteral("fail with"), true, {}}};
        auto ann = std::make_shared<Recipient>(QStringLiteral("Ann Example"), QStringLiteral("ann@example.org"));
        auto bob = std::make_shared<Recipient>(QStringLiteral("Bob"), QStringLiteral("bob@example.org"));
        m_messages.push_back(std::make_shared<Message>(1, Value(QStringLiteral("Hello")),
                                                       std::vector{ann, bob}));
        m_messages.push_back(std::make_shared<Message>(2, Value(), std::vector<std::shared_ptr<Recipient>>{}));
    }
    const Terminology& terminology() const override { return m_terms; }
    QString describe() const override { return QStringLiteral("application \"Fixture\""); }
    Reply property(const QString& name) const override
    {
        if (name == u"selection") {
            List items;
            for (const auto& m : m_messages)
                items.emplace_back(m);
            return Value::list(std::move(items));
        }
        return Object::property(name);
    }
    Reply elements(const QString& cls) const override
    {
        if (cls == u"message")
            return property(QStringLiteral("selection"));
        return Object::elements(cls);
    }
    Reply command(const CommandCall& call) override
    {
        if (call.name == u"extract name from" || call.name == u"extract address from") {
            if (call.direct.kind() != Value::Kind::Text)
                return Reply::error(-1700, QStringLiteral("Can’t make that into type text."));
            const QString s = call.direct.text();
            const int lt = s.indexOf(u'<');
            if (lt < 0)
                return Value(s);
            return call.name == u"extract name from" ? Value(s.left(lt).trimmed())
                                                      : Value(s.mid(lt + 1).chopped(1));
        }
        if (call.name == u"save") {
            const Value* in = call.parameter(QStringLiteral("in"));
            const Value* as = call.parameter(QStringLiteral("as"));
            if (!call.hasDirect || call.direct.kind() != Value::Kind::Object || !in || !as)
                return Reply::error(-1703, QStringLiteral("Some data was the wrong type."));
            const Reply subject = call.direct.object()->property(QStringLiteral("subject"));
            return Value(QStringLiteral("saved %1 in %2 as %3")
                             .arg(subject.value().kind() == Value::Kind::Text ? subject.value().text() : QString(),
                                  in->text(), as->text()));
        }
        if (call.name == u"fail with")
            return Reply::error(static_cast<int>(call.direct.integer()));
        return Object::command(call);
    }

private:
    Terminology m_terms;
    std::vector<std::shared_ptr<Message>> m_messages;
};

}  // namespace

void registerFixtureApplication()
{
    registerApplication(QStringLiteral("Fixture"), std::make_shared<Fixture>());
}

}  // namespace quorvell::test
