// Renders a help document written in Markdown into one or more PDF files, for the installation's
// "Doc" folder. Documents whose name ends in "_A5" are data sheets on A5 pages; the others are
// printed on A4. The build runs it for every docs/help/*.md.
//
// Usage: busmason-docgen SOURCE.md OUTPUT.pdf [OUTPUT.pdf...]
// A first line "<!-- pdf: NAME.pdf ... -->" names the outputs for the build and is not printed.

#include <QAbstractTextDocumentLayout>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <cstdio>

namespace {

/// The Markdown text without the line that names the outputs.
QString documentText(const QByteArray& bytes) {
    QString text = QString::fromUtf8(bytes);
    static const QRegularExpression directive(QStringLiteral("^<!--\\s*pdf:[^\\n]*-->\\s*\\n"));
    text.remove(directive);
    return text;
}

/// The first heading, as the PDF's title.
QString titleOf(const QString& markdown) {
    static const QRegularExpression heading(QStringLiteral("^#\\s+(.+)$"),
                                            QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = heading.match(markdown);
    return match.hasMatch() ? match.captured(1).trimmed() : QString();
}

/// Tables as one grid of thin lines across the page, the header row shaded.
void formatTables(QTextDocument& document) {
    for (QTextFrame* frame : document.rootFrame()->childFrames()) {
        auto* table = qobject_cast<QTextTable*>(frame);
        if (!table) {
            continue;
        }
        QTextTableFormat format = table->format();
        format.setBorderCollapse(true);
        format.setBorder(1);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setBorderBrush(QColor(0x70, 0x78, 0x80));
        format.setCellSpacing(0);
        format.setCellPadding(2.5);
        format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
        format.setTopMargin(2);
        format.setBottomMargin(4);
        table->setFormat(format);
        for (int column = 0; column < table->columns(); ++column) {
            QTextTableCell cell = table->cellAt(0, column);
            QTextCharFormat shaded = cell.format();
            shaded.setBackground(QColor(0xe4, 0xe8, 0xec));
            cell.setFormat(shaded);
        }
    }
}

bool render(const QString& markdown, const QString& output) {
    const bool dataSheet = QFileInfo(output).completeBaseName().endsWith("_A5");
    QDir().mkpath(QFileInfo(output).absolutePath());
    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "busmason-docgen: cannot write %s: %s\n", qPrintable(output),
                     qPrintable(file.errorString()));
        return false;
    }
    int pages = 0;
    {
        QPdfWriter writer(&file);
        writer.setTitle(titleOf(markdown));
        writer.setCreator("Busmason");
        writer.setResolution(300);
        writer.setPageSize(QPageSize(dataSheet ? QPageSize::A5 : QPageSize::A4));
        writer.setPageMargins(dataSheet ? QMarginsF(12, 10, 12, 10) : QMarginsF(20, 18, 20, 18),
                              QPageLayout::Millimeter);
        QTextDocument document;
        QFont font("DejaVu Sans");
        font.setPointSizeF(dataSheet ? 8.5 : 10.5);
        document.setDefaultFont(font);
        document.setMarkdown(markdown);
        formatTables(document);
        // Laid out on the writer's own pages, so the page count printed below is the PDF's.
        document.documentLayout()->setPaintDevice(&writer);
        document.setPageSize(QSizeF(writer.width(), writer.height()));
        document.print(&writer);
        pages = document.pageCount();
    }
    if (!file.commit()) {
        std::fprintf(stderr, "busmason-docgen: cannot write %s: %s\n", qPrintable(output),
                     qPrintable(file.errorString()));
        return false;
    }
    std::printf("%s (%d %s)\n", qPrintable(QDir::toNativeSeparators(output)), pages,
                pages == 1 ? "page" : "pages");
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: busmason-docgen SOURCE.md OUTPUT.pdf [OUTPUT.pdf...]\n");
        return 2;
    }
    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "busmason-docgen: cannot read %s: %s\n", argv[1],
                     qPrintable(source.errorString()));
        return 1;
    }
    const QString markdown = documentText(source.readAll());
    for (int i = 2; i < argc; ++i) {
        if (!render(markdown, QString::fromLocal8Bit(argv[i]))) {
            return 1;
        }
    }
    return 0;
}
