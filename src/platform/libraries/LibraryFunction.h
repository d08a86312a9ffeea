#pragma once
// Functions of a library loaded at run time, typed by the library's own declarations.

#include <QLibrary>

namespace norvane::platform {

// Looks up `name` in the loaded `library` and stores it in `function`; false when the
// library does not export it.
template <typename Function> bool resolveFunction(QLibrary& library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(library.resolve(name));
    return function != nullptr;
}

} // namespace norvane::platform
