#include "model/ProfileText.h"

#include <cstdint>

#include "model/XmlDoc.h"

bool LoadProfileXml(const std::string& path, CXmlDoc& xml) {
    std::string text;
    uint64_t fileBytes = 0;
    if (!CXmlDoc::ReadTextFile(path, text, &fileBytes)) return false;
    // The text ends at its first NUL, as the file's text would for any C string reader.
    const size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    if (static_cast<int64_t>(text.size()) < static_cast<int64_t>(fileBytes / 2) - 20) return false;
    return xml.SetDoc(text);
}
