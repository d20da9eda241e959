#pragma once

#include "core/line_file.h"
#include "core/profile_rows.h"

#include <QDialog>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabBar;
class QWidget;

namespace siteherald::ui {

class FieldForm;

// "Profile Editor": a profile's name and its rows of one whole-width or two half-width
// fields, with a preview of a row. It edits a copy of filelay.dat and writes it whole when it
// closes.
class ProfileEditor : public QDialog {
    Q_OBJECT
public:
    // `profileChanged` is set whenever a profile is saved.
    ProfileEditor(bool& profileChanged, QWidget* parent);

    // Opens the editor for a new profile (empty name) or for the profile `name`.
    void Open(const std::string& name);

    QLineEdit* Edit5 = nullptr;      // profile name
    QListWidget* ListBox1 = nullptr; // rows
    QListWidget* ListBox2 = nullptr; // every profile's name (hidden)
    QPushButton* Button5 = nullptr;  // "&Remove"
    QPushButton* Button4 = nullptr;  // "&Edit"
    QPushButton* Button10 = nullptr; // "&Save Profile"
    QTabBar* TabControl1 = nullptr;
    QWidget* Panel2 = nullptr;
    QWidget* Panel4 = nullptr;
    QComboBox* ComboBox1 = nullptr; // field one: type
    QCheckBox* CheckBox1 = nullptr; // "Half Size"
    QLineEdit* Edit1 = nullptr;     // field one: name
    QLineEdit* Edit2 = nullptr;     // field one: default value
    QComboBox* ComboBox3 = nullptr; // field one: auto fill
    QComboBox* ComboBox2 = nullptr; // field two: type
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QComboBox* ComboBox4 = nullptr;
    QPushButton* Button3 = nullptr; // "&Add" / "OK"
    QPushButton* Button7 = nullptr; // "Cancel"
    QLabel* Label13 = nullptr;      // row number
    FieldForm* Preview = nullptr;

    LineList LayoutLines;
    LineList ProfileRows;
    std::vector<std::string> FreeAutoFills;
    std::string ProfileName;
    bool ProfileSaved = true;

public slots:
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button7Click();
    void Button10Click();

protected:
    void done(int result) override;

private:
    bool CheckSaved();
    void ClearAll();
    void ClearFields();
    void EnableFields(bool on);
    bool GoodFields();
    void ShowTab(int index);
    void SetHalfSize(bool half);
    void DoScrollBox(int row);
    void ClearPreview();
    void SetRowNumber(int number);
    int RowNumber() const;
    void LoadField(int field, const FieldDefinition& parsed);
    RowInput Input() const;

    bool& profileChanged_;
    bool editingRow_ = false;
    bool writeFailed_ = false;
};

} // namespace siteherald::ui
