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

ProfileEditor::ProfileEditor(bool& profileChanged, QWidget* parent)
    : QDialog(parent), profileChanged_(profileChanged) {
    setObjectName(QStringLiteral("TForm5"));
    setWindowTitle(QStringLiteral("Profile Editor"));
    setModal(true);

    Edit5 = NamedEdit(QStringLiteral("Edit5"), this);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox2 = new QListWidget(this);
    ListBox2->setObjectName(QStringLiteral("ListBox2"));
    ListBox2->hide();
    Button5 = NamedButton(QStringLiteral("Button5"), QStringLiteral("&Remove"),
                          QStringLiteral("Removes row from profile"), this);
    Button4 = NamedButton(QStringLiteral("Button4"), QStringLiteral("&Edit"),
                          QStringLiteral("Edits selected row"), this);
    Button10 = NamedButton(QStringLiteral("Button10"), QStringLiteral("&Save Profile"),
                           QStringLiteral("Saves profile"), this);

    ComboBox1 = NamedChoice(QStringLiteral("ComboBox1"), this);
    CheckBox1 = new QCheckBox(QStringLiteral("Half Size"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    Edit1 = NamedEdit(QStringLiteral("Edit1"), this);
    Edit2 = NamedEdit(QStringLiteral("Edit2"), this);
    ComboBox3 = NamedChoice(QStringLiteral("ComboBox3"), this);
    ComboBox2 = NamedChoice(QStringLiteral("ComboBox2"), this);
    Edit3 = NamedEdit(QStringLiteral("Edit3"), this);
    Edit4 = NamedEdit(QStringLiteral("Edit4"), this);
    ComboBox4 = NamedChoice(QStringLiteral("ComboBox4"), this);
    Panel2 = FieldPage(QStringLiteral("Panel2"), ComboBox1, CheckBox1, Edit1, Edit2, ComboBox3);
    Panel4 = FieldPage(QStringLiteral("Panel4"), ComboBox2, nullptr, Edit3, Edit4, ComboBox4);
    TabControl1 = new QTabBar(this);
    TabControl1->setObjectName(QStringLiteral("TabControl1"));
    TabControl1->addTab(QStringLiteral("Field One"));
    TabControl1->addTab(QStringLiteral("Field Two"));
    Button3 = NamedButton(QStringLiteral("Button3"), QStringLiteral("&Add"),
                          QStringLiteral("Adds row to profile"), this);
    Button7 = NamedButton(QStringLiteral("Button7"), QStringLiteral("Cancel"),
                          QStringLiteral("Discard changes"), this);
    Button7->hide();
    Label13 = new QLabel(QStringLiteral("1"), this);
    Label13->setObjectName(QStringLiteral("Label13"));
    Preview = new FieldForm(false, this);
    Preview->setObjectName(QStringLiteral("ScrollBox1"));
    for (QPushButton* b : {Button5, Button4, Button10, Button3, Button7})
        b->setAutoDefault(false);

    connect(Edit5, &QLineEdit::textEdited, this, [this] { ProfileSaved = false; });
    connect(CheckBox1, &QCheckBox::toggled, this, &ProfileEditor::SetHalfSize);
    connect(TabControl1, &QTabBar::currentChanged, this, &ProfileEditor::ShowTab);
    connect(Button3, &QPushButton::clicked, this, &ProfileEditor::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &ProfileEditor::Button4Click);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &ProfileEditor::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &ProfileEditor::Button5Click);
    connect(Button7, &QPushButton::clicked, this, &ProfileEditor::Button7Click);
    connect(Button10, &QPushButton::clicked, this, &ProfileEditor::Button10Click);

    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Profile Name:"), this));
    left->addWidget(Edit5);
    left->addWidget(new QLabel(QStringLiteral("Fields:"), this));
    left->addWidget(ListBox1, 1);
    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(Button5);
    listButtons->addWidget(Button4);
    left->addLayout(listButtons);
    left->addWidget(Button10);

    auto* right = new QVBoxLayout;
    right->addWidget(TabControl1);
    right->addWidget(Panel2);
    right->addWidget(Panel4);
    Panel4->hide();
    auto* rowLine = new QHBoxLayout;
    rowLine->addWidget(new QLabel(QStringLiteral("Row Number:"), this));
    rowLine->addWidget(Label13);
    rowLine->addStretch();
    rowLine->addWidget(Button3);
    rowLine->addWidget(Button7);
    right->addLayout(rowLine);

    auto* top = new QHBoxLayout;
    top->addLayout(left, 2);
    top->addLayout(right, 3);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    auto* previewBar = new QLabel(QStringLiteral("PREVIEW:"), this);
    previewBar->setStyleSheet(QStringLiteral("background: #3a5f9f; color: white; padding: 2px"));
    layout->addWidget(previewBar);
    layout->addWidget(Preview, 1);
    resize(600, 480);
}

void ProfileEditor::Open(const std::string& name) {
    ProfileName = name;
    Edit5->setEnabled(name.empty());
    Guard(this, [this] {
        ClearAll();
        LayoutLines.clear();
        LoadLineFile(kLayoutFile, LayoutLines);
        ListBox2->clear();
        for (const std::string& profile : DisplayDefaultList(LayoutLines))
            ListBox2->addItem(FromBytes(profile));
        if (!ProfileName.empty()) {
            const auto rows = ProfileSection(LayoutLines, ProfileName);
            if (!rows) {
                MessageBoxes::Show(this, MessageIcon::Information,
                                   QStringLiteral("Cannot find selected profile."), Buttons::Ok);
                ProfileName.clear();
            } else {
                Edit5->setText(FromBytes(ProfileName));
                ProfileRows = *rows;
                for (const std::string& entry : ProfileRowList(ProfileRows, FreeAutoFills))
                    ListBox1->addItem(FromBytes(entry));
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
    Edit5->clear();
    ListBox1->clear();
    ProfileRows.clear();
    SetRowNumber(1);
    FreeAutoFills = GetAutoFill(kProfsFile);
    EnableFields(true);
    editingRow_ = false;
    Button3->setText(QStringLiteral("&Add"));
    Button7->hide();
    ClearFields();
    ClearPreview();
}

void ProfileEditor::ClearFields() {
    for (QLineEdit* edit : {Edit1, Edit2, Edit3, Edit4})
        edit->clear();
    CheckBox1->setChecked(true);
    SetHalfSize(true);
    ComboBox1->setCurrentIndex(0);
    ComboBox2->setCurrentIndex(0);
    for (QComboBox* choice : {ComboBox3, ComboBox4}) {
        choice->clear();
        for (const std::string& identifier : FreeAutoFills)
            choice->addItem(FromBytes(identifier));
        choice->addItem(QStringLiteral("None"));
        choice->setCurrentIndex(choice->count() - 1);
    }
    TabControl1->setCurrentIndex(0);
    ShowTab(0);
}

void ProfileEditor::EnableFields(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{Button4, Button5, Button10, ListBox1})
        w->setEnabled(on);
}

void ProfileEditor::SetHalfSize(bool half) {
    if (half && TabControl1->count() == 1)
        TabControl1->addTab(QStringLiteral("Field Two"));
    else if (!half && TabControl1->count() == 2)
        TabControl1->removeTab(1);
}

void ProfileEditor::ShowTab(int index) {
    Panel4->setVisible(index == 1);
    Panel2->setVisible(index != 1);
}

void ProfileEditor::SetRowNumber(int number) {
    Label13->setText(QString::number(number));
}

int ProfileEditor::RowNumber() const {
    return Label13->text().toInt();
}

RowInput ProfileEditor::Input() const {
    // A pasted line break is a space here already, so the row list shows the stored names.
    const auto text = [](const QLineEdit* edit) { return OneLineValue(ToBytes(edit->text())); };
    RowInput row;
    row.type1 = ToBytes(ComboBox1->currentText());
    row.name1 = text(Edit1);
    row.default1 = text(Edit2);
    row.autoFill1 = ToBytes(ComboBox3->currentText());
    row.halfSize = CheckBox1->isChecked();
    row.type2 = ToBytes(ComboBox2->currentText());
    row.name2 = text(Edit3);
    row.default2 = text(Edit4);
    row.autoFill2 = ToBytes(ComboBox4->currentText());
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
    Preview->Clear();
}

void ProfileEditor::DoScrollBox(int row) {
    Preview->Clear();
    for (const FieldDefinition& field : RowFields(ProfileRows, row))
        Preview->AddField(field);
}

void ProfileEditor::LoadField(int field, const FieldDefinition& parsed) {
    QComboBox* type = field == 1 ? ComboBox1 : ComboBox2;
    QComboBox* autoFill = field == 1 ? ComboBox3 : ComboBox4;
    type->setCurrentIndex(parsed.type == "E" ? 0 : 1);
    (field == 1 ? Edit2 : Edit4)->setText(FromBytes(parsed.defaultValue));
    (field == 1 ? Edit1 : Edit3)->setText(FromBytes(parsed.name));
    const int index = autoFill->findText(FromBytes(parsed.autoFill), Qt::MatchExactly);
    autoFill->setCurrentIndex(index >= 0 ? index : autoFill->count() - 1);
}

void ProfileEditor::Button3Click() {
    if (!GoodFields())
        return;
    const RowInput row = Input();
    if (!editingRow_) {
        const int number = RowNumber();
        AddRow(ProfileRows, number, row, FreeAutoFills);
        ListBox1->addItem(FromBytes(RowListEntry(number, row)));
        ProfileSaved = false;
        ClearFields();
        SetRowNumber(number + 1);
    } else {
        const int number = RowNumber();
        EditRow(ProfileRows, number, row, FreeAutoFills);
        if (QListWidgetItem* item = ListBox1->item(number - 1))
            item->setText(FromBytes(RowListEntry(number, row)));
        ProfileSaved = false;
        SetRowNumber(ListBox1->count() + 1);
        ClearFields();
        editingRow_ = false;
        Button3->setText(QStringLiteral("&Add"));
        Button7->hide();
        EnableFields(true);
    }
    ClearPreview();
}

void ProfileEditor::Button4Click() {
    const int index = ListBox1->currentRow();
    if (index < 0 || !ListBox1->item(index)->isSelected())
        return;
    const int row = index + 1;
    DoScrollBox(row);
    EnableFields(false);
    SetRowNumber(row);
    const std::vector<FieldDefinition> fields = RowFields(ProfileRows, row);
    for (const FieldDefinition& field : fields)
        FreeAutoFill(FreeAutoFills, field.autoFill);
    ClearFields();
    CheckBox1->setChecked(ListBox1->item(index)->text().contains(QLatin1Char(',')));
    for (size_t i = 0; i < fields.size() && i < 2; ++i)
        LoadField(static_cast<int>(i) + 1, fields[i]);
    editingRow_ = true;
    Button7->show();
    Button3->setText(QStringLiteral("OK"));
}

void ProfileEditor::Button7Click() {
    EnableFields(true);
    for (const FieldDefinition& field : RowFields(ProfileRows, RowNumber()))
        TakeAutoFill(FreeAutoFills, field.autoFill);
    ClearFields();
    SetRowNumber(ListBox1->count() + 1);
    Button7->hide();
    Button3->setText(QStringLiteral("&Add"));
    editingRow_ = false;
}

void ProfileEditor::Button5Click() {
    const int index = ListBox1->currentRow();
    if (index < 0 || !ListBox1->item(index)->isSelected())
        return;
    if (MessageBoxes::Show(this, MessageIcon::Confirmation,
                           QStringLiteral("Remove Row #") + QString::number(index + 1),
                           Buttons::YesNo) != Answer::Yes)
        return;
    RemoveRow(ProfileRows, index + 1, FreeAutoFills);
    std::vector<std::string> entries;
    for (int i = 0; i < ListBox1->count(); ++i)
        entries.push_back(ToBytes(ListBox1->item(i)->text()));
    ShiftRowList(entries, static_cast<size_t>(index));
    ListBox1->clear();
    for (const std::string& entry : entries)
        ListBox1->addItem(FromBytes(entry));
    SetRowNumber(RowNumber() - 1);
    ProfileSaved = false;
    ClearPreview();
}

void ProfileEditor::Button10Click() {
    if (ProfileRows.empty()) {
        MessageBoxes::Show(this, MessageIcon::Information,
                           QStringLiteral("You must add at least one row of fields before saving."),
                           Buttons::Ok);
        return;
    }
    const QString name = FromBytes(OneLineValue(ToBytes(Edit5->text())));
    if (name.isEmpty()) {
        MessageBoxes::Show(this, MessageIcon::Information,
                           QStringLiteral("You give this profile a name before saving."),
                           Buttons::Ok);
        return;
    }
    for (int i = 0; i < ListBox2->count(); ++i) {
        if (ListBox2->item(i)->text() == name && ToBytes(name) != ProfileName) {
            MessageBoxes::Show(this, MessageIcon::Warning,
                               QStringLiteral("That profile name is already taken."), Buttons::Ok);
            return;
        }
    }
    const std::string newName = ToBytes(name);
    if (!ProfileName.empty()) {
        SaveOldProf(LayoutLines, ProfileName, newName, ProfileRows);
        const auto old = ListBox2->findItems(FromBytes(ProfileName), Qt::MatchExactly);
        for (QListWidgetItem* item : old)
            delete item;
    } else {
        SaveNewProf(LayoutLines, newName, ProfileRows);
    }
    ListBox2->addItem(name);
    ProfileName = newName;
    ProfileSaved = true;
    profileChanged_ = true;
}

bool ProfileEditor::CheckSaved() {
    if (ProfileSaved)
        return true;
    switch (MessageBoxes::Show(this, MessageIcon::Confirmation,
                               QStringLiteral("Save changes to the current profile?"),
                               Buttons::YesNoCancel)) {
    case Answer::Yes:
        // The save itself, not a click: the button is disabled while a row is being edited.
        Button10Click();
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
