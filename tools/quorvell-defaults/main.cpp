// quorvell-defaults: reads and writes the per-user preference store from a shell.
//
//   quorvell-defaults read DOMAIN [KEY]
//   quorvell-defaults read-type DOMAIN KEY
//   quorvell-defaults write DOMAIN KEY [-bool|-int|-float|-string|-date|-data] VALUE
//   quorvell-defaults write DOMAIN KEY -array [VALUE...] | -dict [KEY VALUE...]
//   quorvell-defaults delete DOMAIN [KEY]
//
// Every command synchronises the domain, so it sees and is seen by every other
// process at once. Exit status: 0 done, 1 nothing to read or delete or the store
// could not be written, 2 a malformed command line.

#include "platform/preferences/Preferences.h"
#include "tools/quorvell-defaults/ArgumentValue.h"
#include "tools/quorvell-defaults/ValueDescription.h"

#include <QFileInfo>
#include <QStringList>

#include <cstdio>

namespace {

using namespace platform::preferences;
using quorvell::defaults::describeValue;
using quorvell::defaults::parseWriteArguments;
using quorvell::defaults::typeName;

constexpr int kFailure = 1;
constexpr int kUsage = 2;

constexpr const char* kUsageText =
    "usage: quorvell-defaults read DOMAIN [KEY]\n"
    "       quorvell-defaults read-type DOMAIN KEY\n"
    "       quorvell-defaults write DOMAIN KEY [-bool|-int|-float|-string|-date|-data] VALUE\n"
    "       quorvell-defaults write DOMAIN KEY -array [VALUE...]\n"
    "       quorvell-defaults write DOMAIN KEY -dict [KEY VALUE...]\n"
    "       quorvell-defaults delete DOMAIN [KEY]\n";

void out(const QString& text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

int fail(int status, const QString& message)
{
    const QByteArray bytes = QByteArrayLiteral("quorvell-defaults: ") + message.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    return status;
}

int usage(const QString& message)
{
    fail(kUsage, message);
    std::fputs(kUsageText, stderr);
    return kUsage;
}

bool domainExists(const QString& domain)
{
    return QFileInfo::exists(domainFilePath(domain));
}

int missingKey(const QString& domain, const QString& key)
{
    return fail(kFailure, QStringLiteral("the key %1 does not exist in the domain %2").arg(key, domain));
}

int missingDomain(const QString& domain)
{
    return fail(kFailure, QStringLiteral("the domain %1 does not exist").arg(domain));
}

int read(const QStringList& args)
{
    if (args.size() < 1 || args.size() > 2)
        return usage(QStringLiteral("read takes a domain and at most one key"));
    const QString& domain = args.at(0);
    appSynchronize(domain);
    if (args.size() == 1) {
        if (!domainExists(domain))
            return missingDomain(domain);
        out(describeValue(copyAppValues(domain)));
        return 0;
    }
    const auto value = copyAppValue(args.at(1), domain);
    if (!value)
        return missingKey(domain, args.at(1));
    out(describeValue(*value));
    return 0;
}

int readType(const QStringList& args)
{
    if (args.size() != 2)
        return usage(QStringLiteral("read-type takes a domain and a key"));
    appSynchronize(args.at(0));
    const auto value = copyAppValue(args.at(1), args.at(0));
    if (!value)
        return missingKey(args.at(0), args.at(1));
    out(QStringLiteral("Type is ") + typeName(*value));
    return 0;
}

int synchronizeOrFail(const QString& domain)
{
    if (appSynchronize(domain))
        return 0;
    return fail(kFailure, QStringLiteral("could not write %1").arg(domainFilePath(domain)));
}

int write(const QStringList& args)
{
    if (args.size() < 3)
        return usage(QStringLiteral("write takes a domain, a key and a value"));
    const QString& domain = args.at(0);
    const QString& key = args.at(1);
    const auto parsed = parseWriteArguments(args.mid(2));
    if (!parsed.error.isEmpty())
        return usage(parsed.error);
    if (!isStorableValue(parsed.value) || !isStorableValue(QVariant(key)))
        return fail(kUsage, QStringLiteral("the key or value holds characters a preference file cannot keep"));
    appSynchronize(domain);
    setAppValue(key, parsed.value, domain);
    return synchronizeOrFail(domain);
}

int remove(const QStringList& args)
{
    if (args.size() < 1 || args.size() > 2)
        return usage(QStringLiteral("delete takes a domain and at most one key"));
    const QString& domain = args.at(0);
    appSynchronize(domain);
    if (args.size() == 2) {
        if (!copyAppValue(args.at(1), domain))
            return missingKey(domain, args.at(1));
        setAppValue(args.at(1), QVariant(), domain);
        return synchronizeOrFail(domain);
    }
    if (!domainExists(domain))
        return missingDomain(domain);
    const QVariantMap all = copyAppValues(domain);
    for (auto it = all.cbegin(); it != all.cend(); ++it)
        setAppValue(it.key(), QVariant(), domain);
    return synchronizeOrFail(domain);
}

}  // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromUtf8(argv[i]);
    if (args.isEmpty())
        return usage(QStringLiteral("no command given"));
    const QString command = args.takeFirst();
    if (command == u"help" || command == u"-h" || command == u"--help") {
        std::fputs(kUsageText, stdout);
        return 0;
    }
    if (!args.isEmpty() && domainFilePath(args.first()).isEmpty())
        return usage(QStringLiteral("\"%1\" is not a domain name").arg(args.first()));
    if (command == u"read")
        return read(args);
    if (command == u"read-type")
        return readType(args);
    if (command == u"write")
        return write(args);
    if (command == u"delete")
        return remove(args);
    return usage(QStringLiteral("unknown command \"%1\"").arg(command));
}
