#include "controls/xp_combo.h"

#include "controls/accessibility.h"
#include "controls/xp_combo_layout.h"
#include "platform/paint_ratio.h"
#include "platform/system_colours.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>

namespace controls {

namespace {

const QColor kEnabledBorder(127, 157, 185);
const QColor kDisabledBorder(192, 192, 192);
// The face and the field take the colours of a window's text area.
constexpr platform::ColourValue kBackColor = platform::kSysWindow;
constexpr platform::ColourValue kForeColor = platform::kSysWindowText;

XPComboLayout layoutFor(const QWidget &control, const QFont &font)
{
    const double points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / 96.0;
    return xpComboLayout(control.width() * kTwipsPerPixel, points);
}

QColor resolved(platform::ColourValue value, QColor fallback)
{
    const auto rgb = platform::resolveColour(value);
    return rgb ? platform::toQColor(*rgb) : fallback;
}

} // namespace

XPCombo::XPCombo(QWidget *parent) : QWidget(parent), m_border(kEnabledBorder)
{
    installAccessibleInterfaces();
    drawPics(1);

    // The list box never shows itself: it stays hidden behind the face and only
    // drops its list below the control. The style sheet keeps Fusion from
    // placing that list over the control instead.
    m_combo = new QComboBox(this);
    m_combo->setObjectName(QStringLiteral("JCombo"));
    m_combo->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    m_combo->hide();
    // The list window, which takes every mouse event while it is open.
    m_listWindow = m_combo->view()->window();
    m_listWindow->installEventFilter(this);
    connect(m_combo, &QComboBox::activated, this, [this](int index) {
        if (m_list.setListIndex(index))
            showSelectedText();
    });

    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("JTexto"));
    m_text->setFrame(false);
    m_text->setMouseTracking(true);
    m_text->installEventFilter(this);
    connect(m_text, &QLineEdit::textChanged, this, &XPCombo::Change);
    connect(m_text, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (QAccessible::isActive()) {
            QAccessibleValueChangeEvent event(this, text);
            QAccessible::updateAccessibility(&event);
        }
    });

    setFocusPolicy(m_text->focusPolicy());
    setFocusProxy(m_text);
    setMouseTracking(true);
    setMinimumWidth(kXPComboMinWidthPixels);
    setFixedHeight(kXPComboHeightPixels);
    applyColours();
    layoutParts();
}

QSize XPCombo::sizeHint() const { return {120, kXPComboHeightPixels}; }

void XPCombo::AddItem(const QString &Item, std::optional<int> Index)
{
    const auto added = m_list.addItem(Item, Index);
    if (!added)
        return;
    m_list.setListIndex(*added);
    syncList();
    showSelectedText();
    emit Change();
}

void XPCombo::ResetPic() { showPic(XPComboPic::Normal); }

QString XPCombo::Text() const { return m_text->text(); }

void XPCombo::SetListIndex(int New_ListIndex)
{
    if (!m_list.setListIndex(New_ListIndex))
        return;
    syncList();
    if (New_ListIndex >= 0)
        showSelectedText();
}

void XPCombo::SetEnabled(bool New_Enabled)
{
    m_text->setEnabled(New_Enabled);
    if (New_Enabled) {
        ResetPic();
        m_border = kEnabledBorder;
    } else {
        showPic(XPComboPic::Disabled);
        m_border = kDisabledBorder;
    }
    update();
}

QRect XPCombo::arrowRect() const
{
    const XPComboLayout layout = layoutFor(*this, m_text->font());
    return {twipsToPixels(layout.arrowLeft), twipsToPixels(layout.arrowTop), kArrowImageSize, kArrowImageSize};
}

void XPCombo::layoutParts()
{
    const XPComboLayout layout = layoutFor(*this, m_text->font());

    const int textTop = twipsToPixels(layout.textTop);
    // The field fills the height inside the border; a tall font may need more.
    const int textHeight = std::max(height() - 2 - textTop, m_text->fontMetrics().height());
    m_text->setGeometry(twipsToPixels(layout.textLeft), textTop, twipsToPixels(layout.textWidth), textHeight);
    // The list drops from the control's bottom edge.
    const int listTop = twipsToPixels(layout.listTop);
    m_combo->setGeometry(0, listTop, twipsToPixels(layout.listWidth), height() - listTop);
    update();
}

void XPCombo::showPic(XPComboPic pic)
{
    if (m_pic == pic)
        return;
    m_pic = pic;
    update(arrowRect());
}

void XPCombo::showSelectedText() { m_text->setText(m_list.selectedText()); }

void XPCombo::syncList()
{
    // The list box only shows the list; XPComboList holds it.
    const QSignalBlocker blocker(m_combo);
    QStringList shown;
    for (int i = 0; i < m_combo->count(); ++i)
        shown << m_combo->itemText(i);
    if (shown != m_list.items()) {
        m_combo->clear();
        m_combo->addItems(m_list.items());
    }
    m_combo->setCurrentIndex(m_list.listIndex());
}

void XPCombo::showList()
{
    if (m_text->isEnabled() && !m_combo->view()->isVisible())
        m_combo->showPopup();
}

void XPCombo::toggleList()
{
    if (m_combo->view()->isVisible()) {
        m_combo->hidePopup();
    } else {
        m_combo->showPopup();
        // The release of the press that opened the list reaches the list window,
        // which would close itself at once.
        m_swallowRelease = m_combo->view()->isVisible();
    }
}

void XPCombo::applyColours()
{
    const QColor back = resolved(kBackColor, Qt::white);
    QPalette palette = m_text->palette();
    palette.setColor(QPalette::Base, back);
    const QColor fore = resolved(kForeColor, Qt::black);
    palette.setColor(QPalette::Active, QPalette::Text, fore);
    palette.setColor(QPalette::Inactive, QPalette::Text, fore);
    m_text->setPalette(palette);
    update();
}

void XPCombo::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect all = rect();
    painter.fillRect(all, resolved(kBackColor, Qt::white));
    // A one-pixel frame on the outermost ring, drawn as four fills: Qt's
    // outlined rectangles are one pixel larger than the rectangle.
    painter.fillRect(QRect(0, 0, all.width(), 1), m_border);
    painter.fillRect(QRect(0, all.height() - 1, all.width(), 1), m_border);
    painter.fillRect(QRect(0, 0, 1, all.height()), m_border);
    painter.fillRect(QRect(all.width() - 1, 0, 1, all.height()), m_border);
    // The arrow pictures follow the pixels of the screen (or picture) painted on.
    const qreal ratio = platform::paintTargetRatio(painter);
    if (m_pics[0].devicePixelRatio() != ratio)
        drawPics(ratio);
    painter.drawImage(arrowRect().topLeft(), m_pics[int(m_pic)]);
}

void XPCombo::drawPics(qreal ratio)
{
    for (int i = 0; i < 4; ++i)
        m_pics[i] = xpComboArrowImage(XPComboPic(i), ratio);
}

void XPCombo::resizeEvent(QResizeEvent *) { layoutParts(); }

} // namespace controls
