// The picture's way into the host's file: through a temporary file the camera can write,
// moved into place only when complete, whatever the host's path looks like.
#include "dialog/picture_file.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "base/exception.h"
#include "tests/win/support/camera_fixture.h"
#include "tests/win/support/plugin_fixture.h"
#include "win/wtext.h"

namespace eos::test {
namespace {

constexpr char kPicture[] = "\xFF\xD8 a picture \xFF\xD9";

// A download that writes the picture through the ANSI path, as the camera does.
void AnsiDownload(const Text& temp_path) {
  const std::string ansi = win::ToAnsi(temp_path);
  ASSERT_EQ(win::FromWide(win::Wide(temp_path)), temp_path);
  HANDLE h = CreateFileA(ansi.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << ansi;
  DWORD written = 0;
  WriteFile(h, kPicture, sizeof kPicture - 1, &written, nullptr);
  win::UniqueFile owner(h);
}

// Files named "eos*.tmp" left in a folder.
int TemporaryFilesIn(const Text& folder) {
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(win::W(folder + u"eos*.tmp"), &data);
  if (h == INVALID_HANDLE_VALUE) return 0;
  int n = 1;
  while (FindNextFileW(h, &data)) ++n;
  FindClose(h);
  return n;
}

class PictureFile : public testing::Test {
 protected:
  TempDir dir_;
};

TEST_F(PictureFile, CompleteDownloadReplacesTheFileAndLeavesNoTemporary) {
  const Text path = dir_.path() + u"pic.jpg";
  WriteFileBytes(path, "an older picture");
  DownloadPictureFile(path, AnsiDownload);
  EXPECT_EQ(ReadFileBytes(path), kPicture);
  EXPECT_EQ(TemporaryFilesIn(dir_.path()), 0);
}

TEST_F(PictureFile, FailedDownloadDeletesTheOldFileAndLeavesNoHalfPicture) {
  const Text path = dir_.path() + u"pic.jpg";
  WriteFileBytes(path, "an older picture");
  const std::string raised = Raised([&] {
    DownloadPictureFile(path, [](const Text& temp) {
      WriteFileBytes(temp, "half a pic");
      throw Exception(u"EdsDownload errorcode 0x00000002, Internal error");
    });
  });
  EXPECT_EQ(raised, "EdsDownload errorcode 0x00000002, Internal error");
  EXPECT_FALSE(FileExists(path));
  EXPECT_EQ(TemporaryFilesIn(dir_.path()), 0);
}

TEST_F(PictureFile, PathsTheCameraCannotWriteStillGetThePicture) {
  // A folder name outside the ANSI code page, and a path of about 1,000 characters.
  const Text unicode = dir_.path() + u"\u0416\u03A9\u4E2D\\";
  ASSERT_TRUE(CreateDirectoryW(win::W(unicode), nullptr));
  Text deep = u"\\\\?\\" + dir_.path();
  while (deep.size() < 1000) {
    deep += Text(60, u'd') + u"\\";
    ASSERT_TRUE(CreateDirectoryW(win::W(deep), nullptr));
  }
  for (const Text& path : {unicode + u"pic.jpg", deep.substr(4) + u"pic.jpg"}) {
    DownloadPictureFile(path, AnsiDownload);
    EXPECT_EQ(ReadFileBytes(u"\\\\?\\" + path), kPicture) << win::ToAnsi(path);
    EXPECT_TRUE(DeleteFileW(win::W(u"\\\\?\\" + path)));
  }
  while (deep.size() > dir_.path().size() + 4) {
    RemoveDirectoryW(win::W(deep));
    deep.resize(deep.find_last_of(u'\\', deep.size() - 2) + 1);
  }
  RemoveDirectoryW(win::W(unicode));
}

// The camera's picture is still downloaded, so that the camera lets it go.
TEST_F(PictureFile, AFolderThatDoesNotExistIsAClearErrorAfterTheDownload) {
  int downloads = 0;
  const std::string raised = Raised([&] {
    DownloadPictureFile(dir_.path() + u"nope\\pic.jpg", [&](const Text& temp) {
      ++downloads;
      AnsiDownload(temp);
    });
  });
  EXPECT_EQ(downloads, 1);
  EXPECT_NE(raised.find("The picture cannot be written to"), std::string::npos) << raised;
  EXPECT_NE(raised.find("nope"), std::string::npos) << raised;
}

// An old file that cannot be removed stays as it was, and the picture is still
// downloaded so that the camera lets it go.
TEST_F(PictureFile, AnOldFileThatCannotBeRemovedIsKeptAndThePictureStillDownloaded) {
  const Text path = dir_.path() + u"pic.jpg";
  const struct {
    const char* name;
    std::function<void()> make;
    std::function<void()> check;
  } cases[] = {
      {"read-only",
       [&] {
         WriteFileBytes(path, "an older picture");
         SetFileAttributesW(win::W(path), FILE_ATTRIBUTE_READONLY);
       },
       [&] {
         EXPECT_EQ(ReadFileBytes(path), "an older picture");
         SetFileAttributesW(win::W(path), FILE_ATTRIBUTE_NORMAL);
         DeleteFileW(win::W(path));
       }},
      {"a folder", [&] { CreateDirectoryW(win::W(path), nullptr); },
       [&] { EXPECT_TRUE(RemoveDirectoryW(win::W(path))) << "the folder is still there, and empty"; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    c.make();
    int downloads = 0;
    const std::string raised = Raised([&] {
      DownloadPictureFile(path, [&](const Text& temp) {
        ++downloads;
        AnsiDownload(temp);
      });
    });
    EXPECT_EQ(downloads, 1);
    EXPECT_EQ(raised.rfind("The picture cannot be written to " + ToUtf8(path) + ": ", 0), 0u) << raised;
    EXPECT_EQ(TemporaryFilesIn(dir_.path()), 0);
    c.check();
  }
}

}  // namespace
}  // namespace eos::test
