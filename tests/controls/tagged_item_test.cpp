#include "controls/tagged_item.h"

#include "support/qt_printers.h"

#include <gtest/gtest.h>

using controls::splitTaggedItem;

TEST(TaggedItem, SplitsAtTheFirstEqualsSign)
{
    const auto item = splitTaggedItem(u"  jp = JPEG = picture  ");
    EXPECT_TRUE(item.hasTag);
    EXPECT_EQ(item.tag, "jp");
    EXPECT_EQ(item.text, "JPEG = picture");
}

TEST(TaggedItem, EqualsSignAtAnEndMakesAnUntaggedItem)
{
    for (const char16_t *source : {u"=abc", u"abc=", u" =abc ", u"abc", u"  abc  "}) {
        const auto item = splitTaggedItem(source);
        EXPECT_FALSE(item.hasTag) << QString::fromUtf16(source).toStdString();
        EXPECT_EQ(item.tag, "abc");
        EXPECT_EQ(item.text, "abc");
    }
    EXPECT_EQ(splitTaggedItem(u"=").text, "");
    EXPECT_EQ(splitTaggedItem(u"a==").text, "a=") << "only one trailing sign goes";
}
