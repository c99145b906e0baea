// Dialog templates: the DIALOG and DIALOGEX resources of a program file, read
// as the dialog manager reads them.
#include "tests/harness/harness.h"

#include "tests/harness/harness_internal.h"

namespace e2e {

using namespace internal;

namespace {

// Reads the parts of a DLGTEMPLATE(EX) and its items.
class TemplateReader {
 public:
  TemplateReader(const unsigned char* data, size_t size) : data_(data), size_(size) {}

  bool ok() const { return ok_; }
  size_t offset() const { return offset_; }

  unsigned Word() { return Bytes(2) ? data_[offset_ - 2] | (data_[offset_ - 1] << 8) : 0; }
  int Short() { return static_cast<short>(Word()); }
  DWORD Dword() {
    DWORD low = Word();
    return low | (static_cast<DWORD>(Word()) << 16);
  }
  unsigned Byte() { return Bytes(1) ? data_[offset_ - 1] : 0; }
  void AlignToDword() { offset_ = (offset_ + 3) & ~size_t(3); }
  void Skip(size_t count) { Bytes(count); }

  // A NUL-terminated UTF-16 string.
  std::wstring String() {
    std::wstring text;
    for (unsigned c = Word(); ok_ && c; c = Word())
      text += static_cast<wchar_t>(c);
    return text;
  }
  // A name or an ordinal (0xFFFF, n): the ordinal as "#n", nothing as "".
  std::wstring NameOrOrdinal(unsigned* ordinal) {
    *ordinal = 0;
    unsigned first = Word();
    if (first == 0)
      return std::wstring();
    if (first == 0xFFFF) {
      *ordinal = Word();
      return L"#" + std::to_wstring(*ordinal);
    }
    offset_ -= 2;
    return String();
  }

 private:
  bool Bytes(size_t count) {
    if (!ok_ || offset_ + count > size_)
      return ok_ = false;
    offset_ += count;
    return true;
  }

  const unsigned char* data_;
  size_t size_;
  size_t offset_ = 0;
  bool ok_ = true;
};

// The class of a control whose template names it by ordinal.
std::string PredefinedClass(unsigned ordinal) {
  switch (ordinal) {
    case 0x80:
      return "Button";
    case 0x81:
      return "Edit";
    case 0x82:
      return "Static";
    case 0x83:
      return "ListBox";
    case 0x84:
      return "ScrollBar";
    case 0x85:
      return "ComboBox";
  }
  return "#" + std::to_string(ordinal);
}

DialogTemplateItem ReadDialogTemplateItem(TemplateReader& in, bool extended) {
  DialogTemplateItem control;
  in.AlignToDword();
  if (extended) {
    in.Dword();  // help id
    control.exStyle = in.Dword();
    control.style = in.Dword();
  } else {
    control.style = in.Dword();
    control.exStyle = in.Dword();
  }
  control.x = in.Short();
  control.y = in.Short();
  control.cx = in.Short();
  control.cy = in.Short();
  control.id = static_cast<int>((extended ? in.Dword() : in.Word()) & 0xFFFF);
  unsigned ordinal = 0;
  std::wstring className = in.NameOrOrdinal(&ordinal);
  control.className = ordinal ? PredefinedClass(ordinal) : WideToAnsi(className);
  control.text = WideToAnsi(in.NameOrOrdinal(&ordinal));
  in.Skip(in.Word());  // creation data
  return control;
}

Result ParseDialogTemplate(const unsigned char* data, size_t size, DialogTemplate* dialog) {
  TemplateReader in(data, size);
  const bool extended =
      size >= 4 && data[0] == 1 && data[1] == 0 && data[2] == 0xFF && data[3] == 0xFF;
  if (extended) {
    in.Dword();  // version and signature
    in.Dword();  // help id
    dialog->exStyle = in.Dword();
    dialog->style = in.Dword();
  } else {
    dialog->style = in.Dword();
    dialog->exStyle = in.Dword();
  }
  unsigned count = in.Word();
  dialog->x = in.Short();
  dialog->y = in.Short();
  dialog->cx = in.Short();
  dialog->cy = in.Short();
  unsigned ordinal = 0;
  in.NameOrOrdinal(&ordinal);  // menu
  in.NameOrOrdinal(&ordinal);  // class
  dialog->caption = WideToAnsi(in.String());
  if (dialog->style & DS_SETFONT) {
    dialog->pointSize = static_cast<int>(in.Word());
    if (extended) {
      dialog->weight = static_cast<int>(in.Word());
      dialog->italic = in.Byte() != 0;
      in.Byte();  // character set: the dialog manager asks for DEFAULT_CHARSET anyway
    }
    dialog->faceName = WideToAnsi(in.String());
  }
  for (unsigned i = 0; i < count && in.ok(); ++i)
    dialog->controls.push_back(ReadDialogTemplateItem(in, extended));
  if (!in.ok())
    return ::testing::AssertionFailure()
           << "dialog template " << dialog->resourceId << " is cut short";
  return ::testing::AssertionSuccess();
}

}  // namespace

Result ReadDialogTemplate(const std::string& exePath, int id, DialogTemplate* dialog) {
  ScopedDataModule module(LoadLibraryExA(exePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  if (!module.get())
    return ::testing::AssertionFailure() << "cannot load " << exePath << ": " << LastErrorText();
  HRSRC resource =
      FindResourceA(module.get(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
  HGLOBAL loaded = resource ? LoadResource(module.get(), resource) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data)
    return ::testing::AssertionFailure()
           << "no dialog template " << id << " in " << exePath << ": " << LastErrorText();
  *dialog = DialogTemplate();
  dialog->resourceId = id;
  return ParseDialogTemplate(static_cast<const unsigned char*>(data),
                             SizeofResource(module.get(), resource), dialog);
}

}  // namespace e2e
