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

namespace {

// dir as a whole \\?\ path, which the wide file functions follow beyond
// MAX_PATH; its names read in the code page of this run, never byte by byte.
std::wstring LongPath(const std::string& dir) {
  std::wstring wide = AnsiToWide(dir);
  std::wstring full(GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr), L'\0');
  full.resize(GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr));
  while (full.size() > 3 && full.back() == L'\\')
    full.pop_back();
  if (full.compare(0, 2, L"\\\\") == 0)
    return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

Result RemoveLongTree(const std::wstring& dir) {
  WIN32_FIND_DATAW entry;
  {
    ScopedFindHandle find(FindFirstFileW((dir + L"\\*").c_str(), &entry));
    if (find.ok()) {
      do {
        std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..")
          continue;
        std::wstring path = dir + L"\\" + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          Result removed = RemoveLongTree(path);
          if (!removed)
            return removed;
        } else {
          SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
          if (!DeleteFileW(path.c_str()))
            return ::testing::AssertionFailure()
                   << "cannot delete " << WideToAnsi(path) << ": " << LastErrorText();
        }
      } while (FindNextFileW(find.get(), &entry));
    }
  }
  SetFileAttributesW(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!RemoveDirectoryW(dir.c_str()))
    return ::testing::AssertionFailure()
           << "cannot remove directory " << WideToAnsi(dir) << ": " << LastErrorText();
  return ::testing::AssertionSuccess();
}

}  // namespace

Result RemoveTree(const std::string& dir) {
  if (dir.empty())
    return ::testing::AssertionSuccess();
  std::wstring root = LongPath(dir);
  DWORD attributes = GetFileAttributesW(root.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return ::testing::AssertionSuccess();
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
    return ::testing::AssertionFailure() << dir << " is a file, not a directory";
  return RemoveLongTree(root);
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

Result ReadWholeFile(const std::string& path, std::string* bytes) {
  ScopedFile file(CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.ok())
    return ::testing::AssertionFailure() << "cannot open " << path << ": " << LastErrorText();
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size))
    return ::testing::AssertionFailure() << "size of " << path << ": " << LastErrorText();
  bytes->assign(static_cast<size_t>(size.QuadPart), '\0');
  DWORD done = 0;
  if (!bytes->empty() &&
      (!ReadFile(file.get(), &(*bytes)[0], static_cast<DWORD>(bytes->size()), &done, nullptr) ||
       done != bytes->size()))
    return ::testing::AssertionFailure() << "cannot read " << path << ": " << LastErrorText()
                                         << ", " << done << " of " << bytes->size() << " bytes";
  return ::testing::AssertionSuccess();
}

Result WriteWholeFile(const std::string& path, const std::string& bytes) {
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

namespace {

// The bytes a (from whatA) are those of b (from whatB); says where they differ
// otherwise, and shows both when they are short.
Result SameBytes(const std::string& whatA, const std::string& a, const std::string& whatB,
                 const std::string& b) {
  size_t at = 0;
  while (at < a.size() && at < b.size() && a[at] == b[at])
    ++at;
  if (at == a.size() && at == b.size())
    return ::testing::AssertionSuccess();
  ::testing::AssertionResult failure = ::testing::AssertionFailure();
  failure << whatA << " (" << a.size() << " bytes) and " << whatB << " (" << b.size()
          << " bytes) differ first at offset " << at;
  if (a.size() <= 64 && b.size() <= 64)
    failure << ": " << Quoted(a) << " against " << Quoted(b);
  return failure;
}

}  // namespace

Result FilesEqual(const std::string& a, const std::string& b) {
  std::string first, second;
  Result read = ReadWholeFile(a, &first);
  if (read)
    read = ReadWholeFile(b, &second);
  return read ? SameBytes(a, first, b, second) : read;
}

Result FileHolds(const std::string& path, const std::string& bytes) {
  std::string held;
  Result read = ReadWholeFile(path, &held);
  return read ? SameBytes(path, held, "the expected text", bytes) : read;
}

std::string Payload(const std::string& name, size_t size) {
  std::string bytes;
  for (size_t line = 0; bytes.size() < size; line++)
    bytes += name + " line " + std::to_string(line) + "\n";
  bytes.resize(size);
  return bytes;
}

}  // namespace e2e
