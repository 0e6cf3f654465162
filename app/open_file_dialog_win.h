// Asks the user for one file to read with the system's open-file dialog.
//
//   Text path = ShowOpenFileDialog(owner, {}, Text("请导入网址"), Text("文本文件|*.txt"));
//   if (path.empty()) return;   // cancelled, closed, or the dialog failed
//
// Every argument but the owner may be left out (std::nullopt): the dialog then
// opens in the current directory, is captioned "打开文件" and offers all files.
// A filter lists label and pattern pairs, every part separated by "|". Unless
// keepDirectory is true, the process's current directory is put back afterwards.
// The call blocks until the dialog closes; the dialog is modal to `owner`, also
// when the caller runs on another thread than the owner's.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "text/text.h"

namespace qingqu {

// The longest path the dialog gives back, in code page 936 bytes.
inline constexpr int kMaxDialogPath = 511;

Text ShowOpenFileDialog(HWND owner, std::optional<Text> initialDirectory = std::nullopt,
                        std::optional<Text> title = std::nullopt,
                        std::optional<Text> filter = std::nullopt, bool keepDirectory = false);

// The filter as the dialog takes it: every part followed by a zero character and
// the last by two; the empty string when the filter has no part.
std::wstring DialogFilter(std::string_view filter);

}  // namespace qingqu
