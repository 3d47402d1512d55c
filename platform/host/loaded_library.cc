#include "platform/host/loaded_library.h"

namespace korv {

LoadedLibrary::LoadedLibrary(const char* soname) : soname_(soname) {
  handle_ = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    const char* why = dlerror();
    problem_ = soname_ + " cannot be loaded" + (why ? std::string(": ") + why : std::string());
  }
}

}  // namespace korv
