#pragma once
// A shared library loaded when the program first needs it rather than when
// it starts. Every library a program is linked with is loaded, with all of
// its own, before main() runs, and that cost comes back at every start. A
// library only some stations ever call on (the mail transport) is better
// loaded by the call that needs it.

#include <dlfcn.h>

#include <string>

namespace korv {

class LoadedLibrary {
 public:
  // soname: the library's versioned name ("libcurl.so.4"), the one its
  // package installs; it stays loaded for the program's life.
  explicit LoadedLibrary(const char* soname);
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;

  // Sets fn to the library's function symbol; a missing one is kept in problem().
  template <typename F>
  void Bind(F& fn, const char* symbol) {
    fn = handle_ ? reinterpret_cast<F>(dlsym(handle_, symbol)) : nullptr;
    if (!fn && problem_.empty()) problem_ = soname_ + " has no " + symbol;
  }

  // Empty when the library and every symbol bound so far were found; else why not.
  const std::string& problem() const { return problem_; }

 private:
  std::string soname_;
  void* handle_ = nullptr;
  std::string problem_;
};

}  // namespace korv
