// What every transition kind does the same way: its three constructors and Save. A kind derives
// from TransitionSettingKind<Kind> and gives its own constants and parameters:
//   KIND, KEY; PARAM_ELEM (one parameter) or PARAM1_ELEM and PARAM2_ELEM (two); none for Random;
//   static GetDefaultParams() and GetRandomParams() returning int32_t (one parameter) or a
//   std::pair whose second is int32_t, or bool for a flag that is stored as 0 or 1.
#pragma once

#include <cstdint>
#include <utility>

#include "model/TransitionSetting.h"

template <class Kind> class TransitionSettingKind : public TransitionSetting {
public:
    // Default parameters, or random ones.
    explicit TransitionSettingKind(bool random = false) : TransitionSetting(Kind::KIND) {
        if constexpr (ParamCount() > 0) Assign(random ? Kind::GetRandomParams() : Kind::GetDefaultParams());
    }
    // Reads the parameters from the current TRANSITION_EFFECT_SETTING element; throws false
    // when a parameter element is missing. Values are taken as written, flags as 0 or 1.
    explicit TransitionSettingKind(CXmlDoc& xml) : TransitionSetting(Kind::KIND) {
        if constexpr (ParamCount() == 1) {
            m_nParam1 = LoadOne(xml, Kind::PARAM_ELEM);
        } else if constexpr (ParamCount() == 2) {
            const auto values = LoadTwo(xml, Kind::KEY, Kind::PARAM1_ELEM, Kind::PARAM2_ELEM);
            StoreRaw(values.first, values.second);
        }
    }
    // The other's parameters when it is of this kind, else random ones.
    explicit TransitionSettingKind(const TransitionSetting& other) : TransitionSetting(Kind::KIND) {
        if constexpr (ParamCount() > 0) {
            if (other.m_nKind == Kind::KIND)
                StoreRaw(other.m_nParam1, other.m_nParam2);
            else
                Assign(Kind::GetRandomParams());
        }
    }

    void Save(CXmlDoc& xml) const override {
        if constexpr (ParamCount() == 0)
            SaveBare(xml, Kind::KEY);
        else if constexpr (ParamCount() == 1)
            SaveOne(xml, Kind::KEY, Kind::PARAM_ELEM);
        else
            SaveTwo(xml, Kind::KEY, Kind::PARAM1_ELEM, Kind::PARAM2_ELEM);
    }

protected:
    TransitionSettingKind(const TransitionSettingKind&) = default;

private:
    static constexpr int ParamCount() {
        if constexpr (requires { Kind::PARAM1_ELEM; })
            return 2;
        else if constexpr (requires { Kind::PARAM_ELEM; })
            return 1;
        else
            return 0;
    }

    void Assign(int32_t value) { m_nParam1 = value; }
    // A flag becomes 0 or 1.
    template <class Second> void Assign(const std::pair<int32_t, Second>& values) {
        m_nParam1 = values.first;
        m_nParam2 = static_cast<int32_t>(values.second);
    }

    // Stored values of this kind: a one-parameter kind keeps its second at 0; a flag is
    // brought to 0 or 1.
    void StoreRaw(int32_t first, int32_t second) {
        m_nParam1 = first;
        if constexpr (ParamCount() == 2) {
            using Second = typename decltype(Kind::GetDefaultParams())::second_type;
            m_nParam2 = static_cast<int32_t>(static_cast<Second>(second));
        }
    }
};
