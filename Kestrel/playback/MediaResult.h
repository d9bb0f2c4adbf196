#pragma once
// Result codes of the player's operations. They keep the platform's 32-bit values so that
// the engine's error box shows the texts the users know; negative means failure.
#include <cstdint>

namespace kestrel::playback {

using MediaResult = int32_t;

inline constexpr MediaResult Code(uint32_t value) {
    return static_cast<MediaResult>(value);
}

inline constexpr MediaResult kOk = 0;
inline constexpr MediaResult kFalse = 1;
inline constexpr MediaResult kNotImplemented = Code(0x80004001); // E_NOTIMPL
inline constexpr MediaResult kNoInterface = Code(0x80004002);    // E_NOINTERFACE
inline constexpr MediaResult kInvalidPointer = Code(0x80004003); // E_POINTER
inline constexpr MediaResult kFail = Code(0x80004005);           // E_FAIL
inline constexpr MediaResult kUnexpected = Code(0x8000FFFF);     // E_UNEXPECTED
inline constexpr MediaResult kOutOfMemory = Code(0x8007000E);    // E_OUTOFMEMORY
inline constexpr MediaResult kInvalidArg = Code(0x80070057);     // E_INVALIDARG
inline constexpr MediaResult kNoDecoder = Code(0x80040200);      // no decoder for the stream
inline constexpr MediaResult kWrongState = Code(0x80040227);     // VFW_E_WRONG_STATE
inline constexpr MediaResult kInvalidRequest = Code(0xC00D36B2); // request not valid now
inline constexpr MediaResult kInvalidMediaType = Code(0xC00D36B4);
inline constexpr MediaResult kUnsupportedByteStream = Code(0xC00D36C4); // not a movie
inline constexpr MediaResult kShutdown = Code(0xC00D3E85);              // object shut down
inline constexpr MediaResult kNoAudioDevice = Code(0xC00D4E85);         // no audio playback device
inline constexpr MediaResult kNeedMoreInput = Code(0xC00D6D72);         // mixer has no frame
inline constexpr MediaResult kNotAccepting = Code(0xC00D36B5);          // mixer holds a frame
inline constexpr MediaResult kSamplePoolEmpty = Code(0xC00D4A3E);       // no free sample
inline constexpr MediaResult kTimeout = Code(0x800705B4);

inline constexpr bool Failed(MediaResult r) {
    return r < 0;
}
inline constexpr bool Succeeded(MediaResult r) {
    return r >= 0;
}

} // namespace kestrel::playback
