#include "platform/desktop/Bundle.h"
#include "platform/desktop/Log.h"
#include "platform/desktop/Sound.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace platform::desktop;

namespace {

TEST(Bundle, OverrideToMissingFolderMeansNoResources)
{
    setResourcesDirectoryOverride(QStringLiteral("/nonexistent/quorvell-resources"));
    EXPECT_FALSE(resourcesDirectory().has_value());
    EXPECT_EQ(soundNamed(QStringLiteral("Ping")), nullptr);
    setResourcesDirectoryOverride(std::nullopt);
}

TEST(Sound, LookupAndObservedPlay)
{
    QStringList played;
    setSoundObserver([&](const QString& name) { played << name; });
    auto ping = soundNamed(QStringLiteral("Ping"));
    ASSERT_NE(ping, nullptr);
    ping->play();
    EXPECT_EQ(played, QStringList{QStringLiteral("Ping")});
    for (const char* bad : {"NoSuchSound", "", "../sounds/Ping", "sounds/Ping"})
        EXPECT_EQ(soundNamed(QString::fromLatin1(bad)), nullptr) << bad;
    setSoundObserver({});
}

TEST(Log, StandardErrorLineHasDateTimeProcessAndPid)
{
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const int savedErr = dup(STDERR_FILENO);
    dup2(pipeFds[1], STDERR_FILENO);
    log(QStringLiteral("Saving messages to PDF..."));
    fflush(stderr);
    dup2(savedErr, STDERR_FILENO);
    close(savedErr);
    close(pipeFds[1]);
    char buf[512] = {};
    const ssize_t n = read(pipeFds[0], buf, sizeof buf - 1);
    close(pipeFds[0]);
    ASSERT_GT(n, 0);
    const QString line = QString::fromUtf8(buf, int(n));
    const QRegularExpression form(QStringLiteral(
        R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} [^\[]+\[%1\] Saving messages to PDF\.\.\.\n$)")
                                      .arg(getpid()));
    EXPECT_TRUE(form.match(line).hasMatch()) << line.toStdString();
}

}  // namespace
