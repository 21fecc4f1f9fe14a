#pragma once

#include "app/shell/startup_settings.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace busmason::app {

class AppContext;
class FolderChooser;

/// The options window: the EDS library folder, the EDS files kept in it and the language. Its
/// creation settles the four folder settings (template, program, workspace, EDS) into the
/// shared state by the start-up folder rule. Created once at start-up and shown on demand.
class OptionsWindow : public QDialog {
    Q_OBJECT
public:
    OptionsWindow(AppContext& context, FolderChooser& chooser, const FolderSources& sources,
                  QWidget* parent = nullptr);

    /// Set by every use of the import and delete buttons; never cleared while the program runs,
    /// so every later closing reminds the user to restart.
    bool edsListChanged() const { return m_edsListChanged; }

    /// Closing by any means (the save buttons included): after a change of the EDS list the
    /// language is saved so that the user is told to restart, once per closing.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refreshFoldersPage();
    void refreshLanguagePage();
    void refreshFileList();
    void pageChanged(int index);
    void chooseLanguage(int index);
    void saveLanguage();
    void saveFolders();
    void chooseEdsFolder();
    void importEds();
    void deleteEds();
    /// True when the shared EDS folder is an absolute path; else says so.
    bool haveEdsFolder();
    /// Writes value under name and tells whether the store took it.
    bool store(const char* name, const QString& value);

    AppContext& m_context;
    FolderChooser& m_chooser;
    QTabWidget* m_pages;
    QWidget* m_foldersPage;
    QWidget* m_languagePage;
    QWidget* m_edsPage;
    QLabel* m_templateLabel;
    QLineEdit* m_templateEdit;
    QLabel* m_edsLabel;
    QLineEdit* m_edsEdit;
    QPushButton* m_chooseEdsButton;
    QLabel* m_programLabel;
    QLineEdit* m_programEdit;
    QPushButton* m_saveFoldersButton;
    QGroupBox* m_languageGroup;
    QRadioButton* m_italianButton;
    QRadioButton* m_englishButton;
    QRadioButton* m_spanishButton;
    QPushButton* m_saveLanguageButton;
    QListWidget* m_fileList;
    QPushButton* m_importButton;
    QPushButton* m_deleteButton;
    bool m_edsListChanged = false;
    /// The language was saved during the closing under way.
    bool m_languageSavedThisClose = false;
};

} // namespace busmason::app
