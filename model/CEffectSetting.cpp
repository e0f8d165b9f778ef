#include "model/CEffectSetting.h"

#include "model/EffectNames.h"
#include "model/TransitionAlphaSetting.h"
#include "model/TransitionFactory.h"
#include "model/TransitionRandomSetting.h"
#include "model/XmlDoc.h"
#include "model/XmlNumber.h"

CEffectSetting::CEffectSetting() : m_pTransition(CreateTransition()) {}

CEffectSetting::CEffectSetting(const CEffectSetting& other) {
    AssignFrom(other);
}

CEffectSetting& CEffectSetting::operator=(const CEffectSetting& other) {
    if (this != &other) AssignFrom(other);
    return *this;
}

void CEffectSetting::AssignFrom(const CEffectSetting& other) {
    m_nSingleEffectTime = other.m_nSingleEffectTime;
    m_nTransitionTime = other.m_nTransitionTime;
    m_nInitType = other.m_nInitType;
    m_nSingleEffectId = PickSingleEffect(m_nInitType);
    m_pTransition = CloneTransition(other.m_pTransition.get());
}

void CEffectSetting::ApplyRandomDefaults(bool randomEffect, bool randomTransition) {
    m_nInitType = randomEffect ? EFFECT_LEVEL_ALL : EFFECT_LEVEL_NONE;
    m_nSingleEffectId = PickSingleEffect(m_nInitType);
    if (randomTransition)
        m_pTransition = std::make_unique<TransitionRandomSetting>(false);
    else
        m_pTransition = std::make_unique<TransitionAlphaSetting>(true);
}

void CEffectSetting::Save(CXmlDoc& xml) const {
    xml.AddElem("DUVI_EFFECT");
    xml.IntoElem();
    xml.AddElem("SINGLE_EFFECT_TIME", IntToXml(m_nSingleEffectTime));
    xml.AddElem("SINGLE_EFFECT_ID", IntToXml(m_nSingleEffectId));
    xml.AddElem("SINGLE_EFFECT_INIT_TYPE", IntToXml(m_nInitType));
    xml.AddElem("TRANSITIO_EFFECT_TIME", IntToXml(m_nTransitionTime));
    if (m_pTransition) m_pTransition->Save(xml);
    xml.OutOfElem();
}

bool CEffectSetting::Load(CXmlDoc& xml) {
    if (!xml.FindElem("DUVI_EFFECT") || !xml.IntoElem()) return false;
    if (!xml.FindElem("SINGLE_EFFECT_TIME")) return false;
    m_nSingleEffectTime = XmlToInt(xml.GetData());
    if (!xml.FindElem("SINGLE_EFFECT_ID")) return false;
    // The id indexes the effect name table and the animator's effect list.
    const int32_t id = XmlToInt(xml.GetData());
    if (id >= 0 && id < SINGLE_EFFECT_COUNT) m_nSingleEffectId = id;
    if (!xml.FindElem("SINGLE_EFFECT_INIT_TYPE")) return false;
    // A level outside 0..3 would come back from PickSingleEffect as an effect id.
    const int32_t level = XmlToInt(xml.GetData());
    if (level >= 0 && level < EFFECT_LEVEL_COUNT) m_nInitType = level;
    if (!xml.FindElem("TRANSITIO_EFFECT_TIME")) return false;
    m_nTransitionTime = XmlToInt(xml.GetData());
    if (!LoadTransition(xml, m_pTransition)) return false;
    xml.OutOfElem();
    return true;
}
