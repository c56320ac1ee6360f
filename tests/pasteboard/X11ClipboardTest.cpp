// The clipboard as other programs on an X11 desktop see it: a private Xvfb server,
// this process owning the clipboard through the pasteboard, and xclip reading it.
// Skipped when Xvfb or xclip is not installed.

#include "platform/pasteboard/Pasteboard.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <sys/types.h>

namespace pb = platform::pasteboard;

namespace {

struct XclipResult {
    int exitCode = -1;
    QByteArray output;
};

// Runs xclip while this process keeps answering selection requests.
XclipResult readWithXclip(const QStringList& extraArguments)
{
    QProcess xclip;
    QEventLoop loop;
    QObject::connect(&xclip, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    xclip.start(QStringLiteral("xclip"), QStringList{QStringLiteral("-o"), QStringLiteral("-selection"),
                                                     QStringLiteral("clipboard")} + extraArguments);
    if (!xclip.waitForStarted(5000))
        return {};
    loop.exec();
    if (xclip.state() != QProcess::NotRunning) {
        xclip.kill();
        xclip.waitForFinished(2000);
        return {};
    }
    return {xclip.exitStatus() == QProcess::NormalExit ? xclip.exitCode() : -1, xclip.readAllStandardOutput()};
}

void putText(const QByteArray& utf8)
{
    std::unique_ptr<pb::Pasteboard> pasteboard;
    ASSERT_EQ(pb::Pasteboard::create(QString::fromLatin1(pb::kPasteboardClipboard), &pasteboard), pb::noErr);
    ASSERT_EQ(pasteboard->clear(), pb::noErr);
    ASSERT_EQ(pasteboard->putItemFlavor(1, QString::fromLatin1(pb::kUTTypeUTF8PlainText), utf8, 0), pb::noErr);
}

bool g_haveServer = false;

}  // namespace

TEST(X11Clipboard, OtherProgramsReadTheUtf8Text)
{
    if (!g_haveServer || QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty())
        GTEST_SKIP() << "needs Xvfb and xclip";
    const QByteArray text = QStringLiteral("Fåglar – “quoted” 😀\nline two").toUtf8();
    putText(text);
    const QStringList targets[] = {{}, {QStringLiteral("-t"), QStringLiteral("UTF8_STRING")},
                                   {QStringLiteral("-t"), QStringLiteral("text/plain")},
                                   {QStringLiteral("-t"), QStringLiteral("text/plain;charset=utf-8")}};
    for (const QStringList& target : targets) {
        SCOPED_TRACE(target.join(QLatin1Char(' ')).toStdString());
        const XclipResult result = readWithXclip(target);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.output, text);
    }
}

TEST(X11Clipboard, ClearedClipboardOffersNothing)
{
    if (!g_haveServer || QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty())
        GTEST_SKIP() << "needs Xvfb and xclip";
    putText("something");
    std::unique_ptr<pb::Pasteboard> pasteboard;
    ASSERT_EQ(pb::Pasteboard::create(QString::fromLatin1(pb::kPasteboardClipboard), &pasteboard), pb::noErr);
    ASSERT_EQ(pasteboard->clear(), pb::noErr);
    const XclipResult result = readWithXclip({});
    EXPECT_TRUE(result.output.isEmpty());
}

namespace {

// Starts Xvfb on the first free display from a random start; its pid, or -1.
pid_t startXvfb(QString* display)
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty())
        return -1;
    const int first = 200 + static_cast<int>(QRandomGenerator::global()->bounded(300));
    for (int number = first; number < first + 20; ++number) {
        if (QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)))
            continue;
        qint64 pid = 0;
        const QString name = QStringLiteral(":%1").arg(number);
        if (!QProcess::startDetached(xvfb, {name, QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                                            QStringLiteral("-screen"), QStringLiteral("0"),
                                            QStringLiteral("640x480x24")},
                                     QDir::tempPath(), &pid))
            return -1;
        for (int wait = 0; wait < 100; ++wait) {
            if (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number))) {
                *display = name;
                return static_cast<pid_t>(pid);
            }
            // Detached, so not our child: ask whether it still lives.
            if (::kill(static_cast<pid_t>(pid), 0) != 0)
                break;  // it gave up (display taken): try the next one
            QThread::msleep(50);
        }
        ::kill(static_cast<pid_t>(pid), SIGTERM);
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QString display;
    const pid_t xvfb = startXvfb(&display);
    int status = 0;
    if (xvfb > 0) {
        qputenv("DISPLAY", display.toLatin1());
        qputenv("QT_QPA_PLATFORM", "xcb");
        g_haveServer = true;
        {
            QGuiApplication app(argc, argv);
            status = RUN_ALL_TESTS();
        }
        ::kill(xvfb, SIGTERM);
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");  // every test skips
        QGuiApplication app(argc, argv);
        status = RUN_ALL_TESTS();
    }
    return status;
}
