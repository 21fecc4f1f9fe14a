#include "command.h"
#include "json.h"
#include "project_args.h"

#include "core/diff/project_diff.h"
#include "core/util/file_io.h"

#include <iostream>

namespace busmason::cli {

namespace {

/// Exit status of diff, as the diff tools have it.
constexpr int kSame = 0;
constexpr int kDiffer = 1;
constexpr int kTrouble = 2;

std::string diffJson(const std::vector<diff::Change>& changes, const std::string& a,
                     const std::string& b) {
    JsonWriter j;
    j.beginObject().key("a").value(a).key("b").value(b).key("same").value(changes.empty());
    j.key("changes").beginArray();
    for (const diff::Change& c : changes) {
        j.beginObject().key("kind").value(diff::kindName(c.kind));
        j.key("nodeA").value(c.nodeA).key("nodeB").value(c.nodeB);
        j.key("subject").value(c.subject).key("before").value(c.before);
        j.key("after").value(c.after).key("text").value(diff::describeChange(c)).endObject();
    }
    j.endArray().endObject();
    return j.str() + "\n";
}

int compare(Args args) {
    const bool json = takeFlag(args, "--json");
    const std::filesystem::path edsFolder = edsFolderOption(args);
    if (args.size() != 2) {
        throw UsageError("diff needs two project files");
    }
    persistence::LoadResult a = loadProjectArgument(args, edsFolder, "diff");
    persistence::LoadResult b = loadProjectArgument(args, edsFolder, "diff");
    if (!a.session || !b.session) {
        return kTrouble;
    }
    const std::vector<diff::Change> changes =
        diff::diffNetworks(a.session->network(), b.session->network());
    const std::string nameA = util::displayPath(a.session->projectFile());
    const std::string nameB = util::displayPath(b.session->projectFile());
    if (json) {
        std::cout << diffJson(changes, nameA, nameB);
    } else if (!changes.empty()) {
        std::cout << "--- " << nameA << "\n+++ " << nameB << "\n";
        for (const diff::Change& c : changes) {
            std::cout << diff::describeChange(c) << "\n";
        }
    }
    return changes.empty() ? kSame : kDiffer;
}

int runDiff(const Args& args) {
    try {
        return compare(args);
    } catch (const UsageError&) {
        throw;
    } catch (const std::exception& e) {
        std::cerr << "busmason-cli diff: " << e.what() << "\n";
        return kTrouble;
    }
}

const bool registered = registerCommand(
    {"diff",
     "  diff A.bsm B.bsm [--eds-folder DIR] [--json]   what changed between two projects, by "
     "meaning\n      (exit 0 the same, 1 different, 2 trouble)",
     runDiff});

} // namespace

} // namespace busmason::cli
