// The encoder library for one slideshow: loaded from the program folder with its three entries,
// opened once with initEncoder and closed exactly once (closeEncoder) before the library is
// released, whatever way the encode ends.
#pragma once

#include <cstdint>
#include <string>

#include "platform/encoder/EncoderApi.h"
#include "platform/win/DynamicLibrary.h"

class EncoderParameters;

// File name of the encoder library in the program folder.
inline constexpr const char* ENCODER_LIBRARY_NAME = "VelmorEncoder.so";

class EncoderSession {
public:
    EncoderSession() = default;
    ~EncoderSession();
    EncoderSession(const EncoderSession&) = delete;
    EncoderSession& operator=(const EncoderSession&) = delete;

    // Loads the library with initEncoder, EncOneFrame and closeEncoder (and getEncoderError when
    // it has one); false when the file cannot be loaded or an entry is missing (nothing stays
    // loaded then).
    bool Load(const std::string& programFolder);

    // Calls initEncoder; from then on Close (or the destructor) calls closeEncoder once.
    // Returns initEncoder's result.
    int32_t Open(const EncoderParameters& parameters);

    EncOneFrameFn FrameEntry() const { return m_pfnFrame; }

    // closeEncoder, when the encoder was opened and not yet closed; its result, else 0.
    int32_t Close();

    const std::string& LastError() const { return m_Library.LastError(); }

    // The library's reason for its last failure; "" when it gives none.
    std::string EncoderError() const;

private:
    CDynamicLibrary m_Library;
    InitEncoderFn m_pfnInit = nullptr;
    EncOneFrameFn m_pfnFrame = nullptr;
    CloseEncoderFn m_pfnClose = nullptr;
    GetEncoderErrorFn m_pfnError = nullptr;
    bool m_bOpen = false;
};
