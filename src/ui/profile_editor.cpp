#include "profile_editor.h"

#include "core/profiles.h"
#include "event_guard.h"
#include "field_form.h"
#include "message_box.h"
#include "text_codec.h"
#include "widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTabBar>
#include <QVBoxLayout>

namespace siteherald::ui {

namespace {

constexpr const char* kLayoutFile = "filelay.dat";
constexpr const char* kProfsFile = "profs.dat";

QComboBox* NamedChoice(const QString& name, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    return combo;
}

// One field's page: type, (half size), name, default value, auto fill.
QWidget* FieldPage(const QString& name, QComboBox* type, QCheckBox* half, QLineEdit* fieldName,
                   QLineEdit* defaultValue, QComboBox* autoFill) {
    auto* page = new QWidget;
    page->setObjectName(name);
    type->addItems({QStringLiteral("Edit"), QStringLiteral("Memo")});
    auto* form = new QFormLayout(page);
    auto* typeRow = new QHBoxLayout;
    typeRow->addWidget(type, 1);
    if (half)
        typeRow->addWidget(half);
    form->addRow(QStringLiteral("Type:"), typeRow);
    form->addRow(QStringLiteral("Name:"), fieldName);
    form->addRow(QStringLiteral("Default Value:"), defaultValue);
    form->addRow(QStringLiteral("Auto Fill:"), autoFill);
    return page;
}

} // namespace

ProfileEditor::ProfileEditor(std::function<void()> profileSaved, QWidget* parent)
    : QDialog(parent), profileSaved_(std::move(profileSaved)) {
    setObjectName(QStringLiteral("TForm5"));
    setWindowTitle(QStringLiteral("Profile Editor"));
    setModal(true);

    profileNameEdit_ = NamedEdit(QStringLiteral("Edit5"), this);
    rowList_ = new QListWidget(this);
    rowList_->setObjectName(QStringLiteral("ListBox1"));
    profileNameList_ = new QListWidget(this);
    profileNameList_->setObjectName(QStringLiteral("ListBox2"));
    profileNameList_->hide();
    removeRowButton_ = NamedButton(QStringLiteral("Button5"), QStringLiteral("&Remove"),
                                   QStringLiteral("Removes row from profile"), this);
    editRowButton_ = NamedButton(QStringLiteral("Button4"), QStringLiteral("&Edit"),
                                 QStringLiteral("Edits selected row"), this);
    saveProfileButton_ = NamedButton(QStringLiteral("Button10"), QStringLiteral("&Save Profile"),
                                     QStringLiteral("Saves profile"), this);

    typeOneCombo_ = NamedChoice(QStringLiteral("ComboBox1"), this);
    halfSizeCheck_ = new QCheckBox(QStringLiteral("Half Size"), this);
    halfSizeCheck_->setObjectName(QStringLiteral("CheckBox1"));
    nameOneEdit_ = NamedEdit(QStringLiteral("Edit1"), this);
    defaultOneEdit_ = NamedEdit(QStringLiteral("Edit2"), this);
    autoFillOneCombo_ = NamedChoice(QStringLiteral("ComboBox3"), this);
    typeTwoCombo_ = NamedChoice(QStringLiteral("ComboBox2"), this);
    nameTwoEdit_ = NamedEdit(QStringLiteral("Edit3"), this);
    defaultTwoEdit_ = NamedEdit(QStringLiteral("Edit4"), this);
    autoFillTwoCombo_ = NamedChoice(QStringLiteral("ComboBox4"), this);
    fieldOnePage_ = FieldPage(QStringLiteral("Panel2"), typeOneCombo_, halfSizeCheck_, nameOneEdit_,
                              defaultOneEdit_, autoFillOneCombo_);
    fieldTwoPage_ = FieldPage(QStringLiteral("Panel4"), typeTwoCombo_, nullptr, nameTwoEdit_,
                              defaultTwoEdit_, autoFillTwoCombo_);
    fieldTabs_ = new QTabBar(this);
    fieldTabs_->setObjectName(QStringLiteral("TabControl1"));
    fieldTabs_->addTab(QStringLiteral("Field One"));
    fieldTabs_->addTab(QStringLiteral("Field Two"));
    addRowButton_ = NamedButton(QStringLiteral("Button3"), QStringLiteral("&Add"),
                                QStringLiteral("Adds row to profile"), this);
    cancelRowButton_ = NamedButton(QStringLiteral("Button7"), QStringLiteral("Cancel"),
                                   QStringLiteral("Discard changes"), this);
    cancelRowButton_->hide();
    rowNumberLabel_ = new QLabel(QStringLiteral("1"), this);
    rowNumberLabel_->setObjectName(QStringLiteral("Label13"));
    preview_ = new FieldForm(false, this);
    preview_->setObjectName(QStringLiteral("ScrollBox1"));
    for (QPushButton* b :
         {removeRowButton_, editRowButton_, saveProfileButton_, addRowButton_, cancelRowButton_})
        b->setAutoDefault(false);

    connect(profileNameEdit_, &QLineEdit::textEdited, this, [this] { ProfileSaved = false; });
    connect(halfSizeCheck_, &QCheckBox::toggled, this, &ProfileEditor::SetHalfSize);
    connect(fieldTabs_, &QTabBar::currentChanged, this, &ProfileEditor::ShowTab);
    connect(addRowButton_, &QPushButton::clicked, this, &ProfileEditor::onAddRowClicked);
    connect(editRowButton_, &QPushButton::clicked, this, &ProfileEditor::onEditRowClicked);
    connect(rowList_, &QListWidget::itemDoubleClicked, this, &ProfileEditor::onEditRowClicked);
    connect(removeRowButton_, &QPushButton::clicked, this, &ProfileEditor::onRemoveRowClicked);
    connect(cancelRowButton_, &QPushButton::clicked, this, &ProfileEditor::onCancelRowClicked);
    connect(saveProfileButton_, &QPushButton::clicked, this, &ProfileEditor::onSaveProfileClicked);

    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Profile Name:"), this));
    left->addWidget(profileNameEdit_);
    left->addWidget(new QLabel(QStringLiteral("Fields:"), this));
    left->addWidget(rowList_, 1);
    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(removeRowButton_);
    listButtons->addWidget(editRowButton_);
    left->addLayout(listButtons);
    left->addWidget(saveProfileButton_);

    auto* right = new QVBoxLayout;
    right->addWidget(fieldTabs_);
    right->addWidget(fieldOnePage_);
    right->addWidget(fieldTwoPage_);
    fieldTwoPage_->hide();
    auto* rowLine = new QHBoxLayout;
    rowLine->addWidget(new QLabel(QStringLiteral("Row Number:"), this));
    rowLine->addWidget(rowNumberLabel_);
    rowLine->addStretch();
    rowLine->addWidget(addRowButton_);
    rowLine->addWidget(cancelRowButton_);
    right->addLayout(rowLine);

    auto* top = new QHBoxLayout;
    top->addLayout(left, 2);
    top->addLayout(right, 3);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    auto* previewBar = new QLabel(QStringLiteral("PREVIEW:"), this);
    previewBar->setStyleSheet(QStringLiteral("background: #3a5f9f; color: white; padding: 2px"));
    layout->addWidget(previewBar);
    layout->addWidget(preview_, 1);
    resize(600, 480);
}

void ProfileEditor::Open(const std::string& name) {
    ProfileName = name;
    profileNameEdit_->setEnabled(name.empty());
    Guard(this, [this] {
        ClearAll();
        LayoutLines.clear();
        LoadLineFile(kLayoutFile, LayoutLines);
        profileNameList_->clear();
        for (const std::string& profile : DisplayDefaultList(LayoutLines))
            profileNameList_->addItem(FromBytes(profile));
        if (!ProfileName.empty()) {
            const auto rows = ProfileSection(LayoutLines, ProfileName);
            if (!rows) {
                MessageBoxes::Show(this, MessageIcon::Information,
                                   QStringLiteral("Cannot find selected profile."), Buttons::Ok);
                ProfileName.clear();
            } else {
                profileNameEdit_->setText(FromBytes(ProfileName));
                ProfileRows = *rows;
                for (const std::string& entry : ProfileRowList(ProfileRows, FreeAutoFills))
                    rowList_->addItem(FromBytes(entry));
                SetRowNumber(RowCount(ProfileRows) + 1);
                ClearFields();
            }
            ClearPreview();
        }
        ProfileSaved = true;
    });
    exec();
}

void ProfileEditor::ClearAll() {
    profileNameEdit_->clear();
    rowList_->clear();
    ProfileRows.clear();
    SetRowNumber(1);
    FreeAutoFills = GetAutoFill(kProfsFile);
    EnableFields(true);
    editingRow_ = false;
    addRowButton_->setText(QStringLiteral("&Add"));
    cancelRowButton_->hide();
    ClearFields();
    ClearPreview();
}

void ProfileEditor::ClearFields() {
    for (QLineEdit* edit : {nameOneEdit_, defaultOneEdit_, nameTwoEdit_, defaultTwoEdit_})
        edit->clear();
    halfSizeCheck_->setChecked(true);
    SetHalfSize(true);
    typeOneCombo_->setCurrentIndex(0);
    typeTwoCombo_->setCurrentIndex(0);
    for (QComboBox* choice : {autoFillOneCombo_, autoFillTwoCombo_}) {
        choice->clear();
        for (const std::string& identifier : FreeAutoFills)
            choice->addItem(FromBytes(identifier));
        choice->addItem(QStringLiteral("None"));
        choice->setCurrentIndex(choice->count() - 1);
    }
    fieldTabs_->setCurrentIndex(0);
    ShowTab(0);
}

void ProfileEditor::EnableFields(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{editRowButton_, removeRowButton_,
                                                      saveProfileButton_, rowList_})
        w->setEnabled(on);
}

void ProfileEditor::SetHalfSize(bool half) {
    if (half && fieldTabs_->count() == 1)
        fieldTabs_->addTab(QStringLiteral("Field Two"));
    else if (!half && fieldTabs_->count() == 2)
        fieldTabs_->removeTab(1);
}

void ProfileEditor::ShowTab(int index) {
    fieldTwoPage_->setVisible(index == 1);
    fieldOnePage_->setVisible(index != 1);
}

void ProfileEditor::SetRowNumber(int number) {
    rowNumberLabel_->setText(QString::number(number));
}

int ProfileEditor::RowNumber() const {
    return rowNumberLabel_->text().toInt();
}

RowInput ProfileEditor::Input() const {
    // A pasted line break is a space here already, so the row list shows the stored names.
    const auto text = [](const QLineEdit* edit) { return OneLineValue(ToBytes(edit->text())); };
    RowInput row;
    row.type1 = ToBytes(typeOneCombo_->currentText());
    row.name1 = text(nameOneEdit_);
    row.default1 = text(defaultOneEdit_);
    row.autoFill1 = ToBytes(autoFillOneCombo_->currentText());
    row.halfSize = halfSizeCheck_->isChecked();
    row.type2 = ToBytes(typeTwoCombo_->currentText());
    row.name2 = text(nameTwoEdit_);
    row.default2 = text(defaultTwoEdit_);
    row.autoFill2 = ToBytes(autoFillTwoCombo_->currentText());
    return row;
}

bool ProfileEditor::GoodFields() {
    const std::string problem = RowProblem(Input());
    if (problem.empty())
        return true;
    MessageBoxes::Show(this, MessageIcon::Warning, FromBytes(problem), Buttons::Ok);
    return false;
}

void ProfileEditor::ClearPreview() {
    preview_->Clear();
}

void ProfileEditor::DoScrollBox(int row) {
    preview_->Clear();
    for (const FieldDefinition& field : RowFields(ProfileRows, row))
        preview_->AddField(field);
}

void ProfileEditor::LoadField(int field, const FieldDefinition& parsed) {
    QComboBox* type = field == 1 ? typeOneCombo_ : typeTwoCombo_;
    QComboBox* autoFill = field == 1 ? autoFillOneCombo_ : autoFillTwoCombo_;
    type->setCurrentIndex(parsed.type == "E" ? 0 : 1);
    (field == 1 ? defaultOneEdit_ : defaultTwoEdit_)->setText(FromBytes(parsed.defaultValue));
    (field == 1 ? nameOneEdit_ : nameTwoEdit_)->setText(FromBytes(parsed.name));
    const int index = autoFill->findText(FromBytes(parsed.autoFill), Qt::MatchExactly);
    autoFill->setCurrentIndex(index >= 0 ? index : autoFill->count() - 1);
}

void ProfileEditor::onAddRowClicked() {
    if (!GoodFields())
        return;
    const RowInput row = Input();
    if (!editingRow_) {
        const int number = RowNumber();
        AddRow(ProfileRows, number, row, FreeAutoFills);
        rowList_->addItem(FromBytes(RowListEntry(number, row)));
        ProfileSaved = false;
        ClearFields();
        SetRowNumber(number + 1);
    } else {
        const int number = RowNumber();
        EditRow(ProfileRows, number, row, FreeAutoFills);
        if (QListWidgetItem* item = rowList_->item(number - 1))
            item->setText(FromBytes(RowListEntry(number, row)));
        ProfileSaved = false;
        SetRowNumber(rowList_->count() + 1);
        ClearFields();
        editingRow_ = false;
        addRowButton_->setText(QStringLiteral("&Add"));
        cancelRowButton_->hide();
        EnableFields(true);
    }
    ClearPreview();
}

void ProfileEditor::onEditRowClicked() {
    const int index = rowList_->currentRow();
    if (index < 0 || !rowList_->item(index)->isSelected())
        return;
    const int row = index + 1;
    DoScrollBox(row);
    EnableFields(false);
    SetRowNumber(row);
    const std::vector<FieldDefinition> fields = RowFields(ProfileRows, row);
    for (const FieldDefinition& field : fields)
        FreeAutoFill(FreeAutoFills, field.autoFill);
    ClearFields();
    halfSizeCheck_->setChecked(rowList_->item(index)->text().contains(QLatin1Char(',')));
    for (size_t i = 0; i < fields.size() && i < 2; ++i)
        LoadField(static_cast<int>(i) + 1, fields[i]);
    editingRow_ = true;
    cancelRowButton_->show();
    addRowButton_->setText(QStringLiteral("OK"));
}

void ProfileEditor::onCancelRowClicked() {
    EnableFields(true);
    for (const FieldDefinition& field : RowFields(ProfileRows, RowNumber()))
        TakeAutoFill(FreeAutoFills, field.autoFill);
    ClearFields();
    SetRowNumber(rowList_->count() + 1);
    cancelRowButton_->hide();
    addRowButton_->setText(QStringLiteral("&Add"));
    editingRow_ = false;
}

void ProfileEditor::onRemoveRowClicked() {
    const int index = rowList_->currentRow();
    if (index < 0 || !rowList_->item(index)->isSelected())
        return;
    if (MessageBoxes::Show(this, MessageIcon::Confirmation,
                           QStringLiteral("Remove Row #") + QString::number(index + 1),
                           Buttons::YesNo) != Answer::Yes)
        return;
    RemoveRow(ProfileRows, index + 1, FreeAutoFills);
    std::vector<std::string> entries;
    for (int i = 0; i < rowList_->count(); ++i)
        entries.push_back(ToBytes(rowList_->item(i)->text()));
    ShiftRowList(entries, static_cast<size_t>(index));
    rowList_->clear();
    for (const std::string& entry : entries)
        rowList_->addItem(FromBytes(entry));
    SetRowNumber(RowNumber() - 1);
    ProfileSaved = false;
    ClearPreview();
}

void ProfileEditor::onSaveProfileClicked() {
    if (ProfileRows.empty()) {
        MessageBoxes::Show(this, MessageIcon::Information,
                           QStringLiteral("You must add at least one row of fields before saving."),
                           Buttons::Ok);
        return;
    }
    const QString name = FromBytes(OneLineValue(ToBytes(profileNameEdit_->text())));
    if (name.isEmpty()) {
        MessageBoxes::Show(this, MessageIcon::Information,
                           QStringLiteral("You give this profile a name before saving."),
                           Buttons::Ok);
        return;
    }
    for (int i = 0; i < profileNameList_->count(); ++i) {
        if (profileNameList_->item(i)->text() == name && ToBytes(name) != ProfileName) {
            MessageBoxes::Show(this, MessageIcon::Warning,
                               QStringLiteral("That profile name is already taken."), Buttons::Ok);
            return;
        }
    }
    const std::string newName = ToBytes(name);
    if (!ProfileName.empty()) {
        SaveOldProf(LayoutLines, ProfileName, newName, ProfileRows);
        const auto old = profileNameList_->findItems(FromBytes(ProfileName), Qt::MatchExactly);
        for (QListWidgetItem* item : old)
            delete item;
    } else {
        SaveNewProf(LayoutLines, newName, ProfileRows);
    }
    profileNameList_->addItem(name);
    ProfileName = newName;
    ProfileSaved = true;
    profileSaved_();
}

bool ProfileEditor::CheckSaved() {
    if (ProfileSaved)
        return true;
    switch (MessageBoxes::Show(this, MessageIcon::Confirmation,
                               QStringLiteral("Save changes to the current profile?"),
                               Buttons::YesNoCancel)) {
    case Answer::Yes:
        // The save itself, not a click: the button is disabled while a row is being edited.
        onSaveProfileClicked();
        return ProfileSaved; // a refused save keeps the editor open, so no row is lost
    case Answer::No:
        return true;
    default:
        return false;
    }
}

void ProfileEditor::done(int result) {
    if (!CheckSaved())
        return;
    bool written = false;
    Guard(this, [this, &written] {
        SaveLineFile(kLayoutFile, LayoutLines);
        written = true;
    });
    // After a failed write the editor stays open once, so the profiles saved here are not
    // lost unseen; closing again gives up.
    if (!written && !writeFailed_) {
        writeFailed_ = true;
        return;
    }
    writeFailed_ = false;
    QDialog::done(result);
}

} // namespace siteherald::ui
