#pragma once

#include "app/shell/app_context.h"

#include "core/model/errors.h"

#include <QString>

#include <exception>
#include <string_view>
#include <utility>
#include <vector>

class QWidget;

namespace busmason::app {

/// "<ERRORE>" with the error icon: refused input, a failed command.
void showError(AppContext& context, QWidget* parent, const QString& text);
/// "<ATTENZIONE>" with the warning icon.
void showWarning(AppContext& context, QWidget* parent, const QString& text);
/// A Yes/No question captioned "<ATTENZIONE>" with the warning icon; true on Yes.
bool confirm(AppContext& context, QWidget* parent, const QString& text);

/// One line per diagnostic ("file:line: warning: message"), as the command line prints them.
QString diagnosticLines(const std::vector<model::Diagnostic>& diagnostics);
/// Shows intro followed by every diagnostic in one message ("<ATTENZIONE>", warning icon); shows
/// nothing when there is none.
void showDiagnostics(AppContext& context, QWidget* parent, const QString& intro,
                     const std::vector<model::Diagnostic>& diagnostics);

/// The text a window shows for an error a core operation threw: the translated key for refusals
/// that carry one (followed by the reason when it adds something), else the error's own message.
QString errorText(AppContext& context, const std::exception& error);

/// Runs command; an error it throws is shown with showError (errorText) instead of reaching the
/// event loop. True when command finished without an error.
template <class F> bool runGuarded(AppContext& context, QWidget* parent, F&& command) {
    try {
        std::forward<F>(command)();
        return true;
    } catch (const std::exception& error) {
        showError(context, parent, errorText(context, error));
        return false;
    }
}

} // namespace busmason::app
