#include "shell/dialog_template.h"

#include <cctype>

namespace korvat {

const DialogControl* findControl(const DialogTemplate& dialog, int id) {
    for (int i = 0; i < dialog.controlCount; ++i)
        if (dialog.controls[i].id == id) return &dialog.controls[i];
    return nullptr;
}

uint32_t readUnsigned(const char* text, int limit) {
    int i = 0;
    auto at = [&](int k) { return k < limit ? static_cast<unsigned char>(text[k]) : 0; };
    while (at(i) && std::isspace(at(i))) ++i;
    bool negative = false;
    if (at(i) == '+' || at(i) == '-') {
        negative = at(i) == '-';
        ++i;
    }
    uint64_t value = 0;
    bool beyond = false;
    for (; at(i) >= '0' && at(i) <= '9'; ++i) {
        value = value * 10 + static_cast<uint64_t>(at(i) - '0');
        if (value > 0xFFFFFFFFull) beyond = true;
        if (beyond) value = 0xFFFFFFFFull;  // keeps the sum from growing
    }
    if (beyond) return 0xFFFFFFFFu;
    const uint32_t magnitude = static_cast<uint32_t>(value);
    return negative ? 0u - magnitude : magnitude;
}

}  // namespace korvat
