// Files and directories: scratch copies of the distribution to start the
// program from, and comparing what it installed.
#include "tests/harness/harness.h"

#include "tests/harness/harness_internal.h"

#include <algorithm>

namespace e2e {

using namespace internal;

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty())
    return name;
  if (dir.back() == '\\' || dir.back() == '/')
    return dir + name;
  return dir + "\\" + name;
}

bool FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

Result CreateDirectories(const std::string& dir) {
  std::string path = TrimTrailingSeparators(dir);
  if (path.empty() || DirectoryExists(path))
    return ::testing::AssertionSuccess();
  size_t separator = path.find_last_of("\\/");
  if (separator != std::string::npos && separator > 2) {
    Result parent = CreateDirectories(path.substr(0, separator));
    if (!parent)
      return parent;
  }
  if (!CreateDirectoryA(path.c_str(), nullptr) && !DirectoryExists(path))
    return ::testing::AssertionFailure()
           << "cannot create directory " << path << ": " << LastErrorText();
  return ::testing::AssertionSuccess();
}

Result RemoveTree(const std::string& dir) {
  std::string root = TrimTrailingSeparators(dir);
  if (!DirectoryExists(root)) {
    if (FileExists(root))
      return ::testing::AssertionFailure() << root << " is a file, not a directory";
    return ::testing::AssertionSuccess();
  }
  WIN32_FIND_DATAA entry;
  {
    ScopedFindHandle find(FindFirstFileA(JoinPath(root, "*").c_str(), &entry));
    if (find.get() != INVALID_HANDLE_VALUE) {
      do {
        std::string name = entry.cFileName;
        if (name == "." || name == "..")
          continue;
        std::string path = JoinPath(root, name);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          Result removed = RemoveTree(path);
          if (!removed)
            return removed;
        } else {
          SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
          if (!DeleteFileA(path.c_str()))
            return ::testing::AssertionFailure()
                   << "cannot delete " << path << ": " << LastErrorText();
        }
      } while (FindNextFileA(find.get(), &entry));
    }
  }
  SetFileAttributesA(root.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!RemoveDirectoryA(root.c_str()))
    return ::testing::AssertionFailure()
           << "cannot remove directory " << root << ": " << LastErrorText();
  return ::testing::AssertionSuccess();
}

std::vector<std::string> DirectoryEntries(const std::string& dir) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  ScopedFindHandle find(FindFirstFileA((dir + "\\*").c_str(), &entry));
  if (!find.ok())
    return names;
  do {
    std::string name = entry.cFileName;
    if (name != "." && name != "..")
      names.push_back(name);
  } while (FindNextFileA(find.get(), &entry));
  std::sort(names.begin(), names.end());
  return names;
}

Result MakeScratchDir(const std::string& name, std::string* path) {
  char temp[MAX_PATH] = "";
  if (!GetTempPathA(sizeof temp, temp))
    return ::testing::AssertionFailure() << "GetTempPath: " << LastErrorText();
  std::string dir = JoinPath(JoinPath(temp, "orlo-e2e"), name);
  Result removed = RemoveTree(dir);
  if (!removed)
    return removed;
  Result made = CreateDirectories(dir);
  if (!made)
    return made;
  *path = dir;
  return ::testing::AssertionSuccess();
}

Result CopyDirectory(const std::string& from, const std::string& to) {
  if (!DirectoryExists(from))
    return ::testing::AssertionFailure() << "no directory to copy: " << Quoted(from);
  Result made = CreateDirectories(to);
  if (!made)
    return made;
  WIN32_FIND_DATAA entry;
  ScopedFindHandle find(FindFirstFileA(JoinPath(from, "*").c_str(), &entry));
  if (find.get() == INVALID_HANDLE_VALUE)
    return ::testing::AssertionSuccess();
  do {
    std::string name = entry.cFileName;
    if (name == "." || name == "..")
      continue;
    std::string source = JoinPath(from, name);
    std::string target = JoinPath(to, name);
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      Result copied = CopyDirectory(source, target);
      if (!copied)
        return copied;
    } else if (!CopyFileA(source.c_str(), target.c_str(), FALSE)) {
      return ::testing::AssertionFailure()
             << "cannot copy " << source << " to " << target << ": " << LastErrorText();
    }
  } while (FindNextFileA(find.get(), &entry));
  return ::testing::AssertionSuccess();
}

Result CopyDistTo(const std::string& to) {
  std::string dist = DistDir();
  if (dist.empty())
    return ::testing::AssertionFailure() << "ORLO_DIST_DIR is not set";
  return CopyDirectory(dist, to);
}

Result ReadWholeFile(const std::string& path, std::vector<unsigned char>* bytes) {
  ScopedFile file(CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.ok())
    return ::testing::AssertionFailure() << "cannot open " << path << ": " << LastErrorText();
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size))
    return ::testing::AssertionFailure() << "size of " << path << ": " << LastErrorText();
  bytes->assign(static_cast<size_t>(size.QuadPart), 0);
  DWORD done = 0;
  if (!bytes->empty() &&
      (!ReadFile(file.get(), bytes->data(), static_cast<DWORD>(bytes->size()), &done, nullptr) ||
       done != bytes->size()))
    return ::testing::AssertionFailure() << "cannot read " << path << ": " << LastErrorText()
                                         << ", " << done << " of " << bytes->size() << " bytes";
  return ::testing::AssertionSuccess();
}

Result WriteWholeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
  ScopedFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.ok())
    return ::testing::AssertionFailure() << "cannot create " << path << ": " << LastErrorText();
  DWORD done = 0;
  if (!bytes.empty() &&
      (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) ||
       done != bytes.size()))
    return ::testing::AssertionFailure() << "cannot write " << path << ": " << LastErrorText();
  return ::testing::AssertionSuccess();
}

Result FilesEqual(const std::string& a, const std::string& b) {
  std::vector<unsigned char> first, second;
  Result read = ReadWholeFile(a, &first);
  if (!read)
    return read;
  read = ReadWholeFile(b, &second);
  if (!read)
    return read;
  if (first.size() != second.size())
    return ::testing::AssertionFailure()
           << a << " has " << first.size() << " bytes, " << b << " has " << second.size();
  for (size_t i = 0; i < first.size(); ++i)
    if (first[i] != second[i])
      return ::testing::AssertionFailure()
             << a << " and " << b << " differ first at offset " << i << ": " << int(first[i])
             << " against " << int(second[i]);
  return ::testing::AssertionSuccess();
}

}  // namespace e2e
