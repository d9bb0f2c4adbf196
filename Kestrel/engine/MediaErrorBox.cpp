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
    // The other codes the player returns, so that no failure shows as a bare number.
    case 0x80004005u:
        return "E_FAIL";
    case 0x8000FFFFu:
        return "E_UNEXPECTED";
    case 0x800705B4u:
        return "ERROR_TIMEOUT";
    case 0xC00D36B2u:
        return "MF_E_INVALIDREQUEST";
    case 0xC00D36B4u:
        return "MF_E_INVALIDMEDIATYPE";
    case 0xC00D36B5u:
        return "MF_E_NOTACCEPTING";
    case 0xC00D36C4u:
        return "MF_E_UNSUPPORTED_BYTESTREAM_TYPE";
    case 0xC00D3E85u:
        return "MF_E_SHUTDOWN";
    case 0xC00D4A3Eu:
        return "MF_E_SAMPLEALLOCATOR_EMPTY";
    case 0xC00D4E85u:
        return "MF_E_NO_AUDIO_PLAYBACK_DEVICE";
    case 0xC00D6D72u:
        return "MF_E_TRANSFORM_NEED_MORE_INPUT";
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
