// The conversion settings behind the emblem, end to end through real input:
// presets picked, saved, chosen for the start, exported and imported, the
// settings remembered across a restart, a damaged presets file, and an exam
// photo made from a real photo.
#include "window_fixture.h"

#include "cli/batch_tool.h"
#include "controls/xp_combo.h"
#include "workflow/presets.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace {

constexpr char kPhoto[] = "/usr/share/backgrounds/Wine_by_Jakkub_Mede.jpg";

template <typename T> T *part(QDialog &dialog, const char *name)
{
    T *found = dialog.findChild<T *>(QString::fromLatin1(name));
    EXPECT_TRUE(found) << name;
    return found;
}

// Types `text` over what a field holds.
void retype(QWidget *field, const QString &text)
{
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}

// The preset box moved with Down to the item that names `wanted`.
void pickPreset(QDialog &dialog, const QString &wanted)
{
    auto *box = part<QComboBox>(dialog, "preset");
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Home);
    for (int i = 0; i < box->count() && !box->currentText().contains(wanted); ++i)
        QTest::keyClick(box, Qt::Key_Down);
    EXPECT_TRUE(box->currentText().contains(wanted)) << box->currentText().toStdString();
}

} // namespace

// Clicks the emblem, runs `inside` on the settings dialog and closes it with
// `close`. Whether the dialog closed.
bool withSettings(Form &w, const std::function<void(QDialog &)> &inside,
                  QDialogButtonBox::StandardButton close = QDialogButtonBox::Ok)
{
    bool closed = true;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            ADD_FAILURE() << "no settings dialog";
            return;
        }
        inside(*dialog);
        QTest::mouseClick(dialog->findChild<QDialogButtonBox *>()->button(close), Qt::LeftButton);
        if (dialog->isVisible()) {
            closed = false;
            dialog->reject();
        }
    });
    QTest::mouseClick(w->findChild<QLabel *>(QStringLiteral("Picture1")), Qt::LeftButton);
    return closed;
}

class SettingsWindow : public WindowTest {
protected:
    bool withSettings(const std::function<void(QDialog &)> &inside,
                      QDialogButtonBox::StandardButton close = QDialogButtonBox::Ok)
    {
        return ::withSettings(window(), inside, close);
    }

    // A real photo in pics/, chosen in the single panel.
    QString choosePhoto()
    {
        QDir(dir.path()).mkdir("pics");
        const QString photo = dir.file("pics/photo.jpg");
        EXPECT_TRUE(QFile::copy(QString::fromLatin1(kPhoto), photo));
        dialogs.openAnswer = photo;
        QTest::mouseClick(window().cmdrgtBrowe, Qt::LeftButton);
        return photo;
    }
};

TEST_F(SettingsWindow, TheExamPresetMakesAnExamPhotoOfARealPhoto)
{
    Form &w = window();
    const QString plainTitle = w->windowTitle();
    ASSERT_TRUE(withSettings([](QDialog &dialog) { pickPreset(dialog, QStringLiteral(u"295×413")); }));
    // The preset's box and format land in the window's own fields.
    EXPECT_EQ(w.Text3->text(), "295");
    EXPECT_EQ(w.Text4->text(), "413");
    EXPECT_TRUE(w.Check1->isChecked());
    EXPECT_EQ(w.XPCombo1->Text(), ".jpg");
    EXPECT_TRUE(w->windowTitle().startsWith(plainTitle) && w->windowTitle().contains(u"295×413"))
        << w->windowTitle().toStdString();

    choosePhoto();
    QTest::mouseClick(w.cmdStartConvertdz, Qt::LeftButton);
    const QString output = dir.file(QStringLiteral(u"pics/photo副本.jpg"));
    ASSERT_EQ(notices().size(), 1u);
    EXPECT_EQ(notices()[0].kind, Notice::SelfClosing) << notices()[0].text.toStdString();
    const QByteArray bytes = readFile(output);
    EXPECT_TRUE(bytes.startsWith("\xFF\xD8\xFF"));
    EXPECT_EQ(sizeOf(output), QSize(295, 413));
    // At most 50 KB read as 1000 bytes, at least 20 KB read as 1024.
    EXPECT_LE(bytes.size(), 50000);
    EXPECT_GE(bytes.size(), 20 * 1024);
    QImageReader reader(output);
    const QImage image = reader.read();
    EXPECT_EQ(QImageReader::imageFormat(output), "jpeg");
    EXPECT_EQ(qRound(image.dotsPerMeterX() * 0.0254), 300);
    EXPECT_EQ(qRound(image.dotsPerMeterY() * 0.0254), 300);

    // Changing the box by hand leaves the preset: the title no longer names it.
    retype(w.Text3, "300");
    EXPECT_EQ(w->windowTitle(), plainTitle);
}

TEST_F(SettingsWindow, SettingsAreRememberedAcrossARestart)
{
    window();
    ASSERT_TRUE(withSettings([](QDialog &dialog) {
        auto *mode = part<QComboBox>(dialog, "mode");
        mode->setFocus();
        QTest::keyClick(mode, Qt::Key_Down); // 长边
        retype(part<QSpinBox>(dialog, "longEdge"), "640");
        retype(part<QSpinBox>(dialog, "quality"), "80");
        retype(part<QLineEdit>(dialog, "maxSize"), "2M");
        retype(part<QSpinBox>(dialog, "dpi"), "96");
        QTest::mouseClick(part<QCheckBox>(dialog, "keepDates"), Qt::LeftButton);
    }));
    EXPECT_TRUE(QFile::exists(windowSettings));
    // CULERT.txt keeps its two lines.
    EXPECT_EQ(readFile(settings), QByteArray(" 425 \r\n 321 "));

    form.reset();
    window();
    ASSERT_TRUE(withSettings(
        [](QDialog &dialog) {
            EXPECT_EQ(part<QComboBox>(dialog, "mode")->currentIndex(), 1);
            EXPECT_EQ(part<QSpinBox>(dialog, "longEdge")->value(), 640);
            EXPECT_EQ(part<QSpinBox>(dialog, "quality")->value(), 80);
            EXPECT_EQ(part<QLineEdit>(dialog, "maxSize")->text(), "2M");
            EXPECT_EQ(part<QSpinBox>(dialog, "dpi")->value(), 96);
            EXPECT_TRUE(part<QCheckBox>(dialog, "keepDates")->isChecked());
        },
        QDialogButtonBox::Cancel));

    // And the run goes by them: the long edge 640, the fields ignored.
    choosePhoto();
    window().Text3->clear();
    QTest::mouseClick(window().cmdStartConvertdz, Qt::LeftButton);
    const QString output = dir.file(QStringLiteral(u"pics/photo副本.bmp"));
    const QSize size = sizeOf(output);
    EXPECT_EQ(std::max(size.width(), size.height()), 640) << notices().back().text.toStdString();
}

TEST_F(SettingsWindow, ADamagedPresetsFileIsNamedAndLeftAsItIsWhileTheBuiltInsWork)
{
    QDir(dir.path()).mkpath("config");
    const QByteArray damaged = "{\"version\": 1, \"presets\": [{\"name\": \"mine\", \"settings\": {\"quality\": 900}}]}";
    writeFile(presets, damaged);
    window();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !notices().empty(); }, 2000));
    EXPECT_TRUE(notices()[0].text.contains(presets)) << notices()[0].text.toStdString();

    ASSERT_TRUE(withSettings([&](QDialog &dialog) {
        EXPECT_TRUE(part<QLabel>(dialog, "problem")->text().contains(presets));
        pickPreset(dialog, QStringLiteral(u"150×200"));
        // Saving into the damaged file is refused with a word.
        const size_t before = notices().size();
        retype(part<QLineEdit>(dialog, "newName"), QStringLiteral("small"));
        QTest::mouseClick(part<QPushButton>(dialog, "savePreset"), Qt::LeftButton);
        ASSERT_EQ(notices().size(), before + 1);
        EXPECT_TRUE(notices().back().text.contains(presets));
    }));
    EXPECT_EQ(window().Text3->text(), "150");
    EXPECT_EQ(window().Text4->text(), "200");
    EXPECT_EQ(readFile(presets), damaged);
}

TEST_F(SettingsWindow, PresetsAreSavedChosenForTheStartExportedAndImported)
{
    Form &w = window();
    w.Text3->setText("800");
    ASSERT_TRUE(withSettings([&](QDialog &dialog) {
        retype(part<QSpinBox>(dialog, "quality"), "70");
        retype(part<QLineEdit>(dialog, "newName"), QStringLiteral("shop"));
        QTest::mouseClick(part<QPushButton>(dialog, "savePreset"), Qt::LeftButton);
        EXPECT_EQ(part<QComboBox>(dialog, "preset")->currentText(), QStringLiteral("shop"));
        QTest::mouseClick(part<QCheckBox>(dialog, "atStart"), Qt::LeftButton);
        exportPath = dir.file("shared.json");
        QTest::mouseClick(part<QPushButton>(dialog, "exportPresets"), Qt::LeftButton);
    }));
    EXPECT_TRUE(notices().empty()) << notices().front().text.toStdString();
    const workflow::LoadedPresets stored = workflow::loadPresets(presets);
    ASSERT_EQ(stored.file.presets.size(), 1u);
    EXPECT_EQ(stored.file.start, QStringLiteral("shop"));
    EXPECT_EQ(stored.file.presets[0].settings.quality, 70);
    EXPECT_EQ(stored.file.presets[0].settings.width, 800);

    // The start preset comes back, whatever the window was left at.
    w.Text3->setText("100");
    form.reset();
    EXPECT_EQ(window().Text3->text(), "800");
    EXPECT_TRUE(window()->windowTitle().contains(QStringLiteral("shop")));

    // Exported, then imported into a fresh configuration.
    ASSERT_TRUE(workflow::importPresets(exportPath).value);
    form.reset();
    QFile::remove(presets);
    QFile::remove(windowSettings);
    window();
    dialogs.openAnswer = exportPath;
    ASSERT_TRUE(withSettings([&](QDialog &dialog) {
        QTest::mouseClick(part<QPushButton>(dialog, "importPresets"), Qt::LeftButton);
        pickPreset(dialog, QStringLiteral("shop"));
        EXPECT_EQ(part<QSpinBox>(dialog, "quality")->value(), 70);
    }));
    ASSERT_EQ(workflow::loadPresets(presets).file.presets.size(), 1u);
}

// The window's batch and tarvel-batch, given the same settings, write the same
// bytes: both go through settingsBox and settingsOptions.
TEST_F(BatchWindow, TheCommandLineToolWritesTheSameBytesForTheSameSettings)
{
    const QStringList photos = {"Wine_by_Jakkub_Mede.jpg", "Bridge_by_Sander_Klootwijk.jpg"};
    for (const QString &photo : photos)
        ASSERT_TRUE(QFile::copy("/usr/share/backgrounds/" + photo, dir.file("in/" + photo)));
    makePicture(dir.file("in/drawn.png"), 900, 700);
    Form &w = window();
    w.Option2->click();
    ASSERT_TRUE(withSettings(w, [](QDialog &dialog) {
        auto *mode = part<QComboBox>(dialog, "mode");
        mode->setFocus();
        QTest::keyClick(mode, Qt::Key_Down); // 长边
        retype(part<QSpinBox>(dialog, "longEdge"), "800");
        retype(part<QSpinBox>(dialog, "quality"), "85");
        QTest::mouseClick(part<QCheckBox>(dialog, "keepDates"), Qt::LeftButton);
    }));
    w.XPCombo2->SetListIndex(w.XPCombo2->ListCount() - 1); // the last format
    const QString format = w.XPCombo2->Text().mid(1);
    chooseFolders(w);
    w.cmdStartConvert_Click();
    ASSERT_EQ(notices().size(), 1u);
    EXPECT_EQ(notices()[0].kind, Notice::SelfClosing) << notices()[0].text.toStdString();

    QDir(dir.path()).mkdir("cli");
    std::FILE *sink = std::tmpfile();
    EXPECT_EQ(cli::runBatchTool({"--long-edge", "800", "--quality", "85", "--keep-dates", "--format", format, source,
                                 dir.file("cli")},
                                {sink, sink}, settings),
              cli::kAllConverted);
    std::fclose(sink);
    const QStringList outputs = QDir(output).entryList(QDir::Files);
    ASSERT_EQ(outputs.size(), 3);
    for (const QString &name : outputs) {
        const QByteArray fromWindow = readFile(dir.file("out/" + name));
        EXPECT_FALSE(fromWindow.isEmpty());
        EXPECT_EQ(fromWindow, readFile(dir.file("cli/" + name))) << name.toStdString();
        EXPECT_EQ(QFileInfo(dir.file("out/" + name)).lastModified(), QFileInfo(dir.file("cli/" + name)).lastModified());
    }
}

// A rename pattern names the batch's outputs; one that would give two
// pictures the same name is refused before anything is written.
TEST_F(BatchWindow, ARenamePatternNamesTheOutputsOrIsRefusedBeforeTheRun)
{
    makePicture(dir.file("in/a.png"), 90, 60);
    makePicture(dir.file("in/b.png"), 60, 90);
    Form &w = window();
    w.Option2->click();
    ASSERT_TRUE(withSettings(w, [](QDialog &dialog) { retype(part<QLineEdit>(dialog, "rename"), "photo"); }));
    chooseFolders(w);
    w.cmdStartConvert_Click();
    ASSERT_EQ(notices().size(), 1u);
    EXPECT_TRUE(notices()[0].text.contains(QStringLiteral("{name}"))) << notices()[0].text.toStdString();
    EXPECT_TRUE(QDir(output).isEmpty());

    ASSERT_TRUE(withSettings(w, [](QDialog &dialog) { retype(part<QLineEdit>(dialog, "rename"), "{name}_{w}x{h}"); }));
    w.cmdStartConvert_Click();
    EXPECT_EQ(QDir(output).entryList(QDir::Files), QStringList({"a_90x60.png", "b_60x90.png"}));
}

// The exam preset through the window's batch and its options through
// tarvel-batch: the same photos, the same bytes.
TEST_F(BatchWindow, TheExamPresetWritesTheSameBytesAsTarvelBatch)
{
    const QStringList photos = {"Wine_by_Jakkub_Mede.jpg", "Fossa_by_Jasper_Roks.jpg"};
    for (const QString &photo : photos)
        ASSERT_TRUE(QFile::copy("/usr/share/backgrounds/" + photo, dir.file("in/" + photo)));
    Form &w = window();
    w.Option2->click();
    ASSERT_TRUE(withSettings(w, [](QDialog &dialog) { pickPreset(dialog, QStringLiteral(u"295×413")); }));
    EXPECT_EQ(w.XPCombo2->Text(), ".jpg");
    chooseFolders(w);
    w.cmdStartConvert_Click();
    ASSERT_EQ(notices().size(), 1u);
    EXPECT_EQ(notices()[0].kind, Notice::SelfClosing) << notices()[0].text.toStdString();

    QDir(dir.path()).mkdir("cli");
    std::FILE *sink = std::tmpfile();
    EXPECT_EQ(cli::runBatchTool({"--fit", "fill", "--width", "295", "--height", "413", "--enlarge", "--format", "jpg",
                                 "--min-size", "20K", "--max-size", "50K", "--dpi", "300", source, dir.file("cli")},
                                {sink, sink}, settings),
              cli::kAllConverted);
    // And by the preset's own name.
    QDir(dir.path()).mkdir("preset");
    EXPECT_EQ(cli::runBatchTool({"--preset", "exam-295x413", source, dir.file("preset")}, {sink, sink}, settings),
              cli::kAllConverted);
    std::fclose(sink);
    for (const QString &photo : photos) {
        const QString name = QFileInfo(photo).completeBaseName() + ".jpg";
        EXPECT_EQ(readFile(dir.file("preset/" + name)), readFile(dir.file("out/" + name))) << name.toStdString();
        const QByteArray fromWindow = readFile(dir.file("out/" + name));
        EXPECT_EQ(sizeOf(dir.file("out/" + name)), QSize(295, 413));
        EXPECT_LE(fromWindow.size(), 50000);
        EXPECT_GE(fromWindow.size(), 20 * 1024);
        EXPECT_EQ(fromWindow, readFile(dir.file("cli/" + name))) << name.toStdString();
    }
}
