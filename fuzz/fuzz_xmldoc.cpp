// Parses arbitrary bytes as a document (after the readers' UTF-16 rule), then walks and edits it.
#include "model/XmlDoc.h"
#include "platform/win/TextConv.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CXmlDoc doc;
    if (!doc.SetDoc(DecodeTextBytes(bytes))) return 0;
    // Walk the whole tree depth first, reading everything and adding to some elements.
    int steps = 0;
    while (steps++ < 1000) {
        if (doc.FindElem()) {
            doc.GetData();
            doc.GetTagName();
            doc.GetAttrib("NAME");
            if ((steps & 7) == 0) doc.SetAttrib("NAME", "v<&>\"'");
            if ((steps & 15) == 0) doc.AddChildElem("added child", "x&y");
            doc.IntoElem();
        } else if (!doc.OutOfElem()) {
            break;
        }
    }
    CXmlDoc again;
    if (!again.SetDoc(doc.GetDoc())) __builtin_trap();  // every edit must keep the text parseable
    return 0;
}
