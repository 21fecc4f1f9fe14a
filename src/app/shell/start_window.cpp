#include "app/shell/start_window.h"

#include "app/options/folder_chooser.h"
#include "app/shell/app_context.h"
#include "app/shell/help_documents.h"
#include "app/shell/messages.h"
#include "app/shell/project_editor.h"
#include "app/shell/remembered.h"
#include "app/shell/startup_settings.h"

#include "core/eds/eds_library.h"
#include "core/output/declarations.h"
#include "core/output/io_map.h"
#include "core/translation/keys.h"

#include <QAction>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>

static void initShellResources() {
    Q_INIT_RESOURCE(shell);
}

namespace busmason::app {

namespace {

QToolButton* iconButton(const QString& objectName, const QString& icon, const QString& name,
                        const QKeySequence& shortcut, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setObjectName(objectName);
    b->setIcon(QIcon(icon));
    b->setIconSize(QSize(40, 40));
    b->setAutoRaise(true);
    b->setShortcut(shortcut);
    b->setAccessibleName(name);
    b->setToolTip(name + " (" + shortcut.toString(QKeySequence::NativeText) + ")");
    return b;
}

QString literal(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

StartWindow::StartWindow(AppContext& context, QWidget* parent)
    : QMainWindow(parent), m_context(context) {
    using namespace translation;
    initShellResources();
    setObjectName("TForm5");
    setWindowTitle(kCaption);

    QMenu* file = menuBar()->addMenu(context.tr(kFile));
    file->setObjectName("fileMenu");
    m_exitAction = file->addAction(context.tr(kExit), this, &QWidget::close);
    m_exitAction->setObjectName("exitAction");
    m_exitAction->setShortcut(QKeySequence::Quit);
    QMenu* tools = menuBar()->addMenu(context.tr(kStrumenti));
    tools->setObjectName("toolsMenu");
    m_optionsAction = tools->addAction(context.tr(kOpzioni), this, &StartWindow::showOptions);
    m_optionsAction->setObjectName("optionsAction");
    QMenu* help = menuBar()->addMenu(context.tr(kAiuto));
    help->setObjectName("helpMenu");
    m_tutorialAction = help->addAction(context.tr(kTutorial), this, &StartWindow::showTutorial);
    m_tutorialAction->setObjectName("tutorialAction");
    m_tutorialAction->setShortcut(QKeySequence::HelpContents);

    auto* central = new QWidget(this);
    m_newButton = iconButton("newProjectButton", ":/shell/icons/new_project.svg",
                             context.tr(kNuovoProgetto), QKeySequence::New, central);
    m_openButton = iconButton("openProjectButton", ":/shell/icons/open_project.svg",
                              context.tr(kScegliProgetto), QKeySequence::Open, central);
    m_nameEdit = new QLineEdit(central);
    m_nameEdit->setObjectName("nameEdit");
    m_nameLabel = new QLabel(context.tr(kProjectTitleRequest), central);
    m_nameLabel->setObjectName("nameLabel");
    m_nameLabel->setBuddy(m_nameEdit);
    m_folderEdit = new QLineEdit(central);
    m_folderEdit->setObjectName("folderEdit");
    m_folderLabel = new QLabel(context.tr(kProjectFolder), central);
    m_folderLabel->setObjectName("folderLabel");
    m_folderLabel->setBuddy(m_folderEdit);
    m_workspaceButton = new QPushButton(context.tr(kSetWorkspace), central);
    m_workspaceButton->setObjectName("workspaceButton");
    m_createOpenButton = new QPushButton(context.tr(kCreateProject), central);
    m_createOpenButton->setObjectName("createOpenButton");
    m_createOpenButton->setToolTip(context.tr(kZornerr));
    m_createOpenButton->setDefault(true);

    auto* icons = new QHBoxLayout;
    icons->addWidget(m_newButton);
    icons->addWidget(m_openButton);
    icons->addStretch();
    auto* layout = new QGridLayout(central);
    layout->addLayout(icons, 0, 0, 1, 3);
    layout->addWidget(m_nameLabel, 1, 0);
    layout->addWidget(m_nameEdit, 1, 1);
    layout->addWidget(m_folderLabel, 2, 0);
    layout->addWidget(m_folderEdit, 2, 1);
    layout->addWidget(m_workspaceButton, 2, 2);
    layout->addWidget(m_createOpenButton, 3, 2);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(4, 1);
    setCentralWidget(central);
    resize(640, 200);
    restoreWindowGeometry(*this, context.settings());

    // Idle: only the new-project and open-project buttons and the menus act.
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_nameLabel, m_folderLabel, m_nameEdit, m_folderEdit,
                                         m_workspaceButton, m_createOpenButton}) {
        w->setEnabled(false);
    }

    connect(m_newButton, &QToolButton::clicked, this, &StartWindow::newProject);
    connect(m_openButton, &QToolButton::clicked, this, &StartWindow::openProject);
    connect(m_workspaceButton, &QPushButton::clicked, this, &StartWindow::setWorkspace);
    connect(m_createOpenButton, &QPushButton::clicked, this, &StartWindow::createOrOpen);
    connect(m_nameEdit, &QLineEdit::textChanged, this, &StartWindow::nameTyped);
}

void StartWindow::newProject() {
    m_nameLabel->setEnabled(true);
    m_folderLabel->setEnabled(true);
    m_workspaceButton->setEnabled(true);
    m_createOpenButton->setEnabled(false);
    m_createOpenButton->setText(m_context.tr(translation::kCreateProject));
    m_nameEdit->clear();
    m_folderEdit->clear();
    m_nameEdit->setEnabled(false);
    m_folderEdit->setEnabled(false);
    m_context.state().newProject = true;
    m_workspaceButton->setFocus();
}

void StartWindow::setWorkspace() {
    if (!m_chooser) {
        showWarning(m_context, this, m_context.tr(translation::kNonDisponibile));
        return;
    }
    const std::optional<QString> chosen =
        m_chooser->choose(this, m_context.state().workspaceFolder);
    if (!chosen) {
        return;
    }
    m_nameEdit->setEnabled(true);
    m_folderEdit->setText(withTrailingSeparator(*chosen));
    m_context.state().workspaceFolder = m_folderEdit->text();
    m_context.settings().write(setting::kProjectFolder, m_folderEdit->text());
    m_nameEdit->setFocus();
}

void StartWindow::nameTyped(const QString& text) {
    m_createOpenButton->setEnabled(!text.isEmpty());
    if (!text.isEmpty()) {
        m_createOpenButton->setText(m_context.tr(translation::kCreateProject));
    }
}

void StartWindow::openProject() {
    m_nameLabel->setEnabled(true);
    m_folderLabel->setEnabled(true);
    m_workspaceButton->setEnabled(false);
    m_nameEdit->setEnabled(false);
    m_createOpenButton->setEnabled(false);
    const QString file =
        m_context.dialogs().openFile(this, m_context.tr(translation::kScegliProgetto),
                                     m_context.state().workspaceFolder, "CanOpen project (*.bsm)");
    m_context.state().newProject = false;
    if (!file.isEmpty()) {
        chooseProject(file);
    }
}

void StartWindow::chooseProject(const QString& projectFile) {
    const QFileInfo info(projectFile);
    const QString folder = QDir::toNativeSeparators(info.absolutePath());
    const QString name = info.completeBaseName();
    SharedState& state = m_context.state();
    state.newProject = false;
    m_nameLabel->setEnabled(true);
    m_folderLabel->setEnabled(true);
    m_workspaceButton->setEnabled(false);
    m_nameEdit->setEnabled(false);
    m_nameEdit->setText(name);
    m_folderEdit->setText(folder);
    state.workspaceFolder = folder;
    state.projectName = name;
    m_createOpenButton->setEnabled(true);
    m_createOpenButton->setText(m_context.tr(translation::kApriProgetto));
    m_createOpenButton->setFocus();
    m_context.settings().write(setting::kProjectFolder, folder);
    m_context.settings().write(setting::kProjectName, name);
}

void StartWindow::createOrOpen() {
    SharedState& state = m_context.state();
    const QString name = m_nameEdit->text();
    const QString workspace = m_folderEdit->text();
    if (state.newProject && !isPlainFileName(name)) {
        showError(m_context, this, m_context.tr(translation::kProjectTitle) + ": \"" + name + "\"");
        return;
    }
    state.workspaceFolder = workspace;
    state.projectName = name;
    m_context.settings().write(setting::kProjectName, name);

    if (!state.newProject) {
        afterEditor(!runEditor());
        return;
    }
    if (!QDir::isAbsolutePath(QDir::fromNativeSeparators(workspace))) {
        showError(m_context, this,
                  m_context.tr(translation::kProjectFolder) + ": \"" + workspace + "\"");
        return;
    }
    const QString project = QDir(QDir::fromNativeSeparators(workspace)).filePath(name);
    bool open = true;
    if (QFileInfo::exists(project) && !QFileInfo(project).isDir()) {
        showError(m_context, this,
                  m_context.tr(translation::kProjectFolder) + ": \"" +
                      QDir::toNativeSeparators(project) + "\"");
        return;
    }
    if (!QFileInfo::exists(project)) {
        if (!QDir().mkpath(project)) {
            showError(m_context, this,
                      "Cannot create the project folder \"" + QDir::toNativeSeparators(project) +
                          "\".");
            return;
        }
    } else if (!confirm(m_context, this, m_context.tr(translation::kProgettoEsiste))) {
        open = false;
    } else {
        open = emptyProjectFolder(project, name);
    }
    if (open) {
        runEditor();
        afterEditor(false);
    } else {
        m_createOpenButton->setEnabled(false);
    }
}

bool StartWindow::runEditor() {
    ProjectEditor* editor = m_context.windows().editor;
    if (!editor) {
        showWarning(m_context, this, m_context.tr(translation::kNonDisponibile));
        return false;
    }
    bool exited = false;
    runGuarded(m_context, this, [&] { exited = editor->openProject(); });
    return exited;
}

void StartWindow::afterEditor(bool enable) {
    m_context.state().newProject = false;
    m_workspaceButton->setEnabled(false);
    m_createOpenButton->setText(m_context.tr(translation::kApriProgetto));
    m_createOpenButton->setEnabled(enable);
}

QStringList StartWindow::projectFiles(const QString& folder, const QString& name) {
    const QDir dir(folder);
    QStringList files;
    const QStringList exact{
        name + ".bsm",
        name + ".pco",
        QString::fromStdString(output::globalVariableListName(name.toStdString())),
        literal(output::kExportFileName),
        literal(output::kIoMapDumpName),
        literal(eds::kVerdictFileName)};
    for (const QString& file : exact) {
        if (QFileInfo(dir.filePath(file)).isFile()) {
            files << dir.filePath(file);
        }
    }
    for (const QString& file : dir.entryList({"network*.cmg", "iomap*.cmg"},
                                             QDir::Files | QDir::CaseSensitive, QDir::Name)) {
        files << dir.filePath(file);
    }
    return files;
}

bool StartWindow::emptyProjectFolder(const QString& folder, const QString& name) {
    for (const QString& file : projectFiles(folder, name)) {
        if (!QFile::remove(file)) {
            showError(m_context, this, "Cannot delete \"" + QDir::toNativeSeparators(file) + "\".");
            return false;
        }
    }
    return true;
}

bool StartWindow::isPlainFileName(const QString& name) {
    if (name.isEmpty() || name == "." || name == "..") {
        return false;
    }
    static const QString refused = QStringLiteral("/\\:*?\"<>|");
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || refused.contains(c)) {
            return false;
        }
    }
    return true;
}

void StartWindow::showTutorial() {
    openHelpDocument(m_context, help::kStartTutorial);
}

void StartWindow::showOptions() {
    if (!m_options) {
        showWarning(m_context, this, m_context.tr(translation::kNonDisponibile));
        return;
    }
    m_context.dialogs().exec(*m_options);
    update();
}

void StartWindow::closeEvent(QCloseEvent* event) {
    saveWindowGeometry(*this, m_context.settings());
    QMainWindow::closeEvent(event);
}

} // namespace busmason::app
