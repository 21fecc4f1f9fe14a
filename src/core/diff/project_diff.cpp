#include "core/diff/project_diff.h"

#include "core/model/numbers.h"
#include "core/persistence/project_file.h"
#include "core/util/text.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

namespace busmason::diff {

namespace {

using model::node;

/// One start-up write as the diff compares it.
struct Write {
    /// "0x1017", "0x1804:01".
    std::string object;
    std::string data;
    /// The value as an integer, with the node's address taken off a PDO COB-ID (which follows
    /// the address when the node moves); none when data is not an integer.
    std::optional<std::int64_t> meaning;

    bool sameMeaning(const Write& other) const {
        return meaning && other.meaning ? *meaning == *other.meaning : data == other.data;
    }
    std::string signature() const {
        return object + "=" + (meaning ? std::to_string(*meaning) : data);
    }
};

/// One variable: its name and where it is.
struct Variable {
    std::string name;
    /// The entry and slot: "6000.1#0".
    std::string slot;
    /// "6000.1 Byte,TxPdo, pdo 1, object 1, shift 0".
    std::string place;
};

bool isPdoCobId(const model::object_dict& e) {
    if (!util::isHexText(e.index) || e.index.size() != 4 || model::subIndexNumber(e) != 1) {
        return false;
    }
    const auto index = std::stoul(e.index, nullptr, 16);
    return (index >= 0x1400 && index <= 0x15FF) || (index >= 0x1800 && index <= 0x19FF);
}

std::vector<Write> writesOf(const node& n) {
    std::vector<Write> out;
    for (const model::record& r : n.sdoRecords) {
        if (r.target >= n.objects.size()) {
            continue;
        }
        const model::object_dict& e = n.entry(r.target);
        Write w{model::describeEntry(e), r.data, model::tryReadInteger(r.data)};
        if (w.meaning && isPdoCobId(e)) {
            *w.meaning -= n.address;
        }
        out.push_back(std::move(w));
    }
    return out;
}

std::vector<Variable> variablesOf(const node& n) {
    std::vector<Variable> out;
    for (const model::object_dict& e : n.objects) {
        for (int i = 0; i < e.varCount; ++i) {
            const auto k = static_cast<std::size_t>(i);
            const std::string key = model::objectKey(e);
            out.push_back({e.varName(k), key + "#" + std::to_string(i),
                           key + " " + persistence::variableTypeText(e) + ", pdo " +
                               std::to_string(persistence::variablePdo(e)) + ", object " +
                               std::to_string(e.object) + ", shift " + std::to_string(e.shift(k))});
        }
    }
    return out;
}

/// The two nodes hold the same variables in the same places: a quick answer for the common
/// case of an unchanged node, without building the texts.
bool sameVariables(const node& a, const node& b) {
    if (a.objects.size() != b.objects.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.objects.size(); ++i) {
        const model::object_dict& x = a.objects[i];
        const model::object_dict& y = b.objects[i];
        if (x.varCount != y.varCount) {
            return false;
        }
        if (x.varCount == 0) {
            continue;
        }
        if (x.varType != y.varType || x.pdoKind != y.pdoKind || x.pdoNumber != y.pdoNumber ||
            x.object != y.object || x.index != y.index || x.subindex != y.subindex) {
            return false;
        }
        for (int k = 0; k < x.varCount; ++k) {
            const auto slot = static_cast<std::size_t>(k);
            if (x.varName(slot) != y.varName(slot) || x.shift(slot) != y.shift(slot)) {
                return false;
            }
        }
    }
    return true;
}

/// The two nodes make the same writes, text for text, to the same objects.
bool sameWrites(const node& a, const node& b) {
    if (a.sdoRecords.size() != b.sdoRecords.size() || a.objects.size() != b.objects.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.sdoRecords.size(); ++i) {
        const model::record& x = a.sdoRecords[i];
        const model::record& y = b.sdoRecords[i];
        if (x.target != y.target || x.data != y.data || x.target >= a.objects.size() ||
            a.entry(x.target).index != b.entry(y.target).index ||
            a.entry(x.target).subindex != b.entry(y.target).subindex) {
            return false;
        }
    }
    return true;
}

std::string terminalName(const model::terminal& t, std::size_t position) {
    return "TE-" + std::to_string(position) + " " + t.Tname;
}

/// What a node's configuration holds, apart from its address: for pairing moved nodes.
std::multiset<std::string> signatureOf(const node& n) {
    std::multiset<std::string> out;
    for (const Write& w : writesOf(n)) {
        out.insert("w " + w.signature());
    }
    for (const Variable& v : variablesOf(n)) {
        out.insert("v " + v.slot + " " + v.place);
    }
    if (n.coupler) {
        for (const model::terminal& t : n.coupler->terminals) {
            std::string s = "t " + std::to_string(t.ID) + " " + t.Tname;
            for (const model::io_mod& c : t.channels) {
                s += " " + std::to_string(c.Config);
            }
            out.insert(s);
        }
    }
    return out;
}

/// The n-th occurrence of each key in a list: "0x1017" of the second write to 0x1017 is
/// {"0x1017", 1}.
template <class T, class Key>
std::vector<std::pair<std::string, int>> occurrences(const std::vector<T>& items, Key key) {
    std::map<std::string, int> seen;
    std::vector<std::pair<std::string, int>> out;
    for (const T& item : items) {
        const std::string k = key(item);
        out.emplace_back(k, seen[k]++);
    }
    return out;
}

/// Positions in b of the items of a with the same key and occurrence; -1 where there is none.
template <class T, class Key>
std::vector<int> matchByKey(const std::vector<T>& a, const std::vector<T>& b, Key key,
                            const std::vector<bool>& takenB = {}) {
    std::map<std::pair<std::string, int>, int> positions;
    const auto keysB = occurrences(b, key);
    for (std::size_t j = 0; j < keysB.size(); ++j) {
        if (takenB.empty() || !takenB[j]) {
            positions.emplace(keysB[j], static_cast<int>(j));
        }
    }
    std::vector<int> out;
    for (const auto& k : occurrences(a, key)) {
        const auto it = positions.find(k);
        out.push_back(it == positions.end() ? -1 : it->second);
    }
    return out;
}

/// Indices (into order) of a longest increasing subsequence of order's values.
std::set<std::size_t> longestIncreasing(const std::vector<int>& order) {
    const std::size_t n = order.size();
    std::vector<std::size_t> length(n, 1);
    std::vector<std::size_t> previous(n, n);
    std::size_t best = n;
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (order[j] < order[i] && length[j] + 1 > length[i]) {
                length[i] = length[j] + 1;
                previous[i] = j;
            }
        }
        if (best == n || length[i] > length[best]) {
            best = i;
        }
    }
    std::set<std::size_t> out;
    for (std::size_t i = best; i < n; i = previous[i]) {
        out.insert(i);
    }
    return out;
}

class Differ {
public:
    Differ(std::vector<Change>& out, int addressA, int addressB)
        : m_out(out), m_a(addressA), m_b(addressB) {}

    void add(ChangeKind kind, std::string subject, std::string before, std::string after) {
        m_out.push_back({kind, m_a, m_b, std::move(subject), std::move(before), std::move(after)});
    }

    void flags(const node& a, const node& b) {
        const auto flag = [&](const char* name, bool x, bool y) {
            if (x != y) {
                add(ChangeKind::NodeFlag, name, x ? "on" : "off", y ? "on" : "off");
            }
        };
        flag("virtual", a.virtual_, b.virtual_);
        flag("node guarding disabled", a.ngDisabled, b.ngDisabled);
    }

    void writes(const node& a, const node& b) {
        if (sameWrites(a, b)) {
            return;
        }
        const std::vector<Write> wa = writesOf(a);
        const std::vector<Write> wb = writesOf(b);
        const std::vector<int> match = matchByKey(wa, wb, [](const Write& w) { return w.object; });
        std::vector<bool> matchedB(wb.size(), false);
        std::vector<int> order;
        std::vector<std::size_t> matchedA;
        for (std::size_t i = 0; i < wa.size(); ++i) {
            if (match[i] < 0) {
                add(ChangeKind::WriteRemoved, wa[i].object, wa[i].data, {});
                continue;
            }
            const Write& other = wb[static_cast<std::size_t>(match[i])];
            matchedB[static_cast<std::size_t>(match[i])] = true;
            if (!wa[i].sameMeaning(other)) {
                add(ChangeKind::WriteChanged, wa[i].object, wa[i].data, other.data);
            }
            order.push_back(match[i]);
            matchedA.push_back(i);
        }
        for (std::size_t j = 0; j < wb.size(); ++j) {
            if (!matchedB[j]) {
                add(ChangeKind::WriteAdded, wb[j].object, {}, wb[j].data);
            }
        }
        const std::set<std::size_t> inPlace = longestIncreasing(order);
        for (std::size_t k = 0; k < order.size(); ++k) {
            if (!inPlace.count(k)) {
                const Write& w = wa[matchedA[k]];
                add(ChangeKind::WriteMoved, w.object + " = " + w.data,
                    std::to_string(matchedA[k] + 1), std::to_string(order[k] + 1));
            }
        }
    }

    void variables(const node& a, const node& b) {
        if (sameVariables(a, b)) {
            return;
        }
        const std::vector<Variable> va = variablesOf(a);
        const std::vector<Variable> vb = variablesOf(b);
        const auto byName = [](const Variable& v) { return v.name; };
        const auto bySlot = [](const Variable& v) { return v.slot; };
        std::vector<int> match = matchByKey(va, vb, byName);
        std::vector<bool> takenB(vb.size(), false);
        for (const int j : match) {
            if (j >= 0) {
                takenB[static_cast<std::size_t>(j)] = true;
            }
        }
        // Variables without a partner of their name: the same slot under another name.
        std::vector<Variable> restA;
        std::vector<std::size_t> restIndex;
        for (std::size_t i = 0; i < va.size(); ++i) {
            if (match[i] < 0) {
                restA.push_back(va[i]);
                restIndex.push_back(i);
            }
        }
        std::vector<Variable> restB;
        std::vector<std::size_t> restBIndex;
        for (std::size_t j = 0; j < vb.size(); ++j) {
            if (!takenB[j]) {
                restB.push_back(vb[j]);
                restBIndex.push_back(j);
            }
        }
        const std::vector<int> renamed = matchByKey(restA, restB, bySlot);
        for (std::size_t k = 0; k < restA.size(); ++k) {
            if (renamed[k] >= 0) {
                const std::size_t j = restBIndex[static_cast<std::size_t>(renamed[k])];
                match[restIndex[k]] = static_cast<int>(j);
                takenB[j] = true;
            }
        }
        for (std::size_t i = 0; i < va.size(); ++i) {
            if (match[i] < 0) {
                add(ChangeKind::VariableRemoved, va[i].name, va[i].place, {});
                continue;
            }
            const Variable& other = vb[static_cast<std::size_t>(match[i])];
            if (other.name != va[i].name) {
                add(ChangeKind::VariableRenamed, other.place, va[i].name, other.name);
            } else if (other.place != va[i].place) {
                add(ChangeKind::VariablePlaced, va[i].name, va[i].place, other.place);
            }
        }
        for (std::size_t j = 0; j < vb.size(); ++j) {
            if (!takenB[j]) {
                add(ChangeKind::VariableAdded, vb[j].name, {}, vb[j].place);
            }
        }
    }

    void terminals(const node& a, const node& b) {
        static const std::vector<model::terminal> none;
        const auto& ta = a.coupler ? a.coupler->terminals : none;
        const auto& tb = b.coupler ? b.coupler->terminals : none;
        const auto same = [](const model::terminal& x, const model::terminal& y) {
            return x.ID == y.ID && x.Tname == y.Tname && x.Varnumb == y.Varnumb;
        };
        // Longest common subsequence of the two rows by terminal type.
        const std::size_t n = ta.size();
        const std::size_t m = tb.size();
        std::vector<std::vector<std::size_t>> lcs(n + 1, std::vector<std::size_t>(m + 1, 0));
        for (std::size_t i = n; i-- > 0;) {
            for (std::size_t j = m; j-- > 0;) {
                lcs[i][j] = same(ta[i], tb[j]) ? lcs[i + 1][j + 1] + 1
                                               : std::max(lcs[i + 1][j], lcs[i][j + 1]);
            }
        }
        std::size_t i = 0;
        std::size_t j = 0;
        while (i < n || j < m) {
            if (i < n && j < m && same(ta[i], tb[j])) {
                channels(ta[i], tb[j], j);
                ++i;
                ++j;
            } else if (j < m && (i == n || lcs[i][j + 1] >= lcs[i + 1][j])) {
                add(ChangeKind::TerminalAdded, terminalName(tb[j], j), {}, {});
                ++j;
            } else {
                add(ChangeKind::TerminalRemoved, terminalName(ta[i], i), {}, {});
                ++i;
            }
        }
    }

private:
    void channels(const model::terminal& x, const model::terminal& y, std::size_t position) {
        std::vector<std::string> before;
        std::vector<std::string> after;
        for (std::size_t c = 0; c < x.channels.size() && c < y.channels.size(); ++c) {
            const model::io_mod& p = x.channels[c];
            const model::io_mod& q = y.channels[c];
            if (p.Config != q.Config || p.dir != q.dir || p.bitnumb != q.bitnumb) {
                const std::string channel = "channel " + std::to_string(c) + " ";
                const auto text = [&](const model::io_mod& k) {
                    return channel + "config " + std::to_string(k.Config) +
                           (p.dir != q.dir ? std::string(k.dir ? " output" : " input") : "") +
                           (p.bitnumb != q.bitnumb ? " " + std::to_string(k.bitnumb) + " bits"
                                                   : "");
                };
                before.push_back(text(p));
                after.push_back(text(q));
            }
        }
        if (!before.empty()) {
            const auto join = [](const std::vector<std::string>& parts) {
                std::string s;
                for (const std::string& part : parts) {
                    s += (s.empty() ? "" : ", ") + part;
                }
                return s;
            };
            add(ChangeKind::TerminalReconfigured, terminalName(y, position), join(before),
                join(after));
        }
    }

    std::vector<Change>& m_out;
    int m_a;
    int m_b;
};

void parameters(const model::Network& a, const model::Network& b, std::vector<Change>& out) {
    const auto field = [&](const char* name, const std::string& x, const std::string& y) {
        if (x != y) {
            out.push_back({ChangeKind::Parameter, 0, 0, name, x, y});
        }
    };
    const auto flag = [](bool on) { return std::string(on ? "on" : "off"); };
    const model::NetworkParameters& p = a.parameters;
    const model::NetworkParameters& q = b.parameters;
    field("bit rate", p.baudRate, q.baudRate);
    field("CAN channel", p.channel, q.channel);
    field("cycle time", p.cycleTime, q.cycleTime);
    field("guard time", p.guardTime, q.guardTime);
    field("life time factor", p.lifeTime, q.lifeTime);
    field("sync", flag(p.enableSync), flag(q.enableSync));
    field("toggle bit", flag(p.toggleBit), flag(q.toggleBit));
    field("variable prefix", a.prefix, b.prefix);
    field("crosstable row", a.crosstableRow, b.crosstableRow);
}

/// Pairs the nodes of a and b: by address and EDS, then moved ones by EDS and likeness.
std::vector<std::pair<int, int>> pairNodes(const model::Network& a, const model::Network& b) {
    std::vector<std::pair<int, int>> pairs;
    std::vector<int> onlyA;
    std::set<int> onlyB;
    a.forEachNode([&](const node& n) {
        const node* m = b.at(n.address);
        if (m && util::iequals(m->fileInfo.FileName, n.fileInfo.FileName)) {
            pairs.emplace_back(n.address, n.address);
        } else {
            onlyA.push_back(n.address);
        }
    });
    b.forEachNode([&](const node& n) {
        const node* m = a.at(n.address);
        if (!m || !util::iequals(m->fileInfo.FileName, n.fileInfo.FileName)) {
            onlyB.insert(n.address);
        }
    });
    for (const int address : onlyA) {
        const node& n = *a.at(address);
        const std::multiset<std::string> mine = signatureOf(n);
        int best = 0;
        std::size_t bestScore = 0;
        for (const int candidate : onlyB) {
            const node& m = *b.at(candidate);
            if (!util::iequals(m.fileInfo.FileName, n.fileInfo.FileName)) {
                continue;
            }
            const std::multiset<std::string> theirs = signatureOf(m);
            std::vector<std::string> common;
            std::set_intersection(mine.begin(), mine.end(), theirs.begin(), theirs.end(),
                                  std::back_inserter(common));
            // Alike: at least half of the larger configuration in common (two unconfigured
            // nodes are alike).
            const std::size_t larger = std::max(mine.size(), theirs.size());
            if (2 * common.size() >= larger && (best == 0 || common.size() > bestScore)) {
                best = candidate;
                bestScore = common.size();
            }
        }
        if (best != 0) {
            pairs.emplace_back(address, best);
            onlyB.erase(best);
        } else {
            pairs.emplace_back(address, 0);
        }
    }
    for (const int address : onlyB) {
        pairs.emplace_back(0, address);
    }
    return pairs;
}

} // namespace

std::vector<Change> diffNetworks(const model::Network& a, const model::Network& b) {
    std::vector<Change> out;
    parameters(a, b, out);
    std::vector<std::pair<int, int>> pairs = pairNodes(a, b);
    // In B's address order; removed nodes at their place in A's.
    std::stable_sort(pairs.begin(), pairs.end(), [](const auto& x, const auto& y) {
        return (x.second ? x.second : x.first) < (y.second ? y.second : y.first);
    });
    for (const auto& [addressA, addressB] : pairs) {
        Differ d(out, addressA, addressB);
        if (addressB == 0) {
            d.add(ChangeKind::NodeRemoved, a.at(addressA)->fileInfo.FileName, {}, {});
            continue;
        }
        if (addressA == 0) {
            d.add(ChangeKind::NodeAdded, b.at(addressB)->fileInfo.FileName, {}, {});
            continue;
        }
        const node& x = *a.at(addressA);
        const node& y = *b.at(addressB);
        if (addressA != addressB) {
            d.add(ChangeKind::NodeMoved, y.fileInfo.FileName, std::to_string(addressA),
                  std::to_string(addressB));
        }
        d.flags(x, y);
        d.writes(x, y);
        d.variables(x, y);
        d.terminals(x, y);
    }
    return out;
}

std::string_view kindName(ChangeKind kind) {
    switch (kind) {
    case ChangeKind::Parameter:
        return "parameter";
    case ChangeKind::NodeAdded:
        return "node-added";
    case ChangeKind::NodeRemoved:
        return "node-removed";
    case ChangeKind::NodeMoved:
        return "node-moved";
    case ChangeKind::NodeFlag:
        return "node-flag";
    case ChangeKind::WriteAdded:
        return "write-added";
    case ChangeKind::WriteRemoved:
        return "write-removed";
    case ChangeKind::WriteChanged:
        return "write-changed";
    case ChangeKind::WriteMoved:
        return "write-moved";
    case ChangeKind::VariableAdded:
        return "variable-added";
    case ChangeKind::VariableRemoved:
        return "variable-removed";
    case ChangeKind::VariableRenamed:
        return "variable-renamed";
    case ChangeKind::VariablePlaced:
        return "variable-placed";
    case ChangeKind::TerminalAdded:
        return "terminal-added";
    case ChangeKind::TerminalRemoved:
        return "terminal-removed";
    case ChangeKind::TerminalReconfigured:
        return "terminal-reconfigured";
    }
    return "change";
}

std::string describeChange(const Change& c) {
    const int address = c.nodeB ? c.nodeB : c.nodeA;
    std::string node = "node " + std::to_string(address);
    if (c.nodeA && c.nodeB && c.nodeA != c.nodeB) {
        node += " (was " + std::to_string(c.nodeA) + ")";
    }
    switch (c.kind) {
    case ChangeKind::Parameter:
        return c.subject + ": " + c.before + " -> " + c.after;
    case ChangeKind::NodeAdded:
        return node + " added (" + c.subject + ")";
    case ChangeKind::NodeRemoved:
        return node + " removed (" + c.subject + ")";
    case ChangeKind::NodeMoved:
        return "node " + c.before + " moved to address " + c.after + " (" + c.subject + ")";
    case ChangeKind::NodeFlag:
        return node + ": " + c.subject + ": " + c.before + " -> " + c.after;
    case ChangeKind::WriteAdded:
        return node + ": start-up write " + c.subject + " = " + c.after + " added";
    case ChangeKind::WriteRemoved:
        return node + ": start-up write " + c.subject + " = " + c.before + " removed";
    case ChangeKind::WriteChanged:
        return node + ": start-up write " + c.subject + " changed: " + c.before + " -> " + c.after;
    case ChangeKind::WriteMoved:
        return node + ": start-up write " + c.subject + " moved from position " + c.before +
               " to " + c.after;
    case ChangeKind::VariableAdded:
        return node + ": variable " + c.subject + " added (" + c.after + ")";
    case ChangeKind::VariableRemoved:
        return node + ": variable " + c.subject + " removed (" + c.before + ")";
    case ChangeKind::VariableRenamed:
        return node + ": variable " + c.before + " renamed " + c.after + " (" + c.subject + ")";
    case ChangeKind::VariablePlaced:
        return node + ": variable " + c.subject + " placed elsewhere: " + c.before + " -> " +
               c.after;
    case ChangeKind::TerminalAdded:
        return node + ": terminal " + c.subject + " added";
    case ChangeKind::TerminalRemoved:
        return node + ": terminal " + c.subject + " removed";
    case ChangeKind::TerminalReconfigured:
        return node + ": terminal " + c.subject + " reconfigured: " + c.before + " -> " + c.after;
    }
    return node;
}

} // namespace busmason::diff
