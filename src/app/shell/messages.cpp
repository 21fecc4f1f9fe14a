#include "app/shell/messages.h"

#include "core/nodeconfig/refusal.h"
#include "core/translation/keys.h"

namespace busmason::app {

void showError(AppContext& context, QWidget* parent, const QString& text) {
    context.dialogs().message(parent, Dialogs::Icon::Error, context.tr(translation::kErrore), text);
}

void showWarning(AppContext& context, QWidget* parent, const QString& text) {
    context.dialogs().message(parent, Dialogs::Icon::Warning, context.tr(translation::kAttenzione),
                              text);
}

bool confirm(AppContext& context, QWidget* parent, const QString& text) {
    return context.dialogs().message(parent, Dialogs::Icon::Warning,
                                     context.tr(translation::kAttenzione), text,
                                     Dialogs::Buttons::YesNo) == Dialogs::Answer::Yes;
}

QString diagnosticLines(const std::vector<model::Diagnostic>& diagnostics) {
    QStringList lines;
    for (const model::Diagnostic& d : diagnostics) {
        lines << QString::fromStdString(model::formatDiagnostic(d));
    }
    return lines.join('\n');
}

void showDiagnostics(AppContext& context, QWidget* parent, const QString& intro,
                     const std::vector<model::Diagnostic>& diagnostics) {
    if (diagnostics.empty()) {
        return;
    }
    showWarning(context, parent, intro + "\n\n" + diagnosticLines(diagnostics));
}

QString errorText(AppContext& context, const std::exception& error) {
    const QString reason = QString::fromStdString(error.what());
    if (const auto* refused = dynamic_cast<const nodeconfig::RefusedError*>(&error)) {
        if (!refused->key().empty()) {
            const QString text = context.tr(refused->key());
            return reason.isEmpty() || reason == text ? text : text + "\n" + reason;
        }
    }
    return reason;
}

} // namespace busmason::app
