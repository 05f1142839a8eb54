// The edit commands of the main window: undo and the clipboard.
#include "fileops_fixture.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

using namespace fileops_test;

namespace {

using EditCommands = MainWindowTest;

bool Enabled(TMainForm *main, const char *name) {
  QAction *a = main->Act(QString::fromLatin1(name));
  return a && a->isEnabled();
}

TMDIChild *OpenPattern(TMainForm *main, const QString &path, int w, int h) {
  if (!WriteKitBmp(path, Pattern(w, h))) return nullptr;
  if (!main->OpenImageFile(path)) return nullptr;
  return main->ActiveChild();
}

TEST_F(EditCommands, CopyWithAutoPasteMakesANewImageOfTheSamePicture) {
  General.autoPaste = 1;
  TMDIChild *source = OpenPattern(main, Path("p.bmp"), 9, 5);
  ASSERT_NE(source, nullptr);
  main->CopyItemClick();
  ASSERT_EQ(main->Children().size(), 2);
  TMDIChild *pasted = nullptr;
  for (TMDIChild *c : main->Children())
    if (c != source) pasted = c;
  ASSERT_NE(pasted, nullptr);
  EXPECT_EQ(pasted->Caption(), "新規画像");
  EXPECT_EQ(pasted->bitCount, 24);
  EXPECT_EQ(pasted->zoomIndex, 2);
  EXPECT_EQ(PictureOf(pasted->image.get()), PictureOf(source->image.get()));
  EXPECT_TRUE(Messages().isEmpty());
  EXPECT_TRUE(Enabled(main, "PasteItem"));
}

TEST_F(EditCommands, CopyWithoutAutoPasteOnlyFillsTheClipboard) {
  ASSERT_NE(OpenPattern(main, Path("p.bmp"), 3, 3), nullptr);
  QGuiApplication::clipboard()->setText("old text");
  main->CopyItemClick();
  EXPECT_EQ(main->Children().size(), 1);
  const QMimeData *data = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  EXPECT_TRUE(data->hasImage());
  EXPECT_FALSE(data->hasText());
}

TEST_F(EditCommands, ThirtyTwoBitClipboardImageArrivesAsFullColour) {
  QImage argb(6, 4, QImage::Format_ARGB32);
  argb.fill(qRgba(10, 200, 30, 255));
  argb.setPixel(1, 2, qRgba(250, 0, 5, 255));
  QGuiApplication::clipboard()->setImage(argb);
  main->PasteItemClick();
  ASSERT_EQ(main->Children().size(), 1);
  TMDIChild *child = main->Children().front();
  EXPECT_TRUE(child->IsNewImage());
  EXPECT_EQ(child->width, 6);
  EXPECT_EQ(child->height, 4);
  EXPECT_EQ(child->bitCount, 24);
  IMGKIT_IMAGEINFO info{};
  ASSERT_TRUE(Kit.ImgKitImageInfo(child->image.get(), &info));
  EXPECT_EQ(info.bitCount, 24);
  EXPECT_EQ(PictureOf(child->image.get()).pixel(1, 2), qRgb(250, 0, 5));
  EXPECT_EQ(PictureOf(child->image.get()).pixel(0, 0), qRgb(10, 200, 30));
}

TEST_F(EditCommands, PasteWithoutAnImageDoesNothing) {
  QGuiApplication::clipboard()->setText("just text");
  main->PasteItemClick();
  EXPECT_TRUE(main->Children().isEmpty());
  EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(EditCommands, PasteCommandsFollowTheClipboard) {
  QGuiApplication::clipboard()->setText("text");
  main->ClipboardChanged();
  for (const char *name : {"PasteItem", "PasteBtn", "mClearClipboard", "mGousei", "sbGousei"})
    EXPECT_FALSE(Enabled(main, name)) << name;

  QGuiApplication::clipboard()->setImage(Pattern(2, 2));
  main->ClipboardChanged();
  EXPECT_TRUE(Enabled(main, "PasteItem"));
  EXPECT_TRUE(Enabled(main, "mClearClipboard"));
  EXPECT_FALSE(Enabled(main, "mGousei")); // nothing to paste into yet

  ASSERT_NE(OpenPattern(main, Path("g.bmp"), 2, 2), nullptr);
  main->ClipboardChanged();
  EXPECT_TRUE(Enabled(main, "mGousei"));

  main->mClearClipboardClick();
  const QMimeData *data = QGuiApplication::clipboard()->mimeData();
  EXPECT_FALSE(data && data->hasImage());
  EXPECT_FALSE(Enabled(main, "PasteItem"));
  EXPECT_FALSE(Enabled(main, "mGousei"));
}

TEST_F(EditCommands, UndoTakesBackAnEditAndTheCount) {
  TMDIChild *child = OpenPattern(main, Path("u.bmp"), 4, 3);
  ASSERT_NE(child, nullptr);
  const QImage original = PictureOf(child->image.get());
  child->RecordUndo();
  ASSERT_TRUE(Kit.ImgKitColorReverse(child->image.get(), "", ""));
  child->Commit();
  EXPECT_EQ(child->modificationCount, 1);
  EXPECT_NE(PictureOf(child->image.get()), original);

  main->Undo1Click();
  EXPECT_EQ(PictureOf(child->image.get()), original);
  EXPECT_EQ(child->modificationCount, 0);
  EXPECT_EQ(child->undoCount, 0);
  main->Undo1Click(); // nothing left: nothing happens
  EXPECT_EQ(child->modificationCount, 0);
  EXPECT_EQ(PictureOf(child->image.get()), original);
}

TEST_F(EditCommands, ClearUndoEmptiesTheHistory) {
  TMDIChild *child = OpenPattern(main, Path("h.bmp"), 2, 2);
  ASSERT_NE(child, nullptr);
  child->RecordUndo();
  child->RecordUndo();
  ASSERT_GT(child->undoCount, 0);
  main->mClearUndoClick();
  EXPECT_EQ(child->undoCount, 0);
  EXPECT_FALSE(child->undo[0]);
}

} // namespace
