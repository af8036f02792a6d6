#include "stages/data_folders.h"

#include <filesystem>
#include <system_error>

namespace quarvex {

namespace fs = std::filesystem;

std::string DataFolders::find(std::string_view name) const {
  std::error_code ec;
  for (const std::string& folder : folders) {
    const fs::path path = fs::path(folder) / name;
    if (fs::is_regular_file(path, ec)) return path.string();
  }
  return folders.empty() ? std::string(name) : (fs::path(folders.back()) / name).string();
}

bool DataFolders::holds(std::string_view name) const {
  std::error_code ec;
  for (const std::string& folder : folders) {
    if (fs::is_regular_file(fs::path(folder) / name, ec)) return true;
  }
  return false;
}

std::string DataFolders::description() const {
  std::string text;
  for (const std::string& folder : folders) {
    if (!text.empty()) text += ", then ";
    text += folder;
  }
  return text;
}

std::string own_data_folder(const std::string& from_binary, const std::string& built) {
  std::error_code ec;
  const fs::path binary = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    const fs::path installed = (binary.parent_path() / from_binary).lexically_normal();
    if (fs::is_directory(installed, ec)) return installed.string();
  }
  return built;
}

DataFolders data_folders(const std::string& option, const std::string& own) {
  DataFolders data;
  // --data naming the game's own folder is the base alone.
  std::error_code ec;
  if (!option.empty() && !fs::equivalent(option, own, ec)) data.folders.push_back(option);
  data.folders.push_back(own);
  return data;
}

}  // namespace quarvex
