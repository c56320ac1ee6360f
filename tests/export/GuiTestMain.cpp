// A main for tests that need a QGuiApplication (fonts, the clipboard) and its
// event loop.

#include <QGuiApplication>

#include <gtest/gtest.h>

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
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
