// The picture export: its dialog, the default extension, the remembered name and a failed
// rendering that leaves the previous picture in place.
#include "files/picture_export.h"

#include <gtest/gtest.h>

#include "app/startup.h"
#include "tests/app/fake_window.h"
#include "tests/files/temp_folder.h"

namespace {

TEST(WithDefaultExtension, AddedOnlyToANameWithout) {
  EXPECT_EQ(withDefaultExtension("/a/pic", "bmp"), "/a/pic.bmp");
  EXPECT_EQ(withDefaultExtension("/a/pic.png", "bmp"), "/a/pic.png");
  EXPECT_EQ(withDefaultExtension("/a.d/pic", "bmp"), "/a.d/pic.bmp");
  EXPECT_EQ(withDefaultExtension("/dev/null", "bmp"), "/dev/null");
}

TEST(SavePicture, FirstUseProposesGraphicsAsBitmap) {
  Workspace ws;
  FakeWindow window;
  TempFolder folder;
  window.answers.push_back(folder.file("chart"));
  savePicture(ws, window);
  const FileDialogSpec& dialog = window.dialogsShown.at(0);
  EXPECT_EQ(dialog.title, "Save picture into file");
  EXPECT_EQ(dialog.fileName, "graphics");
  EXPECT_EQ(dialog.filter, "Bitmaps (*.bmp)|*.bmp");
  EXPECT_EQ(dialog.defaultExtension, "bmp");
  EXPECT_EQ(ws.remembered.savePicture, folder.file("chart.bmp"));
  EXPECT_EQ(readWhole(folder.file("chart.bmp")), window.picture);
  EXPECT_EQ(folder.entries(), 1);

  window.answers.push_back(std::nullopt);
  savePicture(ws, window);
  EXPECT_EQ(window.dialogsShown.at(1).fileName, "chart.bmp");
  EXPECT_EQ(ws.remembered.saveSamples, "samples");
}

TEST(SavePicture, FailedRenderingIsReportedAndKeepsThePreviousFile) {
  Workspace ws;
  FakeWindow window;
  window.picture = "";
  TempFolder folder;
  const std::string path = folder.write("old.bmp", "BM previous");
  window.answers.push_back(path);
  savePicture(ws, window);
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].rfind("Warning: Can't write file " + path, 0), 0u);
  EXPECT_EQ(readWhole(path), "BM previous");
  EXPECT_EQ(folder.entries(), 1);
}

TEST(SavePicture, FullDeviceReportsTheFailedWrite) {
  Workspace ws;
  FakeWindow window;
  window.answers.push_back("/dev/full");
  savePicture(ws, window);
  EXPECT_EQ(
      window.messages,
      (std::vector<std::string>{"Warning: Can't write file /dev/full: No space left on device"}));
}

}  // namespace
