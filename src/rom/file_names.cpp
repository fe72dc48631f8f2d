#include "rom/file_names.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#endif

namespace fs = std::filesystem;

#ifdef _WIN32

fs::path FilePath(const std::string& name) {
  return fs::path(std::u8string(name.begin(), name.end()));
}

std::FILE* OpenFile(const std::string& name, const char* mode) {
  const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
  return _wfopen(FilePath(name).c_str(), wideMode.c_str());
}

std::FILE* CreateNewFile(const std::string& name) {
  const int descriptor = _wopen(FilePath(name).c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY,
                                _S_IREAD | _S_IWRITE);
  if (descriptor < 0) {
    return nullptr;
  }
  std::FILE* stream = _fdopen(descriptor, "wb");
  if (stream == nullptr) {
    _close(descriptor);
  }
  return stream;
}

void RenameOntoFile(const std::string& from, const std::string& to, std::error_code& error) {
  error.clear();
  if (!MoveFileExW(FilePath(from).c_str(), FilePath(to).c_str(), MOVEFILE_REPLACE_EXISTING)) {
    error = std::error_code(static_cast<int>(GetLastError()), std::system_category());
  }
}

#else

fs::path FilePath(const std::string& name) { return fs::path(name); }

std::FILE* OpenFile(const std::string& name, const char* mode) {
  return std::fopen(name.c_str(), mode);
}

// "x": never open a file that already exists.
std::FILE* CreateNewFile(const std::string& name) { return std::fopen(name.c_str(), "wbx"); }

void RenameOntoFile(const std::string& from, const std::string& to, std::error_code& error) {
  fs::rename(from, to, error);
}

#endif

std::string PrefixedName(const std::string& prefix, const std::string& name) {
  const fs::path path = FilePath(name);
  if (!path.has_root_name() && !path.has_root_directory()) {
    return prefix + name;
  }
#ifdef _WIN32
  const char* separators = "/\\:";
#else
  const char* separators = "/";
#endif
  const std::size_t last = name.find_last_of(separators);
  const std::size_t start = last == std::string::npos ? 0 : last + 1;
  return name.substr(0, start) + prefix + name.substr(start);
}
