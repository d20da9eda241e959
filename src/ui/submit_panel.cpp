// The compact submit-mode panel.
#include "submit_panel.h"

#include "combo_helpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace siteherald::ui {

namespace {

constexpr int kWidth = 142;
constexpr int kFullHeight = 288;
constexpr int kShrunkHeight = 29;
constexpr int kButtonsHeight = 52;
constexpr int kShrunkButtonsHeight = 27;

QPushButton* PanelButton(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

} // namespace

SubmitPanel::SubmitPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Panel6"));
    setFixedSize(kWidth, kFullHeight);
    enginePanel_ = new QWidget(this);
    enginePanel_->setObjectName(QStringLiteral("Panel7"));
    engineChoice_ = new QComboBox(enginePanel_);
    engineChoice_->setObjectName(QStringLiteral("ComboBox3"));
    connect(engineChoice_, &QComboBox::activated, this, &SubmitPanel::engineChosen);
    submittedBox_ = new QCheckBox(QStringLiteral("Submitted"), enginePanel_);
    submittedBox_->setObjectName(QStringLiteral("CheckBox2"));
    connect(submittedBox_, &QCheckBox::toggled, this, &SubmitPanel::submittedToggled);
    logButton_ = PanelButton(QStringLiteral("Button4"), QStringLiteral("&Log"), enginePanel_);
    logButton_->setEnabled(false);
    connect(logButton_, &QPushButton::clicked, this, &SubmitPanel::logRequested);
    auto* top = new QVBoxLayout(enginePanel_);
    top->setContentsMargins(2, 2, 2, 2);
    top->addWidget(engineChoice_);
    auto* tickRow = new QHBoxLayout;
    tickRow->addWidget(submittedBox_);
    tickRow->addWidget(logButton_);
    top->addLayout(tickRow);

    fieldList_ = new QListWidget(this);
    fieldList_->setObjectName(QStringLiteral("ListBox1"));
    connect(fieldList_, &QListWidget::itemSelectionChanged, this,
            [this] { copyButton_->setEnabled(!fieldList_->selectedItems().isEmpty()); });

    buttonPanel_ = new QWidget(this);
    buttonPanel_->setObjectName(QStringLiteral("Panel8"));
    copyButton_ = PanelButton(QStringLiteral("Button10"), QStringLiteral("C&opy"), buttonPanel_);
    copyButton_->setEnabled(false);
    shrinkButton_ =
        PanelButton(QStringLiteral("Button11"), QStringLiteral("&Shrink"), buttonPanel_);
    auto* regular =
        PanelButton(QStringLiteral("Button7"), QStringLiteral("&Reg. Mode"), buttonPanel_);
    stayOnTopButton_ =
        PanelButton(QStringLiteral("SpeedButton1"), QStringLiteral("Stay On &Top"), buttonPanel_);
    stayOnTopButton_->setCheckable(true);
    stayOnTopButton_->setChecked(true);
    connect(copyButton_, &QPushButton::clicked, this, &SubmitPanel::onCopyClicked);
    connect(shrinkButton_, &QPushButton::clicked, this, &SubmitPanel::onShrinkClicked);
    connect(regular, &QPushButton::clicked, this, &SubmitPanel::regularModeRequested);
    connect(stayOnTopButton_, &QPushButton::toggled, this, &SubmitPanel::stayOnTopToggled);
    auto* grid = new QGridLayout(buttonPanel_);
    grid->setContentsMargins(2, 2, 2, 2);
    grid->setSpacing(2);
    grid->addWidget(copyButton_, 0, 0);
    grid->addWidget(shrinkButton_, 0, 1);
    grid->addWidget(regular, 1, 0);
    grid->addWidget(stayOnTopButton_, 1, 1);
    buttonPanel_->setFixedHeight(kButtonsHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(enginePanel_);
    layout->addWidget(fieldList_, 1);
    layout->addWidget(buttonPanel_);
}

void SubmitPanel::SetEngines(const std::vector<std::string>& names) {
    SetItems(engineChoice_, names);
}

void SubmitPanel::ShowEngine(int index) {
    SelectQuietly(engineChoice_, index);
}

void SubmitPanel::SetSubmitted(bool submitted) {
    const QSignalBlocker quiet(submittedBox_);
    submittedBox_->setChecked(submitted);
}

void SubmitPanel::SetLogAvailable(bool logged) {
    logButton_->setEnabled(logged);
}

void SubmitPanel::SetFieldNames(const QStringList& names) {
    fieldList_->clear();
    fieldList_->addItems(names);
}

bool SubmitPanel::staysOnTop() const {
    return stayOnTopButton_->isChecked();
}

void SubmitPanel::onCopyClicked() {
    const auto selected = fieldList_->selectedItems();
    if (!selected.isEmpty())
        emit copyRequested(selected.front()->text());
}

void SubmitPanel::onShrinkClicked() {
    if (shrinkButton_->text() == QStringLiteral("&Shrink")) {
        enginePanel_->hide();
        fieldList_->hide();
        stayOnTopButton_->hide();
        buttonPanel_->setFixedHeight(kShrunkButtonsHeight);
        setFixedHeight(kShrunkHeight);
        emit sizeChanged(QSize(kWidth, kShrunkHeight));
        shrinkButton_->setText(QStringLiteral("&Expand"));
    } else {
        stayOnTopButton_->show();
        buttonPanel_->setFixedHeight(kButtonsHeight);
        setFixedHeight(kFullHeight);
        enginePanel_->show();
        fieldList_->show();
        emit sizeChanged(QSize(kWidth, kFullHeight));
        shrinkButton_->setText(QStringLiteral("&Shrink"));
    }
}

} // namespace siteherald::ui
