#pragma once

#include <QString>

#include <functional>

class QDialog;
class QWidget;

namespace busmason::app {

/// Every message box, file chooser and modal window of the program goes through this service,
/// so tests answer them without a person and the windows never call QMessageBox directly.
class Dialogs {
public:
    enum class Icon { Information, Warning, Error, Question };
    enum class Buttons { Ok, YesNo, YesNoCancel };
    enum class Answer { Ok, Yes, No, Cancel };

    virtual ~Dialogs() = default;

    /// A modal message box on parent with a translated caption and text.
    virtual Answer message(QWidget* parent, Icon icon, const QString& caption, const QString& text,
                           Buttons buttons = Buttons::Ok) = 0;
    /// A file-open dialog; the chosen path, or empty when cancelled.
    virtual QString openFile(QWidget* parent, const QString& caption, const QString& folder,
                             const QString& filter) = 0;
    /// Shows dialog modally and returns its result (QDialog::Accepted or Rejected).
    virtual int exec(QDialog& dialog) = 0;
};

/// The real dialogs: QMessageBox, QFileDialog and QDialog::exec.
class QtDialogs : public Dialogs {
public:
    Answer message(QWidget* parent, Icon icon, const QString& caption, const QString& text,
                   Buttons buttons) override;
    QString openFile(QWidget* parent, const QString& caption, const QString& folder,
                     const QString& filter) override;
    int exec(QDialog& dialog) override;
};

} // namespace busmason::app
