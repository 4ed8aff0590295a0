#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QStandardPaths>

// The test main of the core's tests: Qt Core only, so they run with no display at all.
int main(int argc, char** argv) {
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
