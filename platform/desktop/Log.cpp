#include "platform/desktop/Log.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QLocale>

#include <cstdio>
#include <mutex>
#include <syslog.h>
#include <unistd.h>

namespace platform::desktop {
namespace {

std::mutex& sinkMutex()
{
    static std::mutex mutex;
    return mutex;
}

LogSink& sink()
{
    static LogSink current;
    return current;
}

// The executable's name, also for the app, whose application name is its title
// ("Quorvell"): log lines and the syslog tag stay "quorvell".
QString processName()
{
    if (QCoreApplication::instance())
        return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    char buf[256] = {};
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? QFileInfo(QString::fromLocal8Bit(buf, int(n))).fileName() : QStringLiteral("quorvell");
}

}  // namespace

void setLogSink(LogSink newSink)
{
    std::lock_guard lock(sinkMutex());
    sink() = std::move(newSink);
}

void log(const QString& message)
{
    {
        std::lock_guard lock(sinkMutex());
        if (sink()) {
            sink()(message);
            return;
        }
    }
    const QByteArray name = processName().toUtf8();
    // ASCII digits whatever the locale: Qt 5 formats dates in the system locale's.
    const QByteArray line =
        QLocale::c().toString(QDateTime::currentDateTime(), QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toUtf8()
        + ' ' + name + '[' + QByteArray::number(qint64(getpid())) + "] " + message.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);

    static std::once_flag opened;
    static QByteArray ident;
    std::call_once(opened, [&] {
        ident = name;
        openlog(ident.constData(), LOG_PID, LOG_USER);
    });
    syslog(LOG_NOTICE, "%s", message.toUtf8().constData());
}

}  // namespace platform::desktop
