#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace siteherald::ui {

// "Preferences": the browser programs and the default browser, automatic form filling, the
// sender's identity with the mail and news servers, and the data update's policy. Nothing is
// stored until every check passes.
class PreferencesDialog : public QDialog {
    Q_OBJECT
public:
    explicit PreferencesDialog(QWidget* parent);

    // Shows the window modally with the focus in `focus` (or where it was).
    void ShowWithFocus(QWidget* focus = nullptr);

    QTabWidget* PageControl1 = nullptr;
    QLineEdit* Edit1 = nullptr;     // Netscape Navigator
    QLineEdit* Edit2 = nullptr;     // Internet Explorer
    QLineEdit* Edit3 = nullptr;     // Other Browser
    QComboBox* ComboBox1 = nullptr; // default browser
    QCheckBox* CheckBox2 = nullptr; // fill in forms
    QLineEdit* Edit4 = nullptr;     // mail server
    QLineEdit* Edit5 = nullptr;     // news server
    QLineEdit* Edit6 = nullptr;     // name
    QLineEdit* Edit7 = nullptr;     // e-mail address
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QPushButton* Button1 = nullptr; // "&OK"
    QPushButton* Button2 = nullptr; // "&Cancel"

public slots:
    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool GoodFields();
    void Browse(QLineEdit* edit, const QString& browser);
};

} // namespace siteherald::ui
