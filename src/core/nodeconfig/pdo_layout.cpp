#include "core/nodeconfig/pdo_layout.h"

namespace busmason::nodeconfig {

namespace {

constexpr PdoLayout makeLayout(unsigned digital, unsigned analog, bool output) {
    PdoLayout rows{};
    for (int k = 0; k < 8; ++k) {
        rows[k] = PdoSlot{1, 0, 0, 0, 8, digital, k + 1};
    }
    for (int k = 0; k < 12; ++k) {
        rows[8 + k] = PdoSlot{2 + k / 4, 16, analog, k + 1, 0, 0, 0};
    }
    for (int g = 0; g < 12; ++g) {
        for (int j = 0; j < 8; ++j) {
            const int row = 20 + 8 * g + j;
            PdoSlot slot{5 + g, 0, 0, 0, 8, digital, 9 + 8 * g + j};
            if (j < 4) {
                slot.analogBits = 16;
                slot.analogIndex = analog;
                slot.analogSub = 13 + 4 * g + j;
            }
            rows[row] = slot;
        }
    }
    if (output) {
        rows[109].analogSub = 74;
        rows[110].analogSub = 75;
        rows[111].analogSub = 76;
    }
    return rows;
}

constexpr PdoLayout kOutput = makeLayout(0x6200, 0x6411, true);
constexpr PdoLayout kInput = makeLayout(0x6000, 0x6401, false);

} // namespace

const PdoLayout& outputLayout() {
    return kOutput;
}
const PdoLayout& inputLayout() {
    return kInput;
}
const PdoLayout& pdoLayout(PdoDirection direction) {
    return direction == PdoDirection::Receive ? kOutput : kInput;
}

int firstRowOfPdo(const PdoLayout& layout, int pdo) {
    for (int row = 0; row < kPdoLayoutRows; ++row) {
        if (layout[row].pdo == pdo) {
            return row;
        }
    }
    return -1;
}

int positionInPdo(const PdoLayout& layout, int row) {
    return row - firstRowOfPdo(layout, layout[row].pdo) + 1;
}

std::uint16_t pdoCobId(int n, PdoDirection direction, int address) {
    int b;
    if (n <= 3) {
        b = 4 * n;
    } else if (n <= 6) {
        b = n - 3;
    } else if (n <= 9) {
        b = n - 2;
    } else if (n <= 12) {
        b = n - 1;
    } else {
        b = n;
    }
    const int base = direction == PdoDirection::Transmit ? 0x180 : 0x200;
    return static_cast<std::uint16_t>(base + 0x100 * (b / 4) + 0x20 * (b % 4) + address);
}

} // namespace busmason::nodeconfig
