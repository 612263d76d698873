// Test entry point: every test binary runs headless, including when CTest's
// discovery step starts it without the test environment. Screens have a device
// pixel ratio of 1, unless a test starts a copy of its binary with
// TARVEL_TEST_SCALE_FACTOR set to look at a HiDPI screen.
#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const char *scale = std::getenv("TARVEL_TEST_SCALE_FACTOR");
    setenv("QT_SCALE_FACTOR", scale ? scale : "1", 1);
    QTemporaryDir runtimeDir;
    if (!std::getenv("XDG_RUNTIME_DIR") && runtimeDir.isValid())
        setenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit().constData(), 1);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
