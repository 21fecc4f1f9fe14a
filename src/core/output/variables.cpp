#include "core/output/variables.h"

namespace busmason::output {

std::vector<Variable> collectVariables(const model::Network& net) {
    std::vector<Variable> out;
    net.forEachNode([&](const model::node& n) {
        for (const model::object_dict& e : n.objects) {
            for (int i = 0; i < e.varCount; ++i) {
                out.push_back(Variable{&n, &e, i});
            }
        }
    });
    return out;
}

} // namespace busmason::output
