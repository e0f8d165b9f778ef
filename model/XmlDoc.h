// The program's own small XML document: the whole text in one string plus an index of where each
// element's tags lie in it. Element names may hold blanks ("Working Path"); a name is matched by
// its first word. Adds and attribute changes splice the text and shift the index, never re-parse.
// Written documents have one element per line, CR LF line ends, no indentation, no declaration.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Where one element lies in the text (byte positions) and how it links to the others.
// Record index 0 in a link field means "no element".
struct XmlElemPos {
    int32_t nStartL = 0;     // '<' of the start tag
    int32_t nStartR = 0;     // '>' of the start tag
    int32_t nEndL = 0;       // '<' of the end tag; the '/' for an empty element <NAME/>
    int32_t nEndR = 0;       // '>' of the end tag; equals nStartR for an empty element
    int32_t iElemParent = 0;
    int32_t iElemChild = 0;  // first child
    int32_t iElemNext = 0;   // next sibling
};

class CXmlDoc {
public:
    // Deepest element nesting a parsed document may have.
    static constexpr int kMaxDepth = 256;

    CXmlDoc();
    CXmlDoc(const CXmlDoc& other);
    CXmlDoc& operator=(const CXmlDoc& other);  // copies text, index and position, not the error
    virtual ~CXmlDoc();

    // Replaces the document and parses it; true when a root element was parsed. A null text is
    // an empty one. On failure the text stays, the index is empty and GetError() says why.
    bool SetDoc(const char* text);
    bool SetDoc(const std::string& text);
    bool IsWellFormed() const;

    // Navigation. The position is parent / current element / current child.
    bool FindElem(std::string_view name = {});
    bool FindChildElem(std::string_view name = {});
    bool IntoElem();
    bool OutOfElem();

    // Getters of the current element; "" for anything missing.
    std::string GetData() const;
    std::string GetTagName() const;
    std::string GetAttrib(std::string_view name) const;

    // Writers. An empty value writes an empty element <NAME/>.
    bool AddElem(std::string_view name, std::string_view value = {});
    bool AddChildElem(std::string_view name, std::string_view value = {});
    bool SetAttrib(std::string_view name, std::string_view value);

    // The document text (what a writer stores as the file) and the last parse error.
    const std::string& GetDoc() const { return m_strDoc; }
    const std::string& GetError() const { return m_strError; }

    // Reads a whole file and applies the UTF-16LE rule; false when it cannot be read.
    // fileBytes (optional) receives the file's length in bytes.
    static bool ReadTextFile(const std::string& path, std::string& text, uint64_t* fileBytes = nullptr);
    // Writes text as a file's whole content through a temporary file in the same folder that
    // replaces the target only when every byte was written; false (target untouched) otherwise.
    static bool WriteTextFile(const std::string& path, const std::string& text);

private:
    struct XmlToken {
        int32_t nL = 0;
        int32_t nR = -1;
        int32_t nNext = 0;
        bool bIsString = false;
    };

    bool FindToken(XmlToken& token) const;
    std::string GetToken(const XmlToken& token) const;
    bool MatchName(const XmlToken& token, std::string_view name) const;
    std::string TagNameAt(int iPos) const;
    // The first element from iPos on along its siblings named name (any name when empty); 0 for none.
    int FindSibling(int iPos, std::string_view name) const;

    int ParseElem(int iPosParent, int depth);
    int ParseNode(XmlToken& token) const;
    int ParseError(const char* message, const std::string& name = std::string());

    bool FindAttrib(XmlToken& token, std::string_view name, int32_t tagEnd) const;
    static std::string TextToDoc(std::string_view text, bool forAttrib);
    std::string TextFromDoc(int32_t left, int32_t right) const;

    bool InsertElem(std::string_view name, std::string_view value, bool asChild);
    bool SetAttribAt(int iPos, std::string_view name, std::string_view value);
    void DocChange(int32_t left, int32_t replaced, const std::string& insert);
    void AdjustPositions(int iPos, int32_t shift);
    void ShiftSubtree(int iRoot, int32_t shift);

    int GetFreePos();
    void ReleasePos();
    void ResetIndex();

    std::string m_strDoc;
    std::string m_strError;
    std::vector<XmlElemPos> m_aPos;
    int m_iPosParent = 0;
    int m_iPos = 0;
    int m_iPosChild = 0;
    int m_iPosFree = 1;
};
