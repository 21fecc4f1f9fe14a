#pragma once

#include <QDialog>
#include <QString>

#include <optional>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

namespace busmason::app {

class AppContext;

/// The folder chooser: a place selector (the file system's root, the home folder and mounted
/// volumes), a folder tree and the chosen folder as text, which may also be typed. It reports
/// the folder and whether the user accepted; the caller decides what to do with it. Closing it
/// with the window's close box or Escape counts as cancel.
class FolderChooser : public QDialog {
    Q_OBJECT
public:
    explicit FolderChooser(AppContext& context, QWidget* parent = nullptr);

    /// Replaces the caption ("<SET WORKSPACE>" at creation); the replacement stays for later uses.
    void setCaption(const QString& caption);

    /// Shows the chooser modally over parent, starting at start (the home folder when start
    /// is empty or no folder). The folder as the text field holds it, without a trailing
    /// separator (the root stays "/"), or none when cancelled. A typed folder that does not
    /// exist is returned as typed.
    std::optional<QString> choose(QWidget* parent, const QString& start);

    /// Selects folder in the tree (and so in the text field), switching the place selector to
    /// the place that holds it.
    void showFolder(const QString& folder);

    /// True after the last use was cancelled (false before the first use).
    bool chooserCancelled() const { return m_cancelled; }

    void done(int result) override;

private:
    void placeChosen(int index);
    void treeFolderChanged();
    void fillPlaces();
    /// Expands the folders above the tree's current folder and scrolls it into view.
    void revealCurrent();

    AppContext& m_context;
    QComboBox* m_places;
    QTreeView* m_tree;
    QFileSystemModel* m_model;
    QLabel* m_label;
    QLineEdit* m_folderEdit;
    QPushButton* m_okButton;
    QPushButton* m_cancelButton;
    bool m_cancelled = false;
};

} // namespace busmason::app
