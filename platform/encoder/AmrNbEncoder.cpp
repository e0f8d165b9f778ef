#include "platform/encoder/AmrNbEncoder.h"

#include <opencore-amrnb/interf_enc.h>

#include <iterator>

namespace {

// The eight speech modes in order, with their bit rates.
constexpr int64_t kModeRates[] = {4750, 5150, 5900, 6700, 7400, 7950, 10200, 12200};

}  // namespace

void AmrNbEncoder::StateCloser::operator()(void* state) const {
    Encoder_Interface_exit(state);
}

bool AmrNbEncoder::Open(int64_t bitRate) {
    m_mode = 0;
    for (int i = 0; i < static_cast<int>(std::size(kModeRates)); ++i) {
        if (kModeRates[i] <= bitRate) m_mode = i;
    }
    m_bitRate = kModeRates[m_mode];
    m_state.reset(Encoder_Interface_init(0));
    return m_state != nullptr;
}

int AmrNbEncoder::Encode(const int16_t* samples, uint8_t* out) {
    if (!m_state || !samples || !out) return -1;
    const int n = Encoder_Interface_Encode(m_state.get(), static_cast<Mode>(m_mode), samples, out, 0);
    return n > 0 && n <= kMaxFrameBytes ? n : -1;
}
