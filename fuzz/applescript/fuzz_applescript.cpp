// libFuzzer target: compiles and runs arbitrary bytes as a script, decoded the
// way the runner decodes resources (Mac OS Roman) or as UTF-8, chosen by the
// first byte. Tight bounds keep every input fast; any crash, hang, leak or
// sanitizer report is a fault of the engine. A small application "Fixture" is
// registered so that dictionary terms, elements and commands are reached too; it
// lives in memory, so no input reads or writes a file.

#include "platform/applescript/Dictionary.h"
#include "platform/applescript/Engine.h"
#include "platform/applescript/Operations.h"

#include <QByteArray>
#include <QDateTime>
#include <QLocale>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>

namespace {

using namespace platform::applescript;

// An object with fixed properties and one list of elements of any class.
class Thing : public Object {
public:
    Thing(QString className, std::map<QString, Value> properties, List elements = {})
        : m_class(std::move(className)), m_properties(std::move(properties)), m_elements(std::move(elements))
    {
    }
    QString className() const override { return m_class; }
    Reply property(const QString& name) const override
    {
        const auto found = m_properties.find(name);
        return found == m_properties.end() ? Object::property(name) : Reply(found->second);
    }
    Reply elements(const QString& className) const override
    {
        return m_elements.empty() ? Object::elements(className) : Reply(Value::list(m_elements));
    }

private:
    QString m_class;
    std::map<QString, Value> m_properties;
    List m_elements;
};

// Two messages with recipients, a selection, a command with a direct parameter
// and one with labels.
class Fixture : public Application {
public:
    Fixture()
    {
        m_terms.classes = {{QStringLiteral("message"), QStringLiteral("messages")},
                           {QStringLiteral("to recipient"), QStringLiteral("to recipients")}};
        for (const char* name : {"subject", "date sent", "message size", "read status", "content", "selection",
                                 "name", "address", "id"})
            m_terms.properties.push_back(QString::fromLatin1(name));
        m_terms.commands = {{QStringLiteral("extract name from"), true, {}},
                            {QStringLiteral("save"), true, {QStringLiteral("in"), QStringLiteral("as")}},
                            {QStringLiteral("fail with"), true, {}}};
        const auto ann = std::make_shared<Thing>(
            QStringLiteral("to recipient"),
            std::map<QString, Value>{{QStringLiteral("name"), Value(QStringLiteral("Ann"))},
                                     {QStringLiteral("address"), Value(QStringLiteral("ann@example.org"))}});
        m_messages.emplace_back(std::make_shared<Thing>(
            QStringLiteral("message"),
            std::map<QString, Value>{{QStringLiteral("subject"), Value(QStringLiteral("Hello"))},
                                     {QStringLiteral("id"), Value(1)},
                                     {QStringLiteral("date sent"), Value(QDateTime(QDate(2026, 12, 6), QTime(7, 15)))},
                                     {QStringLiteral("read status"), Value(true)},
                                     // raw mail is handed over as UTF-8 bytes
                                     {QStringLiteral("content"),
                                      Value::utf8Text("Gr\xC3\xBC\xC3\x9F\x65 \xF0\x9F\x98\x80\nend")}},
            List{Value(ann)}));
        m_messages.emplace_back(std::make_shared<Thing>(
            QStringLiteral("message"), std::map<QString, Value>{{QStringLiteral("id"), Value(2)}}));
    }
    const Terminology& terminology() const override { return m_terms; }
    Reply property(const QString& name) const override
    {
        return name == u"selection" ? Reply(Value::list(m_messages)) : Object::property(name);
    }
    Reply elements(const QString& className) const override
    {
        return className == u"message" ? Reply(Value::list(m_messages)) : Object::elements(className);
    }
    Reply command(const CommandCall& call) override
    {
        if (call.name == u"fail with")
            return Reply::error(static_cast<int>(call.direct.kind() == Value::Kind::Integer ? call.direct.integer() : 1));
        if (call.name == u"save" && !call.parameter(QStringLiteral("in")))
            return Reply::error(-1703);
        return call.hasDirect ? Reply(call.direct) : Object::command(call);
    }

private:
    Terminology m_terms;
    List m_messages;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool once = [] {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        registerApplication(QStringLiteral("Fixture"), std::make_shared<Fixture>());
        return true;
    }();
    (void)once;
    if (size == 0 || size > 64 * 1024)
        return 0;
    const bool utf8 = (data[0] & 1) != 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, static_cast<int>(size - 1));
    Limits limits;
    limits.maxSteps = 200'000;
    limits.maxMilliseconds = 2'000;
    const auto outcome = runScript(decodeScriptFile(bytes, utf8), limits);
    if (outcome.value)
        (void)stringValue(*outcome.value);
    return 0;
}
