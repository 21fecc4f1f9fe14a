#include "core/model/data_types.h"

#include "core/util/text.h"

namespace busmason::model {

int codeOfPlcType(std::string_view name) {
    if (name.empty()) {
        return -1;
    }
    for (const DataTypeRow& row : kDataTypes) {
        if (util::iequals(row.plcType, name)) {
            return row.code;
        }
    }
    return -1;
}

} // namespace busmason::model
