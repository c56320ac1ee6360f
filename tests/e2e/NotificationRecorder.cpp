// A notification service of the tests' own: owns org.freedesktop.Notifications on
// the session bus and appends one line per Notify call to the file named by its
// argument: "summary<TAB>body<TAB>actions joined by |". Runs until it is ended.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QVariantMap>

#include <cstdio>

class NotificationRecorder : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    explicit NotificationRecorder(QString path)
        : m_path(std::move(path))
    {
    }

public slots:
    uint Notify(const QString& /*appName*/, uint /*replacesId*/, const QString& /*icon*/, const QString& summary,
        const QString& body, const QStringList& actions, const QVariantMap& /*hints*/, int /*timeout*/)
    {
        QFile file(m_path);
        if (file.open(QIODevice::Append)) {
            file.write(
                (summary + QLatin1Char('\t') + body + QLatin1Char('\t') + actions.join(QLatin1Char('|'))).toUtf8()
                + '\n');
        }
        return ++m_last;
    }

private:
    QString m_path;
    uint m_last = 0;
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: e2e-notification-recorder FILE\n", stderr);
        return 2;
    }
    NotificationRecorder recorder(QString::fromLocal8Bit(argv[1]));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(
            QStringLiteral("/org/freedesktop/Notifications"), &recorder, QDBusConnection::ExportAllSlots)
        || !bus.interface()->registerService(QStringLiteral("org.freedesktop.Notifications")).isValid()) {
        std::fputs("e2e-notification-recorder: cannot own org.freedesktop.Notifications\n", stderr);
        return 1;
    }
    return QCoreApplication::exec();
}

#include "NotificationRecorder.moc"
