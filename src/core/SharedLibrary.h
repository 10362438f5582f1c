#pragma once
// Functions of a library opened at run time (dlopen), bound by name into typed pointers.
#include <dlfcn.h>

namespace tp {

template <typename F>
bool BindSymbol(void* library, const char* name, F& function) {
  function = reinterpret_cast<F>(dlsym(library, name));
  return function != nullptr;
}

}  // namespace tp
