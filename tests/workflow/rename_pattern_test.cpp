// Rename patterns: parsed once, expanded per picture, and refused before a run
// whose pictures they could not name apart.
#include "workflow/rename_pattern.h"

#include "support/qt_printers.h"

#include <gtest/gtest.h>

using namespace workflow;

namespace {

RenamePattern pattern(const QString &text)
{
    const Parsed<RenamePattern> parsed = RenamePattern::parse(text);
    EXPECT_TRUE(parsed.value) << parsed.problem.toStdString();
    return parsed.value.value_or(RenamePattern{});
}

QStringList names(const RenamedRun &run)
{
    QStringList list;
    for (const OutputName &output : run.names)
        list << output.name;
    return list;
}

} // namespace

TEST(RenamePattern, FieldsExpandPerPictureAndBadPatternsAreRefusedWithTheirReason)
{
    EXPECT_EQ(pattern("{name}_{w}x{h}").expand("sub/IMG_1.JPG", {295, 413}, 7), "IMG_1_295x413");
    EXPECT_EQ(pattern("photo_{n:3}").expand("a.png", {1, 1}, 7), "photo_007");
    EXPECT_EQ(pattern("photo_{n:3}").expand("a.png", {1, 1}, 1234), "photo_1234");
    EXPECT_EQ(pattern("{n}-{ext}").expand("a.b.Png", {1, 1}, 12), "12-Png");
    EXPECT_EQ(pattern("{{{name}}}").expand("a.png", {1, 1}, 1), "{a}");
    EXPECT_EQ(pattern("证件照{n:2}").expand("a.png", {1, 1}, 3), "证件照03");

    for (const auto &[text, reason] : {std::pair{"", ""}, {"{size}", "{size}"}, {"{name", "{"}, {"name}", "}"},
                                       {"a/{name}", "/"}, {"{n:0}", "{n:0}"}, {"{n:10}", "{n:10}"}, {"{N}", "{N}"}}) {
        const Parsed<RenamePattern> parsed = RenamePattern::parse(QString::fromUtf8(text));
        EXPECT_FALSE(parsed.value) << text;
        EXPECT_TRUE(parsed.problem.contains(QString::fromUtf8(reason))) << text << ": " << parsed.problem.toStdString();
    }
}

TEST(RenamePattern, ARunIsNumberedByNameAndNamedApartOrRefusedBeforeItStarts)
{
    const std::vector<RenamedSource> run{{"b.jpg", {640, 480}}, {"a.jpg", {480, 640}}, {"c/d.png", {10, 10}}};
    // Numbered in the order of the names, whatever the listing's order.
    const RenamedRun numbered = renamedOutputNames(pattern("photo_{n:3}"), run, "jpg");
    EXPECT_EQ(numbered.problem, "");
    EXPECT_EQ(names(numbered), (QStringList{"photo_002.jpg", "photo_001.jpg", "c/photo_003.jpg"}));
    EXPECT_EQ(names(renamedOutputNames(pattern("{name}_{w}x{h}"), run, "")),
              (QStringList{"b_640x480.jpg", "a_480x640.jpg", "c/d_10x10.png"}));

    // a.jpg and a.png, told apart only by their extensions, get the rules a change of format follows.
    const std::vector<RenamedSource> twins{{"a.jpg", {5, 5}}, {"a.png", {5, 5}}};
    const RenamedRun converted = renamedOutputNames(pattern("{name}_{w}"), twins, "webp");
    EXPECT_EQ(names(converted), (QStringList{"a_5.jpg.webp", "a_5.png.webp"}));
    EXPECT_TRUE(converted.names[0].renamed);
    EXPECT_EQ(names(renamedOutputNames(pattern("{name}_{w}"), twins, "")), (QStringList{"a_5.jpg", "a_5.png"}));

    // Refused before the run, naming the pictures: two pictures under one name,
    // an empty name, a hidden one, one too long for the file system.
    const RenamedRun same = renamedOutputNames(pattern("photo"), run, "jpg");
    EXPECT_TRUE(same.names.empty());
    EXPECT_TRUE(same.problem.contains("a.jpg") && same.problem.contains("b.jpg")) << same.problem.toStdString();
    const std::vector<RenamedSource> sizes{{"x.jpg", {100, 80}}, {"y.jpg", {100, 80}}};
    EXPECT_NE(renamedOutputNames(pattern("{w}x{h}"), sizes, "").problem, "");
    EXPECT_EQ(renamedOutputNames(pattern("{w}x{h}"), {{"x.jpg", {100, 80}}, {"y.jpg", {80, 100}}}, "").problem, "");
    EXPECT_NE(renamedOutputNames(pattern("{ext}"), {{"noext", {1, 1}}}, "").problem, "");
    EXPECT_TRUE(renamedOutputNames(pattern(".{name}"), run, "").problem.contains(".a"));
    EXPECT_NE(renamedOutputNames(pattern(QString(252, u'x') + "{n}"), run, "jpg").problem, "");
    EXPECT_EQ(renamedOutputNames(pattern(QString(240, u'x') + "{n}"), run, "jpg").problem, "");
}
