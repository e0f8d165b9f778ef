// Writes a file so that its target is only ever replaced by a complete copy: the bytes go to a
// temporary file beside the target (same file system, so the last step is one rename), and a
// writer dropped before Commit removes its temporary file, leaving the target as it was.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdio>
#include <string>

#include "platform/win/FilePtr.h"

class CAtomicFileWriter {
public:
    // What becomes of a file already at the target.
    enum class Existing {
        // Replaced as it stands: a symbolic link itself is replaced, the new file gets newMode.
        Replace,
        // Kept in kind: a link is followed to its real file, which keeps its permissions; a
        // folder, or a file this process may not write, is refused.
        KeepModeFollowLink,
    };
    // The permission of a new file from the process umask, as when a file is simply created.
    static constexpr int kUmaskMode = -1;

    CAtomicFileWriter() = default;
    ~CAtomicFileWriter();
    CAtomicFileWriter(const CAtomicFileWriter&) = delete;
    CAtomicFileWriter& operator=(const CAtomicFileWriter&) = delete;

    // Creates the temporary file for target; false (errno set) when it cannot be created or the
    // target is refused.
    bool Open(const std::string& target, Existing existing = Existing::Replace, int newMode = kUmaskMode);
    // The stream on the temporary file; null unless open.
    FILE* File() const { return m_file.get(); }
    bool Write(const void* data, size_t size);
    // Flushes, syncs and closes the temporary file and renames it over the target; false when
    // any of that fails, and then the temporary file is gone and the target untouched.
    bool Commit();

private:
    void Discard();

    FilePtr m_file;
    std::string m_temp;
    std::string m_target;
};
