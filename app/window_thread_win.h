// The one way worker threads reach the window: a piece of work is handed to the
// window's thread with a synchronous message and carried out there while the
// worker waits, so the worker sees its result and its effect at once.
//
//   int count = 0;
//   RunOnWindowThread(window, [&] { count = list.RowCount(); });
//
// Called on the window's own thread it simply runs the work. When the window no
// longer exists the work does not run and the call gives false.
#pragma once

#include <windows.h>

#include <type_traits>

namespace qingqu {

inline constexpr UINT kRunOnWindowThreadMessage = WM_APP + 1;
inline constexpr LRESULT kWorkDone = 0x51515151;

struct WindowWork {
    void (*run)(void* context);
    void* context;
};

// For the window procedure: carries out the work a message brings.
inline LRESULT RunWindowWork(LPARAM lParam) {
    const auto* work = reinterpret_cast<const WindowWork*>(lParam);
    work->run(work->context);
    return kWorkDone;
}

template <class Work>
bool RunOnWindowThread(HWND window, Work&& work) {
    using Callable = std::remove_reference_t<Work>;
    const WindowWork message{[](void* context) { (*static_cast<Callable*>(context))(); },
                             const_cast<void*>(static_cast<const void*>(&work))};
    return SendMessageW(window, kRunOnWindowThreadMessage, 0, reinterpret_cast<LPARAM>(&message)) ==
           kWorkDone;
}

}  // namespace qingqu
