// Stored properties of the combo box, read and written in one fixed order with
// the defaults the property bag leaves out.
#include "controls/xp_combo.h"

#include "platform/property_bag.h"

#include <QComboBox>
#include <QLineEdit>

namespace controls {

namespace {

const QString kText = QStringLiteral("Text");
const QString kBackColor = QStringLiteral("BackColor");
const QString kFont = QStringLiteral("Font");
const QString kForeColor = QStringLiteral("ForeColor");
const QString kListIndex = QStringLiteral("ListIndex");
const QString kLocked = QStringLiteral("Locked");
const QString kMaxLength = QStringLiteral("MaxLength");
const QString kToolTipText = QStringLiteral("ToolTipText");
const QString kFieldName = QStringLiteral("FieldName");
const QString kEnabled = QStringLiteral("Enabled");
const QString kTagCode = QStringLiteral("TagCode");
const QString kSelStart = QStringLiteral("SelStart");
const QString kSelLength = QStringLiteral("SelLength");
const QString kSelText = QStringLiteral("SelText");
const QString kFileName = QStringLiteral("FileName");

const QVariant kDefaultText = QStringLiteral("0");
const QVariant kDefaultBackColor = uint(platform::kSysWindow);
const QVariant kDefaultForeColor = uint(platform::kSysWindowText);

} // namespace

void XPCombo::WriteProperties(platform::PropertyBag &PropBag) const
{
    PropBag.write(kText, Text(), kDefaultText);
    PropBag.write(kBackColor, uint(m_backColor), kDefaultBackColor);
    PropBag.write(kFont, QVariant::fromValue(Font()), QVariant::fromValue(ambientFont()));
    PropBag.write(kForeColor, uint(m_foreColor), kDefaultForeColor);
    PropBag.write(kListIndex, ListIndex(), -1);
    PropBag.write(kLocked, Locked(), false);
    PropBag.write(kMaxLength, m_maxLength, 0);
    PropBag.write(kToolTipText, ToolTipText(), QString());
    PropBag.write(kFieldName, m_fieldName, QString());
    PropBag.write(kEnabled, m_enabled, false);
    PropBag.write(kTagCode, TagCode(), false);
    PropBag.write(kSelStart, SelStart(), 0);
    PropBag.write(kSelLength, SelLength(), 0);
    PropBag.write(kSelText, SelText(), QString());
    PropBag.write(kFileName, m_fileName, QString());
}

void XPCombo::ReadProperties(const platform::PropertyBag &PropBag)
{
    // Straight into the parts: reading a design is not an assignment, so no
    // PropertyChanged.
    m_text->setText(PropBag.read(kText, kDefaultText).toString());
    m_backColor = PropBag.read(kBackColor, kDefaultBackColor).toUInt();
    m_text->setFont(PropBag.read(kFont, QVariant::fromValue(ambientFont())).value<QFont>());
    m_foreColor = PropBag.read(kForeColor, kDefaultForeColor).toUInt();
    applyColours();
    // The list itself is not stored: a stored position has no item to select
    // in a freshly read control and is refused like any position past the end.
    if (m_list.setListIndex(PropBag.read(kListIndex, -1).toInt())) {
        syncList();
        if (m_list.listIndex() >= 0)
            showSelectedText();
    }
    m_text->setReadOnly(PropBag.read(kLocked, false).toBool());
    applyMaxLength(PropBag.read(kMaxLength, 0).toInt());
    m_text->setToolTip(PropBag.read(kToolTipText, QString()).toString());
    m_fieldName = PropBag.read(kFieldName, QString()).toString();
    layoutParts();
    // Only stored: the look follows an assignment of Enabled, not a read.
    m_enabled = PropBag.read(kEnabled, false).toBool();
    m_list.setTagCode(PropBag.read(kTagCode, false).toBool());
    m_fileName = PropBag.read(kFileName, QString()).toString();
}

} // namespace controls
