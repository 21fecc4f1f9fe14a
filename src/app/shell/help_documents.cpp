#include "app/shell/help_documents.h"

#include "app/shell/app_context.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

namespace busmason::app {

QString findHelpDocument(const QString& templateFolder, const DocumentPattern& pattern,
                         int languageIndex) {
    if (templateFolder.isEmpty()) {
        return {};
    }
    const QString wildcard =
        QString::fromLatin1(languageIndex == 1 ? pattern.language1 : pattern.language0);
    const QDir doc(QDir(templateFolder).filePath("Doc"));
    const QStringList found =
        doc.entryList({wildcard}, QDir::Files | QDir::CaseSensitive, QDir::Name);
    return found.isEmpty() ? QString() : doc.filePath(found.front());
}

bool openHelpDocument(const AppContext& context, const DocumentPattern& pattern) {
    const QString file =
        findHelpDocument(context.state().templateFolder, pattern, context.languageIndex());
    if (file.isEmpty()) {
        return false;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(file));
    return true;
}

} // namespace busmason::app
