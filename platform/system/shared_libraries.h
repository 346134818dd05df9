#pragma once

// Libraries loaded when the program first needs them rather than linked with it: a program that
// never needs them never loads them, and runs where they are not installed.

#include <initializer_list>
#include <string>
#include <vector>

namespace platform {

// The libraries stay loaded for the program's life: the calls found in them are kept.
class SharedLibraries {
 public:
  // Opens each library by its soname, the ABI its headers describe; `named` words them in the
  // failure, as "the X libraries".
  SharedLibraries(std::initializer_list<const char*> sonames, std::string named);

  // The call of that name, from the first of the libraries that has it; left null where none
  // has, which the failure then names.
  template <typename Function>
  void find(Function*& call, const char* name) {
    call = reinterpret_cast<Function*>(address(name));
  }

  // Empty once every library is open and every call found; else why not, in one line.
  const std::string& failure() const { return failure_; }

 private:
  void* address(const char* name);

  std::string named_;
  std::vector<void*> handles_;
  std::string failure_;
};

}  // namespace platform
