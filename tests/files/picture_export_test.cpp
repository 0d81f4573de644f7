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
  savePicture(window);
  const FileDialogSpec& dialog = window.dialogsShown.at(0);
  EXPECT_EQ(dialog.title, "Save picture into file");
  EXPECT_EQ(dialog.fileName, "graphics");
  EXPECT_EQ(dialog.filter,
            "Bitmaps (*.bmp)|*.bmp|PNG images (*.png)|*.png|PDF documents (*.pdf)|*.pdf");
  EXPECT_EQ(dialog.defaultExtension, "bmp");
  EXPECT_EQ(window.state.remembered.savePicture, folder.file("chart.bmp"));
  EXPECT_EQ(readWhole(folder.file("chart.bmp")), window.picture);
  EXPECT_EQ(folder.entries(), 1);
  EXPECT_EQ(window.picturesRendered, (std::vector<PictureFormat>{PictureFormat::Bmp}));

  window.answers.push_back(std::nullopt);
  savePicture(window);
  EXPECT_EQ(window.dialogsShown.at(1).fileName, "chart.bmp");
  EXPECT_EQ(window.state.remembered.saveSamples, "samples");
}

TEST(SavePicture, TheNamesExtensionChoosesTheFormat) {
  Workspace ws;
  FakeWindow window;
  TempFolder folder;
  for (const char* name : {"a.png", "b.PDF", "c.Png", "d.pdf", "e.txt", "f.bmp", "g"}) {
    window.answers.push_back(folder.file(name));
    savePicture(window);
  }
  using F = PictureFormat;
  EXPECT_EQ(window.picturesRendered,
            (std::vector<F>{F::Png, F::Pdf, F::Png, F::Pdf, F::Bmp, F::Bmp, F::Bmp}));
  EXPECT_EQ(window.state.remembered.savePicture, folder.file("g.bmp"));
  EXPECT_TRUE(window.messages.empty());
}

TEST(SavePicture, FailedRenderingIsReportedAndKeepsThePreviousFile) {
  Workspace ws;
  FakeWindow window;
  window.picture = "";
  TempFolder folder;
  const std::string path = folder.write("old.bmp", "BM previous");
  window.answers.push_back(path);
  savePicture(window);
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].rfind("Warning: Can't write file " + path, 0), 0u);
  EXPECT_EQ(readWhole(path), "BM previous");
  EXPECT_EQ(folder.entries(), 1);
}

TEST(SavePicture, FullDeviceReportsTheFailedWrite) {
  Workspace ws;
  FakeWindow window;
  window.answers.push_back("/dev/full");
  savePicture(window);
  EXPECT_EQ(
      window.messages,
      (std::vector<std::string>{"Warning: Can't write file /dev/full: No space left on device"}));
}

}  // namespace
