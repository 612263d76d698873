// Exact output sizes against Pillow's ImageOps.fit and ImageOps.pad, over many
// sizes and every anchor, and what each mode gives where it may not enlarge.
#include "imaging/exact_size.h"

#include "support/programs.h"
#include "support/temp_dir.h"

#include <QFile>
#include <QTextStream>

#include "support/qt_printers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace imaging;

namespace {

constexpr Anchor kAnchors[] = {Anchor::Centre, Anchor::Top, Anchor::Bottom, Anchor::Left, Anchor::Right,
                               Anchor::TopLeft, Anchor::TopRight, Anchor::BottomLeft, Anchor::BottomRight};

struct Case {
    PictureSize size;
    std::int32_t width, height;
    Anchor anchor;
};

std::vector<Case> manyCases()
{
    std::vector<Case> cases;
    std::mt19937 random(30);
    std::uniform_int_distribution<std::int32_t> side(1, 1600), boxSide(1, 700);
    for (const Anchor anchor : kAnchors) {
        // The sizes published forms ask for, from pictures of a camera's, a phone's and odd shapes.
        for (const PictureSize size : {PictureSize{4000, 3000}, {3000, 4000}, {1080, 1920}, {295, 413}, {590, 826},
                                       {1, 1000}, {1000, 1}, {7, 3}})
            for (const auto &[w, h] : {std::pair{295, 413}, {413, 579}, {390, 567}, {150, 200}, {480, 640}, {1920, 1080}})
                cases.push_back({size, w, h, anchor});
        for (int i = 0; i < 60; ++i)
            cases.push_back({{side(random), side(random)}, boxSide(random), boxSide(random), anchor});
    }
    return cases;
}

} // namespace

TEST(ExactSize, FillAndPadPlaceThePictureAsPillowsImageOpsDoes)
{
    const std::vector<Case> cases = manyCases();
    TempDir dir;
    const QString list = dir.file("cases.txt");
    {
        QFile file(list);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        QTextStream out(&file);
        for (const Case &c : cases)
            out << c.size.Width << ' ' << c.size.Height << ' ' << c.width << ' ' << c.height << ' '
                << horizontalHalves(c.anchor) << ' ' << verticalHalves(c.anchor) << '\n';
    }
    const QStringList lines = runProgram(PILLOW_EXACT_GEOMETRY, {list}).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), qsizetype(cases.size()));
    int thin = 0;

    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case &c = cases[i];
        const QStringList v = lines[qsizetype(i)].split(' ');
        SCOPED_TRACE(lines[qsizetype(i)].toStdString() + " for " + std::to_string(c.size.Width) + "x" +
                     std::to_string(c.size.Height) + " into " + std::to_string(c.width) + "x" +
                     std::to_string(c.height) + " anchor " + std::to_string(int(c.anchor)));

        // Pad: the same fitted size and the same place, to the pixel. Where
        // the fitted side of a thin picture rounds to 0, Pillow fails; the
        // program keeps a line of one pixel.
        const ExactGeometry pad = exactGeometry(c.size, {c.width, c.height, ExactFit::Pad, c.anchor, true});
        if (v[6] == "none") {
            EXPECT_TRUE(pad.scaled.Width == 1 || pad.scaled.Height == 1);
            ++thin;
        } else {
            EXPECT_EQ(pad.atX, v[6].toInt());
            EXPECT_EQ(pad.atY, v[7].toInt());
            EXPECT_EQ(pad.scaled, (PictureSize{v[8].toInt(), v[9].toInt()}));
            EXPECT_EQ(pad.kept, (PixelRect{0, 0, pad.scaled.Width, pad.scaled.Height}));
        }

        // Fill: Pillow resamples a crop box with fractional edges; the program
        // scales the whole picture to whole pixels and crops whole pixels of
        // it, so its cut lies within a pixel of Pillow's.
        const ExactGeometry fill = exactGeometry(c.size, {c.width, c.height, ExactFit::Fill, c.anchor, true});
        const double sx = double(fill.scaled.Width) / c.size.Width, sy = double(fill.scaled.Height) / c.size.Height;
        const double left = v[1].toDouble() * sx, top = v[2].toDouble() * sy;
        const double right = v[3].toDouble() * sx, bottom = v[4].toDouble() * sy;
        EXPECT_LE(std::abs(fill.kept.x - left), 1.0);
        EXPECT_LE(std::abs(fill.kept.y - top), 1.0);
        EXPECT_LE(std::abs(fill.kept.x + fill.kept.width - right), 1.0);
        EXPECT_LE(std::abs(fill.kept.y + fill.kept.height - bottom), 1.0);
        EXPECT_EQ(fill.kept.width, c.width);
        EXPECT_EQ(fill.kept.height, c.height);
        EXPECT_FALSE(fill.hasBorders());
        EXPECT_TRUE(fill.scaled.Width == c.width || fill.scaled.Height == c.height);
    }
    // Only pictures of a side of one pixel or so, not the many.
    EXPECT_LT(thin, int(cases.size()) / 10);
}

TEST(ExactSize, EveryModeGivesExactlyTheBoxAndEnlargesOnlyWhenAsked)
{
    for (const Case &c : manyCases())
        for (const ExactFit fit : {ExactFit::Fill, ExactFit::Pad, ExactFit::Stretch})
            for (const bool enlarge : {false, true}) {
                SCOPED_TRACE(std::to_string(c.size.Width) + "x" + std::to_string(c.size.Height) + " into " +
                             std::to_string(c.width) + "x" + std::to_string(c.height) + " fit " +
                             std::to_string(int(fit)) + (enlarge ? " enlarged" : ""));
                const ExactGeometry g = exactGeometry(c.size, {c.width, c.height, fit, c.anchor, enlarge});
                EXPECT_EQ(g.canvas, (PictureSize{c.width, c.height}));
                // The kept part lies inside the scaled picture and on the canvas.
                EXPECT_GE(g.kept.x, 0);
                EXPECT_GE(g.kept.y, 0);
                EXPECT_GE(g.kept.width, 1);
                EXPECT_GE(g.kept.height, 1);
                EXPECT_LE(g.kept.x + g.kept.width, g.scaled.Width);
                EXPECT_LE(g.kept.y + g.kept.height, g.scaled.Height);
                EXPECT_LE(g.atX + g.kept.width, c.width);
                EXPECT_LE(g.atY + g.kept.height, c.height);
                // Cropped on an axis or bordered on it, never both.
                EXPECT_TRUE(g.kept.x == 0 || g.atX == 0);
                EXPECT_TRUE(g.kept.y == 0 || g.atY == 0);
                if (!enlarge) {
                    EXPECT_LE(g.scaled.Width, std::max(c.size.Width, 1));
                    EXPECT_LE(g.scaled.Height, std::max(c.size.Height, 1));
                }
                if (fit == ExactFit::Stretch && enlarge) {
                    EXPECT_EQ(g.scaled, (PictureSize{c.width, c.height}));
                }
            }
}

TEST(ExactSize, APictureSmallerThanTheBoxIsCroppedOrBorderedAtItsOwnSize)
{
    // An exam photo taken too small for 295 x 413: not enlarged, centred on the border.
    EXPECT_EQ(exactGeometry({200, 300}, {295, 413, ExactFit::Pad, Anchor::Centre, false}),
              (ExactGeometry{{200, 300}, {0, 0, 200, 300}, 48, 56, {295, 413}}));
    // Narrower but taller: fill keeps its size, crops the height at the anchor,
    // borders the width (47.5 rounds to the even 48).
    EXPECT_EQ(exactGeometry({200, 1000}, {295, 413, ExactFit::Fill, Anchor::Top, false}),
              (ExactGeometry{{200, 1000}, {0, 0, 200, 413}, 48, 0, {295, 413}}));
    EXPECT_EQ(exactGeometry({200, 1000}, {295, 413, ExactFit::Fill, Anchor::BottomRight, false}),
              (ExactGeometry{{200, 1000}, {0, 587, 200, 413}, 95, 0, {295, 413}}));
    // Stretch scales down only the side longer than the box.
    EXPECT_EQ(exactGeometry({200, 1000}, {295, 413, ExactFit::Stretch, Anchor::Left, false}),
              (ExactGeometry{{200, 413}, {0, 0, 200, 413}, 0, 0, {295, 413}}));
    // Large enough: the usual cover, cropped at the centre.
    EXPECT_EQ(exactGeometry({3000, 4000}, {295, 413, ExactFit::Fill, Anchor::Centre, false}),
              (ExactGeometry{{310, 413}, {8, 0, 295, 413}, 0, 0, {295, 413}}));
    EXPECT_EQ(exactGeometry({0, 4000}, {295, 413, ExactFit::Fill, Anchor::Centre, true}), ExactGeometry{});
}
