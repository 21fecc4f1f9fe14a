#pragma once

#include "app/shell/app_context.h"
#include "app/shell/settings_store.h"
#include "app/support/scripted_dialogs.h"
#include "support/test_support.h"

#include "core/translation/translation_table.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QProgressBar>
#include <QWidget>

#include <chrono>
#include <functional>
#include <ostream>
#include <stdexcept>

/// Texts in test failures as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace busmason::test {

/// The program's services for one window test: the bundled translation table in a language,
/// a settings file of its own, scripted dialogs, the bundled installation as template folder.
struct TestContext {
    explicit TestContext(int language = 0)
        : settings(QString::fromStdString((dir / "settings.ini").string())),
          context(loadTable(language), language, settings, dialogs, installData()) {
        context.state().templateFolder = app::toText(installData());
    }

    static translation::TranslationTable loadTable(int language) {
        translation::TranslationLoad load =
            translation::loadTranslationTable(installData("traduzioni.txt"), language);
        if (!load.diagnostics.empty()) {
            throw std::runtime_error("the bundled translation table does not load");
        }
        return std::move(load.table);
    }

    QString tr(std::string_view key) const { return context.tr(key); }

    TempDir dir;
    app::SettingsStore settings;
    ScriptedDialogs dialogs;
    app::AppContext context;
};

/// Lets events run until done() holds; false when it did not within timeout.
inline bool waitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    QDeadlineTimer deadline(timeout);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

/// The objectNames (or class names) of the visible controls of window that have no accessible
/// name: buttons, text boxes, selectors, lists, trees and progress bars.
inline QStringList unnamedControls(QWidget& window) {
    QStringList unnamed;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                             qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractItemView*>(w) ||
                             qobject_cast<QProgressBar*>(w);
        if (!control || !w->isVisibleTo(&window) || qobject_cast<QLineEdit*>(w->parent())) {
            continue;
        }
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        if (!a || a->text(QAccessible::Name).trimmed().isEmpty()) {
            unnamed << (w->objectName().isEmpty() ? w->metaObject()->className() : w->objectName());
        }
    }
    return unnamed;
}

} // namespace busmason::test
