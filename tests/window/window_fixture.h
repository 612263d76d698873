// A main window built headless with scripted dialogs and recorded notices, and
// real pictures to convert.
#pragma once

#include "controls/ph_button.h"
#include "fake_services.h"
#include "form.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "window/frm_main.h"

#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QRadioButton>
#include <QString>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// Calls `tick` every millisecond the event loop runs, nested loops included.
class Ticker {
public:
    explicit Ticker(std::function<void()> tick)
    {
        QObject::connect(&m_timer, &QTimer::timeout, std::move(tick));
        m_timer.start(1);
    }

private:
    QTimer m_timer;
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    // Builds the window (after the test prepared the settings file, say).
    Form &window();

    // A picture of `w` x `h`, top half red and bottom half blue, in the
    // format of its extension (any of the program's eight).
    void makePicture(const QString &path, int w, int h);
    static QSize sizeOf(const QString &path);
    const std::vector<Notice> &notices() const { return notifier.notices; }

    TempDir dir;
    QString settings;
    QString presets;        // presets.json
    QString windowSettings; // window.json
    QString exportPath;     // the file the settings dialog exports presets to
    FakeNotifier notifier;
    FakeDialogs dialogs;
    imaging::WorkerSettings worker; // budgets a test may lower before window()
    std::unique_ptr<window::frmMain> form;
    std::unique_ptr<Form> controls;
};

// The batch panel's tests: a source folder "in" and an output folder "out".
class BatchWindow : public WindowTest {
protected:
    void SetUp() override;
    // Chooses both folders through the buttons' dialogs.
    void chooseFolders(Form &w);
    // `count` pictures in `folder`, all links to one small PNG: a folder
    // whose scan takes a while.
    void linkCopies(const QString &folder, int count);

    QString source;
    QString output;
};
