#include "model/DocumentText.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include "model/XmlDoc.h"

bool ReadDocumentText(const std::string& path, std::string& text, uint64_t& fileBytes) {
    std::error_code ec;
    // Pipes and devices never end or block; only plain files are read.
    if (!std::filesystem::is_regular_file(path, ec) || ec) return false;
    const uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size > MAX_DOCUMENT_BYTES) return false;
    std::string raw;
    if (!CXmlDoc::ReadTextFile(path, raw, &fileBytes)) return false;
    if (fileBytes > MAX_DOCUMENT_BYTES) return false;
    text.assign(raw.c_str(), std::strlen(raw.c_str()));
    return true;
}
