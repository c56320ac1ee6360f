// A GoogleTest main that runs the tests inside a QGuiApplication (the platform
// comes from QT_QPA_PLATFORM), or with no application object at all when
// QUORVELL_TEST_NO_APPLICATION is set.

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <memory>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    std::unique_ptr<QGuiApplication> app;
    if (qEnvironmentVariableIsEmpty("QUORVELL_TEST_NO_APPLICATION"))
        app = std::make_unique<QGuiApplication>(argc, argv);
    return RUN_ALL_TESTS();
}
