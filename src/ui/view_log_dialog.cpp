#include "view_log_dialog.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace siteherald::ui {

ViewLogDialog::ViewLogDialog(QWidget* parent) : QDialog(parent, Qt::Tool) {
    setObjectName(QStringLiteral("TForm7"));
    setWindowTitle(QStringLiteral("View Log File"));
    logText_ = new QPlainTextEdit(this);
    logText_->setObjectName(QStringLiteral("Memo1"));
    logText_->setReadOnly(true);
    logText_->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(logText_);
    resize(420, 300);
}

void ViewLogDialog::done(int result) {
    logText_->clear();
    QDialog::done(result);
}

} // namespace siteherald::ui
