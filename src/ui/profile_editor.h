#pragma once

#include "core/line_file.h"
#include "core/profile_rows.h"

#include <QDialog>
#include <functional>
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
    // `profileSaved` runs whenever a profile is saved.
    ProfileEditor(std::function<void()> profileSaved, QWidget* parent);

    // Opens the editor for a new profile (empty name) or for the profile `name`.
    void Open(const std::string& name);

    // The controls, public for the tests.
    QLineEdit* profileNameEdit_ = nullptr;
    QListWidget* rowList_ = nullptr;
    QListWidget* profileNameList_ = nullptr; // every profile's name (hidden)
    QPushButton* removeRowButton_ = nullptr;
    QPushButton* editRowButton_ = nullptr;
    QPushButton* saveProfileButton_ = nullptr;
    QTabBar* fieldTabs_ = nullptr;
    QWidget* fieldOnePage_ = nullptr;
    QWidget* fieldTwoPage_ = nullptr;
    QComboBox* typeOneCombo_ = nullptr;
    QCheckBox* halfSizeCheck_ = nullptr;
    QLineEdit* nameOneEdit_ = nullptr;
    QLineEdit* defaultOneEdit_ = nullptr;
    QComboBox* autoFillOneCombo_ = nullptr;
    QComboBox* typeTwoCombo_ = nullptr;
    QLineEdit* nameTwoEdit_ = nullptr;
    QLineEdit* defaultTwoEdit_ = nullptr;
    QComboBox* autoFillTwoCombo_ = nullptr;
    QPushButton* addRowButton_ = nullptr; // "&Add", or "OK" while a row is being edited
    QPushButton* cancelRowButton_ = nullptr;
    QLabel* rowNumberLabel_ = nullptr;
    FieldForm* preview_ = nullptr;

    LineList LayoutLines;
    LineList ProfileRows;
    std::vector<std::string> FreeAutoFills;
    std::string ProfileName;
    bool ProfileSaved = true;

public slots:
    void onAddRowClicked();
    void onEditRowClicked();
    void onRemoveRowClicked();
    void onCancelRowClicked();
    void onSaveProfileClicked();

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

    std::function<void()> profileSaved_;
    bool editingRow_ = false;
    bool writeFailed_ = false;
};

} // namespace siteherald::ui
