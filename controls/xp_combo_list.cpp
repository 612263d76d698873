#include "controls/xp_combo_list.h"

#include "controls/tagged_item.h"

#include <algorithm>

namespace controls {

namespace {
constexpr int kLastSlot = XPComboList::kTagSlots - 1;
}

bool XPComboList::setListIndex(int index)
{
    if (index < -1 || index >= count())
        return false;
    m_listIndex = index;
    return true;
}

QString XPComboList::selectedText() const { return m_listIndex >= 0 ? m_items[m_listIndex] : QString(); }

QString XPComboList::tag(int slot) const { return slot >= 0 && slot < kTagSlots ? m_tags[slot] : QString(); }

std::optional<int> XPComboList::addItem(const QString &item, std::optional<int> index)
{
    TaggedItem split{item, item, false};
    if (m_tagCode)
        split = splitTaggedItem(item);
    if (split.text.isEmpty())
        return std::nullopt;

    const int at = index ? std::max(*index, 0) : count();
    if (at >= count()) {
        m_items.append(split.text);
        const int position = count() - 1;
        if (m_tagCode && position <= kLastSlot) {
            m_tags[position] = split.tag;
            m_lastTagIndex = position;
        }
        return position;
    }
    m_items.insert(at, split.text);
    if (m_tagCode)
        insertTag(at, split.tag);
    return at;
}

void XPComboList::insertTag(int position, const QString &tag)
{
    // Positions past the tag slots carry no tag, and inserting there moves none.
    if (position > kLastSlot)
        return;
    if (position > m_lastTagIndex) {
        // No used slot lies at or behind the new item, so nothing moves; the tag
        // goes to the item's own slot rather than to the last used one.
        m_tags[position] = tag;
        m_lastTagIndex = position;
        return;
    }
    for (int slot = m_lastTagIndex; slot >= position; --slot) {
        if (slot < kLastSlot)
            m_tags[slot + 1] = m_tags[slot];
    }
    m_tags[position] = tag;
    m_lastTagIndex = std::min(m_lastTagIndex + 1, kLastSlot);
}

bool XPComboList::updateItem(const QString &item, int index)
{
    if (index < 0 || index >= count())
        return false;
    if (m_tagCode && index <= m_lastTagIndex && index <= kLastSlot) {
        const TaggedItem split = splitTaggedItem(item);
        m_items[index] = split.text;
        m_tags[index] = split.tag;
    } else {
        m_items[index] = item;
    }
    return true;
}

QString XPComboList::item(std::optional<int> index) const
{
    if (m_items.isEmpty())
        return {};
    const int at = index ? std::max(*index, 0) : count() - 1;
    if (at >= count())
        return {};
    if (m_tagCode && at <= kLastSlot)
        return m_tags[at] + u'=' + m_items[at];
    return m_items[at];
}

bool XPComboList::removeItem(std::optional<int> index)
{
    if (m_items.isEmpty())
        return false;
    const int at = index ? std::max(*index, 0) : count() - 1;
    // Past the end nothing is removed, so no tag may move either.
    if (at >= count())
        return false;
    m_items.removeAt(at);
    if (m_listIndex == at)
        m_listIndex = -1;
    else if (m_listIndex > at)
        --m_listIndex;
    if (m_tagCode)
        removeTag(at);
    return true;
}

void XPComboList::removeTag(int position)
{
    if (m_lastTagIndex <= 0 || position > m_lastTagIndex)
        return;
    for (int slot = position; slot <= m_lastTagIndex && slot < kLastSlot; ++slot)
        m_tags[slot] = m_tags[slot + 1];
    // The item that moved from position 100 into the last slot never had a tag;
    // giving it the last slot's old one would duplicate another item's tag, so it
    // becomes its own tag, as an untagged item does.
    if (m_lastTagIndex == kLastSlot && count() > kLastSlot)
        m_tags[kLastSlot] = m_items[kLastSlot];
}

void XPComboList::clear()
{
    clearItems();
    m_lastTagIndex = 0;
}

void XPComboList::clearItems()
{
    m_items.clear();
    m_listIndex = -1;
}

QString XPComboList::selectedTag() const
{
    if (!m_tagCode || m_listIndex < 0 || m_listIndex > kLastSlot)
        return {};
    return m_tags[m_listIndex];
}

bool XPComboList::selectByTag(const QString &tagCode, int &startingFromIndex)
{
    const int last = std::min(count() - 1, kLastSlot);
    const int start = startingFromIndex > last || startingFromIndex < 0 ? 0 : startingFromIndex;
    const QString key = trimSpaces(tagCode).toUpper();
    if (!key.isEmpty()) {
        for (int slot = start; slot <= last; ++slot) {
            if (m_tags[slot].toUpper() == key) {
                m_listIndex = slot;
                startingFromIndex = slot + 1 > last ? 0 : slot + 1;
                return true;
            }
        }
    }
    m_listIndex = -1;
    return false;
}

} // namespace controls
