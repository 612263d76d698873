// Building the window's controls: their places, names, captions, tab order,
// Alt letters and connections, and the drawn button faces and emblem.
#include "window/frm_main.h"

#include "imaging/picture_formats.h"

#include "controls/accessibility.h"
#include "controls/ph_button.h"
#include "controls/read_only_field.h"
#include "controls/xp_combo.h"
#include "controls/xp_progress_bar.h"
#include "platform/colour.h"
#include "platform/property_bag.h"
#include "window/artwork.h"
#include "window/emblem_button.h"
#include "window/mnemonic_hints.h"
#include "window/size_field_rule.h"
#include "window/size_fields.h"
#include "window/task_runner.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QShortcut>

#include <algorithm>
#include <tuple>

namespace window {

namespace {

QLabel *caption(QWidget *parent, const QString &text, const QRect &geometry)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(geometry);
    return label;
}

QLineEdit *field(QWidget *parent, const QRect &geometry)
{
    auto *edit = new QLineEdit(parent);
    edit->setGeometry(geometry);
    return edit;
}

// The height of a row of fields: the batch panel's output format takes one.
constexpr int kRow = 30;

// The text a picture button's faces carry, kept to draw them again for a
// screen of another pixel ratio.
constexpr char kFaceCaption[] = "faceCaption";

// A picture button whose faces frmMain::drawPictures gives it.
controls::PhButton *pictureButton(QWidget *parent, const QString &text, const QRect &geometry)
{
    auto *button = new controls::PhButton(parent);
    button->setGeometry(geometry);
    button->setProperty(kFaceCaption, text);
    button->setAccessibleName(text);
    return button;
}

// The button stored with its three faces, each carrying the caption.
void storeFaces(controls::PhButton *button, qreal ratio)
{
    const QString text = button->property(kFaceCaption).toString();
    platform::PropertyBag bag;
    const int w = button->width(), h = button->height();
    bag.write(QStringLiteral("PictureMouseOn"), buttonFacePicture(text, w, h, ButtonFace::Hover, ratio), QVariant());
    bag.write(QStringLiteral("PictureDown"), buttonFacePicture(text, w, h, ButtonFace::Pressed, ratio), QVariant());
    bag.write(QStringLiteral("Picture"), buttonFacePicture(text, w, h, ButtonFace::Normal, ratio), QVariant());
    button->readProperties(bag);
}

// Each of a row of buttons widens to its caption, pushing the next along.
void widenToCaptions(std::initializer_list<QWidget *> row, int gap)
{
    int x = row.begin()[0]->x();
    for (QWidget *widget : row) {
        widget->setGeometry(x, widget->y(), std::max(widget->width(), widget->sizeHint().width()), widget->height());
        x += widget->width() + gap;
    }
}

// A caption just before its control grows to the left, not past `leftmost`.
void widenToTheLeft(QLabel *label, int leftmost)
{
    const int needed = std::min(label->sizeHint().width(), label->geometry().right() + 1 - leftmost);
    if (needed > label->width())
        label->setGeometry(label->geometry().right() + 1 - needed, label->y(), needed, label->height());
}

} // namespace

// The width and height limit fields of a panel, with their captions and notes.
std::pair<QLineEdit *, QLineEdit *> frmMain::limitFields(QWidget *panel)
{
    const QString note = tr("(最大值限定%1)").arg(kSizeFieldMax);
    QLabel *widthLabel = caption(panel, tr("图片的缩放最大限宽"), QRect(8, 76, 118, 22));
    QLineEdit *width = field(panel, QRect(130, 76, 64, 22));
    QLabel *widthNote = caption(panel, note, QRect(200, 76, 140, 22));
    QLabel *heightLabel = caption(panel, tr("图片缩放的最大限高"), QRect(8, 106, 118, 22));
    QLineEdit *height = field(panel, QRect(130, 106, 64, 22));
    QLabel *heightNote = caption(panel, note, QRect(200, 106, 140, 22));
    for (const auto &[label, edit] : {std::pair{widthLabel, width}, std::pair{widthNote, width},
                                      std::pair{heightLabel, height}, std::pair{heightNote, height}})
        label->setBuddy(edit);
    width->setAccessibleName(widthLabel->text());
    height->setAccessibleName(heightLabel->text());
    width->setAccessibleDescription(note);
    height->setAccessibleDescription(note);
    return {width, height};
}

void frmMain::buildControls()
{
    buildTopRow();
    const QRect panel(0, 60, 439, 178 + kRow);
    buildSinglePanel(panel);
    buildBatchPanel(panel);
    // The format line's second line reaches into the panels' empty top edge;
    // drawn over them, its descenders are not cut off.
    Label3->raise();

    PB = new controls::XP_ProgressBar(this);
    PB->setGeometry(8, 252 + kRow, 423, 22);
    platform::PropertyBag progressBag;
    progressBag.write(QStringLiteral("Scrolling"), 1, 0);
    progressBag.write(QStringLiteral("Color"), platform::rgbValue(49, 106, 197), platform::kSysHighlight);
    PB->readProperties(progressBag);
    PB->setAccessibleName(tr("转换进度"));

    m_sizeFields = new SizeFields(Text1, Text2, Text3, Text4, this);
    m_runner = new TaskRunner(this);
    nameControls();
    connectControls();
    drawPictures();
    addMnemonics();
}

void frmMain::buildTopRow()
{
    m_baseTitle = m_title = tr("Tarvel图片尺寸批量修改工具_v1.0");
    controls::setAccessibleRole(this, QAccessible::Window);
    setWindowTitle(m_title);
    setAccessibleName(m_title);
    // 6585 x 4380 twips, and a row more for the batch's output format.
    setFixedSize(439, 292 + kRow);
    QIcon icon;
    for (int size : {64, 128}) // the larger for HiDPI panels
        icon.addPixmap(QPixmap::fromImage(emblemPicture(size)));
    setWindowIcon(icon);

    Option1 = new QRadioButton(tr("单张转换"), this);
    Option1->setGeometry(12, 10, 84, 20);
    Option2 = new QRadioButton(tr("批量转换"), this);
    Option2->setGeometry(104, 10, 84, 20);
    Check1 = new QCheckBox(tr("小图放大"), this);
    Check1->setGeometry(196, 10, 84, 20);
    // Screen readers hear the captions without the Alt letters shown while Alt is held.
    for (QAbstractButton *button : std::initializer_list<QAbstractButton *>{Option1, Option2, Check1})
        button->setAccessibleName(button->text());
    // Two lines, the eight formats of old on the first as they always stood,
    // the newer ones under them, in the room above the panel.
    const QStringList extensions = imaging::extensionList(u",").split(u',');
    Label3 = caption(
        this, tr("可修改的图片格式：%1").arg(extensions.mid(0, 8).join(u',') + u'\n' + extensions.mid(8).join(u',')),
        QRect(12, 30, 360, 34));
    // The emblem opens the settings: a button that adds nothing to the look.
    Picture1 = new EmblemButton(this);
    Picture1->setGeometry(381, 6, 48, 48);
    Picture1->setAccessibleName(tr("转换设置与预设"));
    Picture1->setAccessibleDescription(tr("尺寸方式、质量、文件大小、DPI、重命名、保留的信息和预设（Alt+T）"));
    Picture1->setToolTip(tr("转换设置与预设（Alt+T）"));
}

void frmMain::buildSinglePanel(const QRect &panel)
{
    Frame1 = new QFrame(this);
    Frame1->setGeometry(panel);
    controls::setAccessibleRole(Frame1, QAccessible::Grouping);
    Frame1->setAccessibleName(Option1->text());
    cmdrgtBrowe = pictureButton(Frame1, tr("选择图片"), QRect(8, 6, 71, 25));
    txtPathdz = field(Frame1, QRect(86, 6, 345, 25));
    controls::readOnlyForReaders(txtPathdz);
    txtPathdz->setAccessibleName(tr("要转换的图片"));
    QLabel *nameLabel = caption(Frame1, tr("图片转换后的新名称"), QRect(8, 42, 118, 22));
    txtPathdz2 = field(Frame1, QRect(130, 42, 148, 22));
    nameLabel->setBuddy(txtPathdz2);
    txtPathdz2->setAccessibleName(nameLabel->text());
    QLabel *formatLabel = caption(Frame1, tr("格式:"), QRect(292, 42, 34, 22));
    XPCombo1 = new controls::XPCombo(Frame1);
    XPCombo1->setGeometry(328, 42, 103, 21);
    formatLabel->setBuddy(XPCombo1);
    XPCombo1->setReaderName(tr("格式"));
    // The window is laid out for its Chinese captions, which keep their
    // places; translated ones may be longer and get the room they need.
    if (Option1->text() != QStringLiteral(u"单张转换")) {
        widenToCaptions({Option1, Option2, Check1}, 8);
        widenToTheLeft(formatLabel, txtPathdz2->geometry().right() + 5);
    }
    std::tie(Text3, Text4) = limitFields(Frame1);
    // The start buttons sit at 120 twips and span 6375 twips of their panel.
    cmdStartConvertdz = pictureButton(Frame1, tr("开始转换"), QRect(8, 144, 425, 25));
}

void frmMain::buildBatchPanel(const QRect &panel)
{
    Frame2 = new QFrame(this);
    Frame2->setGeometry(panel);
    controls::setAccessibleRole(Frame2, QAccessible::Grouping);
    Frame2->setAccessibleName(Option2->text());
    cmdSelectFolder = pictureButton(Frame2, tr("源文件夹", "button"), QRect(8, 6, 71, 25));
    txtPath = field(Frame2, QRect(86, 6, 345, 25));
    controls::readOnlyForReaders(txtPath);
    txtPath->setAccessibleName(tr("源文件夹"));
    cmdSaveFolder = pictureButton(Frame2, tr("输出到"), QRect(8, 40, 71, 25));
    txtPath2 = field(Frame2, QRect(86, 40, 345, 25));
    controls::readOnlyForReaders(txtPath2);
    txtPath2->setAccessibleName(tr("输出文件夹"));
    std::tie(Text1, Text2) = limitFields(Frame2);
    // The output format, a row below the limits in their columns; the start
    // button moves down by that row.
    QLabel *outputFormatLabel = caption(Frame2, tr("输出格式"), QRect(8, 106 + kRow, 118, 22));
    XPCombo2 = new controls::XPCombo(Frame2);
    XPCombo2->setGeometry(130, 106 + kRow, 103, 21);
    outputFormatLabel->setBuddy(XPCombo2);
    XPCombo2->setReaderName(outputFormatLabel->text());
    // How many pictures the chosen source folder holds, right of the format;
    // empty until a folder is listed.
    lblFound = caption(Frame2, QString(), QRect(244, 106 + kRow, 187, 22));
    cmdStartConvert = pictureButton(Frame2, tr("开始批量转换"), QRect(8, 144 + kRow, 425, 25));
}

void frmMain::nameControls()
{
    // Every control answers to its name.
    const std::pair<QWidget *, const char *> named[] = {
        {Option1, "Option1"},
        {Option2, "Option2"},
        {Check1, "Check1"},
        {Label3, "Label3"},
        {Picture1, "Picture1"},
        {Frame1, "Frame1"},
        {Frame2, "Frame2"},
        {cmdrgtBrowe, "cmdrgtBrowe"},
        {txtPathdz, "txtPathdz"},
        {txtPathdz2, "txtPathdz2"},
        {XPCombo1, "XPCombo1"},
        {XPCombo2, "XPCombo2"},
        {Text1, "Text1"},
        {Text2, "Text2"},
        {Text3, "Text3"},
        {Text4, "Text4"},
        {cmdStartConvertdz, "cmdStartConvertdz"},
        {cmdSelectFolder, "cmdSelectFolder"},
        {txtPath, "txtPath"},
        {cmdSaveFolder, "cmdSaveFolder"},
        {txtPath2, "txtPath2"},
        {cmdStartConvert, "cmdStartConvert"},
        {PB, "PB"},
        {lblFound, "lblFound"},
    };
    for (const auto &[widget, name] : named)
        widget->setObjectName(QString::fromLatin1(name));
}

void frmMain::connectControls()
{
    // Tab walks the window as it reads: the panel switch, then the visible
    // panel top to bottom, left to right. The hidden panel is passed over.
    QWidget *const order[] = {Option1,  Option2,         Check1,    Picture1,          cmdrgtBrowe,
                              txtPathdz, txtPathdz2,     XPCombo1,  Text3,             Text4,
                              cmdStartConvertdz, cmdSelectFolder, txtPath, cmdSaveFolder, txtPath2,
                              Text1,    Text2,           XPCombo2,  cmdStartConvert};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    // Toggled, not clicked: a screen reader's toggle action checks the button
    // without clicking it, and the panel must follow all the same.
    connect(Option1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            showPanel(true);
    });
    connect(Option2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            showPanel(false);
    });
    // The count belongs to the folder listed; another path or none ends it.
    connect(txtPath, &QLineEdit::textChanged, lblFound, &QLabel::clear);
    connect(cmdSelectFolder, &controls::PhButton::Click, this, &frmMain::cmdSelectFolder_Click);
    connect(cmdSaveFolder, &controls::PhButton::Click, this, &frmMain::cmdSaveFolder_Click);
    connect(cmdStartConvert, &controls::PhButton::Click, this, &frmMain::cmdStartConvert_Click);
    connect(cmdrgtBrowe, &controls::PhButton::Click, this, &frmMain::cmdrgtBrowe_Click);
    connect(cmdStartConvertdz, &controls::PhButton::Click, this, &frmMain::cmdStartConvertdz_Click);
    connect(Picture1, &EmblemButton::clicked, this, &frmMain::openSettings);
    // What the title names is the preset still in use.
    for (QLineEdit *edit : {Text1, Text2})
        connect(edit, &QLineEdit::textChanged, this, &frmMain::showPresetInTitle);
    connect(Check1, &QCheckBox::toggled, this, &frmMain::showPresetInTitle);

    for (QLineEdit *edit : {txtPath, txtPath2, txtPathdz, txtPathdz2})
        edit->installEventFilter(this);
    XPCombo1->textField()->installEventFilter(this); // what a drop may put in it
}

void frmMain::addMnemonics()
{
    // Alt and a letter, the same in every language; the start buttons share
    // theirs, as only one of them is ever shown.
    auto *mnemonics = new MnemonicHints(this);
    mnemonics->add(Option1, u'S');
    mnemonics->add(Option2, u'B');
    mnemonics->add(Check1, u'E');
    const std::pair<controls::PhButton *, char16_t> lettered[] = {
        {cmdrgtBrowe, u'P'},   {cmdStartConvertdz, u'C'}, {cmdSelectFolder, u'F'},
        {cmdSaveFolder, u'O'}, {cmdStartConvert, u'C'},
    };
    for (const auto &[button, letter] : lettered) {
        button->grabShortcut(QKeySequence(altKey(letter)));
        mnemonics->add(button->accessibleName(), letter, [this, button](const QString &text) {
            button->setProperty(kFaceCaption, text);
            storeFaces(button, m_picturesRatio);
        });
    }
    auto *settings = new QShortcut(QKeySequence(altKey(u'T')), this);
    connect(settings, &QShortcut::activated, this, &frmMain::openSettings);
}

void frmMain::setButtonCaption(controls::PhButton *button, const QString &caption)
{
    button->setAccessibleName(caption);
    button->setProperty(kFaceCaption, caption);
    storeFaces(button, m_picturesRatio);
}

void frmMain::drawPictures()
{
    // Drawn with the screen's pixels; Qt would stretch pictures of another ratio.
    const qreal ratio = devicePixelRatioF();
    if (ratio == m_picturesRatio)
        return;
    m_picturesRatio = ratio;
    for (controls::PhButton *button : {cmdrgtBrowe, cmdStartConvertdz, cmdSelectFolder, cmdSaveFolder, cmdStartConvert})
        storeFaces(button, ratio);
    Picture1->setPixmap(QPixmap::fromImage(emblemPicture(48, ratio)));
}

bool frmMain::event(QEvent *event)
{
    // A move to another screen; Qt 6.6 also tells of a ratio changed in place.
    const bool newRatio = event->type() == QEvent::ScreenChangeInternal
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
                          || event->type() == QEvent::DevicePixelRatioChange
#endif
        ;
    if (newRatio)
        drawPictures();
    return QWidget::event(event);
}

} // namespace window
