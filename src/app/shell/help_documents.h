#pragma once

#include <QString>

namespace busmason::app {

class AppContext;

/// Where a help command looks for its document in the installation's "Doc" folder: a wildcard
/// file name per language (English, Italian). Spanish uses the English one.
struct DocumentPattern {
    const char* language0;
    const char* language1;
};

namespace help {
inline constexpr DocumentPattern kStartTutorial{"DX*Tutorial_Busmason.pdf",
                                                "*Tutorial_Busmason.pdf"};
inline constexpr DocumentPattern kEditorTutorial{"DX*tutorial_kp.pdf", "*tutorial_kp.pdf"};
inline constexpr DocumentPattern kCouplerHelp{"DX*km110_A5.pdf", "D*km110_A5.pdf"};
inline constexpr DocumentPattern kCompactIoHelp{"D*KM200_A5.pdf", "D*KM200_A5.pdf"};
inline constexpr DocumentPattern kKm120Help{"DX*km120_01_A5.pdf", "D*km120_01_A5.pdf"};
inline constexpr DocumentPattern kKm130Help{"DX*km130_01_A5.pdf", "D*km130_01_A5.pdf"};
} // namespace help

/// The document of pattern for languageIndex (0 English, 1 Italian, 2 and 3 as 0) in
/// templateFolder's "Doc" folder, or empty when none matches. Matches are taken in name order,
/// so an Italian pattern that also matches the English file ("*Tutorial_Busmason.pdf" and
/// "DX...") finds the Italian file first when its name sorts first ("DI..." before "DX...").
QString findHelpDocument(const QString& templateFolder, const DocumentPattern& pattern,
                         int languageIndex);

/// Opens the document of pattern for the context's language with the desktop's viewer.
/// Returns false, opening nothing and saying nothing, when no document matches.
bool openHelpDocument(const AppContext& context, const DocumentPattern& pattern);

} // namespace busmason::app
