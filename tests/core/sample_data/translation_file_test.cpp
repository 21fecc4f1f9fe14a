#include "core/translation/keys.h"
#include "core/translation/translation_table.h"
#include "core/util/text.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <set>

namespace busmason::translation {
namespace {

enum Language { English, Italian, Spanish, kLanguages };

std::string messages(const std::vector<model::Diagnostic>& diagnostics) {
    std::string out;
    for (const auto& d : diagnostics) {
        out += model::formatDiagnostic(d) + "\n";
    }
    return out;
}

class BundledTable : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        for (int language = 0; language < 4; ++language) {
            s_loads[language] = loadTranslationTable(test::installData("traduzioni.txt"), language);
        }
    }
    static inline TranslationLoad s_loads[4];
};

TEST_F(BundledTable, HoldsExactlyTheProgramsKeys) {
    for (const TranslationLoad& load : s_loads) {
        EXPECT_TRUE(load.diagnostics.empty()) << messages(load.diagnostics);
    }
    std::set<std::string> inFile;
    for (const TranslationEntry& e : s_loads[English].table.entries()) {
        EXPECT_TRUE(inFile.insert(e.key).second) << "twice: " << e.key;
    }
    const std::set<std::string> used(std::begin(kKeys), std::end(kKeys));
    EXPECT_EQ(used.size(), std::size(kKeys)) << "a key is listed twice";
    EXPECT_EQ(inFile, used);
    EXPECT_TRUE(util::isValidUtf8(test::readBytes(test::installData("traduzioni.txt"))));
}

TEST_F(BundledTable, NoKeyIsAPrefixOfAnother) {
    // Whatever the order of the file, no entry can capture another's lookups.
    for (std::string_view a : kKeys) {
        for (std::string_view b : kKeys) {
            EXPECT_TRUE(a == b || !b.starts_with(a)) << a << " is a prefix of " << b;
        }
    }
}

TEST_F(BundledTable, EveryKeyHasAWrittenTextInEveryLanguage) {
    for (int language = 0; language < 4; ++language) {
        const TranslationTable& table = s_loads[language].table;
        for (std::string_view key : kKeys) {
            SCOPED_TRACE(std::string(key) + " language " + std::to_string(language));
            const std::string text = table.translate(key);
            EXPECT_FALSE(util::trim(text).empty());
            EXPECT_NE(text, key);
            EXPECT_EQ(text.find('<'), std::string::npos) << text;
        }
    }
    // The requests the windows make with extra characters find their entries.
    EXPECT_EQ(s_loads[English].table.translate(kAbilitazioneSyncRequest),
              s_loads[English].table.translate(kAbilitazioneSync));
    EXPECT_EQ(s_loads[Italian].table.translate(kProjectTitleRequest),
              s_loads[Italian].table.translate(kProjectTitle));
}

TEST_F(BundledTable, LanguagesDifferExceptForNamesAndLoanWords) {
    // Texts that read the same in two languages on purpose.
    const std::set<std::string_view> shared = {kEds, kKovaBusmason, kFile, kErrore, kTutorial};
    for (std::string_view key : kKeys) {
        SCOPED_TRACE(key);
        std::string texts[kLanguages];
        for (int language = 0; language < kLanguages; ++language) {
            texts[language] = s_loads[language].table.translate(key);
        }
        // A fourth column does not exist: index 3 gives the last one, Spanish.
        EXPECT_EQ(s_loads[3].table.translate(key), texts[Spanish]);
        if (shared.count(key)) {
            continue;
        }
        EXPECT_NE(texts[English], texts[Italian]);
        EXPECT_NE(texts[English], texts[Spanish]);
        EXPECT_NE(texts[Italian], texts[Spanish]);
    }
    // The columns stand in the order English, Italian, Spanish.
    EXPECT_EQ(s_loads[English].table.translate(kProgettoEsiste),
              "The project already exists. Overwrite it?");
    EXPECT_EQ(s_loads[Italian].table.translate(kAttenzione), "Attenzione");
    EXPECT_EQ(s_loads[Spanish].table.translate(kSalva), "Guardar");
}

} // namespace
} // namespace busmason::translation
