// XPCombo: a flat drop-down box made of an editable text field (JTexto), a list
// box (JCombo) that only lends its drop-down list, and a drawn arrow button
// (JImgCbo). Items may carry hidden tags ("tag=text"), and the list can be saved
// to and reloaded from a list file. The list logic lives in XPComboList.
#pragma once

#include "controls/xp_combo_images.h"
#include "controls/xp_combo_list.h"
#include "platform/colour.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <QWidget>

#include <array>
#include <optional>

class QComboBox;
class QLineEdit;

namespace platform {
class PropertyBag;
}

namespace controls {

class XPCombo : public QWidget {
    Q_OBJECT

public:
    explicit XPCombo(QWidget *parent = nullptr);

    // Adds an item (see XPComboList::addItem), selects it, shows its text and
    // raises Change. An empty item adds nothing and changes nothing.
    void AddItem(const QString &Item, std::optional<int> Index = std::nullopt);
    // Replaces the item at Index, then shows the selected item's text and raises
    // Change; nothing at all when there is no item at Index.
    void UpdateItem(const QString &Item, int Index);
    QString GetItem(std::optional<int> Index = std::nullopt) const;
    // Removes an item and raises Change; nothing at all past the end of the list.
    void RemoveItem(std::optional<int> Index = std::nullopt);
    // Empties the list; the text and the tag texts stay; no event.
    void Clear();
    // Writes the list file; false when it could not be written.
    bool SaveToFile();
    // Reloads the list from the list file; true when a list was read. Raises no
    // event and leaves the text alone.
    bool LoadedFromFile();
    QString GetTagCode() const;
    // Selects the next item with the tag TgCode from StartingFromIndex on and
    // shows its text, or clears the selection and the text; raises Change.
    bool SetTagCode(const QString &TgCode, int &StartingFromIndex);
    // Shows the arrow's normal picture.
    void ResetPic();

    QString Text() const;
    void SetText(const QString &New_Text);
    QString FileName() const { return m_fileName; }
    void SetFileName(const QString &New_FileName);
    platform::ColourValue BackColor() const { return m_backColor; }
    void SetBackColor(platform::ColourValue New_BackColor);
    QFont Font() const;
    void SetFont(const QFont &New_Font);
    platform::ColourValue ForeColor() const { return m_foreColor; }
    void SetForeColor(platform::ColourValue New_ForeColor);
    int ListIndex() const { return m_list.listIndex(); }
    // -1 clears the selection; a position shows its item's text; other values
    // are refused.
    void SetListIndex(int New_ListIndex);
    int ListCount() const { return m_list.count(); }
    // Opens the list, as the arrow does; a disabled combo stays closed.
    void showList();
    bool listShown() const;
    // The parts screen readers reach: the text field and the drop-down list.
    QWidget *textField() const;
    QWidget *listView() const;
    // The name screen readers hear, for the control and its text field alike.
    void setReaderName(const QString &name);
    bool Locked() const;
    void SetLocked(bool New_Locked);
    // 0 means no limit.
    int MaxLength() const { return m_maxLength; }
    void SetMaxLength(int New_MaxLength);
    QString ToolTipText() const;
    void SetToolTipText(const QString &New_ToolTipText);
    QString FieldName() const { return m_fieldName; }
    void SetFieldName(const QString &New_FieldName);
    int SelStart() const;
    int SelLength() const;
    QString SelText() const;
    bool TagCode() const { return m_list.tagCode(); }
    void SetTagCode(bool New_TagCode);
    // The control's own flag, false for a new instance. Assigning it applies the
    // enabled or disabled look; QWidget::setEnabled is a different thing.
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool New_Enabled);

    // Stored properties, by name, with the defaults a bag omits.
    void ReadProperties(const platform::PropertyBag &PropBag);
    void WriteProperties(platform::PropertyBag &PropBag) const;

    // The arrow button in pixels.
    QRect arrowRect() const;
    QSize sizeHint() const override;

signals:
    void Click();
    void Change();
    // X and Y in twips from the top left corner of the part under the pointer.
    void MouseMove(short Button, short Shift, float X, float Y);
    void MouseDown(short Button, short Shift, float X, float Y);
    // Set KeyAscii to 0 to discard the character, or to another one to type that.
    void KeyPress(int &KeyAscii);
    void KeyDown(short KeyCode, short Shift);
    void KeyUp(short KeyCode, short Shift);
    // A stored property was assigned.
    void PropertyChanged(const QString &PropertyName);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void layoutParts();
    void showPic(XPComboPic pic);
    void drawPics(qreal ratio);
    void showSelectedText();
    void syncList();
    void toggleList();
    void openList();
    void applyColours();
    // Hands MaxLength to the text field, where 0 stands for no limit.
    void applyMaxLength(int maxLength);
    bool filterTextKey(QKeyEvent *event);
    bool filterListKey(const QKeyEvent *event);
    bool filterListPopup(QEvent *event);
    QFont ambientFont() const;
    QString listFilePath() const;

    XPComboList m_list;
    QLineEdit *m_text = nullptr;     // JTexto
    QComboBox *m_combo = nullptr;    // JCombo
    QWidget *m_listWindow = nullptr; // JCombo's drop-down list window
    std::array<QImage, 4> m_pics;    // Img, at the ratio last painted at
    XPComboPic m_pic = XPComboPic::Normal;
    QColor m_border;
    bool m_enabled = false;
    bool m_replayingKey = false;
    bool m_swallowRelease = false;
    platform::ColourValue m_backColor = platform::kSysWindow;
    platform::ColourValue m_foreColor = platform::kSysWindowText;
    int m_maxLength = 0;
    QString m_fileName;
    QString m_fieldName;
};

} // namespace controls
