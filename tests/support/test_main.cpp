// Test entry point: every test binary runs headless, including when CTest's
// discovery step starts it without the test environment. Screens have a device
// pixel ratio of 1, unless a test starts a copy of its binary with
// TARVEL_TEST_SCALE_FACTOR set to look at a HiDPI screen, and are 800 × 600
// unless TARVEL_TEST_SCREEN asks for another size ("1024x768").
#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char **argv)
{
    QTemporaryDir screenDir;
    const char *screen = std::getenv("TARVEL_TEST_SCREEN");
    int width = 0, height = 0;
    if (screen && std::sscanf(screen, "%dx%d", &width, &height) == 2 && screenDir.isValid()) {
        // The offscreen platform takes its screens from a file.
        const std::string config = screenDir.filePath("screen.json").toStdString();
        if (std::FILE *file = std::fopen(config.c_str(), "w")) {
            std::fprintf(file, R"({"screens": [{"name": "test", "x": 0, "y": 0, "width": %d, "height": %d}]})", width,
                         height);
            std::fclose(file);
        }
        setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).c_str(), 1);
    } else {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    const char *scale = std::getenv("TARVEL_TEST_SCALE_FACTOR");
    setenv("QT_SCALE_FACTOR", scale ? scale : "1", 1);
    QTemporaryDir runtimeDir;
    if (!std::getenv("XDG_RUNTIME_DIR") && runtimeDir.isValid())
        setenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit().constData(), 1);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
