#include "cli/setup_flags.h"

namespace tavrek::cli {

const char* const kSetupUsage =
    "Setup documents (.tvk, as the watch windows save them):\n"
    "  --setup FILE           watch what FILE says: folders, filter rows, the nine\n"
    "                         switches and the log filter mode; switches and\n"
    "                         --log-filter-mode given too override it, folders and\n"
    "                         --include/--exclude are added to its lists\n"
    "  --show-setup FILE      print what a window would load from FILE, one row per\n"
    "                         line (folder, choice, filter, option, StartWatch,\n"
    "                         filter_typ)\n"
    "  --save-setup FILE      write the setup of this command line to FILE (\".tvk\"\n"
    "                         appended unless it ends so) and exit\n"
    "  --start-watch          the saved document starts its watch when opened\n"
    "  --force                --save-setup may replace an existing file\n";

bool TakeSetupOption(const std::vector<std::string>& arguments, size_t& index,
                     SetupOptions& options, std::string& error) {
  const std::string& argument = arguments[index];
  if (argument == "--force" || argument == "--start-watch") {
    (argument == "--force" ? options.force : options.startWatch) = true;
    return true;
  }
  std::string* value = argument == "--setup"        ? &options.setupFile
                       : argument == "--show-setup" ? &options.showFile
                       : argument == "--save-setup" ? &options.saveFile
                                                    : nullptr;
  if (!value) return false;
  if (index + 1 >= arguments.size() || arguments[index + 1].empty()) {
    error = argument + " needs a file name";
    return true;
  }
  *value = arguments[++index];
  return true;
}

}  // namespace tavrek::cli
