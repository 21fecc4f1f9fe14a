#include "core/output/variables.h"

namespace busmason::output {

void forEachVariable(const model::Network& net, const std::function<void(const Variable&)>& f) {
    net.forEachNode([&](const model::node& n) {
        for (const model::object_dict& e : n.objects) {
            for (int i = 0; i < e.varCount; ++i) {
                f(Variable{n, e, i});
            }
        }
    });
}

} // namespace busmason::output
