#pragma once

#include <QDialog>

class QFileSystemModel;
class QListWidget;
class QPushButton;
class QTreeView;

namespace siteherald::ui {

class MainWindow;

// "Add Submission Files": pick a folder, and every .sdf file in it joins the known-file
// list. The files added stay listed for the program's run.
class AddFilesDialog : public QDialog {
    Q_OBJECT
public:
    explicit AddFilesDialog(MainWindow* window);

    // Chooses a folder as if the user had clicked it in the tree.
    void SelectFolder(const QString& path);
    QString selectedFolder() const;

public slots:
    void Button1Click(); // "&Add"
    void Button2Click(); // "&Close"

protected:
    // Esc presses "&Close"; a close by the title bar writes nothing.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void DirectoryListBox1Change();
    QStringList SubmissionFilesIn(const QString& folder) const;

    MainWindow* window_;
    QFileSystemModel* model_;
    QTreeView* DirectoryListBox1;
    QListWidget* ListBox1;
    QPushButton* Button1;
    QPushButton* Button2;
};

} // namespace siteherald::ui
