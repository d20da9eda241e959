#pragma once

#include "broadcast/credentials.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace siteherald::ui {

// "Preferences": the browser programs and the default browser, automatic form filling, the
// sender's identity with the mail and news servers (security, user name, and a password kept
// in the keyring, never shown), and the data update's policy. Nothing is stored until every
// check passes.
class PreferencesDialog : public QDialog {
    Q_OBJECT
public:
    explicit PreferencesDialog(QWidget* parent);

    // Shows the window modally with the focus in `focus` (or where it was).
    void ShowWithFocus(QWidget* focus = nullptr);

    // The controls, public for the tests and for the main window, which opens the dialog
    // with the focus in a browser's box.
    QTabWidget* tabs_ = nullptr;
    QLineEdit* navigatorPathEdit_ = nullptr;
    QLineEdit* explorerPathEdit_ = nullptr;
    QLineEdit* otherBrowserPathEdit_ = nullptr;
    QComboBox* defaultBrowserCombo_ = nullptr;
    QCheckBox* fillFormsCheck_ = nullptr;
    QLineEdit* mailServerEdit_ = nullptr;
    QLineEdit* newsServerEdit_ = nullptr;
    QComboBox* mailSecurityCombo_ = nullptr;
    QComboBox* newsSecurityCombo_ = nullptr;
    QLineEdit* mailUserEdit_ = nullptr;
    QLineEdit* newsUserEdit_ = nullptr;
    QLineEdit* mailPasswordEdit_ = nullptr;
    QLineEdit* newsPasswordEdit_ = nullptr;
    QLineEdit* senderNameEdit_ = nullptr;
    QLineEdit* senderEmailEdit_ = nullptr;
    QRadioButton* updateAutomaticallyRadio_ = nullptr;
    QRadioButton* updateAskRadio_ = nullptr;
    QRadioButton* updateSkipRadio_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;

public slots:
    void onOkClicked();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool GoodFields();
    // The servers' settings as typed.
    Identity TypedIdentity() const;
    // The password box's placeholder: whether the keyring holds a password for the server and
    // user typed.
    void ShowStoredPassword(PasswordFor server);
    // Writes each typed password to the keyring; false, with the reason shown, when one
    // cannot be stored.
    bool StorePasswords();
    void Browse(QLineEdit* edit, const QString& browser);
};

} // namespace siteherald::ui
