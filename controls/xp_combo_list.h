// The list of the tagged combo box without any widget: items, the selected
// position and the table of tags that follows the first 100 positions.
#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace controls {

class XPComboList {
public:
    static constexpr int kTagSlots = 100;

    int count() const { return int(m_items.size()); }
    const QStringList &items() const { return m_items; }

    // -1 when nothing is selected.
    int listIndex() const { return m_listIndex; }
    // Selects a position, or nothing with -1; other values are refused.
    bool setListIndex(int index);
    // The selected item's text, empty when nothing is selected.
    QString selectedText() const;

    bool tagCode() const { return m_tagCode; }
    // Switching the tag mode leaves the list and the tags as they are.
    void setTagCode(bool on) { m_tagCode = on; }

    QString tag(int slot) const;
    int lastTagIndex() const { return m_lastTagIndex; }

    // Inserts at `index` (below 0 counts as 0), or appends when it is missing or
    // past the last position. With tags on the item is split ("tag=text") and the
    // tags behind it move up. Returns the position of the new item; nothing for an
    // item that is empty (after splitting), which adds nothing. Selects nothing.
    std::optional<int> addItem(const QString &item, std::optional<int> index = std::nullopt);

    // Replaces the item at `index` (and its tag); false when there is none.
    bool updateItem(const QString &item, int index);

    // The item at `index` (missing: the last one, below 0: the first), as
    // "tag=text" with tags on within the tag slots; empty past the end.
    QString item(std::optional<int> index = std::nullopt) const;

    // Removes the item at `index` (missing: the last one, below 0: the first) and
    // moves the tags behind it down. False, with nothing moved, when there is no
    // such item.
    bool removeItem(std::optional<int> index = std::nullopt);

    // Empties the list and frees every tag slot; the tag texts stay.
    void clear();
    // Empties the list only, as reading a list file does: the tag slots and the
    // last used one stay until the new items take them over.
    void clearItems();

    // The tag of the selected item with tags on; empty otherwise.
    QString selectedTag() const;

    // Selects the first item at or after `startingFromIndex` whose tag equals
    // `tagCode` (spaces trimmed, case ignored); on success `startingFromIndex`
    // becomes the position after it, 0 after the last tagged one. Not found:
    // nothing is selected and `startingFromIndex` stays.
    bool selectByTag(const QString &tagCode, int &startingFromIndex);

private:
    void insertTag(int position, const QString &tag);
    void removeTag(int position);

    QStringList m_items;
    int m_listIndex = -1;
    bool m_tagCode = false;
    std::array<QString, kTagSlots> m_tags;
    int m_lastTagIndex = 0;
};

} // namespace controls
