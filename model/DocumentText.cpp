#include "model/DocumentText.h"

#include <cstring>

#include "model/XmlDoc.h"
#include "platform/win/FileSystem.h"

bool ReadDocumentText(const std::string& path, std::string& text, uint64_t& fileBytes) {
    // Pipes and devices never end or block; only plain files are read.
    if (!IsRegularFile(path)) return false;
    uint64_t size = 0;
    std::time_t mtime = 0;
    if (!GetFileStatus(path, size, mtime) || size > MAX_DOCUMENT_BYTES) return false;
    std::string raw;
    if (!CXmlDoc::ReadTextFile(path, raw, &fileBytes)) return false;
    if (fileBytes > MAX_DOCUMENT_BYTES) return false;
    text.assign(raw.c_str(), std::strlen(raw.c_str()));
    return true;
}
