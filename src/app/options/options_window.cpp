#include "app/options/options_window.h"

#include "app/options/folder_chooser.h"
#include "app/shell/app_context.h"
#include "app/shell/messages.h"
#include "app/shell/remembered.h"

#include "core/eds/eds_library.h"
#include "core/translation/keys.h"

#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace busmason::app {

namespace {

/// The purpose under which the import remembers the folder it last took a file from.
constexpr const char* kImportFolderPurpose = "optionsEdsImport";

QPushButton* button(const QString& objectName, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(objectName);
    return b;
}

QLabel* label(const QString& objectName, const QString& text, QWidget* buddy, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(objectName);
    l->setBuddy(buddy);
    return l;
}

} // namespace

OptionsWindow::OptionsWindow(AppContext& context, FolderChooser& chooser,
                             const FolderSources& sources, QWidget* parent)
    : QDialog(parent), m_context(context), m_chooser(chooser) {
    using namespace translation;
    setObjectName("TForm13");
    setWindowTitle(context.tr(kOpzioni));
    setModal(true);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName("PageControl1");

    m_foldersPage = new QWidget;
    m_foldersPage->setObjectName("TabSheet1");
    m_templateEdit = new QLineEdit(m_foldersPage);
    m_templateEdit->setObjectName("Edit1");
    m_templateLabel =
        label("Label1", context.tr(kDirectoryTemplate), m_templateEdit, m_foldersPage);
    m_edsEdit = new QLineEdit(m_foldersPage);
    m_edsEdit->setObjectName("Edit5");
    m_edsLabel = label("Label5", context.tr(kEds), m_edsEdit, m_foldersPage);
    m_chooseEdsButton = button("Button7", "...", m_foldersPage);
    m_chooseEdsButton->setMaximumWidth(m_chooseEdsButton->fontMetrics().horizontalAdvance("...") *
                                       4);
    m_chooseEdsButton->setAccessibleName(context.tr(kDirectoryList));
    m_chooseEdsButton->setToolTip(context.tr(kDirectoryList));
    m_programEdit = new QLineEdit(m_foldersPage);
    m_programEdit->setObjectName("Edit6");
    m_programLabel = label("Label6", context.tr(kDirectory), m_programEdit, m_foldersPage);
    m_saveFoldersButton = button("Button3", context.tr(kSalva), m_foldersPage);
    auto* folders = new QGridLayout(m_foldersPage);
    folders->addWidget(m_templateLabel, 0, 0);
    folders->addWidget(m_templateEdit, 0, 1, 1, 2);
    folders->addWidget(m_edsLabel, 1, 0);
    folders->addWidget(m_edsEdit, 1, 1);
    folders->addWidget(m_chooseEdsButton, 1, 2);
    folders->addWidget(m_programLabel, 2, 0);
    folders->addWidget(m_programEdit, 2, 1, 1, 2);
    folders->setRowStretch(3, 1);
    folders->addWidget(m_saveFoldersButton, 4, 2);
    folders->setColumnStretch(1, 1);

    m_languagePage = new QWidget;
    m_languagePage->setObjectName("TabSheet2");
    m_languageGroup = new QGroupBox(context.tr(kLanguage), m_languagePage);
    m_languageGroup->setObjectName("RadioGroup1");
    m_englishButton = new QRadioButton("English", m_languageGroup);
    m_englishButton->setObjectName("RadioButton2");
    m_italianButton = new QRadioButton("Italiano", m_languageGroup);
    m_italianButton->setObjectName("RadioButton1");
    m_spanishButton = new QRadioButton("Espanol", m_languageGroup);
    m_spanishButton->setObjectName("RadioButton3");
    auto* radios = new QVBoxLayout(m_languageGroup);
    radios->addWidget(m_englishButton);
    radios->addWidget(m_italianButton);
    radios->addWidget(m_spanishButton);
    m_saveLanguageButton = button("Button2", context.tr(kSalva), m_languagePage);
    auto* language = new QGridLayout(m_languagePage);
    language->addWidget(m_languageGroup, 0, 0, 1, 2);
    language->setRowStretch(1, 1);
    language->addWidget(m_saveLanguageButton, 2, 1);
    language->setColumnStretch(0, 1);

    m_edsPage = new QWidget;
    m_edsPage->setObjectName("TabSheet5");
    m_fileList = new QListWidget(m_edsPage);
    m_fileList->setObjectName("FileListBox2");
    m_fileList->setAccessibleName(context.tr(kEds));
    m_importButton = button("Button9", context.tr(kImportaEds), m_edsPage);
    m_deleteButton = button("Button10", context.tr(kEliminaEds), m_edsPage);
    auto* edsButtons = new QVBoxLayout;
    edsButtons->addWidget(m_importButton);
    edsButtons->addWidget(m_deleteButton);
    edsButtons->addStretch();
    auto* eds = new QHBoxLayout(m_edsPage);
    eds->addWidget(m_fileList, 1);
    eds->addLayout(edsButtons);

    m_pages->addTab(m_foldersPage, context.tr(kRootDir));
    m_pages->addTab(m_languagePage, context.tr(kLanguage));
    m_pages->addTab(m_edsPage, context.tr(kEds));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    resize(520, 320);
    restoreWindowGeometry(*this, context.settings());

    // The template and program folders are carried, never shown.
    for (QWidget* hidden : std::initializer_list<QWidget*>{m_templateLabel, m_templateEdit,
                                                           m_programLabel, m_programEdit}) {
        hidden->hide();
    }

    connect(m_pages, &QTabWidget::currentChanged, this, &OptionsWindow::pageChanged);
    connect(m_englishButton, &QRadioButton::clicked, this, [this] { chooseLanguage(0); });
    connect(m_italianButton, &QRadioButton::clicked, this, [this] { chooseLanguage(1); });
    connect(m_spanishButton, &QRadioButton::clicked, this, [this] { chooseLanguage(2); });
    connect(m_saveLanguageButton, &QPushButton::clicked, this, [this] {
        m_languageSavedThisClose = true;
        saveLanguage();
        accept();
    });
    connect(m_saveFoldersButton, &QPushButton::clicked, this, [this] {
        saveFolders();
        accept();
    });
    connect(m_chooseEdsButton, &QPushButton::clicked, this, &OptionsWindow::chooseEdsFolder);
    connect(m_importButton, &QPushButton::clicked, this, &OptionsWindow::importEds);
    connect(m_deleteButton, &QPushButton::clicked, this, &OptionsWindow::deleteEds);

    applyFolderSettings(context, nullptr, sources);
    refreshFoldersPage();
}

void OptionsWindow::done(int result) {
    if (m_edsListChanged && !m_languageSavedThisClose) {
        saveLanguage();
    }
    m_languageSavedThisClose = false;
    saveWindowGeometry(*this, m_context.settings());
    QDialog::done(result);
}

void OptionsWindow::showEvent(QShowEvent* event) {
    m_spanishButton->hide();
    refreshFoldersPage();
    refreshFileList();
    QDialog::showEvent(event);
}

void OptionsWindow::refreshFoldersPage() {
    const SharedState& state = m_context.state();
    m_templateEdit->setText(state.templateFolder);
    m_edsEdit->setText(state.edsFolder);
    m_programEdit->setText(state.programFolder);
    m_pages->setCurrentWidget(m_foldersPage);
}

void OptionsWindow::refreshLanguagePage() {
    switch (m_context.languageIndex()) {
    case 1:
        m_italianButton->setChecked(true);
        break;
    case 2:
        m_spanishButton->setChecked(true);
        break;
    default:
        m_englishButton->setChecked(true);
        break;
    }
}

void OptionsWindow::refreshFileList() {
    m_fileList->clear();
    const QString folder = m_context.state().edsFolder;
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder)) {
        return;
    }
    m_fileList->addItems(QDir(folder).entryList(QDir::Files, QDir::Name));
}

void OptionsWindow::pageChanged(int index) {
    if (m_pages->widget(index) == m_foldersPage) {
        refreshFoldersPage();
    } else if (m_pages->widget(index) == m_languagePage) {
        refreshLanguagePage();
    }
}

void OptionsWindow::chooseLanguage(int index) {
    m_context.setLanguageIndex(index);
}

void OptionsWindow::saveLanguage() {
    if (store(setting::kLang, QString::number(m_context.languageIndex()))) {
        showWarning(m_context, this, m_context.tr(translation::kRestart));
    } else {
        showError(m_context, this, m_context.tr(translation::kError1));
    }
}

void OptionsWindow::saveFolders() {
    if (!m_context.settings().writable()) {
        showError(m_context, this, m_context.tr(translation::kError1));
        return;
    }
    const bool stored = store(setting::kTemplate, m_templateEdit->text()) &&
                        store(setting::kEds, m_edsEdit->text()) &&
                        store(setting::kCan, m_programEdit->text());
    if (!stored) {
        showError(m_context, this, m_context.tr(translation::kError1));
        return;
    }
    SharedState& state = m_context.state();
    state.templateFolder = m_templateEdit->text();
    state.edsFolder = m_edsEdit->text();
    state.programFolder = m_programEdit->text();
}

void OptionsWindow::chooseEdsFolder() {
    m_chooser.setCaption(m_context.tr(translation::kDirectoryList));
    const std::optional<QString> chosen = m_chooser.choose(this, m_templateEdit->text());
    if (!chosen) {
        return;
    }
    m_edsEdit->setText(withTrailingSeparator(*chosen));
    if (!store(setting::kEds, m_edsEdit->text())) {
        showError(m_context, this, m_context.tr(translation::kError1));
    }
    m_context.state().edsFolder = m_edsEdit->text();
    refreshFileList();
}

bool OptionsWindow::haveEdsFolder() {
    const QString folder = m_context.state().edsFolder;
    if (!folder.isEmpty() && QDir::isAbsolutePath(folder)) {
        return true;
    }
    showError(m_context, this, m_context.tr(translation::kNotRootDir));
    return false;
}

void OptionsWindow::importEds() {
    m_edsListChanged = true;
    SettingsStore& settings = m_context.settings();
    const QString file = m_context.dialogs().openFile(
        this, m_context.tr(translation::kImportaEds),
        rememberedFolder(settings, kImportFolderPurpose, m_context.state().templateFolder),
        "EDS file (*.eds *.EDS)");
    if (file.isEmpty()) {
        return;
    }
    rememberFolderOf(settings, kImportFolderPurpose, file);
    if (!haveEdsFolder()) {
        return;
    }
    runGuarded(m_context, this,
               [&] { eds::importEds(toPath(file), toPath(m_context.state().edsFolder)); });
    refreshFileList();
}

void OptionsWindow::deleteEds() {
    m_edsListChanged = true;
    const QListWidgetItem* item = m_fileList->currentItem();
    if (!item || !haveEdsFolder()) {
        return;
    }
    const std::string name = item->text().toStdString();
    runGuarded(m_context, this,
               [&] { eds::deleteLibraryFile(toPath(m_context.state().edsFolder), name); });
    refreshFileList();
}

bool OptionsWindow::store(const char* name, const QString& value) {
    SettingsStore& settings = m_context.settings();
    if (!settings.writable()) {
        return false;
    }
    settings.write(name, value);
    return settings.raw().status() == QSettings::NoError;
}

} // namespace busmason::app
