#pragma once

#include "app/shell/dialogs.h"

#include <QDialog>
#include <QString>

#include <deque>
#include <functional>
#include <stdexcept>
#include <vector>

namespace busmason::test {

/// Dialogs answered by the test: each message box takes the next queued answer (Ok, or the
/// "no" answer of its buttons, when none is queued) and is recorded; each file dialog takes the
/// next queued path; each modal window runs the next queued script (which may fill it in and
/// accept it) instead of waiting for a person.
class ScriptedDialogs : public app::Dialogs {
public:
    struct Shown {
        Icon icon;
        QString caption;
        QString text;
        Buttons buttons;
    };

    std::deque<Answer> answers;
    std::deque<QString> files;
    std::deque<std::function<int(QDialog&)>> scripts;
    std::vector<Shown> shown;
    std::vector<QString> execed;

    Answer message(QWidget*, Icon icon, const QString& caption, const QString& text,
                   Buttons buttons) override {
        shown.push_back({icon, caption, text, buttons});
        if (!answers.empty()) {
            const Answer a = answers.front();
            answers.pop_front();
            return a;
        }
        return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
    }

    QString openFile(QWidget*, const QString&, const QString&, const QString&) override {
        if (files.empty()) {
            return {};
        }
        QString f = files.front();
        files.pop_front();
        return f;
    }

    int exec(QDialog& dialog) override {
        execed.push_back(dialog.objectName());
        if (scripts.empty()) {
            return QDialog::Rejected;
        }
        auto script = std::move(scripts.front());
        scripts.pop_front();
        return script(dialog);
    }

    /// The texts of the message boxes shown, in order.
    std::vector<QString> texts() const {
        std::vector<QString> out;
        for (const Shown& s : shown) {
            out.push_back(s.text);
        }
        return out;
    }
};

} // namespace busmason::test
