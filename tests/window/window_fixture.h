// A main window built headless with scripted dialogs and recorded notices, and
// real pictures to convert.
#pragma once

#include "controls/ph_button.h"
#include "fake_services.h"
#include "form.h"
#include "support/temp_dir.h"
#include "window/conversion_runner.h"
#include "window/frm_main.h"

#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QRadioButton>
#include <QString>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    // Builds the window (after the test prepared the settings file, say).
    Form &window();

    // A picture of `w` x `h`, top half red and bottom half blue, in the
    // format of its extension (any of the program's eight).
    void makePicture(const QString &path, int w, int h);
    void writeFile(const QString &path, const QByteArray &bytes);
    QByteArray readFile(const QString &path) const;
    static QSize sizeOf(const QString &path);
    const std::vector<Notice> &notices() const { return notifier.notices; }

    TempDir dir;
    QString settings;
    FakeNotifier notifier;
    FakeDialogs dialogs;
    imaging::WorkerSettings worker; // budgets a test may lower before window()
    std::unique_ptr<window::frmMain> form;
    std::unique_ptr<Form> controls;
};
