#include "export/command/command_line.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <string_view>
#include <vector>

#include "export/failures.h"
#include "export/sound/wavetable_definitions.h"
#include "wavedata/eprom_image.h"

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

// An option's value: after its "=", else the next argument, which is then used up.
std::string option_value(std::span<const std::string> arguments, std::size_t& i, std::size_t equals,
                         const std::string& option) {
  if (equals != std::string::npos) {
    return arguments[i].substr(equals + 1);
  }
  if (++i < arguments.size()) {
    return arguments[i];
  }
  refuse(option + " needs a value");
}

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

// A whole number from 0 to `highest` written in decimal digits; `what` names it in the refusal.
std::size_t whole_number(const std::string& text, std::size_t highest, const std::string& what) {
  const bool digits = !text.empty() && text.size() <= 3 && std::all_of(text.begin(), text.end(), [](char c) {
    return c >= '0' && c <= '9';
  });
  const std::size_t number = digits ? static_cast<std::size_t>(std::stoi(text)) : highest + 1;
  if (number > highest) {
    refuse(what + " from 0 to " + std::to_string(highest) + ", not '" + text + "'");
  }
  return number;
}

int page_number(const std::string& text) {
  return static_cast<int>(whole_number(text, 30, "page takes a page number"));
}

// A note's name: a letter from A to G, a sharp (#) or a flat (b) if any, and an octave; A0 to C6,
// whose cycles of 128 samples ask for 3,520 to 133,952 samples a second.
int note_number(const std::string& text) {
  constexpr std::array<int, 7> semitones{9, 11, 0, 2, 4, 5, 7};  // A to G above the octave's C
  constexpr int lowest = 21;                                      // A0
  constexpr int highest = 84;                                     // C6
  int number = -1;
  const char letter = text.empty() ? ' ' : static_cast<char>(text[0] & ~0x20);
  if (letter >= 'A' && letter <= 'G') {
    int semitone = semitones[static_cast<std::size_t>(letter - 'A')];
    std::size_t at = 1;
    if (at < text.size() && (text[at] == '#' || text[at] == 'b')) {
      semitone += text[at] == '#' ? 1 : -1;
      ++at;
    }
    if (at + 1 == text.size() && text[at] >= '0' && text[at] <= '9') {
      number = 12 * (text[at] - '0' + 1) + semitone;
    }
  }
  if (number < lowest || number > highest) {
    refuse("--note takes a note from A0 to C6 such as A3 or C#4, not '" + text + "'");
  }
  return number;
}

double seconds_value(const std::string& text) {
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || !(value >= 0.1 && value <= 60.0)) {
    refuse("--seconds takes a time from 0.1 to 60 seconds, not '" + text + "'");
  }
  return value;
}

PlayRequest parse_play(std::span<const std::string> arguments) {
  if (arguments.empty() || (arguments[0] != "wave" && arguments[0] != "table")) {
    refuse("play takes wave N or table N");
  }
  PlayRequest request;
  const bool wave = arguments[0] == "wave";
  request.source = wave ? PlayRequest::Source::Wave : PlayRequest::Source::Table;
  std::vector<std::string> operands;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument.size() < 2 || argument.compare(0, 2, "--") != 0) {
      operands.push_back(argument);
      continue;
    }
    const std::size_t equals = argument.find('=');
    const std::string option = argument.substr(0, equals);
    if (option != "--seconds" && !(wave && option == "--note")) {
      refuse("play " + arguments[0] + " takes no option " + option);
    }
    const std::string value = option_value(arguments, i, equals, option);
    if (option == "--note") {
      request.note = note_number(value);
    } else {
      request.seconds = seconds_value(value);
    }
  }
  if (operands.size() != 1) {
    refuse("play " + arguments[0] + " takes one number" + (operands.size() > 1 ? ", and got more" : ""));
  }
  const std::size_t tables = wavetable_definitions(wavedata::eprom_image).size();
  request.number = wave ? whole_number(operands[0], wavedata::stored_waves - 1, "play wave takes a wave number")
                        : whole_number(operands[0], tables - 1, "play table takes a table number");
  return request;
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
    const std::string value = option_value(arguments, i, equals, option);
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
    if (argument == "--help" || argument == "-h") return {Command::Kind::Help, {}, {}};
    if (argument == "--version") return {Command::Kind::Version, {}, {}};
  }
  if (!arguments.empty() && arguments[0] == "play") {
    return {Command::Kind::Play, {}, parse_play(arguments.subspan(1))};
  }
  if (arguments.empty() || arguments[0] != "export") {
    refuse(arguments.empty() ? "no command given" : "unknown command '" + arguments[0] + "'");
  }
  return {Command::Kind::Export, parse_export(arguments.subspan(1)), {}};
}

}  // namespace exporter
