#include "text/file_ops.h"

#include <windows.h>

#include <climits>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <unordered_map>
#include <utility>

#include "text/scoped_win.h"
#include "text/wide_win.h"

namespace qingqu {

namespace {

// The system's form of a path; empty for a path it cannot be given: the empty
// text, or one with a zero byte, which would silently cut the path short.
std::wstring SystemPath(std::string_view path) {
    if (path.empty() || path.find('\0') != std::string_view::npos) return {};
    return TextToWide(path);
}

// One file opened for writing. Its lock makes noting the position, writing a line
// and putting the position back after a failure one step.
struct OpenedFile {
    explicit OpenedFile(ScopedHandle opened) noexcept : handle(std::move(opened)) {}
    ScopedHandle handle;
    std::mutex writing;
};

// The process's open files by number. Numbers count up from 1 and are never given
// out twice, so a closed number stays refused. A writer holds its own reference to
// the file, so closing it while a line is being written closes it after the line.
class OpenFileTable {
public:
    // The new file's number; 0 when the table cannot take it (the handle is closed).
    int Add(ScopedHandle handle) noexcept {
        try {
            auto file = std::make_shared<OpenedFile>(std::move(handle));
            const std::lock_guard lock(mutex_);
            if (lastNumber_ == INT_MAX) return 0;
            files_.emplace(lastNumber_ + 1, std::move(file));
            return ++lastNumber_;
        } catch (const std::bad_alloc&) {
            return 0;
        }
    }

    std::shared_ptr<OpenedFile> Find(int number) {
        const std::lock_guard lock(mutex_);
        const auto found = files_.find(number);
        return found == files_.end() ? nullptr : found->second;
    }

    bool Remove(int number) {
        std::shared_ptr<OpenedFile> removed;  // closed after the lock is let go
        const std::lock_guard lock(mutex_);
        const auto found = files_.find(number);
        if (found == files_.end()) return false;
        removed = std::move(found->second);
        files_.erase(found);
        return true;
    }

private:
    std::mutex mutex_;
    int lastNumber_ = 0;
    std::unordered_map<int, std::shared_ptr<OpenedFile>> files_;
};

OpenFileTable& OpenFiles() {
    // Never destroyed: a thread still writing while the process ends must not find
    // the table gone. The system closes the files when the process ends.
    static OpenFileTable* const table = new OpenFileTable;
    return *table;
}

Text ModuleDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        // Cut short: the name needs a larger buffer. Paths end at 32767 characters.
        if (path.size() > 32768) return {};
        path.resize(path.size() * 2);
    }
    // Backslashes are whole UTF-16 units, so a second byte 0x5C of a character never
    // counts as one.
    const std::size_t separator = path.rfind(L'\\');
    if (separator == std::wstring::npos) return {};
    return WideToText(std::wstring_view(path).substr(0, separator));
}

}  // namespace

Bytes ReadWholeFile(std::string_view path) {
    const std::wstring systemPath = SystemPath(path);
    if (systemPath.empty()) return {};
    const ScopedHandle file(CreateFileW(systemPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return {};
    LARGE_INTEGER size;
    // One read request takes at most MAXDWORD bytes.
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0 || size.QuadPart > MAXDWORD)
        return {};
    Bytes content;
    try {
        content.resize(static_cast<std::size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        return {};
    }
    DWORD read = 0;
    if (!ReadFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &read, nullptr))
        return {};
    content.resize(read);
    return content;
}

int OpenFile(std::string_view path, int mode) {
    if (mode != kRewriteMode) return 0;
    const std::wstring systemPath = SystemPath(path);
    if (systemPath.empty()) return 0;
    ScopedHandle file(CreateFileW(systemPath.c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return 0;
    return OpenFiles().Add(std::move(file));
}

bool WriteTextLine(int file, std::string_view text) {
    const std::shared_ptr<OpenedFile> opened = OpenFiles().Find(file);
    if (!opened || text.size() > MAXDWORD - 2) return false;
    Text line;
    try {
        line.reserve(text.size() + 2);
        line.append(text).append("\r\n");
    } catch (const std::bad_alloc&) {
        return false;
    }
    const std::lock_guard lock(opened->writing);
    const HANDLE handle = opened->handle.Get();
    LARGE_INTEGER lineStart;
    if (!SetFilePointerEx(handle, LARGE_INTEGER{}, &lineStart, FILE_CURRENT)) return false;
    DWORD written = 0;
    if (WriteFile(handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
        written == line.size())
        return true;
    // Whatever part of the line reached the file is written over by the next line.
    SetFilePointerEx(handle, lineStart, nullptr, FILE_BEGIN);
    return false;
}

bool CloseFile(int file) {
    return OpenFiles().Remove(file);
}

Text RunDirectory() {
    // Fixed for the life of the process and never destroyed, like the open files.
    static const Text* const directory = new Text(ModuleDirectory());
    return *directory;
}

Text CurrentDirectory() {
    // Another thread may change the directory between asking for its length and
    // reading it; a few tries settle that.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD needed = GetCurrentDirectoryW(0, nullptr);
        if (needed == 0) return {};
        std::wstring directory(needed, L'\0');
        const DWORD length = GetCurrentDirectoryW(needed, directory.data());
        if (length == 0) return {};
        if (length < needed) {
            directory.resize(length);
            return WideToText(directory);
        }
    }
    return {};
}

bool ChangeDirectory(std::string_view path) {
    const std::wstring systemPath = SystemPath(path);
    return !systemPath.empty() && SetCurrentDirectoryW(systemPath.c_str()) != FALSE;
}

}  // namespace qingqu
