#include "controls/xp_combo.h"

#include "controls/accessibility.h"
#include "controls/xp_combo_layout.h"
#include "controls/xp_combo_list_file.h"
#include "platform/paint_ratio.h"
#include "platform/system_colours.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPainter>

namespace controls {

namespace {

const QColor kEnabledBorder(127, 157, 185);
const QColor kDisabledBorder(192, 192, 192);
// QLineEdit's own limit, which stands for "no limit".
constexpr int kUnlimitedLength = 32767;

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

void XPCombo::UpdateItem(const QString &Item, int Index)
{
    if (!m_list.updateItem(Item, Index))
        return;
    syncList();
    showSelectedText();
    emit Change();
}

QString XPCombo::GetItem(std::optional<int> Index) const { return m_list.item(Index); }

void XPCombo::RemoveItem(std::optional<int> Index)
{
    if (!m_list.removeItem(Index))
        return;
    syncList();
    emit Change();
}

void XPCombo::Clear()
{
    m_list.clear();
    syncList();
}

QString XPCombo::listFilePath() const
{
    const QString name = objectName().isEmpty() ? QStringLiteral("XPCombo") : objectName();
    return controls::listFilePath(m_fileName, QCoreApplication::applicationDirPath(), name);
}

bool XPCombo::SaveToFile() { return saveListFile(m_list, listFilePath()); }

bool XPCombo::LoadedFromFile()
{
    if (!loadListFile(m_list, listFilePath()))
        return false;
    syncList();
    return true;
}

QString XPCombo::GetTagCode() const { return m_list.selectedTag(); }

bool XPCombo::SetTagCode(const QString &TgCode, int &StartingFromIndex)
{
    const bool found = m_list.selectByTag(TgCode, StartingFromIndex);
    syncList();
    showSelectedText();
    emit Change();
    return found;
}

void XPCombo::ResetPic() { showPic(XPComboPic::Normal); }

QString XPCombo::Text() const { return m_text->text(); }

void XPCombo::SetText(const QString &New_Text)
{
    m_text->setText(New_Text);
    emit PropertyChanged(QStringLiteral("Text"));
}

void XPCombo::SetFileName(const QString &New_FileName)
{
    m_fileName = New_FileName;
    emit PropertyChanged(QStringLiteral("FileName"));
}

void XPCombo::SetBackColor(platform::ColourValue New_BackColor)
{
    m_backColor = New_BackColor;
    applyColours();
    emit PropertyChanged(QStringLiteral("BackColor"));
}

QFont XPCombo::Font() const { return m_text->font(); }

void XPCombo::SetFont(const QFont &New_Font)
{
    m_text->setFont(New_Font);
    layoutParts();
    emit PropertyChanged(QStringLiteral("Font"));
}

void XPCombo::SetForeColor(platform::ColourValue New_ForeColor)
{
    m_foreColor = New_ForeColor;
    applyColours();
    emit PropertyChanged(QStringLiteral("ForeColor"));
}

void XPCombo::SetListIndex(int New_ListIndex)
{
    if (!m_list.setListIndex(New_ListIndex))
        return;
    syncList();
    if (New_ListIndex >= 0)
        showSelectedText();
    emit PropertyChanged(QStringLiteral("ListIndex"));
}

bool XPCombo::Locked() const { return m_text->isReadOnly(); }

void XPCombo::SetLocked(bool New_Locked)
{
    m_text->setReadOnly(New_Locked);
    emit PropertyChanged(QStringLiteral("Locked"));
}

void XPCombo::SetMaxLength(int New_MaxLength)
{
    applyMaxLength(New_MaxLength);
    emit PropertyChanged(QStringLiteral("MaxLength"));
}

void XPCombo::applyMaxLength(int maxLength)
{
    m_maxLength = std::max(maxLength, 0);
    m_text->setMaxLength(m_maxLength > 0 ? m_maxLength : kUnlimitedLength);
}

QString XPCombo::ToolTipText() const { return m_text->toolTip(); }

void XPCombo::SetToolTipText(const QString &New_ToolTipText)
{
    m_text->setToolTip(New_ToolTipText);
    emit PropertyChanged(QStringLiteral("ToolTipText"));
}

void XPCombo::SetFieldName(const QString &New_FieldName)
{
    m_fieldName = New_FieldName;
    emit PropertyChanged(QStringLiteral("FieldName"));
}

int XPCombo::SelStart() const
{
    return m_text->hasSelectedText() ? m_text->selectionStart() : m_text->cursorPosition();
}

int XPCombo::SelLength() const { return m_text->selectionLength(); }

QString XPCombo::SelText() const { return m_text->selectedText(); }

void XPCombo::SetTagCode(bool New_TagCode)
{
    m_list.setTagCode(New_TagCode);
    emit PropertyChanged(QStringLiteral("TagCode"));
}

void XPCombo::SetEnabled(bool New_Enabled)
{
    m_enabled = New_Enabled;
    m_text->setEnabled(New_Enabled);
    if (New_Enabled) {
        ResetPic();
        m_border = kEnabledBorder;
    } else {
        showPic(XPComboPic::Disabled);
        m_border = kDisabledBorder;
    }
    update();
    emit PropertyChanged(QStringLiteral("Enabled"));
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
    // The chosen item reads as selected in the list, open or not; it is the
    // list's current item, which readers take for the focused one, only
    // while the list is open.
    if (QItemSelectionModel *selection = m_combo->view()->selectionModel()) {
        const QModelIndex chosen = m_combo->model()->index(m_list.listIndex(), 0);
        if (listShown()) {
            selection->setCurrentIndex(chosen, QItemSelectionModel::ClearAndSelect);
        } else {
            selection->select(chosen, QItemSelectionModel::ClearAndSelect);
            selection->clearCurrentIndex();
        }
    }
}

void XPCombo::openList()
{
    // The chosen item is the open list's current one, where its keys start.
    if (QItemSelectionModel *selection = m_combo->view()->selectionModel())
        selection->setCurrentIndex(m_combo->model()->index(m_list.listIndex(), 0), QItemSelectionModel::ClearAndSelect);
    m_combo->showPopup();
}

void XPCombo::showList()
{
    if (m_text->isEnabled() && !m_combo->view()->isVisible())
        openList();
}

bool XPCombo::listShown() const { return m_combo->view()->isVisible(); }

QWidget *XPCombo::textField() const { return m_text; }

QWidget *XPCombo::listView() const { return m_combo->view(); }

void XPCombo::setReaderName(const QString &name)
{
    setAccessibleName(name);
    m_text->setAccessibleName(name);
    m_combo->view()->setAccessibleName(name);
}

void XPCombo::toggleList()
{
    if (m_combo->view()->isVisible()) {
        m_combo->hidePopup();
    } else {
        openList();
        // The release of the press that opened the list reaches the list window,
        // which would close itself at once.
        m_swallowRelease = m_combo->view()->isVisible();
    }
}

void XPCombo::applyColours()
{
    const QColor back = resolved(m_backColor, Qt::white);
    QPalette palette = m_text->palette();
    palette.setColor(QPalette::Base, back);
    const QColor fore = resolved(m_foreColor, Qt::black);
    palette.setColor(QPalette::Active, QPalette::Text, fore);
    palette.setColor(QPalette::Inactive, QPalette::Text, fore);
    m_text->setPalette(palette);
    update();
}

QFont XPCombo::ambientFont() const { return parentWidget() ? parentWidget()->font() : QApplication::font(); }

void XPCombo::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect all = rect();
    painter.fillRect(all, resolved(m_backColor, Qt::white));
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
