#include "about_dialog.h"

#include "core/product_defaults.h"
#include "core/settings_keys.h"
#include "message_box.h"
#include "submit/desktop_open.h"
#include "text_codec.h"
#include "widgets.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

namespace siteherald::ui {

namespace {

std::string Website() {
    return Read(settings::Website);
}

} // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TForm13"));
    setWindowTitle(QStringLiteral("Siteherald"));
    setModal(true);
    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(QApplication::windowIcon().isNull()
                         ? style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(48, 48)
                         : QApplication::windowIcon().pixmap(48, 48));
    versionLabel_ = new QLabel(
        QStringLiteral("Siteherald ") +
            QString::fromLatin1(kProgramVersion.data(), static_cast<int>(kProgramVersion.size())),
        this);
    versionLabel_->setObjectName(QStringLiteral("Label3"));
    versionLabel_->setStyleSheet(QStringLiteral("color: red; font-family: serif; font-size: 21px"));
    websiteLabel_ = new QLabel(this);
    websiteLabel_->setObjectName(QStringLiteral("Label4"));
    websiteLabel_->setTextFormat(Qt::RichText);
    websiteLabel_->setTextInteractionFlags(Qt::LinksAccessibleByMouse |
                                           Qt::LinksAccessibleByKeyboard);
    connect(websiteLabel_, &QLabel::linkActivated, this, [this] { OpenWebsite(this); });
    closeButton_ = NamedButton(QStringLiteral("Button1"), QStringLiteral("&Close"), {}, this);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(versionLabel_);
    text->addWidget(websiteLabel_);
    auto* top = new QHBoxLayout;
    top->addWidget(image, 0, Qt::AlignTop);
    top->addLayout(text, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(closeButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(bottom);
}

void AboutDialog::showEvent(QShowEvent* event) {
    const QString site = FromBytes(Website()).toHtmlEscaped();
    websiteLabel_->setText(QStringLiteral("Visit our web site: <a style=\"color: blue\" href=\"") +
                           site + QStringLiteral("\">") + site + QStringLiteral("</a>"));
    QDialog::showEvent(event);
}

bool AboutDialog::OpenWebsite(QWidget* parent) {
    std::string error;
    const std::string site = Website();
    if (OpenWithDesktop(site, error))
        return true;
    MessageBoxes::Show(parent, MessageIcon::Error,
                       FromBytes("Could not open " + site + ": " + error), Buttons::Ok);
    return false;
}

} // namespace siteherald::ui
