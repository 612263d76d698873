#include "controls/xp_combo_list.h"

#include "support/qt_printers.h"

#include <gtest/gtest.h>

using controls::XPComboList;

namespace {

// A list with tags on holding "t0=i0" ... for `count` items.
XPComboList taggedList(int count)
{
    XPComboList list;
    list.setTagCode(true);
    for (int i = 0; i < count; ++i)
        list.addItem(QStringLiteral("t%1=i%1").arg(i));
    return list;
}

} // namespace

TEST(XPComboList, TaggedItemShowsItsTextAndKeepsItsTag)
{
    XPComboList list;
    list.setTagCode(true);
    EXPECT_EQ(list.addItem(QStringLiteral(" jp = JPEG picture ")), 0);
    EXPECT_EQ(list.items(), QStringList{"JPEG picture"});
    EXPECT_EQ(list.item(0), "jp=JPEG picture");
    EXPECT_EQ(list.selectedTag(), ""); // nothing selected yet
    list.setListIndex(0);
    EXPECT_EQ(list.selectedTag(), "jp");

    // Items without a tag are their own tag.
    list.addItem(QStringLiteral("=abc"));
    list.addItem(QStringLiteral("abc="));
    EXPECT_EQ(list.item(1), "abc=abc");
    EXPECT_EQ(list.item(2), "abc=abc");

    // Nothing is left of these after splitting.
    EXPECT_FALSE(list.addItem(QStringLiteral("=")));
    EXPECT_FALSE(list.addItem(QStringLiteral("   ")));
    EXPECT_EQ(list.count(), 3);

    list.setTagCode(false);
    EXPECT_EQ(list.selectedTag(), "");
    EXPECT_EQ(list.item(0), "JPEG picture");
}

TEST(XPComboList, WithoutTagsItemsAreKeptAsGiven)
{
    XPComboList list;
    list.addItem(QStringLiteral(" a=b "));
    EXPECT_FALSE(list.addItem(QString()));
    EXPECT_EQ(list.items(), QStringList{" a=b "});
    EXPECT_EQ(list.item(), " a=b ");
}

TEST(XPComboList, AddItemInsertsOrAppendsByIndex)
{
    XPComboList list;
    list.addItem("b");
    EXPECT_EQ(list.addItem("a", -5), 0);
    EXPECT_EQ(list.addItem("c", 2), 2); // one past the last position appends
    EXPECT_EQ(list.addItem("d", 99), 3);
    EXPECT_EQ(list.addItem("x", 1), 1);
    EXPECT_EQ(list.items(), QStringList({"a", "x", "b", "c", "d"}));
    EXPECT_EQ(list.listIndex(), -1) << "adding selects nothing by itself";
}

TEST(XPComboList, InsertingMovesTheTagsBehindUp)
{
    XPComboList list = taggedList(3);
    list.addItem("tx=x", 1);
    EXPECT_EQ(list.item(0), "t0=i0");
    EXPECT_EQ(list.item(1), "tx=x");
    EXPECT_EQ(list.item(2), "t1=i1");
    EXPECT_EQ(list.item(3), "t2=i2");
    EXPECT_EQ(list.lastTagIndex(), 3);
}

TEST(XPComboList, InsertingIntoAFullTagTableDropsTheLastTag)
{
    XPComboList list = taggedList(100);
    list.addItem("tx=x", 0);
    EXPECT_EQ(list.item(0), "tx=x");
    EXPECT_EQ(list.item(99), "t98=i98");
    EXPECT_EQ(list.item(100), "i99") << "position 100 carries no tag";
    EXPECT_EQ(list.lastTagIndex(), 99);
}

TEST(XPComboList, InsertingPastTheTagSlotsLeavesEveryTag)
{
    XPComboList list = taggedList(120);
    list.addItem("tx=x", 105);
    EXPECT_EQ(list.items()[105], "x");
    EXPECT_EQ(list.item(99), "t99=i99");
    EXPECT_EQ(list.item(98), "t98=i98");
    EXPECT_EQ(list.item(105), "x");
}

TEST(XPComboList, InsertedTagGoesToTheItemsOwnSlotBehindTheUsedOnes)
{
    // Items added while tags were off use no slot; the first tagged insertion
    // must not hand its tag to the first item.
    XPComboList list;
    list.addItem("a");
    list.addItem("b");
    list.addItem("c");
    list.setTagCode(true);
    list.addItem("tx=x", 2);
    EXPECT_EQ(list.item(2), "tx=x");
    EXPECT_EQ(list.item(0), "=a");
    EXPECT_EQ(list.lastTagIndex(), 2);
}

TEST(XPComboList, UpdateItemReplacesTextAndTagInRangeOnly)
{
    XPComboList list = taggedList(3);
    EXPECT_TRUE(list.updateItem(" ty = y ", 1));
    EXPECT_EQ(list.item(1), "ty=y");
    EXPECT_EQ(list.items()[1], "y");

    EXPECT_FALSE(list.updateItem("z", -1));
    EXPECT_FALSE(list.updateItem("z", 3));
    EXPECT_EQ(list.items(), QStringList({"i0", "y", "i2"}));

    list.setTagCode(false);
    list.updateItem("tq=q", 0);
    EXPECT_EQ(list.items()[0], "tq=q");
}

TEST(XPComboList, UpdateItemBehindTheUsedSlotsKeepsTheItemWhole)
{
    XPComboList list;
    list.addItem("a");
    list.addItem("b");
    list.setTagCode(true);
    list.updateItem("k=v", 1); // slot 1 was never used
    EXPECT_EQ(list.items()[1], "k=v");
}

TEST(XPComboList, GetItemPositions)
{
    XPComboList list;
    EXPECT_EQ(list.item(), "");
    EXPECT_EQ(list.item(0), "");
    list.addItem("a");
    list.addItem("b");
    EXPECT_EQ(list.item(), "b");
    EXPECT_EQ(list.item(-3), "a");
    EXPECT_EQ(list.item(2), "");
}

TEST(XPComboList, RemovingMovesTheTagsBehindDown)
{
    XPComboList list = taggedList(4);
    EXPECT_TRUE(list.removeItem(1));
    EXPECT_EQ(list.item(0), "t0=i0");
    EXPECT_EQ(list.item(1), "t2=i2");
    EXPECT_EQ(list.item(2), "t3=i3");

    EXPECT_TRUE(list.removeItem()); // the last one
    EXPECT_EQ(list.items(), QStringList({"i0", "i2"}));
    EXPECT_TRUE(list.removeItem(-1)); // the first one
    EXPECT_EQ(list.item(0), "t2=i2");
}

TEST(XPComboList, RemovingPastTheEndRemovesNothingAndMovesNoTag)
{
    XPComboList list = taggedList(3);
    list.setListIndex(1);
    EXPECT_FALSE(list.removeItem(3));
    EXPECT_FALSE(list.removeItem(50));
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.item(0), "t0=i0");
    EXPECT_EQ(list.item(1), "t1=i1");
    EXPECT_EQ(list.item(2), "t2=i2");
    EXPECT_EQ(list.listIndex(), 1);

    XPComboList empty;
    EXPECT_FALSE(empty.removeItem());
    EXPECT_FALSE(empty.removeItem(0));
}

TEST(XPComboList, ItemMovingIntoTheLastSlotDoesNotInheritAnotherTag)
{
    XPComboList list = taggedList(120);
    list.removeItem(0);
    EXPECT_EQ(list.item(98), "t99=i99");
    EXPECT_EQ(list.item(99), "i100=i100") << "i100 had no tag and is its own tag now";
    int start = 0;
    EXPECT_TRUE(list.selectByTag("t99", start));
    EXPECT_EQ(list.listIndex(), 98);
    EXPECT_FALSE(list.selectByTag("t99", start)) << "t99 belongs to one item only";
}

TEST(XPComboList, RemovingFollowsTheSelection)
{
    XPComboList list = taggedList(4);
    list.setListIndex(2);
    list.removeItem(0);
    EXPECT_EQ(list.listIndex(), 1);
    EXPECT_EQ(list.selectedText(), "i2");
    list.removeItem(1);
    EXPECT_EQ(list.listIndex(), -1);
    list.setListIndex(0);
    list.removeItem(1);
    EXPECT_EQ(list.listIndex(), 0);
}

TEST(XPComboList, ClearEmptiesListAndFreesTheSlots)
{
    XPComboList list = taggedList(5);
    list.setListIndex(3);
    list.clear();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.listIndex(), -1);
    EXPECT_EQ(list.lastTagIndex(), 0);
    list.addItem("n=new");
    EXPECT_EQ(list.item(0), "n=new");
}

TEST(XPComboList, ListIndexAcceptsPositionsAndMinusOneOnly)
{
    XPComboList list = taggedList(2);
    EXPECT_TRUE(list.setListIndex(1));
    EXPECT_EQ(list.selectedText(), "i1");
    EXPECT_FALSE(list.setListIndex(2));
    EXPECT_FALSE(list.setListIndex(-2));
    EXPECT_EQ(list.listIndex(), 1);
    EXPECT_TRUE(list.setListIndex(-1));
    EXPECT_EQ(list.selectedText(), "");
}

TEST(XPComboList, SelectByTagContinuesAndStartsOverAfterTheLast)
{
    XPComboList list;
    list.setTagCode(true);
    for (const char *item : {"jp=JPEG", "png=PNG", "JP=Other JPEG", "gif=GIF"})
        list.addItem(item);

    int start = 0;
    EXPECT_TRUE(list.selectByTag(" JP ", start));
    EXPECT_EQ(list.listIndex(), 0);
    EXPECT_EQ(start, 1);
    EXPECT_TRUE(list.selectByTag("jp", start));
    EXPECT_EQ(list.listIndex(), 2);
    EXPECT_EQ(start, 3);
    // No wrap-around within one call: nothing from position 3 on.
    EXPECT_FALSE(list.selectByTag("jp", start));
    EXPECT_EQ(list.listIndex(), -1);
    EXPECT_EQ(start, 3) << "not found leaves the start alone";

    EXPECT_TRUE(list.selectByTag("gif", start));
    EXPECT_EQ(start, 0) << "after the last position the next search starts over";
    EXPECT_TRUE(list.selectByTag("jp", start));
    EXPECT_EQ(list.listIndex(), 0);

    start = 17; // past the last position: from the start
    EXPECT_TRUE(list.selectByTag("png", start));
    EXPECT_EQ(list.listIndex(), 1);
    start = -4;
    EXPECT_TRUE(list.selectByTag("png", start));

    start = 0;
    EXPECT_FALSE(list.selectByTag("   ", start));
    EXPECT_EQ(list.listIndex(), -1);
}

TEST(XPComboList, SelectByTagDoesNotReachPastTheTagSlots)
{
    XPComboList list = taggedList(100);
    list.addItem("far=away"); // position 100
    int start = 0;
    EXPECT_FALSE(list.selectByTag("far", start));
    EXPECT_TRUE(list.selectByTag("T99", start));
    EXPECT_EQ(list.listIndex(), 99);
    EXPECT_EQ(start, 0);
}
