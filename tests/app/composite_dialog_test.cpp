// The composite paste and text insertion run from their commands: the view
// scale, dragging, centring and the fine buttons, the blend on OK with one
// edit-history entry, background transparency, the anti-aliasing rules, the
// remembered records, the text dialog's controls, the new text image, and
// the clipboard that text insertion never touches.
#include "fileops_fixture.h"

#include "effects/dialogs/GouseiForm.h"
#include "effects/dialogs/LetterForm.h"
#include "forms/ColourSwatch.h"
#include "forms/NewFullScr.h"
#include "platform/Fonts.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QProgressBar>
#include <QSlider>

using namespace fileops_test;

namespace {

// Runs `command`; every modal dialog that comes up while it runs is handed
// to `act`, which must close it. The number of dialogs seen.
int EachModal(const std::function<void()> &command, const std::function<void(QWidget *)> &act) {
  int seen = 0;
  QPointer<QWidget> last;
  QTimer poll;
  poll.setInterval(5);
  QDeadlineTimer deadline(test_wait::kDeadlineMs);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget *w = QApplication::activeModalWidget();
    if (w && w != last) {
      last = w;
      ++seen;
      act(w);
    } else if (!w && deadline.hasExpired()) {
      poll.stop();
    }
  });
  poll.start();
  command();
  poll.stop();
  return seen;
}

void Mouse(QWidget *w, QEvent::Type type, QPoint at) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent event(type, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::LeftButton, held,
                    Qt::NoModifier);
  QApplication::sendEvent(w, &event);
}

QImage Uniform(int w, int h, QRgb colour) {
  QImage img(w, h, QImage::Format_RGB888);
  img.fill(colour);
  return img;
}

class CompositeDialog : public DocumentTest {
protected:
  void SetUp() override {
    DocumentTest::SetUp();
    for (const char *name : {TGouseiForm::kSettings, TLetterForm::kSettings})
      StoreFields(QString::fromLatin1(name), {});
  }
  void TearDown() override {
    QGuiApplication::clipboard()->clear();
    DocumentTest::TearDown();
  }

  // The composite paste of the clipboard's picture, `act` on its dialog.
  bool Paste(const std::function<void(TGouseiForm *)> &act) {
    return test_wait::WhileModal<TGouseiForm>(
        [this] { main->RunCommand(QStringLiteral("mGouseiClick")); }, act);
  }
};

// ---- The composite paste ------------------------------------------------------

TEST_F(CompositeDialog, DraggedPictureIsMixedAtItsDocumentOffsetWithOneUndoEntry) {
  TMDIChild *c = Open(Pattern(60, 40));
  ASSERT_TRUE(c);
  const QImage before = PictureOf(c->image.get());
  QGuiApplication::clipboard()->setImage(Uniform(10, 8, qRgb(200, 100, 0)));
  main->UpdateMenuItems();
  EXPECT_TRUE(main->Act(QStringLiteral("mGousei"))->isEnabled());
  ASSERT_TRUE(Paste([&](TGouseiForm *form) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("画像貼付"));
    // First time: normal, 50, no transparency, the whole view.
    EXPECT_EQ(form->rgMethod->checkedId(), 0);
    EXPECT_EQ(form->tbTransparency->value(), 50);
    EXPECT_EQ(form->lTransparency->text(), QStringLiteral("50"));
    EXPECT_EQ(form->rgBackground->checkedId(), 0);
    EXPECT_EQ(form->rgView->checkedId(), 0);
    EXPECT_FALSE(form->cbAntiAlias->isEnabled());
    // Wider than high: 336 / width.
    EXPECT_DOUBLE_EQ(form->Scale(), 336.0 / 60);
    EXPECT_EQ(form->view->DocumentSize(), QSize(336, 224));
    EXPECT_EQ(form->view->PastedSize(), QSize(56, 44));
    EXPECT_EQ(form->Offset(), QPoint(0, 0));
    // Dragged by (59, 30) screen pixels: trunc(59 / 5.6), trunc(30 / 5.6).
    Mouse(form->view, QEvent::MouseButtonPress, QPoint(5, 5));
    Mouse(form->view, QEvent::MouseMove, QPoint(30, 20));
    Mouse(form->view, QEvent::MouseButtonRelease, QPoint(64, 35));
    EXPECT_EQ(form->view->PastedPos(), QPoint(59, 30));
    EXPECT_EQ(form->Offset(), QPoint(10, 5));
    // A press beside the picture drags nothing.
    Mouse(form->view, QEvent::MouseButtonPress, QPoint(300, 200));
    Mouse(form->view, QEvent::MouseButtonRelease, QPoint(310, 210));
    EXPECT_EQ(form->Offset(), QPoint(10, 5));
    form->tbTransparency->setValue(35);
    EXPECT_EQ(form->lTransparency->text(), QStringLiteral("35"));
    form->tbTransparency->setValue(50);
    form->bOKClick();
  }));
  EXPECT_EQ(c->undoCount, 1);
  // The wait window went through the document's rows, one step each.
  EXPECT_EQ(main->WaitMess->ProgressBar->maximum(), 40);
  EXPECT_EQ(main->WaitMess->ProgressBar->value(), 40);
  EXPECT_FALSE(main->WaitMess->isVisible());
  const QImage after = PictureOf(c->image.get());
  ASSERT_EQ(after.size(), QSize(60, 40));
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x) {
      const QRgb t = before.pixel(x, y);
      const bool covered = x >= 10 && x < 20 && y >= 5 && y < 13;
      const QRgb want =
          covered ? qRgb((qRed(t) + 200) / 2, (qGreen(t) + 100) / 2, qBlue(t) / 2) : t;
      ASSERT_EQ(after.pixel(x, y), want) << x << "," << y;
    }
  EXPECT_EQ(StoredFields(QString::fromLatin1(TGouseiForm::kSettings)),
            (std::vector<int>{0, 50, 0, 0}));
}

TEST_F(CompositeDialog, CentreAndFineButtonsInBothViews) {
  ASSERT_TRUE(Open(Pattern(60, 40)));
  QGuiApplication::clipboard()->setImage(Uniform(10, 8, qRgb(1, 2, 3)));
  ASSERT_TRUE(Paste([&](TGouseiForm *form) {
    // Whole view: ((336 - 56) div 2, (224 - 44) div 2) = (140, 90) shown,
    // (25, 16) in the document.
    ClickButton(form, QStringLiteral("中央に配置"));
    EXPECT_EQ(form->view->PastedPos(), QPoint(140, 90));
    EXPECT_EQ(form->Offset(), QPoint(25, 16));
    ClickButton(form, QStringLiteral("→"));
    EXPECT_EQ(form->view->PastedPos(), QPoint(141, 90));
    EXPECT_EQ(form->Offset(), QPoint(25, 16)); // 141 / 5.6 = 25.2
    for (int i = 0; i < 5; ++i)
      ClickButton(form, QStringLiteral("→"));
    EXPECT_EQ(form->Offset(), QPoint(26, 16)); // 146 / 5.6 = 26.07
    // Actual size: one screen pixel is one document pixel.
    form->rgView->button(1)->click();
    EXPECT_DOUBLE_EQ(form->Scale(), 1.0);
    EXPECT_EQ(form->view->DocumentSize(), QSize(60, 40));
    EXPECT_EQ(form->view->PastedPos(), QPoint(26, 16));
    ClickButton(form, QStringLiteral("中央に配置"));
    EXPECT_EQ(form->Offset(), QPoint(25, 16));
    ClickButton(form, QStringLiteral("↑"));
    ClickButton(form, QStringLiteral("←"));
    ClickButton(form, QStringLiteral("←"));
    EXPECT_EQ(form->Offset(), QPoint(23, 15));
    ClickButton(form, QStringLiteral("↓"));
    EXPECT_EQ(form->Offset(), QPoint(23, 16));
    form->reject();
  }));
}

TEST_F(CompositeDialog, PreviewShowsTheCompositeFullScreenAndChangesNothing) {
  TMDIChild *c = Open(Pattern(60, 40));
  ASSERT_TRUE(c);
  const QImage before = PictureOf(c->image.get());
  QGuiApplication::clipboard()->setImage(Uniform(10, 8, qRgb(250, 0, 0)));
  const QRect screen(0, 0, 640, 480);
  FixScreenAreaForTesting(&screen);
  ASSERT_TRUE(Paste([&](TGouseiForm *form) {
    ClickButton(form, QStringLiteral("中央に配置"));
    const QImage composed = PictureOf(form->Composed().get());
    EXPECT_EQ(composed.pixel(30, 20),
              qRgb((qRed(before.pixel(30, 20)) + 250) / 2, qGreen(before.pixel(30, 20)) / 2,
                   qBlue(before.pixel(30, 20)) / 2));
    EXPECT_TRUE(test_wait::WhenModal(
        [form] { ClickButton(form, QStringLiteral("プレビュー")); },
        [](QWidget *w) { return qobject_cast<TNewFullScr *>(w) != nullptr; },
        [&](QWidget *w) {
          auto *view = qobject_cast<TNewFullScr *>(w);
          // Small enough to be shown unscaled, centred.
          EXPECT_EQ(view->PictureRect(), QRect(290, 220, 60, 40));
          EXPECT_EQ(view->Frame().convertToFormat(QImage::Format_RGB32), composed);
          view->Finish(1);
        }));
    form->reject();
  }));
  FixScreenAreaForTesting(nullptr);
  EXPECT_EQ(PictureOf(c->image.get()), before);
  EXPECT_EQ(c->undoCount, 0);
}

TEST_F(CompositeDialog, TallDocumentsScaleByHeightAndPlacementMayLeaveTheDocument) {
  TMDIChild *c = Open(Pattern(30, 84));
  ASSERT_TRUE(c);
  const QImage before = PictureOf(c->image.get());
  QGuiApplication::clipboard()->setImage(Uniform(20, 20, qRgb(0, 0, 0)));
  ASSERT_TRUE(Paste([&](TGouseiForm *form) {
    EXPECT_DOUBLE_EQ(form->Scale(), 4.0);
    EXPECT_EQ(form->view->DocumentSize(), QSize(120, 336));
    // Dragged past the left and top edges: a negative offset.
    Mouse(form->view, QEvent::MouseButtonPress, QPoint(10, 10));
    Mouse(form->view, QEvent::MouseButtonRelease, QPoint(-30, -10));
    EXPECT_EQ(form->Offset(), QPoint(-10, -5));
    form->tbTransparency->setValue(0);
    form->bOKClick();
  }));
  const QImage after = PictureOf(c->image.get());
  ASSERT_EQ(after.size(), QSize(30, 84));
  for (int y = 0; y < 84; ++y)
    for (int x = 0; x < 30; ++x)
      ASSERT_EQ(after.pixel(x, y), x < 10 && y < 15 ? qRgb(0, 0, 0) : before.pixel(x, y));
}

TEST_F(CompositeDialog, BackgroundTransparencyKeepsTheKeyColoursDocumentPixels) {
  TMDIChild *c = Open(Pattern(16, 12));
  ASSERT_TRUE(c);
  const QImage before = PictureOf(c->image.get());
  // A cross of red on a green ground; the bottom-left pixel is green.
  QImage cross = Uniform(5, 5, qRgb(0, 255, 0));
  for (int i = 0; i < 5; ++i)
    cross.setPixel(i, 2, qRgb(255, 0, 0)), cross.setPixel(2, i, qRgb(255, 0, 0));
  QGuiApplication::clipboard()->setImage(cross);
  ASSERT_TRUE(Paste([&](TGouseiForm *form) {
    form->rgBackground->button(1)->click();
    // Outside text insertion the anti-aliasing box stays off.
    EXPECT_FALSE(form->cbAntiAlias->isEnabled());
    EXPECT_FALSE(form->cbAntiAlias->isChecked());
    form->rgView->button(1)->click();
    Mouse(form->view, QEvent::MouseButtonPress, QPoint(1, 1));
    Mouse(form->view, QEvent::MouseButtonRelease, QPoint(4, 2));
    EXPECT_EQ(form->Offset(), QPoint(3, 1));
    form->tbTransparency->setValue(0);
    form->bOKClick();
  }));
  const QImage after = PictureOf(c->image.get());
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 16; ++x) {
      const bool red = (x >= 3 && x < 8 && y == 3) || (x == 5 && y >= 1 && y < 6);
      ASSERT_EQ(after.pixel(x, y), red ? qRgb(255, 0, 0) : before.pixel(x, y)) << x << "," << y;
    }
  EXPECT_EQ(StoredFields(QString::fromLatin1(TGouseiForm::kSettings)),
            (std::vector<int>{0, 0, 1, 1}));
}

TEST_F(CompositeDialog, RememberedRecordIsRestoredAndValuesOutOfRangeFallBack) {
  ASSERT_TRUE(Open(Pattern(20, 20)));
  QGuiApplication::clipboard()->setImage(Uniform(4, 4, qRgb(9, 9, 9)));
  StoreFields(QString::fromLatin1(TGouseiForm::kSettings), {9, 70, 1, 1});
  ASSERT_TRUE(Paste([&](TGouseiForm *form) {
    EXPECT_EQ(form->rgMethod->checkedId(), 9);
    EXPECT_EQ(form->tbTransparency->value(), 70);
    EXPECT_EQ(form->lTransparency->text(), QStringLiteral("70"));
    EXPECT_EQ(form->rgBackground->checkedId(), 1);
    EXPECT_EQ(form->rgView->checkedId(), 1);
    EXPECT_DOUBLE_EQ(form->Scale(), 1.0);
    form->reject();
  }));
  StoreFields(QString::fromLatin1(TGouseiForm::kSettings), {10, 101, 2, -1});
  ASSERT_TRUE(Paste([&](TGouseiForm *form) {
    EXPECT_EQ(form->rgMethod->checkedId(), 0);
    EXPECT_EQ(form->tbTransparency->value(), 50);
    EXPECT_EQ(form->rgBackground->checkedId(), 0);
    EXPECT_EQ(form->rgView->checkedId(), 0);
    form->reject();
  }));
}

TEST_F(CompositeDialog, CancelAndAClipboardWithoutAPictureChangeNothing) {
  TMDIChild *c = Open(Pattern(20, 10));
  ASSERT_TRUE(c);
  const QImage before = PictureOf(c->image.get());
  QGuiApplication::clipboard()->setImage(Uniform(4, 4, qRgb(9, 9, 9)));
  ASSERT_TRUE(Paste([](TGouseiForm *form) {
    form->tbTransparency->setValue(0);
    ClickButton(form, QStringLiteral("キャンセル"));
  }));
  EXPECT_EQ(PictureOf(c->image.get()), before);
  EXPECT_EQ(c->undoCount, 0);
  EXPECT_TRUE(StoredFields(QString::fromLatin1(TGouseiForm::kSettings)).empty());
  // Text on the clipboard: the command is off and does nothing, silently.
  QGuiApplication::clipboard()->setText(QStringLiteral("text"));
  test_wait::Pump();
  main->UpdateMenuItems();
  EXPECT_FALSE(main->Act(QStringLiteral("mGousei"))->isEnabled());
  EXPECT_FALSE(Paste([](TGouseiForm *form) { form->reject(); }));
  EXPECT_TRUE(Messages().isEmpty());
  EXPECT_EQ(PictureOf(c->image.get()), before);
}

TEST_F(CompositeDialog, PaletteDocumentsBecomeFullColour) {
  QImage grey(6, 4, QImage::Format_Indexed8);
  QList<QRgb> table;
  for (int i = 0; i < 256; ++i)
    table << qRgb(i, i, i);
  grey.setColorTable(table);
  grey.fill(100);
  const QString path = Path(QStringLiteral("grey.bmp"));
  DibHandle dib = DibFromBitmap(grey);
  ASSERT_TRUE(Kit.ImgKitBmpFileSave(path.toUtf8().constData(), dib.get(), "", "", 0));
  ASSERT_TRUE(main->OpenImageFile(path));
  TMDIChild *c = main->ActiveChild();
  ASSERT_EQ(c->bitCount, 8);
  QGuiApplication::clipboard()->setImage(Uniform(2, 2, qRgb(200, 0, 50)));
  ASSERT_TRUE(Paste([](TGouseiForm *form) { form->bOKClick(); }));
  EXPECT_EQ(c->bitCount, 24);
  EXPECT_EQ(PictureOf(c->image.get()).pixel(1, 1), qRgb(150, 50, 75));
  EXPECT_EQ(PictureOf(c->image.get()).pixel(2, 2), qRgb(100, 100, 100));
}

// ---- Text insertion ------------------------------------------------------------

TEST_F(CompositeDialog, TextDialogControlsFontAndColourDialogsAndItsRecord) {
  ASSERT_TRUE(Open(Pattern(40, 30)));
  answer = [](const UserDialogs::Request &r) {
    UserDialogs::Answer a;
    if (r.kind == UserDialogs::Kind::Font) {
      EXPECT_EQ(r.font.family(), QStringLiteral("ＭＳ Ｐゴシック"));
      EXPECT_EQ(r.font.pointSize(), 20);
      a.font = QFont(QStringLiteral("DejaVu Serif"), 14);
      a.font.setBold(true);
      a.font.setItalic(true);
    } else if (r.kind == UserDialogs::Kind::Colour) {
      a.colour = r.colour == 0 ? 0x203040 : 0xf0e0d0;
    }
    return a;
  };
  QImage preview;
  const int seen = EachModal(
      [this] { main->RunCommand(QStringLiteral("mLetterClick")); },
      [&](QWidget *w) {
        auto *letter = qobject_cast<TLetterForm *>(w);
        if (!letter) return static_cast<QDialog *>(w)->reject();
        EXPECT_EQ(letter->windowTitle(), QStringLiteral("文字画像の生成"));
        EXPECT_EQ(letter->edText->text(), QString());
        EXPECT_EQ(letter->edFont->text(), QStringLiteral("ＭＳ Ｐゴシック"));
        EXPECT_EQ(letter->edSize->text(), QStringLiteral("20"));
        EXPECT_EQ(letter->edEffect->text(), QString());
        EXPECT_EQ(letter->swText->Rgb(), 0x000000u);
        EXPECT_EQ(letter->swBack->Rgb(), 0xffffffu);
        EXPECT_EQ(letter->edMargin->text(), QStringLiteral("10"));
        EXPECT_EQ(letter->edMargin->maxLength(), 4);
        EXPECT_TRUE(letter->cbAntiAlias->isChecked());
        ClickButton(letter, QStringLiteral("フォント指定"));
        EXPECT_EQ(letter->edFont->text(), QStringLiteral("DejaVu Serif"));
        EXPECT_EQ(letter->edSize->text(), QStringLiteral("14"));
        EXPECT_EQ(letter->edEffect->text(), QStringLiteral("<斜><太>"));
        ClickButton(letter, QStringLiteral("文字色指定"));
        ClickButton(letter, QStringLiteral("背景色指定"));
        EXPECT_EQ(letter->swText->Rgb(), 0x203040u);
        EXPECT_EQ(letter->swBack->Rgb(), 0xf0e0d0u);
        letter->edText->setText(QStringLiteral("a,b"));
        letter->edMargin->setText(QStringLiteral("3"));
        letter->cbAntiAlias->setChecked(false);
        // The preview follows: the single margin.
        preview = letter->PreviewPicture();
        EXPECT_EQ(preview.size(),
                  TextExtent(TextFont(letter->Style()), QStringLiteral("a,b")) + QSize(6, 6));
        EXPECT_EQ(preview.pixel(0, 0), qRgb(0xf0, 0xe0, 0xd0));
        letter->bOKClick();
      });
  EXPECT_EQ(seen, 2); // the text dialog, then the composite paste
  CResumeDialog record;
  ASSERT_EQ(record.Load(QString::fromLatin1(TLetterForm::kSettings)), 0);
  EXPECT_EQ(record.GetText(0), QStringLiteral("DejaVu Serif"));
  EXPECT_EQ(record.GetText(1), QStringLiteral("14"));
  EXPECT_EQ(record.GetText(2), QStringLiteral("<斜><太>"));
  EXPECT_EQ(RgbFromColourRef(unsigned(record.GetInt(3))), 0x203040u);
  EXPECT_EQ(RgbFromColourRef(unsigned(record.GetInt(4))), 0xf0e0d0u);
  EXPECT_EQ(record.GetText(5), QStringLiteral("3"));
  EXPECT_EQ(record.GetText(6), QStringLiteral("a.b")); // commas become full stops
  EXPECT_EQ(record.GetInt(7), 0);
  EXPECT_EQ(record.GetInt(8), 128);
  EXPECT_EQ(record.GetInt(9), 3);

  // Reopened: everything restored.
  EXPECT_TRUE(test_wait::WhileModal<TLetterForm>(
      [this] { main->RunCommand(QStringLiteral("mLetterClick")); },
      [](TLetterForm *letter) {
        EXPECT_EQ(letter->edFont->text(), QStringLiteral("DejaVu Serif"));
        EXPECT_EQ(letter->edSize->text(), QStringLiteral("14"));
        EXPECT_EQ(letter->edEffect->text(), QStringLiteral("<斜><太>"));
        EXPECT_TRUE(letter->Style().bold && letter->Style().italic);
        EXPECT_EQ(letter->swText->Rgb(), 0x203040u);
        EXPECT_EQ(letter->swBack->Rgb(), 0xf0e0d0u);
        EXPECT_EQ(letter->edMargin->text(), QStringLiteral("3"));
        EXPECT_EQ(letter->edText->text(), QStringLiteral("a.b"));
        EXPECT_FALSE(letter->cbAntiAlias->isChecked());
        EXPECT_EQ(letter->Charset(), 128);
        letter->reject();
      }));
}

TEST_F(CompositeDialog, AMarginThatIsNoNumberKeepsTheTextDialogOpen) {
  ASSERT_TRUE(Open(Pattern(10, 10)));
  EXPECT_TRUE(test_wait::WhileModal<TLetterForm>(
      [this] { main->RunCommand(QStringLiteral("mLetterClick")); },
      [this](TLetterForm *letter) {
        letter->edMargin->setText(QString());
        letter->bOKClick();
        EXPECT_TRUE(letter->isVisible());
        EXPECT_EQ(Messages().size(), 1);
        letter->reject();
      }));
  EXPECT_EQ(main->ActiveChild()->undoCount, 0);
}

TEST_F(CompositeDialog, TextInsertionLeavesTheClipboardAloneAndPastesTheRenderedText) {
  for (const bool imageOnClipboard : {false, true}) {
    TMDIChild *c = Open(Uniform(80, 50, qRgb(10, 20, 30)),
                        imageOnClipboard ? QStringLiteral("b.bmp") : QStringLiteral("a.bmp"));
    ASSERT_TRUE(c);
    const QImage clipImage = Pattern(7, 5);
    if (imageOnClipboard)
      QGuiApplication::clipboard()->setImage(clipImage);
    else
      QGuiApplication::clipboard()->setText(QStringLiteral("what the user copied"));
    TextStyle style;
    style.face = QStringLiteral("DejaVu Sans");
    style.points = 9;
    IMGHANDLE pasted = nullptr;
    DibHandle expected, composed;
    const int seen =
        EachModal([this] { main->RunCommand(QStringLiteral("mLetterClick")); },
                  [&](QWidget *w) {
                    if (auto *letter = qobject_cast<TLetterForm *>(w)) {
                      letter->edFont->setText(style.face);
                      letter->edSize->setText(QString::number(style.points));
                      letter->edText->setText(QStringLiteral("Hi"));
                      letter->edMargin->setText(QStringLiteral("2"));
                      expected = MakeTextPicture(letter->Style(), QStringLiteral("Hi"), 2, true);
                      letter->bOKClick();
                    } else if (auto *form = qobject_cast<TGouseiForm *>(w)) {
                      pasted = form->Pasted();
                      EXPECT_EQ(PictureOf(pasted), PictureOf(expected.get()));
                      // Text insertion: the bottom-left colour option turns the
                      // anti-aliasing box on and fixes the normal mode.
                      form->rgMethod->button(4)->click();
                      form->rgBackground->button(1)->click();
                      EXPECT_TRUE(form->cbAntiAlias->isEnabled());
                      EXPECT_TRUE(form->cbAntiAlias->isChecked());
                      EXPECT_EQ(form->rgMethod->checkedId(), 0);
                      EXPECT_FALSE(form->rgMethod->button(0)->isEnabled());
                      form->cbAntiAlias->setChecked(false);
                      EXPECT_TRUE(form->rgMethod->button(0)->isEnabled());
                      form->cbAntiAlias->setChecked(true);
                      EXPECT_FALSE(form->rgMethod->button(0)->isEnabled());
                      form->rgBackground->button(0)->click();
                      EXPECT_FALSE(form->cbAntiAlias->isEnabled());
                      EXPECT_FALSE(form->cbAntiAlias->isChecked());
                      EXPECT_TRUE(form->rgMethod->button(0)->isEnabled());
                      form->rgBackground->button(1)->click();
                      form->tbTransparency->setValue(0);
                      ClickButton(form, QStringLiteral("中央に配置"));
                      const CompositeOptions o = form->Options();
                      EXPECT_TRUE(o.keyTransparent && o.antiAliased);
                      EXPECT_EQ(o.textRgb, 0x000000u);
                      EXPECT_EQ(o.backgroundRgb, 0xffffffu);
                      composed = form->Composed();
                      form->bOKClick();
                    }
                  });
    EXPECT_EQ(seen, 2);
    EXPECT_NE(pasted, nullptr);
    EXPECT_EQ(c->undoCount, 1);
    // The text with its shaded edges now lies in the middle of the
    // document, as the dialog's own composite showed it.
    const QImage after = PictureOf(c->image.get());
    ASSERT_TRUE(composed);
    EXPECT_EQ(after, PictureOf(composed.get()));
    EXPECT_EQ(after.pixel(0, 0), qRgb(10, 20, 30));
    int changed = 0;
    for (int y = 0; y < 50; ++y)
      for (int x = 0; x < 80; ++x)
        changed += after.pixel(x, y) != qRgb(10, 20, 30);
    EXPECT_GT(changed, 10);
    EXPECT_EQ(after.pixel(40, 2), qRgb(10, 20, 30)); // above the text: the margin is transparent
    // The clipboard holds what it held.
    const QMimeData *clip = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(clip, nullptr);
    if (imageOnClipboard) {
      ASSERT_TRUE(clip->hasImage());
      EXPECT_EQ(qvariant_cast<QImage>(clip->imageData()).convertToFormat(QImage::Format_RGB32),
                clipImage.convertToFormat(QImage::Format_RGB32));
    } else {
      EXPECT_FALSE(clip->hasImage());
      EXPECT_EQ(clip->text(), QStringLiteral("what the user copied"));
    }
  }
}

TEST_F(CompositeDialog, NewTextImageOpensTheTextPictureAsANewDocument) {
  QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
  const int before = int(main->Children().size());
  DibHandle expected;
  EXPECT_TRUE(test_wait::WhileModal<TLetterForm>(
      [this] { main->RunCommand(QStringLiteral("TextImgClick")); },
      [&](TLetterForm *letter) {
        letter->edText->setText(QStringLiteral("夕焼けの湖"));
        letter->cbAntiAlias->setChecked(false);
        expected = MakeTextPicture(letter->Style(), QStringLiteral("夕焼けの湖"), 10, false);
        letter->bOKClick();
      }));
  ASSERT_EQ(int(main->Children().size()), before + 1);
  TMDIChild *c = main->ActiveChild();
  EXPECT_EQ(c->Caption(), TMDIChild::kNewImageCaption);
  EXPECT_EQ(c->bitCount, 24);
  EXPECT_EQ(PictureOf(c->image.get()), PictureOf(expected.get()));
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
  // Cancelled: no document.
  EXPECT_TRUE(test_wait::WhileModal<TLetterForm>(
      [this] { main->RunCommand(QStringLiteral("TextImgClick")); },
      [](TLetterForm *letter) { letter->reject(); }));
  EXPECT_EQ(int(main->Children().size()), before + 1);
}

TEST_F(CompositeDialog, EnablingFollowsTheClipboardAndTheDocuments) {
  QGuiApplication::clipboard()->setImage(Uniform(3, 3, qRgb(1, 2, 3)));
  test_wait::Pump();
  main->UpdateMenuItems();
  // Without a document: only the new text image.
  EXPECT_TRUE(main->Act(QStringLiteral("TextImg"))->isEnabled());
  EXPECT_TRUE(main->Act(QStringLiteral("SpeedButton13"))->isEnabled());
  EXPECT_FALSE(main->Act(QStringLiteral("mGousei"))->isEnabled());
  EXPECT_FALSE(main->Act(QStringLiteral("sbGousei"))->isEnabled());
  EXPECT_FALSE(main->Act(QStringLiteral("mLetter"))->isEnabled());
  EXPECT_FALSE(main->Act(QStringLiteral("SpeedButton14"))->isEnabled());
  ASSERT_TRUE(Open(Pattern(8, 8)));
  EXPECT_TRUE(main->Act(QStringLiteral("mGousei"))->isEnabled());
  EXPECT_TRUE(main->Act(QStringLiteral("sbGousei"))->isEnabled());
  EXPECT_TRUE(main->Act(QStringLiteral("mLetter"))->isEnabled());
  EXPECT_TRUE(main->Act(QStringLiteral("SpeedButton14"))->isEnabled());
  // The clipboard emptied: the composite paste goes off, text insertion stays.
  QGuiApplication::clipboard()->clear();
  test_wait::Pump();
  EXPECT_TRUE(
      test_wait::WaitFor([this] { return !main->Act(QStringLiteral("mGousei"))->isEnabled(); }));
  EXPECT_FALSE(main->Act(QStringLiteral("sbGousei"))->isEnabled());
  EXPECT_TRUE(main->Act(QStringLiteral("mLetter"))->isEnabled());
}

TEST_F(CompositeDialog, TheDefaultFaceDrawsJapaneseWithTheInstalledGothic) {
  InstallJapaneseFontSubstitutes();
  const QFont font = TextFont(TextStyle{});
  EXPECT_TRUE(QFontMetrics(font).inFont(QChar(0x5915))) << QFontInfo(font).family().toStdString();
  // And the rendering has ink: more than the background colour.
  const QImage picture = RenderText(TextStyle{}, QStringLiteral("夕焼けの湖"), 2);
  int ink = 0;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      ink += picture.pixel(x, y) == qRgb(0, 0, 0);
  EXPECT_GT(ink, 50);
}

} // namespace
