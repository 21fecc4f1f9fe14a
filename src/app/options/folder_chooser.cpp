#include "app/options/folder_chooser.h"

#include "app/shell/app_context.h"
#include "app/shell/startup_settings.h"

#include "core/translation/keys.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStorageInfo>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace busmason::app {

namespace {

/// Mount points of removable and extra volumes worth offering as places.
bool isUserVolume(const QString& root) {
    return root.startsWith("/media/") || root.startsWith("/mnt/") || root.startsWith("/run/media/");
}

/// Shows a modal dialog as a child of another window for one use, then gives it back to its
/// owner, so it stacks above and centres on whichever window opened it.
class BorrowedParent {
public:
    BorrowedParent(QDialog& dialog, QWidget* parent)
        : m_dialog(dialog), m_owner(dialog.parentWidget()) {
        if (parent && parent != m_owner) {
            m_dialog.setParent(parent, m_dialog.windowFlags());
        }
    }
    ~BorrowedParent() {
        if (m_dialog.parentWidget() != m_owner) {
            m_dialog.setParent(m_owner, m_dialog.windowFlags());
        }
    }
    BorrowedParent(const BorrowedParent&) = delete;
    BorrowedParent& operator=(const BorrowedParent&) = delete;

private:
    QDialog& m_dialog;
    QWidget* m_owner;
};

} // namespace

FolderChooser::FolderChooser(AppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context), m_places(new QComboBox(this)),
      m_tree(new QTreeView(this)), m_model(new QFileSystemModel(this)), m_label(new QLabel(this)),
      m_folderEdit(new QLineEdit(this)), m_okButton(new QPushButton("OK", this)),
      m_cancelButton(new QPushButton(this)) {
    setObjectName("TForm3");
    setWindowTitle(context.tr(translation::kSetWorkspace));
    setModal(true);

    m_places->setObjectName("DriveComboBox1");
    m_places->setAccessibleName(context.tr(translation::kUnita));
    m_places->setToolTip(context.tr(translation::kUnita));
    fillPlaces();

    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setReadOnly(true);
    m_tree->setObjectName("DirectoryListBox1");
    m_tree->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column) {
        m_tree->hideColumn(column);
    }
    m_tree->setHeaderHidden(true);
    m_tree->setAccessibleName(context.tr(translation::kDirectoryList));

    m_label->setObjectName("Label1");
    m_label->setText(context.tr(translation::kDirectory));
    m_label->setBuddy(m_folderEdit);
    m_folderEdit->setObjectName("Edit1");

    m_okButton->setObjectName("Button2");
    m_okButton->setDefault(true);
    m_cancelButton->setObjectName("Button3");
    m_cancelButton->setText(context.tr(translation::kAnnulla));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_places);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_label);
    layout->addWidget(m_folderEdit);
    layout->addLayout(buttons);
    resize(420, 480);

    // The model lists folders on a thread of its own; the chosen folder comes into view once the
    // folders above it are listed and sorted (the model sorts on a zero timer after each listing).
    connect(m_model, &QFileSystemModel::directoryLoaded, this,
            [this] { QTimer::singleShot(0, this, &FolderChooser::revealCurrent); });
    connect(m_places, &QComboBox::activated, this, &FolderChooser::placeChosen);
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &FolderChooser::treeFolderChanged);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void FolderChooser::setCaption(const QString& caption) {
    setWindowTitle(caption);
}

std::optional<QString> FolderChooser::choose(QWidget* parent, const QString& start) {
    const QString folder =
        !start.isEmpty() && QDir::isAbsolutePath(start) && QFileInfo(start).isDir()
            ? start
            : QDir::homePath();
    showFolder(folder);
    m_folderEdit->setFocus();
    m_folderEdit->selectAll();
    const BorrowedParent borrowed(*this, parent);
    if (m_context.dialogs().exec(*this) != QDialog::Accepted) {
        m_cancelled = true;
        return std::nullopt;
    }
    m_cancelled = false;
    QString chosen = QDir::fromNativeSeparators(m_folderEdit->text());
    while (chosen.size() > 1 && chosen.endsWith('/')) {
        chosen.chop(1);
    }
    return QDir::toNativeSeparators(chosen);
}

void FolderChooser::showFolder(const QString& folder) {
    const QString clean = QDir::cleanPath(QDir::fromNativeSeparators(folder));
    // The place that holds the folder: the longest place path it starts with.
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < m_places->count(); ++i) {
        const QString place = m_places->itemData(i).toString();
        const bool holds = clean == place || clean.startsWith(withTrailingSeparator(place));
        if (holds && place.size() > bestLength) {
            best = i;
            bestLength = place.size();
        }
    }
    if (best >= 0) {
        m_places->setCurrentIndex(best);
        placeChosen(best);
    }
    const QModelIndex index = m_model->index(clean);
    if (index.isValid()) {
        m_tree->setCurrentIndex(index);
        revealCurrent();
    }
    m_folderEdit->setText(QDir::toNativeSeparators(clean));
}

void FolderChooser::done(int result) {
    m_cancelled = result != QDialog::Accepted;
    QDialog::done(result);
}

void FolderChooser::revealCurrent() {
    const QModelIndex current = m_tree->currentIndex();
    if (!current.isValid()) {
        return;
    }
    for (QModelIndex parent = current.parent(); parent.isValid(); parent = parent.parent()) {
        m_tree->expand(parent);
    }
    m_tree->scrollTo(current, QAbstractItemView::PositionAtCenter);
}

void FolderChooser::placeChosen(int index) {
    const QString place = m_places->itemData(index).toString();
    m_model->setRootPath(place);
    m_tree->setRootIndex(m_model->index(place));
}

void FolderChooser::treeFolderChanged() {
    const QModelIndex current = m_tree->currentIndex();
    if (current.isValid()) {
        m_folderEdit->setText(QDir::toNativeSeparators(m_model->filePath(current)));
    }
}

void FolderChooser::fillPlaces() {
    QStringList places;
    const auto add = [&places](const QString& path) {
        const QString clean = QDir::cleanPath(path);
        if (!clean.isEmpty() && !places.contains(clean)) {
            places << clean;
        }
    };
    for (const QFileInfo& drive : QDir::drives()) {
        add(drive.absoluteFilePath());
    }
    add(QDir::homePath());
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady() && isUserVolume(volume.rootPath())) {
            add(volume.rootPath());
        }
    }
    for (const QString& place : places) {
        m_places->addItem(QDir::toNativeSeparators(place), place);
    }
}

} // namespace busmason::app
