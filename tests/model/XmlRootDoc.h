// Records written under, and read back from, a root element of their own.
#pragma once

#include <string>

#include "model/XmlDoc.h"

// A document holding one record under a root element, as text.
template <class Record> std::string SaveUnderRoot(const Record& record) {
    CXmlDoc doc;
    doc.AddElem("ROOT");
    doc.IntoElem();
    record.Save(doc);
    return doc.GetDoc();
}

// Parses the text and steps into its root element; false when either fails.
inline bool EnterRoot(CXmlDoc& doc, const std::string& text, const char* root = "ROOT") {
    return doc.SetDoc(text) && doc.FindElem(root) && doc.IntoElem();
}
