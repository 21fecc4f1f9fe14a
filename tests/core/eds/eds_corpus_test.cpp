// Every file of the shared EDS corpus, parsed and compared with an independent reference parse
// (peer/<file>.json) on the fields the network model takes from an EDS.

#include "core/eds/eds_parser.h"
#include "core/eds/json_reader.h"
#include "core/util/file_io.h"
#include "core/util/text.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>

namespace busmason::eds {
namespace {

using test::Json;

std::vector<std::filesystem::path> corpusFiles() {
    std::vector<std::filesystem::path> files;
    const auto dir = test::edsCorpus();
    if (dir.empty()) {
        return files;
    }
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        if (util::iendsWith(e.path().string(), ".eds") ||
            util::iendsWith(e.path().string(), ".dcf")) {
            files.push_back(e.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

/// The objects of the file text that use CompactSubObj, by index: found from the text itself,
/// not from the parse under test.
std::set<int> compactObjects(std::string_view text) {
    std::set<int> out;
    int section = -1;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view line = util::trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.starts_with("[")) {
            const std::string name(line.substr(1, 4));
            section = line.size() > 5 && line[5] == ']' && util::isHexText(name)
                          ? static_cast<int>(std::strtol(name.c_str(), nullptr, 16))
                          : -1;
        } else if (section >= 0 && util::istartsWith(line, "CompactSubObj")) {
            const auto eq = line.find('=');
            if (eq != std::string_view::npos &&
                std::strtol(std::string(util::trim(line.substr(eq + 1))).c_str(), nullptr, 0) > 0) {
                out.insert(section);
            }
        }
    }
    return out;
}

/// Objects that have a [xxxxName] section naming their compact sub-entries.
std::set<int> namedCompactObjects(std::string_view text) {
    std::set<int> out;
    for (std::size_t at = text.find("Name]"); at != std::string_view::npos;
         at = text.find("Name]", at + 1)) {
        if (at >= 5 && text[at - 5] == '[') {
            const std::string name(text.substr(at - 4, 4));
            if (util::isHexText(name)) {
                out.insert(static_cast<int>(std::strtol(name.c_str(), nullptr, 16)));
            }
        }
    }
    return out;
}

using Key = std::pair<int, int>; ///< index, sub-index (-1 for the main entry)

TEST(EdsCorpus, EveryFileMatchesTheReferenceParse) {
    const auto files = corpusFiles();
    if (files.empty()) {
        GTEST_SKIP() << "the shared EDS corpus is absent";
    }
    for (const auto& path : files) {
        const std::string name = path.filename().string();
        SCOPED_TRACE(name);
        const std::string bytes = util::readFile(path);
        const EdsReadResult r = parseEds(bytes, name, name, 1);
        ASSERT_TRUE(r.node) << "rejected: "
                            << (r.diagnostics.empty() ? "" : r.diagnostics.back().message);
        EXPECT_FALSE(model::hasError(r.diagnostics));

        const auto peerPath = path.parent_path() / "peer" / (name + ".json");
        ASSERT_TRUE(std::filesystem::exists(peerPath));
        const Json peer = test::JsonReader::parse(util::readFile(peerPath));
        const std::set<int> compact = compactObjects(bytes);
        const std::set<int> named = namedCompactObjects(bytes);
        const bool hasDummyUsage = util::ifind(bytes, "[DummyUsage]") != std::string::npos;

        // Our entries by object address; the first entry of an address is the one lookups give.
        // Sections such as [1003Value] and [3004Name] are kept as entries but are not objects:
        // only sections named "XXXX" or "XXXXsubN" take part.
        std::map<Key, const model::object_dict*> ours;
        for (const model::object_dict& e : r.node->objects) {
            const int index = static_cast<int>(std::strtol(e.index.c_str(), nullptr, 16));
            if (!e.isSubEntry()) {
                if (e.name.size() == 4) {
                    ours.emplace(Key{index, -1}, &e);
                }
            } else {
                ours.emplace(
                    Key{index, static_cast<int>(std::strtol(e.subindex.c_str(), nullptr, 16))}, &e);
            }
        }

        std::set<Key> peerKeys;
        for (const Json& p : peer["objects"].array) {
            const Key key{p["index"].asInt(), p["subindex"].isNull() ? -1 : p["subindex"].asInt()};
            const std::string where = util::hexUpper(static_cast<unsigned>(key.first), 4) +
                                      (key.second < 0 ? "" : "sub" + std::to_string(key.second));
            SCOPED_TRACE(where);
            // The peer turns [DummyUsage] into objects 0x0001-0x0007 named DummyNNNN; they are
            // not object sections of the file.
            if (hasDummyUsage && key.first <= 7 &&
                p["parameter_name"].string.starts_with("Dummy")) {
                continue;
            }
            peerKeys.insert(key);
            const auto it = ours.find(key);
            ASSERT_NE(it, ours.end()) << "object missing";
            const model::object_dict& e = *it->second;
            const bool compactSub = key.second >= 0 && compact.count(key.first) != 0;

            // The peer names compact sub-entry 1 with the bare ParameterName; they are named
            // ParameterName and sub-index here unless a [xxxxName] section names them.
            if (!compactSub || (key.second >= 1 && named.count(key.first) != 0)) {
                EXPECT_EQ(e.ParameterName, p["parameter_name"].string);
            }
            if (p.has("data_type")) {
                // The peer reads a DataType beyond the basic types (0x40, a complex type) as
                // DOMAIN; the file's code is kept here.
                const int expected = p["data_type"].asInt();
                if (expected == 0x0F && e.DataType > 0x1B) {
                    EXPECT_GT(e.DataType, 0x1B);
                } else {
                    EXPECT_EQ(e.DataType, expected);
                }
            }
            // Compact sub-index 0 is "Number of entries", ro, holding the count: the peer
            // gives it the object's AccessType and no DefaultValue.
            const bool compactSub0 = compactSub && key.second == 0;
            if (p.has("access_type") && !compactSub0) {
                // The peer lower-cases AccessType; the text is kept as written here.
                EXPECT_TRUE(util::iequals(e.AccessType, p["access_type"].string))
                    << e.AccessType << " vs " << p["access_type"].string;
            }
            if (p.has("pdo_mapping")) {
                EXPECT_EQ(e.PDOMapping == 1, p["pdo_mapping"].boolean);
            }
            if (p.has("default_raw") && !compactSub0) {
                // Without a DefaultValue the model keeps its initial "0x0".
                const std::string expected =
                    p["default_raw"].isNull() ? "0x0" : p["default_raw"].string;
                EXPECT_EQ(e.DefaultValue, expected);
            }
        }
        // Entries the peer lacks: only the sub-entries of CompactSubObj objects, which the
        // peer creates for sub-index 0 and 1 of arrays at most.
        for (const auto& [key, e] : ours) {
            if (peerKeys.count(key) == 0) {
                EXPECT_TRUE(key.second >= 0 && compact.count(key.first) != 0)
                    << "extra entry " << e->name;
            }
        }
    }
}

} // namespace
} // namespace busmason::eds
