#include "export/command/command_line.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "export/failures.h"

namespace exporter {
namespace {

struct ModeName {
  std::string_view name;
  ExportMode mode;
  std::size_t operands;             // the folder or file, and for `page` the number before it
  std::string_view options;         // the options it takes besides --force, separated by blanks
};

constexpr std::array<ModeName, 5> modes{{
    {"waves", ExportMode::Waves, 1, "--bits"},
    {"bank", ExportMode::Bank, 1, "--frame --upsample"},
    {"tables", ExportMode::Tables, 1, "--frame --upsample --container"},
    {"banks256", ExportMode::Banks256, 1, "--upsample"},
    {"page", ExportMode::Page, 2, ""},
}};

bool takes_option(const ModeName& mode, std::string_view option) {
  std::string_view rest = mode.options;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find(' '), rest.size());
    if (rest.substr(0, end) == option) {
      return true;
    }
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  return false;
}

[[noreturn]] void refuse(const std::string& reason) { throw UsageError(reason); }

std::string lower_case(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  return text;
}

template <typename Value, std::size_t count>
Value choose(const std::string& option, const std::string& value,
             const std::array<std::pair<std::string_view, Value>, count>& choices) {
  std::string allowed;
  for (const auto& [name, chosen] : choices) {
    if (value == name) {
      return chosen;
    }
    if (!allowed.empty()) {
      allowed += '|';
    }
    allowed += name;
  }
  refuse(option + " takes " + allowed + ", not '" + value + "'");
}

void apply_option(ExportRequest& request, const std::string& option, const std::string& value) {
  if (option == "--bits") {
    request.coding = choose<SampleCoding, 3>(
        option, value, {{{"8", SampleCoding::Unsigned8}, {"16", SampleCoding::Signed16}, {"float", SampleCoding::Float32}}});
  } else if (option == "--frame") {
    request.frame_size = choose<std::size_t, 2>(option, value, {{{"128", 128}, {"2048", 2048}}});
  } else if (option == "--upsample") {
    request.upsampling = choose<Upsampling, 3>(
        option, value,
        {{{"repeat", Upsampling::Repeat}, {"linear", Upsampling::Linear}, {"spectral", Upsampling::Spectral}}});
  } else if (option == "--container") {
    request.container = choose<Container, 2>(option, value, {{{"wav", Container::Wav}, {"wt", Container::Wt}}});
  }
}

int page_number(const std::string& text) {
  const bool digits = !text.empty() && text.size() <= 2 && std::all_of(text.begin(), text.end(), [](char c) {
    return c >= '0' && c <= '9';
  });
  const int number = digits ? std::stoi(text) : -1;
  if (number < 0 || number > 30) {
    refuse("page takes a page number from 0 to 30, not '" + text + "'");
  }
  return number;
}

Container container_of_bank(const std::string& file) {
  const std::string extension = lower_case(path_from_utf8(file).extension().string());
  if (extension == ".wav") return Container::Wav;
  if (extension == ".wt") return Container::Wt;
  refuse("bank writes a .wav or a .wt file, not '" + file + "'");
}

ExportRequest parse_export(std::span<const std::string> arguments) {
  if (arguments.empty()) {
    refuse("export needs a mode: waves, bank, tables, banks256 or page");
  }
  const auto mode = std::find_if(modes.begin(), modes.end(), [&](const ModeName& m) { return m.name == arguments[0]; });
  if (mode == modes.end()) {
    refuse("unknown export mode '" + arguments[0] + "'");
  }
  ExportRequest request;
  request.mode = mode->mode;
  std::vector<std::string> operands;
  bool options_ended = false;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (options_ended || argument.size() < 2 || argument.compare(0, 2, "--") != 0) {
      operands.push_back(argument);
      continue;
    }
    if (argument == "--") {
      options_ended = true;
      continue;
    }
    const std::size_t equals = argument.find('=');
    const std::string option = argument.substr(0, equals);
    if (option == "--force") {
      if (equals != std::string::npos) {
        refuse("--force takes no value");
      }
      request.force = true;
      continue;
    }
    if (!takes_option(*mode, option)) {
      refuse(std::string("export ") + std::string(mode->name) + " takes no option " + option);
    }
    std::string value;
    if (equals != std::string::npos) {
      value = argument.substr(equals + 1);
    } else if (++i < arguments.size()) {
      value = arguments[i];
    } else {
      refuse(option + " needs a value");
    }
    apply_option(request, option, value);
  }
  if (operands.size() != mode->operands) {
    refuse("export " + std::string(mode->name) + " takes " +
           (mode->mode == ExportMode::Page ? "a page number and a file"
            : mode->mode == ExportMode::Bank ? "one file"
                                             : "one folder") +
           (operands.size() > mode->operands ? ", and got more" : ""));
  }
  if (mode->mode == ExportMode::Page) {
    request.page = page_number(operands[0]);
  }
  request.target = path_from_utf8(operands.back());
  if (mode->mode == ExportMode::Bank) {
    request.container = container_of_bank(operands.back());
  }
  return request;
}

}  // namespace

Command parse_command_line(std::span<const std::string> arguments) {
  for (const std::string& argument : arguments) {
    if (argument == "--") break;
    if (argument == "--help" || argument == "-h") return {Command::Kind::Help, {}};
    if (argument == "--version") return {Command::Kind::Version, {}};
  }
  if (arguments.empty() || arguments[0] != "export") {
    refuse(arguments.empty() ? "no command given" : "unknown command '" + arguments[0] + "'");
  }
  return {Command::Kind::Export, parse_export(arguments.subspan(1))};
}

}  // namespace exporter
