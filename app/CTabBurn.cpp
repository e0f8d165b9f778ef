#include "app/CTabBurn.h"

#include <algorithm>

#include "app/CTerminalProgress.h"

void CTabBurn::OnEncodeProgress(int32_t position, void* context) {
    const auto* record = static_cast<const EncodeProgress*>(context);
    if (!record || record->m_nKind != ENCODE_PROGRESS_KIND_VIDEO || !record->m_pOwner)
        return;
    position = std::clamp(position, 0, kProgressRange);
    const double overall = static_cast<double>(position) * record->m_fShare + record->m_nStart;
    // Float shares may overshoot the end by a hair; the bar never leaves its range.
    const int32_t pos = static_cast<int32_t>(std::clamp(overall, 0.0, static_cast<double>(kProgressRange)));
    record->m_pOwner->SetProgressPos(pos);
}

EncodeProgress CTabBurn::MakeProgressRecord(CTabBurn* owner, int32_t index, int64_t framesBefore,
                                            int64_t framesOfShow, int64_t totalFrames) {
    EncodeProgress record;
    record.m_pOwner = owner;
    record.m_nKind = ENCODE_PROGRESS_KIND_VIDEO;
    record.m_nSlideshow = index;
    if (totalFrames > 0) {
        record.m_nStart = static_cast<int32_t>(static_cast<double>(framesBefore) / static_cast<double>(totalFrames) * kProgressRange);
        record.m_fShare = static_cast<float>(static_cast<double>(framesOfShow) / static_cast<double>(totalFrames));
    }
    return record;
}

void CTabBurn::SetProgressPos(int32_t position) {
    m_nProgressPos.store(position);
    if (m_pCounter)
        m_pCounter->SetPos(position);
}
