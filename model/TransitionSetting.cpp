#include "model/TransitionSetting.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <string>

#include "model/XmlDoc.h"
#include "model/XmlNumber.h"
#include "platform/win/Random.h"

namespace {
std::array<std::atomic<TransitionSetting::EditHandler>, TRANSITION_KIND_COUNT> g_editHandlers{};
} // namespace

void TransitionSetting::Save(CXmlDoc&) const {}

void TransitionSetting::Edit() {
    if (EditHandler handler = GetEditHandler(m_nKind)) handler(*this);
}

void TransitionSetting::SetEditHandler(int32_t kind, EditHandler handler) {
    if (kind < 0 || kind >= TRANSITION_KIND_COUNT) return;
    g_editHandlers[static_cast<size_t>(kind)].store(handler);
}

TransitionSetting::EditHandler TransitionSetting::GetEditHandler(int32_t kind) {
    if (kind < 0 || kind >= TRANSITION_KIND_COUNT) return nullptr;
    return g_editHandlers[static_cast<size_t>(kind)].load();
}

int32_t TransitionSetting::DrawChoice(int32_t divisor, int32_t scale, int32_t top) {
    return std::min(Rand() / divisor / scale, top);
}

int32_t TransitionSetting::DrawWidth() {
    return std::max(Rand() / 81 / 5, 1);
}

void TransitionSetting::SaveBare(CXmlDoc& xml, const char* key) {
    xml.AddElem(TRANSITION_SETTING_ELEM);
    xml.SetAttrib("NAME", key);
}

void TransitionSetting::SaveOne(CXmlDoc& xml, const char* key, const char* elem) const {
    SaveBare(xml, key);
    xml.AddChildElem(elem, IntToXml(m_nParam1));
}

void TransitionSetting::SaveTwo(CXmlDoc& xml, const char* key, const char* elem1, const char* elem2) const {
    SaveBare(xml, key);
    const std::string group = std::string(key) + "_PARAM";
    xml.AddChildElem(group);
    xml.IntoElem();
    xml.AddChildElem(elem1, IntToXml(m_nParam1));
    xml.AddChildElem(elem2, IntToXml(m_nParam2));
    xml.OutOfElem();
}

int32_t TransitionSetting::LoadOne(CXmlDoc& xml, const char* elem) {
    if (!xml.IntoElem()) throw false;
    if (!xml.FindElem(elem)) throw false;
    const int32_t value = XmlToInt(xml.GetData());
    xml.OutOfElem();
    return value;
}

std::pair<int32_t, int32_t> TransitionSetting::LoadTwo(CXmlDoc& xml, const char* key, const char* elem1,
                                                       const char* elem2) {
    const std::string group = std::string(key) + "_PARAM";
    if (!xml.IntoElem()) throw false;
    if (!xml.FindElem(group)) throw false;
    if (!xml.IntoElem()) throw false;
    if (!xml.FindElem(elem1)) throw false;
    const int32_t first = XmlToInt(xml.GetData());
    if (!xml.FindElem(elem2)) throw false;
    const int32_t second = XmlToInt(xml.GetData());
    xml.OutOfElem();
    xml.OutOfElem();
    return {first, second};
}
