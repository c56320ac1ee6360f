// The main of every test that needs a Qt application object. The tests run in a
// temporary home made before anything reads it, so no test sees or changes the
// user's settings, mail state or address book; the platform is offscreen unless the
// environment names another. The application is a QApplication where widgets are
// linked (QUORVELL_TEST_WIDGETS), else a QGuiApplication, and none at all when
// QUORVELL_TEST_NO_APPLICATION is set (for code that must cope without one).

#include <QFile>
#include <QTemporaryDir>
#ifdef QUORVELL_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

#include <gtest/gtest.h>

#include <memory>

// Under the sanitizer build: Qt 5.15's offscreen platform plugin never frees the
// screen it creates. Full stacks let the suppression name the plugin alone rather
// than the Qt functions every leak passes through.
extern "C" const char* __lsan_default_options()
{
    return "fast_unwind_on_malloc=0";
}
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libqoffscreen.so\n";
}

int main(int argc, char** argv)
{
    QTemporaryDir home;
    if (!home.isValid())
        return 2;
    const QByteArray path = QFile::encodeName(home.path());
    qputenv("HOME", path);
    qputenv("XDG_CONFIG_HOME", path + "/.config");
    qputenv("XDG_DATA_HOME", path + "/.local/share");
    qputenv("XDG_STATE_HOME", path + "/.local/state");
    qputenv("XDG_CACHE_HOME", path + "/.cache");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    ::testing::InitGoogleTest(&argc, argv);
    std::unique_ptr<TestApplication> app;
    if (qEnvironmentVariableIsEmpty("QUORVELL_TEST_NO_APPLICATION")) {
        app = std::make_unique<TestApplication>(argc, argv);
        TestApplication::setApplicationName(QStringLiteral("quorvell"));
        TestApplication::setQuitOnLastWindowClosed(false);
    }
    return RUN_ALL_TESTS();
}
