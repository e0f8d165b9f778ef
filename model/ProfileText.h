// Reading a profile XML file into a document.
#pragma once

#include <string>

class CXmlDoc;

// Reads the whole file (FF FE: UTF-16LE), refuses a text that lost most of the file in the
// conversion (fewer characters than half the file's bytes minus 20) and parses it. False when
// the file cannot be read, the text is refused or it holds no root element.
bool LoadProfileXml(const std::string& path, CXmlDoc& xml);
