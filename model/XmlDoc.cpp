#include "model/XmlDoc.h"

#include "platform/win/AtomicFileWriter.h"
#include "platform/win/TextConv.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Positions are 32-bit: a longer text cannot be indexed.
constexpr size_t kMaxDocLength = static_cast<size_t>(INT32_MAX) - 16;

struct Entity {
    char ch;
    std::string_view text;  // after the '&'
};
constexpr Entity kEntities[] = {
    {'<', "lt;"}, {'&', "amp;"}, {'>', "gt;"}, {'\'', "apos;"}, {'"', "quot;"},
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsTokenDelimiter(char c) {
    return IsSpace(c) || c == '<' || c == '>' || c == '=' || c == '\\' || c == '/' || c == '?' || c == '!';
}

// A name the writer can put into a tag so that it parses back as the same element.
bool IsWritableElemName(std::string_view name) {
    if (name.empty() || IsTokenDelimiter(name.front())) return false;
    for (char c : name)
        if (c == '<' || c == '>' || c == '/' || c == '&' || c == '"' || c == '\'') return false;
    return true;
}

// An attribute name must be one token, or it could never be found again.
bool IsWritableAttribName(std::string_view name) {
    if (name.empty()) return false;
    for (char c : name)
        if (IsTokenDelimiter(c) || c == '&' || c == '"' || c == '\'') return false;
    return true;
}

class FdGuard {
public:
    explicit FdGuard(int fd) : m_fd(fd) {}
    ~FdGuard() {
        if (m_fd >= 0) ::close(m_fd);
    }
    FdGuard(const FdGuard&) = delete;
    FdGuard& operator=(const FdGuard&) = delete;
    int Fd() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

CXmlDoc::CXmlDoc() { SetDoc(static_cast<const char*>(nullptr)); }

CXmlDoc::CXmlDoc(const CXmlDoc& other)
    : m_strDoc(other.m_strDoc), m_aPos(other.m_aPos), m_iPosParent(other.m_iPosParent),
      m_iPos(other.m_iPos), m_iPosChild(other.m_iPosChild), m_iPosFree(other.m_iPosFree) {}

CXmlDoc& CXmlDoc::operator=(const CXmlDoc& other) {
    if (this == &other) return *this;
    m_strDoc = other.m_strDoc;
    m_aPos = other.m_aPos;
    m_iPosParent = other.m_iPosParent;
    m_iPos = other.m_iPos;
    m_iPosChild = other.m_iPosChild;
    m_iPosFree = other.m_iPosFree;
    return *this;
}

CXmlDoc::~CXmlDoc() = default;

// ---------------------------------------------------------------------------------------------
// Parsing

bool CXmlDoc::SetDoc(const char* text) { return SetDoc(text ? std::string(text) : std::string()); }

bool CXmlDoc::SetDoc(const std::string& text) {
    m_iPosFree = 1;
    m_iPosParent = m_iPos = m_iPosChild = 0;
    m_strDoc = text;
    m_strError.clear();

    const size_t want = m_strDoc.size() / 64 + 8;
    if (m_aPos.size() < want && m_strDoc.size() <= kMaxDocLength) m_aPos.resize(want);
    if (m_aPos.empty()) m_aPos.resize(8);

    bool ok = false;
    if (m_strDoc.size() > kMaxDocLength) {
        m_strError = "Document too large";
    } else if (!m_strDoc.empty()) {
        m_aPos[0] = XmlElemPos();
        const int iRoot = ParseElem(0, 1);
        if (iRoot > 0) {
            m_aPos[0].iElemChild = iRoot;
            ok = true;
        } else if (iRoot == 0 && m_strError.empty()) {
            // An end tag where the root element should start.
            m_strError = "Element tag not found";
        }
    }
    if (!ok) ResetIndex();
    m_iPosParent = m_iPos = m_iPosChild = 0;
    return ok;
}

void CXmlDoc::ResetIndex() {
    if (m_aPos.empty()) m_aPos.resize(8);
    m_aPos[0] = XmlElemPos();
    m_iPosFree = 1;
}

bool CXmlDoc::IsWellFormed() const { return !m_aPos.empty() && m_aPos[0].iElemChild != 0; }

int CXmlDoc::GetFreePos() {
    if (static_cast<size_t>(m_iPosFree) >= m_aPos.size()) m_aPos.resize(m_aPos.size() + m_aPos.size() / 2 + 1);
    return m_iPosFree++;
}

void CXmlDoc::ReleasePos() { --m_iPosFree; }

int CXmlDoc::ParseError(const char* message, const std::string& name) {
    std::string text(message);
    const size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, name);
    m_strError = text;
    ReleasePos();
    return -1;
}

bool CXmlDoc::FindToken(XmlToken& token) const {
    const int32_t len = static_cast<int32_t>(m_strDoc.size());
    const char* doc = m_strDoc.data();
    token.bIsString = false;
    int32_t n = token.nNext < 0 ? 0 : token.nNext;
    while (n < len && IsSpace(doc[n])) ++n;
    if (n >= len) {
        token.nL = len;
        token.nR = len - 1;  // empty token: never read past the text
        token.nNext = len;
        return false;
    }
    const char c = doc[n];
    if (c == '"' || c == '\'') {
        token.bIsString = true;
        token.nL = n + 1;
        const void* close = std::memchr(doc + n + 1, c, static_cast<size_t>(len - n - 1));
        if (close) {
            const int32_t q = static_cast<int32_t>(static_cast<const char*>(close) - doc);
            token.nR = q - 1;
            token.nNext = q + 1;
        } else {
            token.nR = len - 1;
            token.nNext = len;
        }
        return true;
    }
    token.nL = n;
    while (n < len && !IsTokenDelimiter(doc[n])) ++n;
    if (n == token.nL) ++n;  // a delimiter is a token of its own
    token.nNext = n;
    token.nR = n - 1;
    return true;
}

std::string CXmlDoc::GetToken(const XmlToken& token) const {
    const int32_t len = static_cast<int32_t>(m_strDoc.size());
    if (token.nL < 0 || token.nL > token.nR || token.nR >= len) return std::string();
    return m_strDoc.substr(static_cast<size_t>(token.nL), static_cast<size_t>(token.nR - token.nL + 1));
}

// The token matches when it equals the first characters of name and name ends there or goes on
// with a blank, '=', '/' or '['.
bool CXmlDoc::MatchName(const XmlToken& token, std::string_view name) const {
    const int32_t len = static_cast<int32_t>(m_strDoc.size());
    if (token.nL < 0 || token.nR >= len) return false;
    const size_t tokLen = token.nR >= token.nL ? static_cast<size_t>(token.nR - token.nL + 1) : 0;
    if (tokLen > name.size()) return false;
    if (std::string_view(m_strDoc).substr(static_cast<size_t>(token.nL), tokLen) != name.substr(0, tokLen))
        return false;
    if (tokLen == name.size()) return true;
    const char next = name[tokLen];
    return next == ' ' || next == '=' || next == '/' || next == '[';
}

std::string CXmlDoc::TagNameAt(int iPos) const {
    if (iPos <= 0 || static_cast<size_t>(iPos) >= m_aPos.size()) return std::string();
    XmlToken token;
    token.nNext = m_aPos[iPos].nStartL + 1;
    FindToken(token);
    return GetToken(token);
}

int CXmlDoc::ParseElem(int iPosParent, int depth) {
    const int iPos = GetFreePos();
    m_aPos[iPos] = XmlElemPos();
    m_aPos[iPos].nStartL = m_aPos[iPosParent].nEndL;
    m_aPos[iPos].iElemParent = iPosParent;

    XmlToken token;
    token.nNext = m_aPos[iPosParent].nEndL;
    std::string tagName;
    while (tagName.empty()) {
        const size_t lt = m_strDoc.find('<', static_cast<size_t>(token.nNext));
        if (lt == std::string::npos) return ParseError("Element tag not found");
        m_aPos[iPosParent].nEndL = static_cast<int32_t>(lt);
        m_aPos[iPos].nStartL = static_cast<int32_t>(lt);
        token.nNext = static_cast<int32_t>(lt) + 1;
        if (!FindToken(token)) return ParseError("Abrupt end within tag");
        if (token.bIsString) return ParseError("Tag starts with quote");
        const char c = m_strDoc[static_cast<size_t>(token.nL)];
        if (c == '?' || c == '!') {
            token.nNext = static_cast<int32_t>(lt);
            // A node must move the scan on: "< !x" is no node and would be found again forever.
            if (ParseNode(token) <= 1 || token.nNext <= static_cast<int32_t>(lt)) return ParseError("Invalid node");
            continue;
        }
        if (c == '/') {
            ReleasePos();  // the parent's end tag
            return 0;
        }
        tagName = GetToken(token);
        if (depth > kMaxDepth) return ParseError("Element nesting too deep at %s", tagName);
        const size_t gt = m_strDoc.find('>', static_cast<size_t>(token.nNext));
        if (gt == std::string::npos) return ParseError("End of tag not found");
        m_aPos[iPos].nStartR = static_cast<int32_t>(gt);
    }

    const int32_t startR = m_aPos[iPos].nStartR;
    if (m_strDoc[static_cast<size_t>(startR) - 1] == '/') {
        m_aPos[iPos].nEndL = startR - 1;
        m_aPos[iPos].nEndR = startR;
        return iPos;
    }

    m_aPos[iPos].nEndL = startR + 1;
    int iPrev = 0;
    for (;;) {
        const int iChild = ParseElem(iPos, depth + 1);
        if (iChild == -1) return -1;
        if (iChild == 0) break;
        if (iPrev)
            m_aPos[iPrev].iElemNext = iChild;
        else
            m_aPos[iPos].iElemChild = iChild;
        iPrev = iChild;
        m_aPos[iPos].nEndL = m_aPos[iChild].nEndR + 1;
    }

    const size_t endLt = m_strDoc.find('<', static_cast<size_t>(m_aPos[iPos].nEndL));
    if (endLt == std::string::npos) return ParseError("End tag of %s element not found", tagName);
    m_aPos[iPos].nEndL = static_cast<int32_t>(endLt);

    token.nNext = static_cast<int32_t>(endLt) + 1;
    int count = 0;
    bool closed = false;
    while (FindToken(token)) {
        ++count;
        if (token.bIsString) continue;
        const char c = m_strDoc[static_cast<size_t>(token.nL)];
        if (count == 1 && c != '/') return ParseError("Expecting end tag of element %s", tagName);
        if (count == 2 && !MatchName(token, tagName)) return ParseError("End tag does not correspond to %s", tagName);
        if (c == '>') {
            closed = true;
            break;
        }
    }
    if (!closed || count < 2) return ParseError("End tag not completed for element %s", tagName);
    m_aPos[iPos].nEndR = token.nL;
    return iPos;
}

int CXmlDoc::ParseNode(XmlToken& token) const {
    const size_t len = m_strDoc.size();
    size_t n = static_cast<size_t>(token.nNext < 0 ? 0 : token.nNext);
    if (n >= len) return 0;

    if (m_strDoc[n] != '<') {
        const size_t lt = m_strDoc.find('<', n);
        const size_t stop = lt == std::string::npos ? len : lt;
        bool blank = true;
        for (size_t i = n; i < stop && blank; ++i) blank = IsSpace(m_strDoc[i]);
        token.nNext = static_cast<int32_t>(stop);
        return blank ? 4 : 2;
    }
    if (n + 2 >= len) return 0;

    auto skipPast = [&](std::string_view terminator, size_t from, int kind) {
        const size_t at = m_strDoc.find(terminator, from);
        if (at == std::string::npos) return 0;
        token.nNext = static_cast<int32_t>(at + terminator.size());
        return kind;
    };
    const char c1 = m_strDoc[n + 1];
    const char c2 = m_strDoc[n + 2];
    if (c1 == '?') return skipPast("?>", n + 2, 16);
    if (c1 == '!' && c2 == '[') return skipPast("]]>", n + 3, 8);
    if (c1 == '!' && c2 == '-') return skipPast("-->", n + 3, 32);
    if (c1 == '!') {
        XmlToken t;
        t.nNext = static_cast<int32_t>(n + 2);
        int depth = 0;
        while (FindToken(t)) {
            if (t.bIsString) continue;
            const char c = m_strDoc[static_cast<size_t>(t.nL)];
            if (c == '[')
                ++depth;
            else if (c == ']')
                --depth;
            else if (c == '>' && depth == 0) {
                token.nNext = t.nNext;
                return 64;
            }
        }
        return 0;
    }
    if (c1 == '/') return 0;
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Navigation

int CXmlDoc::FindSibling(int iPos, std::string_view name) const {
    for (; iPos; iPos = m_aPos[iPos].iElemNext) {
        if (name.empty()) return iPos;
        XmlToken token;
        token.nNext = m_aPos[iPos].nStartL + 1;
        FindToken(token);
        if (MatchName(token, name)) return iPos;
    }
    return 0;
}

bool CXmlDoc::FindElem(std::string_view name) {
    if (m_aPos.empty()) return false;
    const int first = m_iPos ? m_aPos[m_iPos].iElemNext : m_aPos[m_iPosParent].iElemChild;
    const int iPos = FindSibling(first, name);
    if (!iPos) return false;
    m_iPos = iPos;
    m_iPosParent = m_aPos[iPos].iElemParent;
    m_iPosChild = 0;
    return true;
}

bool CXmlDoc::FindChildElem(std::string_view name) {
    if (m_aPos.empty()) return false;
    if (!m_iPos && !FindElem()) return false;
    const int first = m_iPosChild ? m_aPos[m_iPosChild].iElemNext : m_aPos[m_iPos].iElemChild;
    const int iPos = FindSibling(first, name);
    if (!iPos) return false;
    m_iPosChild = iPos;
    m_iPos = m_aPos[iPos].iElemParent;
    m_iPosParent = m_aPos[m_iPos].iElemParent;
    return true;
}

bool CXmlDoc::IntoElem() {
    if (!m_iPos) return false;
    m_iPosParent = m_iPos;
    m_iPos = m_iPosChild;
    m_iPosChild = 0;
    return true;
}

bool CXmlDoc::OutOfElem() {
    if (!m_iPosParent) return false;
    m_iPosChild = m_iPos;
    m_iPos = m_iPosParent;
    m_iPosParent = m_aPos[m_iPos].iElemParent;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Getters

std::string CXmlDoc::GetData() const {
    if (!m_iPos) return std::string();
    const XmlElemPos& pos = m_aPos[m_iPos];
    if (pos.iElemChild || pos.nStartR == pos.nEndL + 1) return std::string();
    size_t n = static_cast<size_t>(pos.nStartR) + 1;
    const size_t endL = static_cast<size_t>(pos.nEndL);
    while (n < endL && IsSpace(m_strDoc[n])) ++n;
    static constexpr std::string_view kCData = "<![CDATA[";
    if (n < endL && m_strDoc[n] == '<' && n + 11 < endL && m_strDoc.compare(n, kCData.size(), kCData) == 0) {
        const size_t start = n + kCData.size();
        const size_t close = m_strDoc.find("]]>", start);
        if (close != std::string::npos && close < endL) return m_strDoc.substr(start, close - start);
    }
    return TextFromDoc(pos.nStartR + 1, pos.nEndL - 1);
}

std::string CXmlDoc::GetTagName() const { return m_iPos ? TagNameAt(m_iPos) : std::string(); }

std::string CXmlDoc::GetAttrib(std::string_view name) const {
    if (!m_iPos || name.empty()) return std::string();
    XmlToken token;
    token.nNext = m_aPos[m_iPos].nStartL + 1;
    if (!FindAttrib(token, name, m_aPos[m_iPos].nStartR)) return std::string();
    return TextFromDoc(token.nL, token.nR);
}

// With the cursor after the '<' of a start tag: leaves the token on the quoted value. Nothing
// reaching the start tag's '>' (tagEnd) counts, so an unclosed quote never spans into content.
bool CXmlDoc::FindAttrib(XmlToken& token, std::string_view name, int32_t tagEnd) const {
    int count = 0;
    int attribToken = -1;
    while (FindToken(token)) {
        if (token.bIsString && token.nNext > tagEnd) return false;
        if (!token.bIsString) {
            const char c = m_strDoc[static_cast<size_t>(token.nL)];
            if (c == '>' || c == '/' || c == '?') return false;
            if (c != '=' && count > 0 && attribToken < 0 && MatchName(token, name)) attribToken = count;
        } else if (attribToken >= 0 && count == attribToken + 2) {
            return true;
        }
        ++count;
    }
    return false;
}

std::string CXmlDoc::TextToDoc(std::string_view text, bool forAttrib) {
    std::string out;
    out.reserve(text.size() + text.size() / 10 + 7);
    for (char c : text) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '&': out += "&amp;"; break;
        case '>': out += "&gt;"; break;
        case '\'':
            if (forAttrib) out += "&apos;"; else out += c;
            break;
        case '"':
            if (forAttrib) out += "&quot;"; else out += c;
            break;
        default: out += c; break;
        }
    }
    return out;
}

std::string CXmlDoc::TextFromDoc(int32_t left, int32_t right) const {
    std::string out;
    const int32_t len = static_cast<int32_t>(m_strDoc.size());
    if (left < 0) left = 0;
    if (right >= len) right = len - 1;
    if (left > right) return out;
    out.reserve(static_cast<size_t>(right - left + 1));
    const std::string_view doc(m_strDoc);
    for (int32_t i = left; i <= right; ++i) {
        const char c = doc[static_cast<size_t>(i)];
        if (c == '&') {
            bool decoded = false;
            for (const Entity& e : kEntities) {
                const int32_t elen = static_cast<int32_t>(e.text.size());
                if (i + elen <= right && doc.substr(static_cast<size_t>(i) + 1, e.text.size()) == e.text) {
                    out += e.ch;
                    i += elen;
                    decoded = true;
                    break;
                }
            }
            if (decoded) continue;
        }
        out += c;
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Writing

bool CXmlDoc::AddElem(std::string_view name, std::string_view value) { return InsertElem(name, value, false); }

bool CXmlDoc::AddChildElem(std::string_view name, std::string_view value) { return InsertElem(name, value, true); }

bool CXmlDoc::InsertElem(std::string_view name, std::string_view value, bool asChild) {
    if (!IsWritableElemName(name)) return false;
    if (asChild) {
        if (!m_iPos) return false;
    } else if (!m_iPosParent) {
        if (IsWellFormed()) return false;
        m_aPos[0].nEndL = static_cast<int32_t>(m_strDoc.size());
    }

    const int iPosParent = asChild ? m_iPos : m_iPosParent;
    int iPosBefore = asChild ? m_iPosChild : m_iPos;
    const XmlElemPos parent = m_aPos[iPosParent];
    const bool parentEmpty = iPosParent && parent.nStartR == parent.nEndL + 1;
    const bool parentNoContent = iPosParent && parent.nStartR + 1 == parent.nEndL;

    // Where the new text goes.
    size_t offset;
    if (iPosBefore)
        offset = static_cast<size_t>(m_aPos[iPosBefore].nEndR) + 1;
    else if (!iPosParent)
        offset = m_strDoc.size();
    else if (parentEmpty)
        offset = static_cast<size_t>(parent.nStartR);
    else
        offset = static_cast<size_t>(parent.nEndL);
    if (!parentEmpty) {
        size_t n = offset;
        while (n < m_strDoc.size() && IsSpace(m_strDoc[n])) ++n;
        if (n == m_strDoc.size() || m_strDoc[n] == '<') offset = n;
    }
    if (!iPosBefore && iPosParent && parent.iElemChild) {
        iPosBefore = parent.iElemChild;
        while (m_aPos[iPosBefore].iElemNext) iPosBefore = m_aPos[iPosBefore].iElemNext;
    }
    if (parentEmpty || parentNoContent) offset += 2;

    // The new element's text and positions.
    const std::string escaped = TextToDoc(value, false);
    std::string text;
    XmlElemPos pos;
    pos.nStartL = static_cast<int32_t>(offset);
    pos.iElemParent = iPosParent;
    const int32_t nameLen = static_cast<int32_t>(name.size());
    if (escaped.empty()) {
        text.append("<").append(name).append("/>\r\n");
        pos.nStartR = pos.nStartL + nameLen + 2;
        pos.nEndL = pos.nStartR - 1;
        pos.nEndR = pos.nEndL + 1;
    } else {
        text.append("<").append(name).append(">").append(escaped).append("</").append(name).append(">\r\n");
        pos.nStartR = pos.nStartL + nameLen + 1;
        pos.nEndL = pos.nStartR + static_cast<int32_t>(escaped.size()) + 1;
        pos.nEndR = pos.nEndL + nameLen + 2;
    }

    // Splice, keeping the parent's tags on lines of their own.
    std::string insert;
    size_t insertAt;
    size_t replaced = 0;
    std::string parentName;
    if (parentEmpty) {
        parentName = TagNameAt(iPosParent);
        insert = ">\r\n" + text + "</" + parentName;
        insertAt = static_cast<size_t>(parent.nEndL);  // the '/' of <P/>
        replaced = 1;
    } else if (parentNoContent) {
        insert = "\r\n" + text;
        insertAt = static_cast<size_t>(parent.nStartR) + 1;
    } else {
        insert = text;
        insertAt = offset;
    }
    if (m_strDoc.size() + insert.size() > kMaxDocLength) return false;

    const int iPos = GetFreePos();
    m_aPos[iPos] = pos;
    if (iPosBefore) {
        m_aPos[iPos].iElemNext = m_aPos[iPosBefore].iElemNext;
        m_aPos[iPosBefore].iElemNext = iPos;
    } else {
        m_aPos[iPos].iElemNext = m_aPos[iPosParent].iElemChild;
        m_aPos[iPosParent].iElemChild = iPos;
    }
    if (parentEmpty) {
        m_aPos[iPosParent].nStartR -= 1;
        m_aPos[iPosParent].nEndL -= static_cast<int32_t>(parentName.size()) + 1;
    }

    DocChange(static_cast<int32_t>(insertAt), static_cast<int32_t>(replaced), insert);
    AdjustPositions(iPos, static_cast<int32_t>(insert.size()) - static_cast<int32_t>(replaced));

    if (asChild) {
        m_iPos = iPosParent;
        m_iPosChild = iPos;
    } else {
        m_iPosParent = iPosParent;
        m_iPos = iPos;
        m_iPosChild = 0;
    }
    return true;
}

bool CXmlDoc::SetAttrib(std::string_view name, std::string_view value) { return SetAttribAt(m_iPos, name, value); }

bool CXmlDoc::SetAttribAt(int iPos, std::string_view name, std::string_view value) {
    if (!iPos || !IsWritableAttribName(name)) return false;
    XmlToken token;
    token.nNext = m_aPos[iPos].nStartL + 1;
    const std::string escaped = TextToDoc(value, true);
    std::string insert;
    int32_t insertAt;
    int32_t replaced = 0;
    if (FindAttrib(token, name, m_aPos[iPos].nStartR)) {
        insert = escaped;
        insertAt = token.nL;
        replaced = token.nR - token.nL + 1;
    } else {
        insert.append(" ").append(name).append("=\"").append(escaped).append("\"");
        const XmlElemPos& pos = m_aPos[iPos];
        insertAt = pos.nStartR == pos.nEndL + 1 ? pos.nEndL : pos.nStartR;
    }
    if (m_strDoc.size() - static_cast<size_t>(replaced) + insert.size() > kMaxDocLength) return false;

    DocChange(insertAt, replaced, insert);
    const int32_t shift = static_cast<int32_t>(insert.size()) - replaced;
    m_aPos[iPos].nStartR += shift;
    m_aPos[iPos].nEndL += shift;
    m_aPos[iPos].nEndR += shift;
    AdjustPositions(iPos, shift);
    return true;
}

void CXmlDoc::DocChange(int32_t left, int32_t replaced, const std::string& insert) {
    const int32_t len = static_cast<int32_t>(m_strDoc.size());
    if (left < 0) left = 0;
    if (left > len) left = len;
    if (replaced < 0) replaced = 0;
    if (replaced > len - left) replaced = len - left;
    m_strDoc.replace(static_cast<size_t>(left), static_cast<size_t>(replaced), insert);
}

// Shifts every element after iPos in document order: its descendants, the following siblings
// with theirs, and on the way up the ancestors, whose end tags alone move.
void CXmlDoc::AdjustPositions(int iPos, int32_t shift) {
    if (shift == 0) return;
    for (int c = m_aPos[iPos].iElemChild; c; c = m_aPos[c].iElemNext) ShiftSubtree(c, shift);
    int i = iPos;
    while (i != 0) {
        for (int s = m_aPos[i].iElemNext; s; s = m_aPos[s].iElemNext) ShiftSubtree(s, shift);
        i = m_aPos[i].iElemParent;
        m_aPos[i].nEndL += shift;
        m_aPos[i].nEndR += shift;
    }
}

void CXmlDoc::ShiftSubtree(int iRoot, int32_t shift) {
    int i = iRoot;
    for (;;) {
        XmlElemPos& pos = m_aPos[i];
        pos.nStartL += shift;
        pos.nStartR += shift;
        pos.nEndL += shift;
        pos.nEndR += shift;
        if (pos.iElemChild) {
            i = pos.iElemChild;
            continue;
        }
        while (i != iRoot && !m_aPos[i].iElemNext) i = m_aPos[i].iElemParent;
        if (i == iRoot) return;
        i = m_aPos[i].iElemNext;
    }
}

// ---------------------------------------------------------------------------------------------
// Files

bool CXmlDoc::ReadTextFile(const std::string& path, std::string& text, uint64_t* fileBytes) {
    FdGuard fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Fd() < 0) return false;
    struct stat st {};
    if (::fstat(fd.Fd(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    std::string bytes;
    char buf[65536];
    for (;;) {
        const ssize_t got = ::read(fd.Fd(), buf, sizeof buf);
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (got == 0) break;
        bytes.append(buf, static_cast<size_t>(got));
    }
    if (fileBytes) *fileBytes = bytes.size();
    text = DecodeTextBytes(bytes);
    return true;
}

bool CXmlDoc::WriteTextFile(const std::string& path, const std::string& text) {
    CAtomicFileWriter out;
    return out.Open(path, CAtomicFileWriter::Existing::Replace, 0644) && out.Write(text.data(), text.size()) &&
           out.Commit();
}
