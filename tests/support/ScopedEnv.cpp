#include "tests/support/ScopedEnv.h"

#include <cstdlib>

ScopedEnv::ScopedEnv(const std::string& name, const std::string& value) : m_name(name) {
    if (const char* old = std::getenv(name.c_str())) m_previous = old;
    setenv(name.c_str(), value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
    if (m_previous) setenv(m_name.c_str(), m_previous->c_str(), 1);
    else unsetenv(m_name.c_str());
}
