#include "engine/MediaErrorBox.h"

#include "engine/SystemMessageBox.h"
#include "engine/UiTextTable.h"

#include <cstdio>

namespace kestrel {

std::string MediaErrorText(int32_t code) {
    switch (static_cast<uint32_t>(code)) {
    case 0x80004001u:
        return "E_NOTIMPL";
    case 0x80004002u:
        return "E_NOINTERFACE";
    case 0x80004003u:
        return "E_POINTER";
    case 0x80040209u:
        return "VFW_E_NOT_CONNECTED";
    case 0x80040227u:
        return "VFW_E_WRONG_STATE";
    case 0x8007000Eu:
        return "E_OUTOFMEMORY";
    case 0x80070057u:
        return "E_INVALIDARG";
    case 0x80040200u:
        if (const std::string_view text = UiText(114); !text.empty())
            return std::string(text);
        break;
    default:
        break;
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "Unknown 0x%x", static_cast<unsigned>(code));
    return buffer;
}

void ReportMediaError(int32_t code) {
    SystemMessageBox::Show("ERROR", MediaErrorText(code));
}

} // namespace kestrel
