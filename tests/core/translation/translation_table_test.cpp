#include "core/translation/translation_table.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <random>

namespace busmason::translation {
namespace {

TranslationLoad parse(std::string_view text, int language = 0) {
    return parseTranslationTable(text, language, "table.txt");
}

std::string messages(const std::vector<model::Diagnostic>& diagnostics) {
    std::string out;
    for (const auto& d : diagnostics) {
        out += model::formatDiagnostic(d) + "\n";
    }
    return out;
}

TEST(TranslationTable, LanguageIndexPicksTheColumnAndShortLinesGiveTheirLast) {
    const std::string table = "3\n"
                              "<ATTENZIONE>\tAttention\tAttenzione\n"
                              "<SALVA>\tSave\tSalva\tGuardar\n"
                              "<VUOTO>\tEmpty\t\tVacio\n";
    struct Case {
        int language;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {0, "<ATTENZIONE>", "Attention"},
        {1, "<ATTENZIONE>", "Attenzione"},
        {2, "<ATTENZIONE>", "Attenzione"}, // only two text columns: the last one
        {3, "<ATTENZIONE>", "Attenzione"},
        {2, "<SALVA>", "Guardar"},
        {3, "<SALVA>", "Guardar"},
        {-1, "<SALVA>", "Save"},
        {1, "<VUOTO>", ""}, // an empty column is a text of its own
        {2, "<VUOTO>", "Vacio"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.language) + " " + c.key);
        const TranslationLoad load = parse(table, c.language);
        EXPECT_TRUE(load.diagnostics.empty()) << messages(load.diagnostics);
        EXPECT_EQ(load.table.translate(c.key), c.expected);
    }
}

TEST(TranslationTable, FirstEntryWhoseKeyIsAPrefixAnswers) {
    const TranslationLoad load = parse("6\n"
                                       "<ABILITAZIONE SYNC>\tEnable SYNC\n"
                                       "<PROJECT TITLE>\tProject name\n"
                                       "<CANC\tcaptured\n"
                                       "<CANCELLA>\tDelete\n"
                                       "<AB>\tshort first\n"
                                       "<AB>>\tlong second\n");
    const TranslationTable& t = load.table;
    EXPECT_EQ(t.translate("<ABILITAZIONE SYNC>>"), "Enable SYNC");
    EXPECT_EQ(t.translate("<PROJECT TITLE>\t"), "Project name");
    // An entry whose key is a prefix of a later one captures it.
    EXPECT_EQ(t.translate("<CANCELLA>"), "captured");
    EXPECT_EQ(t.translate("<AB>>"), "short first");
    // Matching is by prefix of the request, with letter case.
    EXPECT_EQ(t.translate("<ABILITAZIONE"), "<ABILITAZIONE");
    EXPECT_EQ(t.translate("<project title>"), "<project title>");
    // The table reports the entries nobody can reach.
    ASSERT_EQ(load.diagnostics.size(), 2u) << messages(load.diagnostics);
    EXPECT_EQ(load.diagnostics[0].line, 5);
    EXPECT_NE(load.diagnostics[0].message.find("'<CANC' on line 4"), std::string::npos);
    EXPECT_EQ(load.diagnostics[1].line, 7);
}

/// The rule as written: walk the entries in order, take the first key that is a prefix.
const std::string* walkEntries(const std::vector<TranslationEntry>& entries, std::string_view key) {
    for (const auto& e : entries) {
        if (key.starts_with(e.key)) {
            return &e.text;
        }
    }
    return nullptr;
}

TEST(TranslationTable, IndexedLookupAgreesWithTheWalkInTableOrder) {
    // Keys over a tiny alphabet make prefixes, duplicates and captures frequent.
    std::mt19937 random(20240314);
    const auto word = [&](int maxLength) {
        std::string s;
        const int length = std::uniform_int_distribution<>(1, maxLength)(random);
        for (int i = 0; i < length; ++i) {
            s += "<AB>"[std::uniform_int_distribution<>(0, 3)(random)];
        }
        return s;
    };
    for (int round = 0; round < 200; ++round) {
        std::vector<TranslationEntry> entries;
        const int count = std::uniform_int_distribution<>(1, 12)(random);
        for (int i = 0; i < count; ++i) {
            entries.push_back({word(5), "text" + std::to_string(i)});
        }
        const TranslationTable table(entries);
        for (int probe = 0; probe < 50; ++probe) {
            const std::string key = word(7);
            const std::string* expected = walkEntries(entries, key);
            const std::string* found = table.find(key);
            ASSERT_EQ(found != nullptr, expected != nullptr) << key;
            if (expected) {
                ASSERT_EQ(*found, *expected) << key;
            }
        }
    }
}

TEST(TranslationTable, BlankLinesAndEmptyKeysDoNotCaptureLaterLookups) {
    const TranslationLoad load = parse("4\r\n"
                                       "<ATTENZIONE>\tAttention\r\n"
                                       "\r\n"
                                       "   \r\n"
                                       "\tno key\r\n"
                                       "<ERRORE>\tError\r\n"
                                       "<ORDINA>\tArrange\r\n");
    EXPECT_EQ(load.table.entries().size(), 3u);
    EXPECT_EQ(load.table.translate("<ERRORE>"), "Error");
    EXPECT_EQ(load.table.translate("<ORDINA>"), "Arrange");
    // A key no entry matches shows itself, not the last entry's text nor an empty text.
    EXPECT_EQ(load.table.translate("<NESSUNO>"), "<NESSUNO>");
    ASSERT_EQ(load.diagnostics.size(), 2u) << messages(load.diagnostics);
    EXPECT_EQ(load.diagnostics[0].line, 5); // the line without a key
    EXPECT_NE(load.diagnostics[1].message.find("announces 4 entries but holds 3"),
              std::string::npos);
}

TEST(TranslationTable, EntryCountLimitsTheEntriesRead) {
    struct Case {
        const char* text;
        std::size_t entries;
        const char* diagnostic; ///< part of the one expected diagnostic, or "" for none
    };
    const Case cases[] = {
        {"2\n<A>\ta\n<B>\tb\n", 2, ""},
        {"2\n<A>\ta\n<B>\tb", 2, ""}, // last line without a line break
        {"1\n<A>\ta\n<B>\tb\n", 1, "lines after the 1 announced entries are ignored"},
        {"1\n<A>\ta\n\n\n", 1, ""}, // blank lines after the entries are not reported
        {"5\n<A>\ta\n<B>\tb\n", 2, "announces 5 entries but holds 2"},
        {"due\n<A>\ta\n<B>\tb\n", 2, "is not an entry count"},
        {"-1\n<A>\ta\n", 1, "is not an entry count"},
        {" 2 \r\n<A>\ta\r\n<B>\tb\r\n", 2, ""},
        {"0\n<A>\ta\n", 0, "lines after the 0 announced entries"},
        {"", 0, "the translation table is empty"},
        {"<A>\ta\n", 0, "is not an entry count"}, // line 1 is the count line, whatever it holds
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TranslationLoad load = parse(c.text);
        EXPECT_EQ(load.table.entries().size(), c.entries);
        if (*c.diagnostic) {
            ASSERT_FALSE(load.diagnostics.empty());
            EXPECT_NE(load.diagnostics[0].message.find(c.diagnostic), std::string::npos)
                << messages(load.diagnostics);
        } else {
            EXPECT_TRUE(load.diagnostics.empty()) << messages(load.diagnostics);
        }
    }
}

TEST(TranslationTable, LineEndsAndEncodings) {
    struct Case {
        const char* name;
        std::string text;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"CR LF", "1\r\n<A>\tone\r\n", "<A>", "one"},
        {"LF", "1\n<A>\tone\n", "<A>", "one"},
        {"lone CR stays in the text", "1\n<A>\to\rne\n", "<A>", "o\rne"},
        {"UTF-8 kept", "1\n<CITT\xC3\x80>\tcitt\xC3\xA0\n", "<CITT\xC3\x80>", "citt\xC3\xA0"},
        {"Latin-1 converted", "1\n<CITT\xC0>\tcitt\xE0\n", "<CITT\xC3\x80>", "citt\xC3\xA0"},
        {"byte order mark dropped",
         "\xEF\xBB\xBF"
         "1\n<A>\tone\n",
         "<A>", "one"},
        {"key without text", "1\n<A>\n", "<A>", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TranslationLoad load = parse(c.text);
        EXPECT_EQ(load.table.translate(c.key), c.expected);
    }
}

TEST(TranslationTable, KeysAndTextsAreCutTo254Characters) {
    const std::string longKey = "<" + std::string(300, 'K') + ">";
    // Two-byte characters count as one.
    std::string longText;
    for (int i = 0; i < 300; ++i) {
        longText += "\xC3\xA8";
    }
    const TranslationLoad load = parse("1\n" + longKey + "\t" + longText + "\n");
    ASSERT_EQ(load.table.entries().size(), 1u);
    const TranslationEntry& e = load.table.entries()[0];
    EXPECT_EQ(e.key, longKey.substr(0, 254));
    EXPECT_EQ(e.text.size(), 2u * 254);
    EXPECT_EQ(load.table.translate(longKey), e.text);
    EXPECT_EQ(load.diagnostics.size(), 2u) << messages(load.diagnostics);
}

TEST(TranslationTable, FileWithLatin1BlankLineAndNoFinalLineBreak) {
    const TranslationLoad load =
        loadTranslationTable(test::testData("translation/latin1_crlf.txt"), 2);
    EXPECT_TRUE(load.diagnostics.empty()) << messages(load.diagnostics);
    const TranslationTable& t = load.table;
    EXPECT_EQ(t.translate("<ATTENZIONE>"), "Atenci\xC3\xB3n");
    EXPECT_EQ(t.translate("<CITT\xC3\x80>"), "Citt\xC3\xA0");
    EXPECT_EQ(t.translate("<ORDINA>"), "Ordenar");
    EXPECT_EQ(t.translate("<ULTIMO>"), "Ultimo");
    EXPECT_EQ(t.translate("<NESSUNO>"), "<NESSUNO>");
}

TEST(TranslationTable, UnreadableFileGivesTheKeysThemselves) {
    test::TempDir dir;
    for (const auto& path : {dir / "missing.txt", dir.path()}) {
        SCOPED_TRACE(path.string());
        const TranslationLoad load = loadTranslationTable(path, 1);
        EXPECT_TRUE(load.table.empty());
        EXPECT_EQ(load.table.translate("<ATTENZIONE>"), "<ATTENZIONE>");
        ASSERT_EQ(load.diagnostics.size(), 1u);
        EXPECT_EQ(load.diagnostics[0].severity, model::Severity::Error);
        EXPECT_EQ(load.diagnostics[0].file, path.string());
        EXPECT_EQ(load.diagnostics[0].message.find(path.string()), std::string::npos)
            << "the file is named once, as the diagnostic's file";
    }
    EXPECT_EQ(TranslationTable().translate("<ERRORE>"), "<ERRORE>");
}

} // namespace
} // namespace busmason::translation
