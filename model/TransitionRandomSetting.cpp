#include "model/TransitionRandomSetting.h"

#include "model/XmlDoc.h"

TransitionRandomSetting::TransitionRandomSetting(bool) : TransitionSetting(KIND) {}

TransitionRandomSetting::TransitionRandomSetting(CXmlDoc&) : TransitionSetting(KIND) {}

TransitionRandomSetting::TransitionRandomSetting(const TransitionSetting&) : TransitionSetting(KIND) {}

void TransitionRandomSetting::Save(CXmlDoc& xml) const {
    xml.AddElem(TRANSITION_SETTING_ELEM, "");
    xml.SetAttrib("NAME", KEY);
}
