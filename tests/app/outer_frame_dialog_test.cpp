// The outer-frame dialog run from its menu command: the size read-out, the
// refusals that keep it open, the framed document and its settings.
#include "fileops_fixture.h"

#include "effects/dialogs/OuterFrameForm.h"
#include "forms/ColourSwatch.h"
#include "platform/Settings.h"
#include "platform/UserDialogs.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>

using namespace fileops_test;

namespace {

class OuterFrameDialog : public DocumentTest {
protected:
  static QImage Striped(int w, int h) {
    QImage img(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        img.setPixel(x, y, qRgb(x * 2, y * 4, (x + y) % 256));
    return img;
  }
  void TearDown() override {
    UserDialogs::SetResponder(nullptr);
    DocumentTest::TearDown();
  }
};

} // namespace

TEST_F(OuterFrameDialog, SeparateWidthsFrameTheDocumentOnceAndAreRemembered) {
  TMDIChild *c = Open(Striped(100, 50));
  ASSERT_TRUE(c);
  const QImage before = PictureOf(c->image.get());
  UserDialogs::SetResponder([](const UserDialogs::Request &r) {
    UserDialogs::Answer a;
    if (r.kind == UserDialogs::Kind::Colour) a.colour = 0x102030;
    return a;
  });
  ASSERT_TRUE(WithModal([this] { main->RunCommand(QStringLiteral("mSotowakuClick")); },
                        [&](QWidget *w) {
                          auto *form = static_cast<TSotowaku *>(w);
                          EXPECT_EQ(form->windowTitle(), QStringLiteral("外枠作成"));
                          // First time: one width of 0, white.
                          EXPECT_EQ(form->rgMode->checkedId(), 0);
                          EXPECT_EQ(form->edWidth->text(), QStringLiteral("0"));
                          EXPECT_FALSE(form->edTop->isEnabled());
                          EXPECT_EQ(form->swatch->Rgb(), 0xffffffu);
                          form->edWidth->setText(QStringLiteral("7"));
                          EXPECT_EQ(form->lNewWidth->text(), QStringLiteral("114"));
                          EXPECT_EQ(form->lNewHeight->text(), QStringLiteral("64"));
                          form->rgMode->button(1)->click();
                          EXPECT_TRUE(form->edTop->isEnabled());
                          EXPECT_FALSE(form->edWidth->isEnabled());
                          form->edTop->setText(QStringLiteral("10"));
                          form->edRight->setText(QStringLiteral("20"));
                          EXPECT_EQ(form->lNewWidth->text(), QStringLiteral("120"));
                          EXPECT_EQ(form->lNewHeight->text(), QStringLiteral("60"));
                          form->findChild<QAbstractButton *>(QStringLiteral("bColour"))->click();
                          EXPECT_EQ(form->swatch->Rgb(), 0x102030u);
                          form->bOKClick();
                        }));
  EXPECT_EQ(c->width, 120);
  EXPECT_EQ(c->height, 60);
  EXPECT_EQ(c->undoCount, 1);
  const QImage after = PictureOf(c->image.get());
  EXPECT_EQ(after.copy(0, 10, 100, 50), before);
  EXPECT_EQ(after.pixel(110, 30), qRgb(0x10, 0x20, 0x30));
  EXPECT_EQ(after.pixel(5, 5), qRgb(0x10, 0x20, 0x30));

  CResumeDialog record;
  ASSERT_EQ(record.Load(QStringLiteral("Border")), 0);
  EXPECT_EQ(record.GetInt(0), 1);
  EXPECT_EQ(record.GetText(1), QStringLiteral("7"));
  EXPECT_EQ(record.GetText(2), QStringLiteral("10"));
  EXPECT_EQ(record.GetText(5), QStringLiteral("20"));
  EXPECT_EQ(unsigned(record.GetInt(6)), ColourRefFromRgb(0x102030));

  // The next time starts where this one ended.
  ASSERT_TRUE(WithModal([this] { main->RunCommand(QStringLiteral("mSotowakuClick")); },
                        [&](QWidget *w) {
                          auto *form = static_cast<TSotowaku *>(w);
                          EXPECT_EQ(form->rgMode->checkedId(), 1);
                          EXPECT_EQ(form->edRight->text(), QStringLiteral("20"));
                          EXPECT_EQ(form->swatch->Rgb(), 0x102030u);
                          EXPECT_EQ(form->lNewWidth->text(), QStringLiteral("140"));
                          form->reject();
                        }));
  EXPECT_EQ(c->undoCount, 1);
}

TEST_F(OuterFrameDialog, BadWidthsAndHugeResultsKeepTheDialogOpen) {
  TMDIChild *c = Open(Striped(20, 10));
  ASSERT_TRUE(c);
  QStringList messages;
  UserDialogs::SetResponder([&](const UserDialogs::Request &r) {
    messages << r.text;
    return UserDialogs::Answer{};
  });
  TSotowaku form(main);
  form.Prepare(c);
  for (const char *bad : {"-3", "abc", ""}) {
    form.edWidth->setText(QString::fromLatin1(bad));
    form.bOKClick();
    EXPECT_EQ(form.result(), 0) << bad;
  }
  form.edWidth->setText(QStringLiteral("20000"));
  form.bOKClick();
  ASSERT_EQ(messages.size(), 4);
  EXPECT_EQ(messages[0], QStringLiteral("外枠の幅には０以上の整数を指定してください"));
  EXPECT_EQ(messages[2], messages[0]);
  EXPECT_EQ(messages[3], QStringLiteral("メモリが不足しているため処理できません。"));
  EXPECT_EQ(c->width, 20);
  EXPECT_EQ(c->undoCount, 0);
  // A width typed in an edit that is not in use does not matter.
  form.edWidth->setText(QStringLiteral("x"));
  form.rgMode->button(1)->click();
  form.bOKClick();
  EXPECT_EQ(c->width, 20); // all four sides 0: the same size, one undo entry
  EXPECT_EQ(c->undoCount, 1);
  EXPECT_EQ(messages.size(), 4);
}
