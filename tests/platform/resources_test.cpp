#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/x11/resources.h"

namespace platform {
namespace {

// The desktop's resolution is the value of the resources' Xft.dpi line, as Xft itself reads it.
TEST(XftDpiFromResources, TakesTheLastXftDpiLineWithASensibleValue) {
  const struct {
    std::string resources;
    std::optional<int> dpi;
  } cases[] = {
      {"", std::nullopt},
      {"Xft.dpi:\t144\n", 144},
      {"Xcursor.size: 24\nXft.antialias: 1\nXft.dpi: 120.4\nXft.hinting: 1", 120},
      {"  Xft.dpi  :  96  \n", 96},
      {"Xft.dpi: 96\nXft.dpi: 192\n", 192},  // a later line replaces an earlier one
      {"Xft.dpix: 144\nxft.dpi: 144\nXft.dpi.extra: 144\n", std::nullopt},
      {"! Xft.dpi: 144\n", std::nullopt},  // a comment
      {"Xft.dpi: 23\n", std::nullopt},
      {"Xft.dpi: 961\n", std::nullopt},
      {"Xft.dpi: many\n", std::nullopt},
      {"Xft.dpi:\n", std::nullopt},
  };
  for (const auto& [resources, dpi] : cases) {
    EXPECT_EQ(xft_dpi(resources), dpi) << resources;
  }
  // Megabytes of other resources before it.
  std::string large;
  for (int line = 0; line < 200000; ++line) {
    large += "Program*widget" + std::to_string(line) + ".background: #102030\n";
  }
  EXPECT_EQ(xft_dpi(large + "Xft.dpi: 240\n"), 240);
}

}  // namespace
}  // namespace platform
