#pragma once
// Each test gets its own HOME and XDG_CONFIG_HOME in a fresh temporary folder, so
// it addresses a store no other test has touched, and its log lines are captured.

#include "platform/desktop/Log.h"
#include "platform/preferences/Preferences.h"
#include "tests/support/ToolRun.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

class StoreFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        qputenv("HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("config"))));
        platform::desktop::setLogSink([this](const QString& line) { m_log << line; });
    }

    void TearDown() override { platform::desktop::setLogSink({}); }

    QString file() const { return platform::preferences::domainFilePath(m_domain); }

    QByteArray fileBytes() const
    {
        QFile f(file());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    void writeFile(const QByteArray& bytes) const
    {
        QFile f(file());
        ASSERT_TRUE(m_home.path().size() > 0 && QDir().mkpath(m_home.filePath(QStringLiteral("config"))));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    static ToolRun defaults(const QStringList& args) { return runTool(QStringLiteral(QUORVELL_DEFAULTS_TOOL), args); }

    QTemporaryDir m_home;
    QString m_domain = QStringLiteral("com.example.StoreTest");
    QStringList m_log;
};
