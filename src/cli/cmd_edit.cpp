#include "command.h"
#include "project_args.h"

#include "core/coupler/config_codes.h"
#include "core/coupler/terminal_library.h"
#include "core/coupler/terminal_row.h"
#include "core/editor/network_session.h"
#include "core/model/numbers.h"
#include "core/nodeconfig/node_config.h"
#include "core/nodeconfig/pdo_mapping.h"
#include "core/nodeconfig/refusal.h"
#include "core/nodeconfig/writes.h"
#include "core/persistence/project_io.h"
#include "core/util/file_io.h"

#include <iostream>
#include <map>
#include <optional>

namespace busmason::cli {

namespace {

const char* const kUsage =
    "  edit PROJECT.bsm [--eds-folder DIR] [--template DIR] [--force] ACTION...\n"
    "     apply actions in order (a new project when PROJECT.bsm does not exist), then save:\n"
    "       add-node EDS | delete-node ADDR | arrange\n"
    "       set baud|channel|cycle|guard|life|sync|toggle|prefix|crosstable VALUE\n"
    "       address ADDR NEW | flags ADDR virtual|ng on|off\n"
    "       param ADDR OBJECT VALUE (a mapping entry: INDEX,SUB,DIM) | param-delete ADDR OBJECT N\n"
    "       write-move ADDR N up|down | var ADDR OBJECT NAME | map ADDR OBJECT NAME (\"\" unmaps)\n"
    "       terminal ADDR add TYPE-NAME | terminal ADDR delete POS\n"
    "       terminal ADDR config POS CHANNEL CODE | coupler-close ADDR";

/// A refused or malformed action: the message says what was wrong; nothing was changed.
struct ActionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

/// The words of one action.
struct Action {
    std::vector<std::string> words;

    std::string text() const {
        std::string out;
        for (const std::string& w : words) {
            out += (out.empty() ? "" : " ") + (w.empty() ? std::string("\"\"") : w);
        }
        return out;
    }
};

/// Number of arguments each action takes after its name (terminal depends on its sub-action).
int argumentCount(const std::string& name, const std::vector<std::string>& rest) {
    static const std::map<std::string, int> counts = {
        {"add-node", 1},   {"delete-node", 1}, {"arrange", 0}, {"set", 2},
        {"address", 2},    {"flags", 3},       {"param", 3},   {"param-delete", 3},
        {"write-move", 3}, {"var", 3},         {"map", 3},     {"coupler-close", 1},
    };
    if (name == "terminal") {
        if (rest.size() < 2) {
            return 3;
        }
        return rest[1] == "config" ? 5 : 3;
    }
    const auto it = counts.find(name);
    if (it == counts.end()) {
        throw UsageError("unknown action '" + name + "'");
    }
    return it->second;
}

std::vector<Action> splitActions(const Args& words) {
    std::vector<Action> actions;
    std::size_t i = 0;
    while (i < words.size()) {
        const std::string& name = words[i];
        const std::vector<std::string> rest(words.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                            words.end());
        const auto count = static_cast<std::size_t>(argumentCount(name, rest));
        if (rest.size() < count) {
            throw UsageError("action '" + name + "' needs " + std::to_string(count) + " argument" +
                             (count == 1 ? "" : "s"));
        }
        Action a;
        a.words.assign(words.begin() + static_cast<std::ptrdiff_t>(i),
                       words.begin() + static_cast<std::ptrdiff_t>(i + 1 + count));
        actions.push_back(std::move(a));
        i += 1 + count;
    }
    return actions;
}

/// A decimal or hexadecimal number of the action, within [low, high].
int number(const std::string& text, const char* what, int low, int high) {
    const auto v = model::tryReadInteger(text);
    if (!v || *v < low || *v > high) {
        throw ActionError(std::string(what) + " '" + text + "' is not a number from " +
                          std::to_string(low) + " to " + std::to_string(high));
    }
    return static_cast<int>(*v);
}

bool onOff(const std::string& text) {
    if (text == "on") {
        return true;
    }
    if (text == "off") {
        return false;
    }
    throw ActionError("'" + text + "' is neither on nor off");
}

/// Applies actions to one project as the windows would, one after the other.
class EditRun {
public:
    EditRun(editor::NetworkSession& session, std::filesystem::path edsFolder,
            std::filesystem::path templateFolder)
        : m_session(session), m_edsFolder(std::move(edsFolder)),
          m_templateFolder(std::move(templateFolder)) {}

    void apply(const Action& action);

private:
    model::node& nodeAt(const std::string& text);
    model::EntryId entryOf(const model::node& n, const std::string& object);
    const coupler::TerminalLibrary& library();

    void set(const std::string& name, const std::string& value);
    void terminal(const Action& a);

    editor::NetworkSession& m_session;
    std::filesystem::path m_edsFolder;
    std::filesystem::path m_templateFolder;
    std::optional<coupler::TerminalLibrary> m_library;
};

model::node& EditRun::nodeAt(const std::string& text) {
    const int address = number(text, "node address", 1, model::kMaxNodes);
    model::node* n = m_session.network().at(address);
    if (!n) {
        throw ActionError("there is no node at address " + std::to_string(address));
    }
    return *n;
}

model::EntryId EditRun::entryOf(const model::node& n, const std::string& object) {
    const model::EntryId id = nodeconfig::selectEntry(n, object);
    if (id == model::kNoEntry) {
        throw ActionError("node " + std::to_string(n.address) + " (" + n.fileInfo.FileName +
                          ") has no object " + object);
    }
    return id;
}

const coupler::TerminalLibrary& EditRun::library() {
    if (!m_library) {
        coupler::TerminalLibraryResult read = coupler::readTerminalLibrary(m_templateFolder);
        printDiagnostics(read.diagnostics);
        m_library = std::move(read.library);
    }
    return *m_library;
}

void EditRun::set(const std::string& name, const std::string& value) {
    static const std::map<std::string, editor::ParameterField> fields = {
        {"baud", editor::ParameterField::BaudRate},   {"channel", editor::ParameterField::Channel},
        {"cycle", editor::ParameterField::CycleTime}, {"guard", editor::ParameterField::GuardTime},
        {"life", editor::ParameterField::LifeTime},
    };
    if (const auto it = fields.find(name); it != fields.end()) {
        m_session.setParameter(it->second, value);
    } else if (name == "sync") {
        m_session.setSync(onOff(value));
    } else if (name == "toggle") {
        m_session.setToggleBit(onOff(value));
    } else if (name == "prefix") {
        m_session.setPrefix(value);
    } else if (name == "crosstable") {
        m_session.setCrosstableRow(value);
        std::cerr << "busmason-cli edit: warning: the project file has no place for the "
                     "crosstable row: it is not saved\n";
    } else {
        throw ActionError("unknown parameter '" + name +
                          "' (baud, channel, cycle, guard, life, sync, toggle, prefix, "
                          "crosstable)");
    }
}

void EditRun::terminal(const Action& a) {
    const std::vector<std::string>& w = a.words;
    const int address = nodeAt(w[1]).address;
    const std::string& what = w[2];
    if (what == "add") {
        const coupler::terminal_type* type = library().find(w[3]);
        if (!type) {
            std::string known;
            for (const coupler::terminal_type& t : library().types()) {
                known += (known.empty() ? "" : ", ") + t.name;
            }
            throw ActionError("no terminal type '" + w[3] + "' in " +
                              util::displayPath(coupler::terminalFolder(m_templateFolder)) + " (" +
                              (known.empty() ? "none" : known) + ")");
        }
        const coupler::PlacementOutcome outcome = m_session.editCoupler(
            address, [&](coupler::CouplerSession& c) { return c.addTerminal(*type); });
        if (outcome.failure) {
            throw ActionError(std::string(coupler::addFailureKey(outcome.failure->result)) + " " +
                              coupler::describeFailure(*outcome.failure));
        }
    } else if (what == "delete") {
        const int position = number(w[3], "terminal position", 0, 1000);
        m_session.editCoupler(address,
                              [&](coupler::CouplerSession& c) { c.deleteTerminal(position); });
    } else if (what == "config") {
        const std::optional<int> code = coupler::findConfigCode(w[5]);
        if (!code) {
            throw ActionError("'" + w[5] + "' is not a configuration code");
        }
        const int position = number(w[3], "terminal position", 0, 1000);
        const int channel = number(w[4], "channel", 0, model::kMaxTerminalChannels - 1);
        m_session.editCoupler(address, [&](coupler::CouplerSession& c) {
            c.configureChannel(position, channel, *code);
        });
    } else {
        throw ActionError("unknown terminal action '" + what + "' (add, delete, config)");
    }
}

void EditRun::apply(const Action& a) {
    const std::vector<std::string>& w = a.words;
    const std::string& name = w[0];
    if (name == "add-node") {
        const editor::AddedNode added = m_session.addNode(m_edsFolder, w[1]);
        printDiagnostics(added.warnings);
        std::cout << "node " << added.address << ": " << w[1] << "\n";
    } else if (name == "delete-node") {
        m_session.deleteNode(nodeAt(w[1]).address);
    } else if (name == "arrange") {
        m_session.arrange();
    } else if (name == "set") {
        set(w[1], w[2]);
    } else if (name == "address") {
        const int address = nodeAt(w[1]).address;
        m_session.moveNode(address, number(w[2], "node address", 1, model::kMaxNodes));
    } else if (name == "flags") {
        const model::node& n = nodeAt(w[1]);
        const bool on = onOff(w[3]);
        if (w[2] != "virtual" && w[2] != "ng") {
            throw ActionError("unknown flag '" + w[2] + "' (virtual, ng)");
        }
        m_session.storeAdministration(n.address, std::to_string(n.address),
                                      w[2] == "virtual" ? on : n.virtual_,
                                      w[2] == "ng" ? on : n.ngDisabled);
    } else if (name == "param") {
        const int address = nodeAt(w[1]).address;
        m_session.editNode(address, [&](model::node& n) {
            return nodeconfig::addParameterValue(n, entryOf(n, w[2]),
                                                 nodeconfig::splitParameterText(w[3]), "");
        });
    } else if (name == "param-delete") {
        const int address = nodeAt(w[1]).address;
        const int row = number(w[3], "row", 1, model::kMaxSdoRecords);
        m_session.editNode(address, [&](model::node& n) {
            nodeconfig::deleteParameterValue(n, entryOf(n, w[2]), row);
        });
    } else if (name == "write-move") {
        const model::node& n = nodeAt(w[1]);
        const int row = number(w[2], "write", 1, model::kMaxSdoRecords);
        if (row > n.sdoCount()) {
            throw ActionError("node " + std::to_string(n.address) + " has no start-up write " +
                              w[2]);
        }
        if (w[3] != "up" && w[3] != "down") {
            throw ActionError("'" + w[3] + "' is neither up nor down");
        }
        const auto direction =
            w[3] == "up" ? nodeconfig::MoveDirection::Up : nodeconfig::MoveDirection::Down;
        m_session.editNode(n.address,
                           [&](model::node& m) { nodeconfig::moveWrite(m, row, direction); });
    } else if (name == "var") {
        const int address = nodeAt(w[1]).address;
        m_session.editNode(address, [&](model::node& n) {
            nodeconfig::setVariableName(n, entryOf(n, w[2]), w[3]);
        });
    } else if (name == "map") {
        const int address = nodeAt(w[1]).address;
        const nodeconfig::MapOutcome outcome = m_session.editNode(address, [&](model::node& n) {
            return nodeconfig::nameOnPdoPage(n, entryOf(n, w[2]), w[3]);
        });
        if (outcome == nodeconfig::MapOutcome::NotInLayout) {
            std::cerr << "busmason-cli edit: warning: " << a.text() << ": " << w[2]
                      << " has no place in the standard PDO layout; the name is kept but the "
                         "object is not mapped\n";
        }
    } else if (name == "terminal") {
        terminal(a);
    } else if (name == "coupler-close") {
        const int address = nodeAt(w[1]).address;
        const editor::CouplerClose closed = m_session.closeCoupler(address);
        if (closed.outcome.failure) {
            std::cerr << "busmason-cli edit: warning: coupler-close " << address << ": "
                      << closed.messageKey << " "
                      << coupler::describeFailure(*closed.outcome.failure)
                      << "; the channels before it are placed\n";
        }
    }
}

/// The message of an error an action raised, with the translation key of a refusal.
std::string describe(const std::exception& e) {
    if (const auto* refused = dynamic_cast<const nodeconfig::RefusedError*>(&e);
        refused && !refused->key().empty()) {
        return refused->key() + " " + refused->what();
    }
    return e.what();
}

int runEdit(const Args& arguments) {
    Args args = arguments;
    const std::filesystem::path edsFolder = edsFolderOption(args);
    const std::string templateOption = takeOption(args, "--template");
    const std::filesystem::path templateFolder =
        templateOption.empty() ? installFolder() : std::filesystem::path(templateOption);
    const bool force = takeFlag(args, "--force");
    if (args.empty()) {
        throw UsageError("edit needs a project file");
    }
    const std::filesystem::path projectFile = projectFilePath(args.front());
    if (projectFile.extension() != ".bsm" || projectFile.stem().empty()) {
        throw UsageError("the project file must be named NAME.bsm, not '" + args.front() + "'");
    }
    const std::vector<Action> actions = splitActions(Args(args.begin() + 1, args.end()));

    std::optional<editor::NetworkSession> session;
    std::error_code ec;
    if (std::filesystem::exists(projectFile, ec)) {
        Args fileArg{projectFile.string()};
        persistence::LoadResult loaded = loadProjectArgument(fileArg, edsFolder, "edit");
        if (!loaded.session) {
            return 1;
        }
        if (!force && loadLeftSomethingOut(loaded.diagnostics, *loaded.session)) {
            std::cerr << "busmason-cli edit: not changing " << util::displayPath(projectFile)
                      << ": the load left out or changed what is listed above; saving would lose "
                         "it (use --force to save anyway)\n";
            return 1;
        }
        session = std::move(loaded.session);
    } else {
        session.emplace(projectFile.parent_path(), projectFile.stem().string());
    }

    EditRun run(*session, edsFolder, templateFolder);
    for (std::size_t i = 0; i < actions.size(); ++i) {
        try {
            run.apply(actions[i]);
        } catch (const std::exception& e) {
            std::cerr << "busmason-cli edit: action " << i + 1 << " (" << actions[i].text()
                      << "): " << describe(e) << "\nnothing was saved\n";
            return 1;
        }
    }
    for (const int address : session->couplersNeedingClose()) {
        std::cerr << "busmason-cli edit: warning: the terminals of node " << address
                  << " changed after its last coupler-close: its start-up writes are not "
                     "rebuilt (add coupler-close "
                  << address << ")\n";
    }
    std::filesystem::create_directories(session->projectFolder(), ec);
    persistence::saveProject(*session);
    std::cout << "wrote " << util::displayPath(session->projectFile()) << "\n"
              << "wrote " << util::displayPath(session->couplerFile()) << "\n";
    return 0;
}

const bool registered = registerCommand({"edit", kUsage, runEdit});

} // namespace

} // namespace busmason::cli
