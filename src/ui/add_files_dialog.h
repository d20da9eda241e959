#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QFileSystemModel;
class QListWidget;
class QPushButton;
class QTreeView;

namespace siteherald {
class SubmissionDocument;
}

namespace siteherald::ui {

// "Add Submission Files": pick a folder, and every .sdf file in it joins the known-file
// list. The files added stay listed for the program's run.
class AddFilesDialog : public QDialog {
    Q_OBJECT
public:
    // document: holds the known-file list the files join.
    // writeAndRefresh: "&Close" writes the list and refreshes the file lists with it.
    AddFilesDialog(SubmissionDocument& document, std::function<void()> writeAndRefresh,
                   QWidget* parent);

    // Chooses a folder as if the user had clicked it in the tree.
    void SelectFolder(const QString& path);
    QString selectedFolder() const;

public slots:
    void onAddClicked();
    void onCloseClicked();

protected:
    // Esc presses "&Close"; a close by the title bar writes nothing.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void onFolderChanged();
    QStringList SubmissionFilesIn(const QString& folder) const;

    SubmissionDocument& document_;
    std::function<void()> writeAndRefresh_;
    QFileSystemModel* model_;
    QTreeView* folderTree_;
    QListWidget* addedFilesList_;
    QPushButton* addButton_;
    QPushButton* closeButton_;
};

} // namespace siteherald::ui
