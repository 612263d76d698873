#include "platform/property_bag.h"

#include <QColor>

#include <gtest/gtest.h>

using platform::PropertyBag;

TEST(PropertyBag, ValuesEqualToTheirDefaultAreNotStored)
{
    PropertyBag bag;
    bag.write("Max", 100, 100);
    bag.write("Scrolling", 1, 0);
    bag.write("Caption", QString(), QString());
    EXPECT_EQ(bag.names(), QStringList{"Scrolling"});
    EXPECT_EQ(bag.read("Scrolling", 0), 1);
    EXPECT_EQ(bag.read("Max", 100), 100);
    EXPECT_EQ(bag.read("Missing", 7), 7);

    // Writing the default later removes the stored value again.
    bag.write("Scrolling", 0, 0);
    EXPECT_TRUE(bag.isEmpty());
}

TEST(PropertyBag, KeepsFirstWriteOrderAndReplacesValues)
{
    PropertyBag bag;
    bag.write("Color", 0x316AC5, 0x8000000D);
    bag.write("Value", 5, 0);
    bag.write("Color", 0x123456, 0x8000000D);
    EXPECT_EQ(bag.names(), QStringList({"Color", "Value"}));
    EXPECT_EQ(bag.read("Color"), 0x123456);
    EXPECT_TRUE(bag.contains("Value"));
    EXPECT_FALSE(bag.contains("Max"));
}
