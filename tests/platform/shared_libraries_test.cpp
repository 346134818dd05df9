// Libraries loaded when needed: what is found, and the one line that says what is not.

#include "platform/system/shared_libraries.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

using platform::SharedLibraries;
using Abs = int(int);

TEST(SharedLibrariesTest, FindsEachCallOrNamesWhatIsMissing) {
  struct Case {
    std::initializer_list<const char*> sonames;
    const char* call;
    bool found;
    const char* failure_starts;
  };
  const Case cases[] = {
      {{"libc.so.6"}, "abs", true, ""},
      // Any of the libraries may hold the call.
      {{"libm.so.6", "libc.so.6"}, "abs", true, ""},
      {{"libc.so.6"}, "tablescope_no_such_call", false, "tablescope_no_such_call is missing from the libraries"},
      {{"libc.so.6", "libtablescope-absent.so.9"}, "abs", false,
       "the libraries cannot be loaded (libtablescope-absent.so.9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.call);
    SharedLibraries libraries(c.sonames, "the libraries");
    Abs* call = nullptr;
    libraries.find(call, c.call);
    EXPECT_EQ(call != nullptr, c.found);
    EXPECT_EQ(libraries.failure().rfind(c.failure_starts, 0), 0u) << libraries.failure();
    if (c.found) {
      EXPECT_EQ(call(-7), 7);
    }
  }
}

TEST(SharedLibrariesTest, TheFirstMissingCallIsTheOneNamed) {
  SharedLibraries libraries({"libc.so.6"}, "the C library");
  Abs* missing = nullptr;
  Abs* present = nullptr;
  libraries.find(missing, "tablescope_first_missing");
  libraries.find(missing, "tablescope_second_missing");
  libraries.find(present, "abs");
  EXPECT_EQ(libraries.failure(), "tablescope_first_missing is missing from the C library");
  // Once a call is missing, the rest are not looked for: the calls are used all or none.
  EXPECT_EQ(present, nullptr);
}

}  // namespace
