// The import of a URL list: "导入网址" starts a thread that asks for a text file
// and appends one numbered row per line of it.
#pragma once

#include "app/control_operations_win.h"

namespace qingqu {

// Starts one import thread and returns at once; nothing ever waits for it.
void StartImport(ControlOperations& controls);

// The import itself, on its own thread.
void ImportUrlList(ControlOperations& controls);

}  // namespace qingqu
