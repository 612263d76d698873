// The batch workflow over pictures of every shape and format: each converts at
// exactly its fitted size, with and without enlarging.
#include "workflow/batch_workflow.h"

#include "probe/read_picture_size.h"
#include "client/save_scaled_picture.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <algorithm>
#include <atomic>

#include <gtest/gtest.h>

using namespace workflow;

TEST(BatchWorkflow, EveryShapeConvertsAtItsFittedSizeInEveryFormat)
{
    // 1 x 1 spacers, lines, and shapes whose JPEG shrink-on-load once asked
    // libvips for a side of 0 and brought the whole program down.
    const std::vector<QSize> shapes{{1, 1}, {1, 300}, {300, 1}, {3, 4000}, {8200, 1}, {2, 20000}};
    const QStringList formats{"jpg", "png", "gif", "tif", "bmp", "tga"};
    TempDir dir;
    QDir(dir.path()).mkpath("in");
    imaging::ConversionWorker maker;
    for (const QSize &shape : shapes) {
        QImage image(shape, QImage::Format_RGB32);
        image.fill(QColor(40, 160, 90));
        const QString png = dir.file(QStringLiteral("%1x%2.source.png").arg(shape.width()).arg(shape.height()));
        ASSERT_TRUE(image.save(png));
        for (const QString &format : formats) {
            const QString name = QStringLiteral("%1x%2.%3").arg(shape.width()).arg(shape.height()).arg(format);
            // ImageMagick, which writes the program's BMPs, refuses sides
            // over 16000; outputs never have them, these sources do.
            if (format == QLatin1String("bmp")) {
                ASSERT_TRUE(image.save(dir.file("in/" + name)));
                continue;
            }
            ASSERT_EQ(
                imaging::convertPicture(maker, png, dir.file("in/" + name), shape.width(), shape.height(), 0xFFFFFF)
                    .status,
                imaging::ConversionStatus::Converted)
                << name.toStdString();
        }
    }
    maker.shutDown();

    const WorkList listing = scanBatchFolder(dir.file("in"));
    ASSERT_EQ(listing.size(), shapes.size() * formats.size());
    for (const bool enlarge : {false, true}) {
        const QString out = dir.file(enlarge ? "enlarged" : "fitted");
        QDir(dir.path()).mkpath(out);
        const TargetSizeTable targets = ComputeTargetSizes(listing, 1024, 768, enlarge);
        const BatchSummary summary = runBatch({dir.file("in"), out}, listing, {1024, 768, enlarge}, {2, 0xFFFFFF, {}});
        EXPECT_TRUE(summary.failures.empty()) << summary.failures.front().name.toStdString();
        for (std::size_t i = 0; i < listing.size(); ++i) {
            const TargetSize fitted = targets[i];
            const imaging::PictureSize written = imaging::ReadPictureSize(out + '/' + listing[i].name);
            EXPECT_EQ(QSize(written.Width, written.Height), QSize(fitted.width, fitted.height))
                << listing[i].name.toStdString() << (enlarge ? " enlarged" : "");
            EXPECT_GE(fitted.width, 1);
            EXPECT_GE(fitted.height, 1);
        }
    }
}

TEST(BatchWorkflow, AStoppedScanListsOnlyThePicturesItRead)
{
    TempDir dir;
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(Qt::gray);
    for (const char *name : {"a.png", "b.png", "c.png", "d.png"})
        ASSERT_TRUE(image.save(dir.file(QString::fromLatin1(name))));

    std::atomic<bool> stop{false};
    const WorkList cut = scanBatchFolder(
        dir.path(),
        [&](int done, int) {
            if (done == 2)
                stop = true;
        },
        &stop);
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(cut[1].size, (imaging::PictureSize{30, 20}));
    EXPECT_TRUE(scanBatchFolder(dir.path(), {}, &stop).empty());
}

TEST(BatchWorkflow, APictureReplacedAfterListingIsFittedAsItIsWhenConverted)
{
    TempDir dir;
    QDir(dir.path()).mkpath("in");
    QDir(dir.path()).mkpath("out");
    auto picture = [&](const QString &name, int width, int height) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(QColor(200, 80, 40));
        ASSERT_TRUE(image.save(dir.file("in/" + name)));
    };
    for (const char *name : {"wide.png", "tall.jpg", "words.png", "huge.png"})
        picture(name, 800, 600);
    const WorkList listing = scanBatchFolder(dir.file("in"));
    ASSERT_EQ(ComputeTargetSizes(listing, 400, 300, false), TargetSizeTable(4, TargetSize{400, 300}));

    // Between the listing and the conversion every file is replaced: two by
    // pictures of other shapes, one by text, one by a header declaring 40000
    // x 40000 pixels.
    picture("wide.png", 1200, 300);
    picture("tall.jpg", 300, 1200);
    QFile words(dir.file("in/words.png"));
    EXPECT_TRUE(words.open(QIODevice::WriteOnly | QIODevice::Truncate) && words.write("no picture"));
    words.close();
    QFile huge(dir.file("in/huge.png"));
    EXPECT_TRUE(huge.open(QIODevice::ReadWrite) && huge.seek(16)
                && huge.write(QByteArray("\0\0\x9C\x40\0\0\x9C\x40", 8)));
    huge.close();
    const BatchSummary summary
        = runBatch({dir.file("in"), dir.file("out")}, listing, {400, 300, false}, {2, 0xFFFFFF, {}});

    EXPECT_EQ(imaging::ReadPictureSize(dir.file("out/wide.png")), (imaging::PictureSize{400, 100}));
    EXPECT_EQ(imaging::ReadPictureSize(dir.file("out/tall.jpg")), (imaging::PictureSize{75, 300}));
    EXPECT_EQ(summary.converted, 2);
    ASSERT_EQ(summary.failures.size(), 2u);
    for (const BatchFailure &failure : summary.failures) {
        ASSERT_TRUE(failure.result);
        EXPECT_EQ(failure.result->status,
                  failure.name == "words.png" ? ConversionStatus::NoSize : ConversionStatus::TooLarge)
            << failure.name.toStdString();
    }
    EXPECT_EQ(QDir(dir.file("out")).entryList(QDir::Files), QStringList({"tall.jpg", "wide.png"}));
}

TEST(BatchWorkflow, EachPictureGoesToItsOutputNameAndTheRenamedConvertedOnesAreSummedUp)
{
    const WorkList items{
        {"a.png", {300, 200}}, {"sub/a.jpg", {200, 300}}, {"a.jpg", {20, 30}}, {"b.gif", {5, 5}}, {"b.bmp", {5, 5}}};
    QStringList names;
    for (const WorkItem &item : items)
        names << item.name;
    const BatchRequest request{"/in", "/out", batchOutputNames(names, "png")};
    const std::vector<ConversionJob> jobs = batchJobs(request, items, {100, 100, false});
    ASSERT_EQ(jobs.size(), 5u);
    EXPECT_EQ(jobs[0].source, "/in/a.png");
    EXPECT_EQ(jobs[0].target, "/out/a.png");
    EXPECT_EQ(jobs[1].target, "/out/sub/a.png");
    EXPECT_EQ(jobs[2].source, "/in/a.jpg");
    EXPECT_EQ(jobs[2].target, "/out/a.jpg.png");
    EXPECT_EQ(jobs[3].target, "/out/b.gif.png");
    EXPECT_EQ(jobs[4].target, "/out/b.bmp.png");
    // b.gif fails, b.bmp is never started.
    ConversionRun run;
    run.results = {ConversionResult{}, ConversionResult{}, ConversionResult{},
                   ConversionResult{ConversionStatus::Damaged, {}, {}, {}}, std::nullopt};
    const BatchSummary summary = summarise(request, items, run);
    EXPECT_EQ(summary.converted, 3);
    ASSERT_EQ(summary.failures.size(), 2u);
    EXPECT_EQ(summary.failures[0].name, "b.gif");
    EXPECT_FALSE(summary.failures[1].result.has_value());
    EXPECT_EQ(summary.results.size(), 5u);
    // Only what was written is told: b.gif and b.bmp were renamed, not written.
    ASSERT_EQ(summary.renamed.size(), 1u);
    EXPECT_EQ(summary.renamed[0].name, "a.jpg");
    EXPECT_EQ(summary.renamed[0].output, "a.jpg.png");

    // Without output names every picture keeps its own.
    const std::vector<ConversionJob> own = batchJobs({"/in", "/out"}, items, {100, 100, false});
    EXPECT_EQ(own[2].target, "/out/a.jpg");
    EXPECT_EQ(own[3].target, "/out/b.gif");
}

TEST(BatchWorkflow, TheRunTellsEachPictureAsItEndsAndSumsUpEveryResultAfterAStop)
{
    TempDir dir;
    QDir(dir.path()).mkpath("in");
    QDir(dir.path()).mkpath("out");
    QImage image(60, 40, QImage::Format_RGB32);
    image.fill(QColor(20, 90, 200));
    for (const char *name : {"a.png", "b.png", "c.png", "d.png"})
        ASSERT_TRUE(image.save(dir.file(QStringLiteral("in/") + QLatin1String(name))));
    const WorkList listing = scanBatchFolder(dir.file("in"));
    ASSERT_EQ(listing.size(), 4u);

    // One picture at a time: the stop set as the second one ends starts no third.
    std::atomic<bool> stop{false};
    std::vector<std::size_t> told;
    const BatchSummary summary = runBatch(
        {dir.file("in"), dir.file("out")}, listing, {30, 30, false}, {1, 0xFFFFFF, {}},
        {[&](std::size_t index, const ConversionResult &result) {
             EXPECT_TRUE(result.converted());
             told.push_back(index);
             if (told.size() == 2)
                 stop = true;
         },
         &stop});
    ASSERT_EQ(summary.results.size(), 4u);
    EXPECT_EQ(told.size(), 2u);
    for (std::size_t i = 0; i < 4; ++i) {
        const bool ran = std::find(told.begin(), told.end(), i) != told.end();
        EXPECT_EQ(summary.results[i].has_value(), ran) << i;
        if (ran) {
            EXPECT_EQ(summary.results[i]->target, (imaging::PictureSize{30, 20}));
        }
    }
    EXPECT_EQ(summary.converted, 2);
    EXPECT_EQ(summary.failures.size(), 2u);
    EXPECT_EQ(QDir(dir.file("out")).entryList(QDir::Files).size(), 2);
}
