#include "imagelib/PixIOFile.h"

CPixIOFile::CPixIOFile(FILE* fp) : m_fp(fp), m_bCloseFile(fp == nullptr) {}

CPixIOFile::~CPixIOFile() { Close(); }

bool CPixIOFile::Open(const char* filename, const char* mode)
{
    if (m_fp || !filename || !mode)
        return false;
    m_fp = std::fopen(filename, mode);
    if (!m_fp)
        return false;
    m_bCloseFile = true;
    return true;
}

bool CPixIOFile::Close()
{
    if (!m_fp || !m_bCloseFile)
        return true;
    int rc = std::fclose(m_fp);
    m_fp = nullptr;
    return rc == 0;
}

size_t CPixIOFile::Read(void* buffer, size_t size, size_t count)
{
    if (!m_fp || !buffer)
        return 0;
    return std::fread(buffer, size, count, m_fp);
}

size_t CPixIOFile::Write(const void* buffer, size_t size, size_t count)
{
    if (!m_fp || !buffer)
        return 0;
    return std::fwrite(buffer, size, count, m_fp);
}

bool CPixIOFile::Seek(long offset, int origin)
{
    if (!m_fp)
        return false;
    return std::fseek(m_fp, offset, origin) == 0;
}

long CPixIOFile::Tell()
{
    if (!m_fp)
        return 0;
    return std::ftell(m_fp);
}

long CPixIOFile::Size()
{
    if (!m_fp)
        return -1;
    long pos = std::ftell(m_fp);
    std::fseek(m_fp, 0, SEEK_END);
    long size = std::ftell(m_fp);
    std::fseek(m_fp, pos, SEEK_SET);
    return size;
}

bool CPixIOFile::Flush()
{
    if (!m_fp)
        return false;
    return std::fflush(m_fp) == 0;
}

bool CPixIOFile::Eof()
{
    if (!m_fp)
        return true;
    return std::feof(m_fp) != 0;
}

long CPixIOFile::Error()
{
    if (!m_fp)
        return -1;
    return std::ferror(m_fp);
}

bool CPixIOFile::PutC(unsigned char c)
{
    if (!m_fp)
        return false;
    return std::fputc(c, m_fp) == c;
}

long CPixIOFile::GetC()
{
    if (!m_fp)
        return -1;
    return std::getc(m_fp);
}
