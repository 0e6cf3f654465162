// For file tests: a fresh folder per test, and reading and writing
// files with the system's own calls, apart from the code under test.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

#include "text/scoped_win.h"
#include "text/text.h"
#include "text/wide_win.h"

namespace qingqu {

inline std::wstring CurrentDirectoryW() {
    std::wstring directory(GetCurrentDirectoryW(0, nullptr), L'\0');
    directory.resize(GetCurrentDirectoryW(static_cast<DWORD>(directory.size()), directory.data()));
    return directory;
}

// A new, empty folder in the temporary directory, removed with all it holds when
// the object goes. Files in it must be closed by then.
class TempFolder {
public:
    TempFolder() {
        static std::atomic<int> counter{0};
        wchar_t temp[MAX_PATH + 1];
        std::wstring path(temp, GetTempPathW(MAX_PATH + 1, temp));
        path += L"qingqu-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(++counter);
        if (CreateDirectoryW(path.c_str(), nullptr)) path_ = std::move(path);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        if (!path_.empty()) RemoveTree(path_);
    }

    // The folder in code page 936, without a trailing separator; empty when it
    // could not be made.
    Text Path() const { return WideToText(path_); }

    // The names of the entries in the folder.
    std::vector<std::wstring> Names() const {
        std::vector<std::wstring> names;
        ForEachEntry(path_,
                     [&](const WIN32_FIND_DATAW& entry) { names.push_back(entry.cFileName); });
        return names;
    }

private:
    template <class Visit>
    static void ForEachEntry(const std::wstring& folder, Visit visit) {
        WIN32_FIND_DATAW entry;
        const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
        if (search == INVALID_HANDLE_VALUE) return;
        do {
            const std::wstring_view name(entry.cFileName);
            if (name != L"." && name != L"..") visit(entry);
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }

    static void RemoveTree(const std::wstring& folder) {
        ForEachEntry(folder, [&](const WIN32_FIND_DATAW& entry) {
            const std::wstring path = folder + L"\\" + entry.cFileName;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileW(path.c_str());
        });
        RemoveDirectoryW(folder.c_str());
    }

    std::wstring path_;
};

// The file's bytes, read while other handles may hold it open for anything.
inline Bytes FileBytes(std::string_view path) {
    const ScopedHandle file(CreateFileW(TextToWide(path).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    Bytes content;
    if (!file.IsValid()) return content;
    std::uint8_t buffer[4096];
    DWORD read = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        content.insert(content.end(), buffer, buffer + read);
    return content;
}

// Creates or replaces the file with exactly `content`.
inline bool PutFile(std::string_view path, const Bytes& content) {
    const ScopedHandle file(CreateFileW(TextToWide(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file.IsValid() &&
           (content.empty() || (WriteFile(file.Get(), content.data(),
                                          static_cast<DWORD>(content.size()), &written, nullptr) &&
                                written == content.size()));
}

}  // namespace qingqu
