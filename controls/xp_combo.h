// XPCombo: a flat drop-down box made of an editable text field (JTexto), a list
// box (JCombo) that only lends its drop-down list, and a drawn arrow button
// (JImgCbo). The list logic lives in XPComboList. Its public surface is what
// the window uses; the rest is reached as a person does, through the mouse and
// the keyboard, and its events report that input.
#pragma once

#include "controls/xp_combo_images.h"
#include "controls/xp_combo_list.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>

#include <array>
#include <optional>

class QComboBox;
class QLineEdit;

namespace controls {

class AccessibleCombo;

class XPCombo : public QWidget {
    Q_OBJECT

public:
    explicit XPCombo(QWidget *parent = nullptr);

    // Adds an item (see XPComboList::addItem), selects it, shows its text and
    // raises Change. An empty item adds nothing and changes nothing.
    void AddItem(const QString &Item, std::optional<int> Index = std::nullopt);
    // -1 clears the selection; a position shows its item's text; other values
    // are refused.
    void SetListIndex(int New_ListIndex);
    // The control's own flag, false for a new instance: assigning it applies
    // the enabled or disabled look. QWidget::setEnabled is a different thing.
    void SetEnabled(bool New_Enabled);
    // The text field's text: the selected item's, or what was typed.
    QString Text() const;

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

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    // A screen reader's "show menu" opens the list.
    friend class AccessibleCombo;

    // Opens the list, as the arrow does; a disabled combo stays closed.
    void showList();
    // Shows the arrow's normal picture.
    void ResetPic();
    void layoutParts();
    void showPic(XPComboPic pic);
    void drawPics(qreal ratio);
    void showSelectedText();
    void syncList();
    void toggleList();
    void applyColours();
    bool filterTextKey(QKeyEvent *event);
    bool filterListKey(const QKeyEvent *event);
    bool filterListPopup(QEvent *event);

    XPComboList m_list;
    QLineEdit *m_text = nullptr;     // JTexto
    QComboBox *m_combo = nullptr;    // JCombo
    QWidget *m_listWindow = nullptr; // JCombo's drop-down list window
    std::array<QImage, 4> m_pics;    // Img, at the ratio last painted at
    XPComboPic m_pic = XPComboPic::Normal;
    QColor m_border;
    bool m_replayingKey = false;
    bool m_swallowRelease = false;
};

} // namespace controls
