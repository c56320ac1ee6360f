// Several processes on one domain: nothing lost, nothing torn.

#include "platform/preferences/PropertyList.h"
#include "tests/preferences/StoreFixture.h"

#include <QFileInfo>
#include <QThread>

#include <random>
#include <signal.h>

using namespace platform::preferences;

namespace {

using ConcurrencyTest = StoreFixture;

const QString kWriter = QStringLiteral(QUORVELL_STORE_WRITER);

TEST_F(ConcurrencyTest, TwoProcessesWritingDifferentKeysLoseNothing)
{
    constexpr int kCount = 1000;
    QProcess first, second;
    first.start(kWriter, {QStringLiteral("keys"), m_domain, QStringLiteral("a"), QString::number(kCount)});
    second.start(kWriter, {QStringLiteral("keys"), m_domain, QStringLiteral("b"), QString::number(kCount)});
    ASSERT_TRUE(first.waitForFinished(240000));
    ASSERT_TRUE(second.waitForFinished(240000));
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();

    const auto stored = parsePropertyList(fileBytes());
    ASSERT_TRUE(stored.dictionary) << stored.error.toStdString();
    EXPECT_EQ(stored.dictionary->size(), 2 * kCount);
    for (const QString& prefix : {QStringLiteral("a"), QStringLiteral("b")}) {
        for (int i = 0; i < kCount; ++i) {
            const QVariant value = stored.dictionary->value(prefix + QString::number(i));
            ASSERT_TRUE(sameValue(value, QVariant(qlonglong(i)))) << prefix.toStdString() << i;
        }
    }
}

TEST_F(ConcurrencyTest, AWriterKilledAtAnyMomentNeverLeavesATruncatedFile)
{
    std::mt19937 random(20261206);
    std::uniform_int_distribution<int> delayMs(0, 40);
    for (int round = 0; round < 40; ++round) {
        QProcess writer;
        writer.start(kWriter, {QStringLiteral("churn"), m_domain, QStringLiteral("500")});
        ASSERT_TRUE(writer.waitForReadyRead(60000)) << "the writer never wrote";
        QThread::msleep(ulong(delayMs(random)));
        ::kill(pid_t(writer.processId()), SIGKILL);
        ASSERT_TRUE(writer.waitForFinished());
        EXPECT_EQ(writer.exitStatus(), QProcess::CrashExit) << "the writer stopped on its own";
        const auto stored = parsePropertyList(fileBytes());
        ASSERT_TRUE(stored.dictionary) << "round " << round << ": " << stored.error.toStdString();
        EXPECT_EQ(stored.dictionary->size(), 500);
    }

    // What the killed writers left behind does not stop the next one.
    setAppValue(QStringLiteral("after"), QVariant(true), m_domain);
    EXPECT_TRUE(appSynchronize(m_domain));
    EXPECT_EQ(copyAppValues(m_domain).size(), 501);
}

}  // namespace
