#include "window/settings_dialog.h"

#include "dialogs/file_dialogs.h"
#include "imaging/exact_size.h"
#include "platform/notifier.h"
#include "window/size_field_rule.h"
#include "workflow/rename_pattern.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

namespace window {

namespace {

using workflow::SizeMode;

// Percent as shown, from a scale in millionths (1 000 000 is 100 %).
constexpr double kScalePerPercent = 10000.0;

QString kbText(const std::optional<workflow::FileSize> &size)
{
    return size ? workflow::fileSizeText(*size) : QString();
}

QString colourText(const std::optional<workflow::Rgb> &colour)
{
    return colour ? workflow::colourName(*colour) : QString();
}

// A colour field with a button that opens the colour chooser into it; the
// row is enabled or disabled as one.
QWidget *colourRow(QLineEdit *field, QWidget *parent)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(field, 1);
    auto *choose = new QPushButton(SettingsDialog::tr("选择…"), row);
    choose->setAccessibleName(SettingsDialog::tr("选择颜色"));
    layout->addWidget(choose);
    QObject::connect(choose, &QPushButton::clicked, row, [field, row] {
        const auto current = workflow::parseColour(field->text()).value;
        const QColor chosen = QColorDialog::getColor(current ? QColor::fromRgb(*current) : QColor(Qt::white), row);
        if (chosen.isValid())
            field->setText(chosen.name());
    });
    return row;
}

} // namespace

SettingsDialog::SettingsDialog(const workflow::ConversionSettings &settings, const QString &preset, PresetPlace place,
                               QWidget *parent)
    : QDialog(parent), m_carried(settings), m_place(std::move(place))
{
    setWindowTitle(tr("转换设置与预设"));
    setAccessibleName(windowTitle());
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(buildPresetRow());
    auto *form = new QFormLayout;
    buildSizeRows(form);
    buildOutputRows(form);
    nameFields(form);
    layout->addLayout(form);
    m_problem = new QLabel(this);
    m_problem->setWordWrap(true);
    m_problem->setObjectName(QStringLiteral("problem"));
    layout->addWidget(m_problem);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &SettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SettingsDialog::reject);
    layout->addWidget(buttons);

    const workflow::LoadedPresets loaded = workflow::loadPresets(m_place.path);
    m_file = loaded.file;
    m_damaged = loaded.damaged;
    m_problem->setText(loaded.problem);
    fillPresetList(preset);
    show(settings);
    connect(m_preset, &QComboBox::activated, this, &SettingsDialog::pickPreset);
    connect(m_mode, &QComboBox::currentIndexChanged, this, &SettingsDialog::followMode);
    connect(m_background, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_backgroundColour->parentWidget()->setEnabled(index == 2); });
    connect(m_keepCamera, &QCheckBox::toggled, m_keepLocation, &QCheckBox::setEnabled);
    followMode();
}

QWidget *SettingsDialog::buildPresetRow()
{
    auto *box = new QWidget(this);
    auto *grid = new QFormLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    m_preset = new QComboBox(box);
    m_preset->setObjectName(QStringLiteral("preset"));
    auto *presetLabel = new QLabel(tr("预设(&P)"), box);
    presetLabel->setBuddy(m_preset);
    m_preset->setAccessibleName(tr("预设"));
    m_atStart = new QCheckBox(tr("启动时使用这个预设(&U)"), box);
    m_atStart->setObjectName(QStringLiteral("atStart"));
    auto *presetRow = new QHBoxLayout;
    presetRow->addWidget(m_preset, 1);
    presetRow->addWidget(m_atStart);
    grid->addRow(presetLabel, presetRow);

    m_newName = new QLineEdit(box);
    m_newName->setObjectName(QStringLiteral("newName"));
    m_newName->setPlaceholderText(tr("新预设的名称"));
    m_newName->setAccessibleName(tr("新预设的名称"));
    auto *save = new QPushButton(tr("存为预设(&A)"), box);
    save->setObjectName(QStringLiteral("savePreset"));
    auto *exportButton = new QPushButton(tr("导出(&X)…"), box);
    exportButton->setObjectName(QStringLiteral("exportPresets"));
    auto *importButton = new QPushButton(tr("导入(&I)…"), box);
    importButton->setObjectName(QStringLiteral("importPresets"));
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(m_newName, 1);
    fileRow->addWidget(save);
    fileRow->addWidget(exportButton);
    fileRow->addWidget(importButton);
    grid->addRow(tr("保存"), fileRow);
    connect(save, &QPushButton::clicked, this, &SettingsDialog::savePreset);
    connect(m_newName, &QLineEdit::returnPressed, this, &SettingsDialog::savePreset);
    connect(exportButton, &QPushButton::clicked, this, &SettingsDialog::exportPresets);
    connect(importButton, &QPushButton::clicked, this, &SettingsDialog::importPresets);
    return box;
}

void SettingsDialog::buildSizeRows(QFormLayout *form)
{
    m_mode = new QComboBox(this);
    m_mode->setObjectName(QStringLiteral("mode"));
    // In the order of workflow::SizeMode.
    m_mode->addItems({tr("缩放到最大宽高之内"), tr("长边"), tr("百分比"), tr("正好宽×高：填满后裁剪"),
                      tr("正好宽×高：加边"), tr("正好宽×高：拉伸")});
    form->addRow(tr("尺寸方式(&M)"), m_mode);
    m_boxNote = new QLabel(this);
    m_boxNote->setObjectName(QStringLiteral("boxNote"));
    form->addRow(QString(), m_boxNote);
    m_longEdge = new QSpinBox(this);
    m_longEdge->setObjectName(QStringLiteral("longEdge"));
    m_longEdge->setRange(1, kSizeFieldMax);
    m_longEdge->setSuffix(tr(" 像素"));

    m_percent = new QDoubleSpinBox(this);
    m_percent->setObjectName(QStringLiteral("percent"));
    m_percent->setRange(0.01, 10000);
    m_percent->setSuffix(QStringLiteral(" %"));
    // The two sizes of the scaling modes share a row.
    auto *scaleRow = new QHBoxLayout;
    scaleRow->addWidget(m_longEdge, 1);
    auto *percentLabel = new QLabel(tr("百分比(&R)"), this);
    percentLabel->setBuddy(m_percent);
    scaleRow->addWidget(percentLabel);
    scaleRow->addWidget(m_percent, 1);
    auto *longEdgeLabel = new QLabel(tr("长边(&L)"), this);
    longEdgeLabel->setBuddy(m_longEdge);
    m_longEdge->setAccessibleName(tr("长边"));
    m_percent->setAccessibleName(tr("百分比"));
    form->addRow(longEdgeLabel, scaleRow);
    m_anchor = new QComboBox(this);
    m_anchor->setObjectName(QStringLiteral("anchor"));
    // In the order of imaging::Anchor.
    m_anchor->addItems({tr("居中"), tr("上"), tr("下"), tr("左"), tr("右"), tr("左上"), tr("右上"), tr("左下"),
                        tr("右下")});
    form->addRow(tr("裁剪或加边的位置(&N)"), m_anchor);
    m_padColour = new QLineEdit(this);
    m_padColour->setObjectName(QStringLiteral("padColour"));
    m_padColour->setPlaceholderText(QStringLiteral("#ffffff"));
    m_padColour->setAccessibleName(tr("边的颜色"));
    form->addRow(tr("边的颜色(&D)"), colourRow(m_padColour, this));
}

void SettingsDialog::buildOutputRows(QFormLayout *form)
{
    m_quality = new QSpinBox(this);
    m_quality->setObjectName(QStringLiteral("quality"));
    m_quality->setRange(0, 100);
    m_quality->setSpecialValueText(tr("格式自带（JPEG 为 100）"));
    form->addRow(tr("质量（有损格式）(&Q)"), m_quality);
    m_maxKb = new QLineEdit(this);
    m_maxKb->setObjectName(QStringLiteral("maxSize"));
    m_maxKb->setPlaceholderText(tr("不限，如 50K"));
    form->addRow(tr("文件不超过(&S)"), m_maxKb);
    m_minKb = new QLineEdit(this);
    m_minKb->setObjectName(QStringLiteral("minSize"));
    m_minKb->setPlaceholderText(tr("不限，如 20K"));
    form->addRow(tr("文件不少于(&F)"), m_minKb);
    m_background = new QComboBox(this);
    m_background->setObjectName(QStringLiteral("background"));
    m_background->addItems({tr("按钮底色（默认）"), tr("白色"), tr("其他颜色")});
    m_backgroundColour = new QLineEdit(this);
    m_backgroundColour->setObjectName(QStringLiteral("backgroundColour"));
    m_backgroundColour->setPlaceholderText(QStringLiteral("#RRGGBB"));
    m_backgroundColour->setAccessibleName(tr("透明部分的颜色"));
    auto *backgroundRow = new QHBoxLayout;
    backgroundRow->addWidget(m_background);
    backgroundRow->addWidget(colourRow(m_backgroundColour, this), 1);
    auto *backgroundLabel = new QLabel(tr("透明部分铺底（JPEG、BMP）(&G)"), this);
    backgroundLabel->setBuddy(m_background);
    m_background->setAccessibleName(tr("透明部分铺底"));
    form->addRow(backgroundLabel, backgroundRow);
    m_dpi = new QSpinBox(this);
    m_dpi->setObjectName(QStringLiteral("dpi"));
    m_dpi->setRange(0, workflow::kLargestDpi);
    m_dpi->setSpecialValueText(tr("不写"));
    form->addRow(tr("DPI(&T)"), m_dpi);
    m_rename = new QLineEdit(this);
    m_rename->setObjectName(QStringLiteral("rename"));
    m_rename->setPlaceholderText(QStringLiteral("{name}_{w}x{h}"));
    m_rename->setToolTip(tr("批量转换的新文件名：{name} 原名，{w} 宽，{h} 高，{n} 序号（{n:3} 为 001）"));
    form->addRow(tr("批量重命名(&Y)"), m_rename);
    m_keepDates = new QCheckBox(tr("保留日期(&K)"), this);
    m_keepDates->setObjectName(QStringLiteral("keepDates"));
    m_keepCamera = new QCheckBox(tr("保留相机信息(&J)"), this);
    m_keepCamera->setObjectName(QStringLiteral("keepCamera"));
    m_keepLocation = new QCheckBox(tr("也保留拍摄地点(&O)"), this);
    m_keepLocation->setObjectName(QStringLiteral("keepLocation"));
    m_neverLarger = new QCheckBox(tr("不比原图大(&V)"), this);
    m_neverLarger->setObjectName(QStringLiteral("neverLarger"));
    m_neverLarger->setToolTip(tr("转换结果比原图大，而原图已是同一格式、正好是目标尺寸时，直接复制原图"));
    auto *keepRow = new QHBoxLayout;
    for (QCheckBox *box : {m_keepDates, m_keepCamera, m_keepLocation, m_neverLarger})
        keepRow->addWidget(box);
    form->addRow(QString(), keepRow);
}

void SettingsDialog::nameFields(QFormLayout *form)
{
    // Every field a screen reader reaches is named as its row's caption.
    for (int row = 0; row < form->rowCount(); ++row) {
        auto *label = qobject_cast<QLabel *>(form->itemAt(row, QFormLayout::LabelRole)
                                                 ? form->itemAt(row, QFormLayout::LabelRole)->widget()
                                                 : nullptr);
        QLayoutItem *field = form->itemAt(row, QFormLayout::FieldRole);
        if (label && field && field->widget() && field->widget()->accessibleName().isEmpty())
            field->widget()->setAccessibleName(
                QString(label->text()).remove(QRegularExpression(QStringLiteral("\\(&.\\)$"))).remove(u'&').trimmed());
    }
}

void SettingsDialog::show(const workflow::ConversionSettings &s)
{
    m_carried = s;
    m_mode->setCurrentIndex(int(s.sizeMode));
    m_longEdge->setValue(s.longEdge > 0 ? s.longEdge : 1920);
    m_percent->setValue(s.scale > 0 ? double(s.scale) / kScalePerPercent : 50);
    m_anchor->setCurrentIndex(int(s.anchor));
    m_padColour->setText(workflow::colourName(s.padColour));
    m_quality->setValue(s.quality);
    m_maxKb->setText(kbText(s.maxSize));
    m_minKb->setText(kbText(s.minSize));
    m_background->setCurrentIndex(!s.background ? 0 : *s.background == workflow::kWhite ? 1 : 2);
    m_backgroundColour->setText(s.background && *s.background != workflow::kWhite ? colourText(s.background) : QString());
    m_backgroundColour->parentWidget()->setEnabled(m_background->currentIndex() == 2);
    m_dpi->setValue(s.dpi.value_or(0));
    m_rename->setText(s.renamePattern);
    m_keepDates->setChecked(s.keepDates);
    m_keepCamera->setChecked(s.keepCameraData);
    m_keepLocation->setChecked(s.keepLocation);
    m_keepLocation->setEnabled(s.keepCameraData);
    m_neverLarger->setChecked(s.neverLarger);
    followMode();
}

void SettingsDialog::followMode()
{
    const auto mode = SizeMode(m_mode->currentIndex());
    m_longEdge->setEnabled(mode == SizeMode::LongEdge);
    m_percent->setEnabled(mode == SizeMode::Percent);
    m_anchor->setEnabled(mode == SizeMode::Fill || mode == SizeMode::Pad);
    m_padColour->parentWidget()->setEnabled(mode == SizeMode::Pad);
    // The box is the window's two size fields; the note says which numbers
    // they hold now, one line, and the mode box's description the rest.
    const QString box = tr("%1 × %2").arg(m_carried.width).arg(m_carried.height);
    m_boxNote->setText(workflow::isExactMode(mode)    ? tr("正好 %1（主窗口的最大限宽和最大限高）").arg(box)
                       : mode == SizeMode::FitInside ? tr("不超过 %1（主窗口的最大限宽和最大限高）").arg(box)
                                                      : QString());
    m_mode->setToolTip(workflow::isExactMode(mode)
                           ? tr("结果正好是主窗口的最大限宽 × 最大限高；不勾“小图放大”时，较小的图片不放大，余下的部分加边。")
                           : QString());
    m_mode->setAccessibleDescription(m_boxNote->text() + QLatin1Char(' ') + m_mode->toolTip());
}

workflow::ConversionSettings SettingsDialog::settings() const
{
    workflow::ConversionSettings s = m_carried;
    s.sizeMode = SizeMode(m_mode->currentIndex());
    s.longEdge = s.sizeMode == SizeMode::LongEdge ? m_longEdge->value() : 0;
    s.scale = s.sizeMode == SizeMode::Percent ? std::llround(m_percent->value() * kScalePerPercent) : 0;
    s.anchor = imaging::Anchor(m_anchor->currentIndex());
    s.padColour = workflow::parseColour(m_padColour->text()).value.value_or(workflow::kWhite);
    s.quality = m_quality->value();
    s.maxSize = workflow::parseFileSize(m_maxKb->text()).value;
    s.minSize = workflow::parseFileSize(m_minKb->text()).value;
    switch (m_background->currentIndex()) {
    case 0: s.background.reset(); break;
    case 1: s.background = workflow::kWhite; break;
    default: s.background = workflow::parseColour(m_backgroundColour->text()).value;
    }
    s.dpi = m_dpi->value() > 0 ? std::optional<int>(m_dpi->value()) : std::nullopt;
    s.renamePattern = m_rename->text().trimmed();
    s.keepDates = m_keepDates->isChecked();
    s.keepCameraData = m_keepCamera->isChecked();
    s.keepLocation = s.keepCameraData && m_keepLocation->isChecked();
    s.neverLarger = m_neverLarger->isChecked();
    return s;
}

QString SettingsDialog::presetName() const
{
    const workflow::Preset *preset = workflow::findPreset(m_presets, m_preset->currentData().toString());
    return preset && preset->settings == settings() ? m_preset->currentData().toString() : QString();
}

void SettingsDialog::fillPresetList(const QString &selected)
{
    m_presets = workflow::allPresets(m_file);
    m_preset->clear();
    m_preset->addItem(tr("（自己的设置）"), QString());
    for (const workflow::Preset &preset : m_presets)
        m_preset->addItem(preset.name, preset.key.isEmpty() ? preset.name : preset.key);
    const workflow::Preset *found = workflow::findPreset(m_presets, selected);
    const int index = found ? m_preset->findData(found->key.isEmpty() ? found->name : found->key) : 0;
    m_preset->setCurrentIndex(std::max(index, 0));
    m_atStart->setChecked(found && workflow::findPreset(m_presets, m_file.start) == found);
    m_atStart->setEnabled(found && !m_damaged);
}

void SettingsDialog::pickPreset(int index)
{
    const workflow::Preset *preset = workflow::findPreset(m_presets, m_preset->itemData(index).toString());
    m_atStart->setEnabled(preset && !m_damaged);
    if (!preset) {
        m_atStart->setChecked(false);
        return;
    }
    workflow::ConversionSettings picked = preset->settings;
    // A preset without a box of its own (fit inside at 0 x 0) keeps the window's.
    if (picked.width == 0 || picked.height == 0) {
        picked.width = m_carried.width;
        picked.height = m_carried.height;
    }
    show(picked);
    m_atStart->setChecked(workflow::findPreset(m_presets, m_file.start) == preset);
}

bool SettingsDialog::store(const workflow::PresetFile &file)
{
    if (m_place.path.isEmpty())
        return false;
    if (const QString problem = workflow::storePresets(m_place.path, file); !problem.isEmpty()) {
        m_place.notifier->information(problem);
        return false;
    }
    m_file = file;
    return true;
}

void SettingsDialog::savePreset()
{
    const QString name = m_newName->text().trimmed();
    if (const QString problem = workflow::presetNameProblem(name); !problem.isEmpty()) {
        m_place.notifier->information(problem);
        m_newName->setFocus();
        return;
    }
    const workflow::ConversionSettings s = settings();
    if (const QString problem = workflow::settingsProblem(s); !problem.isEmpty()) {
        m_place.notifier->information(problem);
        return;
    }
    if (!store(workflow::withPreset(m_file, {name, s, {}})))
        return;
    m_newName->clear();
    fillPresetList(name);
}

void SettingsDialog::exportPresets()
{
    if (m_file.presets.empty()) {
        m_place.notifier->information(tr("还没有自己的预设可以导出：先用“存为预设”保存一个。"));
        return;
    }
    const QString path = m_place.askExportPath ? m_place.askExportPath(this) : QString();
    if (path.isEmpty())
        return;
    if (const QString problem = workflow::exportPresets(path, m_file.presets); !problem.isEmpty())
        m_place.notifier->information(problem);
}

void SettingsDialog::importPresets()
{
    dialogs::OpenDialogRecord record;
    record.owner = this;
    record.filters = {{tr("预设文件"), QStringLiteral("*.json")}};
    record.filterIndex = 1;
    record.title = tr("导入预设");
    if (!m_place.dialogs->GetOpenFileName(record))
        return;
    const workflow::Parsed<std::vector<workflow::Preset>> imported = workflow::importPresets(record.fileName);
    if (!imported.value) {
        m_place.notifier->information(imported.problem);
        return;
    }
    workflow::PresetFile file = m_file;
    for (const workflow::Preset &preset : *imported.value) {
        if (workflow::presetNameProblem(preset.name).isEmpty())
            file = workflow::withPreset(file, preset);
    }
    const QString current = m_preset->currentData().toString();
    if (store(file))
        fillPresetList(current);
}

void SettingsDialog::accept()
{
    const workflow::ConversionSettings s = settings();
    QString problem;
    if (!m_maxKb->text().trimmed().isEmpty() && !s.maxSize)
        problem = workflow::parseFileSize(m_maxKb->text()).problem;
    else if (!m_minKb->text().trimmed().isEmpty() && !s.minSize)
        problem = workflow::parseFileSize(m_minKb->text()).problem;
    else if (m_background->currentIndex() == 2 && !s.background)
        problem = workflow::parseColour(m_backgroundColour->text()).problem;
    else if (s.sizeMode == SizeMode::Pad && !workflow::parseColour(m_padColour->text()).value)
        problem = workflow::parseColour(m_padColour->text()).problem;
    else if (!s.renamePattern.isEmpty() && !workflow::RenamePattern::parse(s.renamePattern).value)
        problem = workflow::RenamePattern::parse(s.renamePattern).problem;
    else
        problem = workflow::settingsProblem(s);
    if (!problem.isEmpty()) {
        m_place.notifier->information(problem);
        return;
    }
    // The start preset follows its box, when the presets can be stored.
    const QString chosen = m_preset->currentData().toString();
    const bool wasStart = !m_file.start.isEmpty() && workflow::findPreset(m_presets, m_file.start)
                          == workflow::findPreset(m_presets, chosen);
    if (!m_damaged && !chosen.isEmpty() && m_atStart->isChecked() != wasStart) {
        workflow::PresetFile file = m_file;
        file.start = m_atStart->isChecked() ? chosen : QString();
        store(file);
    }
    QDialog::accept();
}

} // namespace window
