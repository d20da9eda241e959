#pragma once

#include <QSize>
#include <QWidget>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;

namespace siteherald::ui {

// The compact window of submit mode: the engine choice with its "Submitted" tick and log, the
// fields of the current submission file to copy, and the buttons that shrink it, keep it on
// top and return to the regular window. It only shows and reports; the Promote tab acts.
class SubmitPanel : public QWidget {
    Q_OBJECT
public:
    explicit SubmitPanel(QWidget* parent);

    // The engine list, and its choice, set without reporting a choice.
    void SetEngines(const std::vector<std::string>& names);
    void ShowEngine(int index);
    void SetSubmitted(bool submitted);
    void SetLogAvailable(bool logged);
    void SetFieldNames(const QStringList& names);
    bool staysOnTop() const;

signals:
    void engineChosen(int index);
    void submittedToggled(bool checked);
    void logRequested();
    void copyRequested(const QString& fieldName);
    void regularModeRequested();
    void stayOnTopToggled(bool down);
    // Shrunk or expanded: the window's client area takes the panel's new size.
    void sizeChanged(QSize size);

private slots:
    void onCopyClicked();
    void onShrinkClicked(); // shrinks or expands the panel

private:
    QWidget* enginePanel_ = nullptr;
    QComboBox* engineChoice_ = nullptr;
    QCheckBox* submittedBox_ = nullptr;
    QPushButton* logButton_ = nullptr;
    QListWidget* fieldList_ = nullptr;
    QWidget* buttonPanel_ = nullptr;
    QPushButton* copyButton_ = nullptr;
    QPushButton* shrinkButton_ = nullptr;
    QPushButton* stayOnTopButton_ = nullptr;
};

} // namespace siteherald::ui
