#include "BookFolder.h"

#include "platform/desktop/Log.h"

#include <KContacts/VCardConverter>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

BookFolder::BookFolder()
    : m_savedHome(qgetenv("HOME")), m_savedDataHome(qgetenv("XDG_DATA_HOME"))
{
    qputenv("HOME", m_dir.filePath(QStringLiteral("home")).toUtf8());
    qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("data")).toUtf8());
    QDir().mkpath(m_dir.filePath(QStringLiteral("home")));
    platform::desktop::setLogSink([this](const QString& line) { m_logLines << line; });
}

BookFolder::~BookFolder()
{
    platform::desktop::setLogSink({});
    qputenv("HOME", m_savedHome);
    if (m_savedDataHome.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", m_savedDataHome);
}

QString BookFolder::folder() const
{
    return m_dir.filePath(QStringLiteral("data/quorvell/addressbook"));
}

QByteArray BookFolder::fixture(const QString& name)
{
    QFile file(qEnvironmentVariable("QUORVELL_SOURCE_DIR") + QStringLiteral("/tests/addressbook/fixtures/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void BookFolder::addFile(const QString& name, const QByteArray& bytes) const
{
    QDir().mkpath(folder());
    QFile file(QDir(folder()).filePath(name));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

void BookFolder::addFixtures(const QStringList& names) const
{
    for (const QString& name : names)
        addFile(name, fixture(name));
}

QMap<QString, QByteArray> BookFolder::files() const
{
    QMap<QString, QByteArray> result;
    const QDir dir(folder());
    for (const QString& name : dir.entryList({QStringLiteral("*.vcf")}, QDir::Files)) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            result.insert(name, file.readAll());
    }
    return result;
}

QList<KContacts::Addressee> BookFolder::cards() const
{
    QList<KContacts::Addressee> result;
    const KContacts::VCardConverter converter;
    for (const QByteArray& bytes : files()) {
        const KContacts::Addressee::List parsed = converter.parseVCards(bytes);
        if (parsed.size() == 1)
            result << parsed.front();
    }
    return result;
}

bool BookFolder::isGroup(const KContacts::Addressee& card)
{
    return card.kind() == QLatin1String("group");
}

QList<KContacts::Addressee> BookFolder::people() const
{
    QList<KContacts::Addressee> result;
    for (const KContacts::Addressee& card : cards()) {
        if (!isGroup(card))
            result << card;
    }
    return result;
}

QList<KContacts::Addressee> BookFolder::groups() const
{
    QList<KContacts::Addressee> result;
    for (const KContacts::Addressee& card : cards()) {
        if (isGroup(card))
            result << card;
    }
    return result;
}

QString BookFolder::khard(const QStringList& arguments) const
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("khard"));
    const QString config = root() + QStringLiteral("/khard.conf");
    QFile file(config);
    if (program.isEmpty() || !file.open(QIODevice::WriteOnly))
        return {};
    file.write("[addressbooks]\n[[quorvell]]\npath = " + folder().toUtf8() + "\n[general]\ndefault_action = list\n");
    file.close();
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), root() + QStringLiteral("/home"));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    process.setProcessEnvironment(environment);
    process.start(program, QStringList{QStringLiteral("-c"), config} + arguments);
    if (!process.waitForFinished(60000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}
