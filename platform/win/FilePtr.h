// An owned C stream that is closed when its holder goes. Callers that must see a failed close
// (delayed write errors) call std::fclose(ptr.release()) themselves.
#pragma once

#include <cstdio>
#include <memory>

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;
