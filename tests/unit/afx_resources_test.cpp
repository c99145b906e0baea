// The class library's wrappers release what they hold: GDI objects, device
// contexts and files, on every path.
#include <gtest/gtest.h>

#include "afx/afxwin.h"

namespace {

TEST(GdiWrappers, BrushAndFontAreDeletedWithTheirWrapper) {
  HGDIOBJ hBrush, hFont;
  {
    CBrush brush(RGB(0, 78, 236));
    hBrush = brush.GetSafeHandle();
    ASSERT_NE(nullptr, hBrush);
    EXPECT_EQ(OBJ_BRUSH, (int)GetObjectType(hBrush));
    CFont font;
    ASSERT_TRUE(
        font.CreateFont(60, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0x10, "Times New"));
    hFont = font.GetSafeHandle();
    EXPECT_EQ(OBJ_FONT, (int)GetObjectType(hFont));
  }
  EXPECT_EQ(0, (int)GetObjectType(hBrush)) << "brush left behind";
  EXPECT_EQ(0, (int)GetObjectType(hFont)) << "font left behind";
}

TEST(GdiWrappers, DetachHandsOwnershipBack) {
  HGDIOBJ h;
  {
    CBrush brush(RGB(1, 2, 3));
    h = brush.Detach();
  }
  EXPECT_EQ(OBJ_BRUSH, (int)GetObjectType(h)) << "a detached object stays";
  DeleteObject(h);
}

TEST(GdiWrappers, SelectObjectReturnsWhatItReplaced) {
  HDC hScreen = GetDC(NULL);
  HDC hDC = CreateCompatibleDC(hScreen);
  ReleaseDC(NULL, hScreen);
  CDC dc(hDC);
  HGDIOBJ hStock = GetCurrentObject(hDC, OBJ_FONT);
  {
    CFont font;
    font.CreateFont(80, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0x10, "Times New");
    HGDIOBJ hOld = dc.SelectObject(&font);
    EXPECT_EQ(hStock, hOld);
    EXPECT_EQ(font.GetSafeHandle(), GetCurrentObject(hDC, OBJ_FONT));
    dc.SelectObject(hOld);
  }
  EXPECT_EQ(hStock, GetCurrentObject(hDC, OBJ_FONT));
  DeleteDC(hDC);
}

class TempFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, "orl", 0, path_);
  }
  void TearDown() override { DeleteFileA(path_); }
  char path_[MAX_PATH];
};

TEST_F(TempFile, SecondOpenOfAnOpenFileIsASharingViolation) {
  CFile first;
  ASSERT_TRUE(first.Open(path_, CFile::modeCreate | CFile::modeWrite));
  CFile second;
  CFileException error;
  EXPECT_FALSE(second.Open(path_, CFile::modeRead, &error));
  EXPECT_EQ(CFileException::sharingViolation, error.m_cause) << "os error " << error.m_lOsError;
  EXPECT_EQ(ERROR_SHARING_VIOLATION, error.m_lOsError);
}

TEST_F(TempFile, WriteReadLengthAndClose) {
  {
    CFile out;
    ASSERT_TRUE(out.Open(path_, CFile::modeCreate | CFile::modeWrite));
    char data[5000];
    for (int i = 0; i < 5000; i++)
      data[i] = (char)i;
    EXPECT_TRUE(out.Write(data, sizeof(data)));
    EXPECT_TRUE(out.Close());
    EXPECT_FALSE(out.IsOpen());
  }
  CFile in;
  ASSERT_TRUE(in.Open(path_, CFile::modeRead));
  DWORD length = 0;
  EXPECT_TRUE(in.GetLength(&length));
  EXPECT_EQ(5000u, length);
  char buf[4096];
  EXPECT_EQ(4096, in.Read(buf, sizeof(buf)));
  EXPECT_EQ(904, in.Read(buf, sizeof(buf)));
  EXPECT_EQ(0, in.Read(buf, sizeof(buf))) << "end of file";
  EXPECT_EQ((char)(4096 + 903), buf[903]);
}

TEST_F(TempFile, FailuresAreReportedByResult) {
  CFile file;
  CFileException error;
  EXPECT_FALSE(file.Open("Z:\\no\\such\\dir\\file.txt", CFile::modeRead, &error));
  EXPECT_EQ(CFileException::badPath, error.m_cause) << "os error " << error.m_lOsError;
  ASSERT_TRUE(file.Open(path_, CFile::modeRead));
  char c = 0;
  EXPECT_FALSE(file.Write(&c, 1, &error)) << "writing a file opened for reading";
  EXPECT_EQ(CFileException::accessDenied, error.m_cause) << "os error " << error.m_lOsError;
}

TEST_F(TempFile, TheDestructorClosesTheFile) {
  {
    CFile file;
    ASSERT_TRUE(file.Open(path_, CFile::modeWrite));
  }
  CFile again;
  EXPECT_TRUE(again.Open(path_, CFile::modeWrite)) << "still held after its object went";
}

}  // namespace
