// The painting window run from its menu command: its pages and their
// controls, the black-fill coupling, a run delivered as a new document
// without touching the clipboard, a failed run, the remembered record and
// the view buttons.
#include "fileops_fixture.h"

#include "app/MDIChild.h"
#include "effects/dialogs/SaiForm.h"
#include "platform/Settings.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QClipboard>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

#include <cstdlib>
#include <utility>

using namespace fileops_test;

namespace {

class PaintWindow : public DocumentTest {
protected:
  void TearDown() override {
    if (TSaiForm *w = SaiWindow()) {
      w->stepCheck = nullptr;
      w->hide();
    }
    DocumentTest::TearDown();
  }
  // The window for the active document.
  TSaiForm *Start() {
    main->RunCommand(QStringLiteral("S3Click"));
    return SaiWindow();
  }
  static QStringList LabelsOf(const QWidget *box) {
    QStringList out;
    for (const QLabel *l : box->findChildren<QLabel *>())
      out << l->text();
    return out;
  }
  static QString Title(const QSlider *s) {
    return static_cast<const QGroupBox *>(s->parentWidget())->title();
  }
};

} // namespace

TEST_F(PaintWindow, NinePagesWithTheirControlsRangesAndDefaults) {
  ASSERT_TRUE(Open(Pattern(40, 30)));
  TSaiForm *w = Start();
  ASSERT_TRUE(w);
  EXPECT_TRUE(w->isVisible());
  EXPECT_FALSE(w->isModal());
  EXPECT_EQ(w->parentWidget(), main);
  EXPECT_EQ(w->windowTitle(), QStringLiteral("絵画・イラスト調画像作成"));
  const QStringList captions = {"手法１", "手法２", "手法３", "手法４", "手法５",
                                "手法６", "手法７", "手法８", "線画"};
  ASSERT_EQ(w->Tabs()->count(), 9);
  const int steps[] = {10, 10, 12, 11, 12, 14, 13, 15, 7};
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(w->Tabs()->tabText(i), captions[i]);
    const TSaiForm::Page &p = w->PageAt(i);
    EXPECT_EQ(p.draw->text(), QStringLiteral("作画実行"));
    EXPECT_FALSE(p.progress->isVisibleTo(w));
    EXPECT_EQ(p.stepText->text(), QStringLiteral("全 %1 工程中  完了").arg(steps[i]));
    EXPECT_EQ(p.counter->text(), QStringLiteral("0"));
    EXPECT_TRUE(LabelsOf(p.progress).contains(QStringLiteral("画像処理工程")));
    const auto *penBox = static_cast<const QGroupBox *>(p.pen->buttons().front()->parentWidget());
    EXPECT_EQ(penBox->title(),
              i == 8 ? QStringLiteral("描画ペン") : QStringLiteral("輪郭線の描画ペン"));
    EXPECT_EQ(p.pen->button(0)->text(), QStringLiteral("カラーペン"));
    EXPECT_EQ(p.pen->button(1)->text(), QStringLiteral("黒ペン"));
    EXPECT_EQ(p.pen->checkedId(), 0);
  }
  struct Bar {
    int page;
    QSlider *TSaiForm::Page::*bar;
    QString title;
    int min, max, def;
    QStringList ends;
  };
  const QStringList colourEnds = {"写実的", "絵画的", "ＰＯＰ風"};
  const std::vector<Bar> bars = {
      {0, &TSaiForm::Page::brush, "筆使い", 4, 7, 6, {"正確", "ラフ"}},
      {0, &TSaiForm::Page::colour, "色使い", 0, 20, 10, colourEnds},
      {0, &TSaiForm::Page::black, "黒ベタの強さ", 1, 20, 10, {"薄く", "濃く"}},
      {1, &TSaiForm::Page::colour, "色使い", 0, 20, 10, colourEnds},
      {2, &TSaiForm::Page::colour, "色使い", 0, 10, 5, colourEnds},
      {2, &TSaiForm::Page::black, "黒ベタの強さ", 3, 7, 5, {"濃く", "薄く"}},
      {3, &TSaiForm::Page::relief, "凹凸", 5, 10, 7, {"浅く", "深く"}},
      {4, &TSaiForm::Page::brush, "筆使い", 4, 7, 6, {"正確", "ラフ"}},
      {5, &TSaiForm::Page::relief, "凹凸", 5, 10, 7, {"浅く", "深く"}},
      {6, &TSaiForm::Page::black, "黒ベタの強さ", 3, 7, 5, {"濃く", "薄く"}},
      {7, &TSaiForm::Page::colour, "色使い", 0, 10, 5, colourEnds},
      {8, &TSaiForm::Page::edge, "輪郭抽出", 6, 10, 8, {"細かい", "荒い"}},
  };
  for (const Bar &b : bars) {
    const QSlider *s = w->PageAt(b.page).*b.bar;
    ASSERT_TRUE(s) << b.page;
    EXPECT_EQ(Title(s), b.title);
    EXPECT_EQ(s->minimum(), b.min) << b.page;
    EXPECT_EQ(s->maximum(), b.max) << b.page;
    EXPECT_EQ(s->value(), b.def) << b.page;
    EXPECT_EQ(LabelsOf(s->parentWidget()), b.ends) << b.page;
  }
  // Only the pages that have them: methods 2, 3, 7, 8 and the line drawing
  // have no brushwork, methods 7 and 8 no relief of their own.
  for (int i : {1, 2, 6, 7, 8})
    EXPECT_EQ(w->PageAt(i).brush, nullptr) << i;
  for (int i : {0, 1, 2, 6, 7, 8})
    EXPECT_EQ(w->PageAt(i).relief, nullptr) << i;
  EXPECT_EQ(w->PageAt(1).black, nullptr);
  EXPECT_EQ(w->PageAt(0).edge, nullptr);
  EXPECT_EQ(w->findChild<QAbstractButton *>(QStringLiteral("bExit"))->text(),
            QStringLiteral("終  了"));
  EXPECT_EQ(w->findChild<QGroupBox *>(QStringLiteral("gbViewControl"))->title(),
            QStringLiteral("Image View Control"));
}

TEST_F(PaintWindow, BrushworkSetsTheBlackFillOfMethodOneAlsoFromMethodsFourToSix) {
  ASSERT_TRUE(Open(Pattern(20, 20)));
  TSaiForm *w = Start();
  ASSERT_TRUE(w);
  QSlider *brush = w->PageAt(0).brush, *black = w->PageAt(0).black;
  brush->setValue(4); // 0, held at the minimum 1
  EXPECT_EQ(black->value(), 1);
  brush->setValue(5);
  EXPECT_EQ(black->value(), 5);
  brush->setValue(7);
  EXPECT_EQ(black->value(), 15);
  // The shared handler reads method 1's brushwork, whichever bar moved.
  for (QSlider *other : {w->PageAt(3).brush, w->PageAt(3).relief, w->PageAt(4).brush,
                         w->PageAt(4).relief, w->PageAt(5).brush, w->PageAt(5).relief}) {
    black->setValue(20);
    other->setValue(other->value() == other->minimum() ? other->maximum() : other->minimum());
    EXPECT_EQ(black->value(), 15);
  }
  // Other bars leave it alone.
  black->setValue(20);
  w->PageAt(0).colour->setValue(3);
  w->PageAt(3).colour->setValue(3);
  w->PageAt(6).black->setValue(3);
  EXPECT_EQ(black->value(), 20);
  // Methods 7 and 8 sharpen by the relief of method 6.
  w->PageAt(5).relief->setValue(9);
  EXPECT_EQ(w->ControlsOf(6).relief, 9);
  EXPECT_EQ(w->ControlsOf(7).relief, 9);
}

TEST_F(PaintWindow, ARunOpensTheResultAsANewDocumentAndLeavesTheClipboard) {
  TMDIChild *doc = Open(Pattern(31, 23));
  ASSERT_TRUE(doc);
  DibHandle source(Kit.ImgKitCopy(doc->image.get(), "", ""));
  TSaiForm *w = Start();
  ASSERT_TRUE(w);
  QGuiApplication::clipboard()->setText(QStringLiteral("kept text"));
  struct Case {
    int page;
    std::function<void(TSaiForm *)> set;
  };
  const Case cases[] = {
      {0,
       [](TSaiForm *f) {
         f->PageAt(0).brush->setValue(5);
         f->PageAt(0).colour->setValue(14);
         f->PageAt(0).black->setValue(7);
       }},
      {6,
       [](TSaiForm *f) {
         f->PageAt(6).colour->setValue(8);
         f->PageAt(6).black->setValue(6);
         f->PageAt(6).pen->button(1)->click();
         f->PageAt(5).relief->setValue(10);
       }},
      {8, [](TSaiForm *f) { f->PageAt(8).edge->setValue(6); }},
  };
  int documents = static_cast<int>(main->Children().size());
  for (const Case &c : cases) {
    c.set(w);
    const TSaiForm::Page &p = w->PageAt(c.page);
    std::vector<int> seen;
    bool panelShown = true, controlsDisabled = true;
    QString shownBefore;
    w->stepCheck = [&](int step) {
      // The counter shows the step before, the panel is up, the controls off.
      if (!seen.empty() && p.counter->text() != QString::number(seen.back()))
        shownBefore = p.counter->text();
      panelShown = panelShown && p.progress->isVisible();
      controlsDisabled = controlsDisabled && !p.draw->isEnabled();
      seen.push_back(step);
      return true;
    };
    w->Tabs()->setCurrentIndex(c.page);
    p.draw->click();
    const PaintMethod method = TSaiForm::MethodOfPage(c.page);
    EXPECT_EQ(seen.back(), PaintStepCount(method));
    EXPECT_EQ(shownBefore, QString()) << "the counter lagged";
    EXPECT_TRUE(panelShown);
    EXPECT_TRUE(controlsDisabled);
    EXPECT_EQ(p.counter->text(), QString::number(PaintStepCount(method)));
    EXPECT_FALSE(p.progress->isVisible());
    EXPECT_TRUE(p.draw->isEnabled());
    ASSERT_EQ(main->Children().size(), ++documents);
    TMDIChild *result = main->ActiveChild();
    ASSERT_NE(result, doc);
    EXPECT_EQ(result->Caption(), TMDIChild::kNewImageCaption);
    const DibHandle want = PaintPicture(source.get(), method, w->ControlsOf(c.page));
    EXPECT_EQ(PictureOf(result->image.get()), PictureOf(want.get())) << c.page;
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("kept text"));
    EXPECT_FALSE(QGuiApplication::clipboard()->mimeData()->hasImage());
  }
  // The source stays the copy taken by the command, whatever is active.
  EXPECT_EQ(PictureOf(w->Source()), PictureOf(source.get()));
  EXPECT_TRUE(Messages().isEmpty()) << Messages().join(QLatin1Char('|')).toStdString();
}

TEST_F(PaintWindow, AFailedStepShowsTheMemoryMessageAndMakesNoDocument) {
  ASSERT_TRUE(Open(Pattern(16, 12)));
  TSaiForm *w = Start();
  ASSERT_TRUE(w);
  for (int page : {0, 2, 8}) {
    for (int failAt : {1, 4, 7}) {
      const int before = static_cast<int>(main->Children().size());
      requests.clear();
      w->stepCheck = [failAt](int step) { return step < failAt; };
      w->PageAt(page).draw->click();
      EXPECT_EQ(main->Children().size(), before) << page << " " << failAt;
      EXPECT_EQ(Messages(),
                QStringList{QStringLiteral("メモリが不足しているため処理できません。")});
      EXPECT_TRUE(w->PageAt(page).draw->isEnabled());
      EXPECT_TRUE(w->Tabs()->tabBar()->isEnabled());
      EXPECT_FALSE(w->PageAt(page).progress->isVisible());
    }
  }
}

TEST_F(PaintWindow, PaletteSourcesAreCopiedAsTheyAreAndConvertedByTheChain) {
  const std::vector<uint32_t> palette = {0x000000, 0xff0000, 0x00ff00, 0x0000ff};
  std::vector<QByteArray> rows;
  for (int y = 0; y < 6; ++y) {
    QByteArray row;
    for (int x = 0; x < 8; ++x)
      row.append(static_cast<char>((x + y) % 4));
    rows.push_back(row);
  }
  ASSERT_TRUE(WriteFile(Path("p.bmp"), RawBmp(8, 6, 8, palette, rows)));
  ASSERT_TRUE(main->OpenImageFile(Path("p.bmp")));
  TMDIChild *doc = main->ActiveChild();
  ASSERT_EQ(doc->bitCount, 8);
  TSaiForm *w = Start();
  ASSERT_TRUE(w);
  EXPECT_EQ(TMDIB(w->Source()).BitsPerPixel(), 8);
  w->PageAt(2).draw->click();
  TMDIChild *result = main->ActiveChild();
  ASSERT_NE(result, doc);
  EXPECT_EQ(result->bitCount, 24);
  const DibHandle want = PaintPicture(doc->image.get(), PaintMethod::Method3, w->ControlsOf(2));
  EXPECT_EQ(PictureOf(result->image.get()), PictureOf(want.get()));
}

TEST_F(PaintWindow, TheRecordIsWrittenOnCloseAndReadOnShow) {
  ASSERT_TRUE(Open(Pattern(10, 10)));
  TSaiForm *w = Start();
  ASSERT_TRUE(w);
  w->PageAt(0).brush->setValue(7);  // black of method 1 to 15
  w->PageAt(0).black->setValue(18); // then its own value
  w->PageAt(0).pen->button(1)->click();
  w->PageAt(1).colour->setValue(2);
  w->PageAt(2).black->setValue(7);
  w->PageAt(3).relief->setValue(10);
  w->PageAt(5).brush->setValue(4);
  w->PageAt(0).black->setValue(18);
  w->PageAt(7).colour->setValue(1);
  w->PageAt(8).edge->setValue(9);
  w->PageAt(8).pen->button(1)->click();
  w->move(40, 30);
  const QPoint at = w->pos();
  w->findChild<QAbstractButton *>(QStringLiteral("bExit"))->click();
  EXPECT_FALSE(w->isVisible());
  CResumeDialog record;
  ASSERT_EQ(record.Load(QStringLiteral("Sai")), 0);
  const int want[34] = {7,      10,    18, 1,     // method 1
                        2,      0,                // 2
                        5,      7,     0,         // 3
                        6,      10,    10, 10, 0, // 4
                        6,      10,    10, 7,  0, // 5
                        4,      10,    10, 7,  0, // 6
                        5,      5,     0,         // 7
                        1,      5,     0,         // 8
                        9,      1,                // line
                        at.y(), at.x()};
  for (int i = 0; i < 34; ++i)
    EXPECT_EQ(record.GetInt(i), want[i]) << "field " << i;
  EXPECT_EQ(record.GetText(34), QString());

  // Back to other values, then shown again: the record comes back, the
  // black fill of method 1 included.
  w->PageAt(0).black->setValue(2);
  w->PageAt(8).edge->setValue(6);
  w->PageAt(8).pen->button(0)->click();
  TSaiForm *again = Start();
  ASSERT_EQ(again, w);
  EXPECT_EQ(w->PageAt(0).brush->value(), 7);
  EXPECT_EQ(w->PageAt(0).black->value(), 18);
  EXPECT_EQ(w->PageAt(8).edge->value(), 9);
  EXPECT_EQ(w->PageAt(8).pen->checkedId(), 1);
  EXPECT_EQ(w->PageAt(5).brush->value(), 4);

  // Esc closes it as well, and writes the record.
  w->PageAt(8).edge->setValue(7);
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(w, &escape);
  EXPECT_FALSE(w->isVisible());
  CResumeDialog after;
  ASSERT_EQ(after.Load(QStringLiteral("Sai")), 0);
  EXPECT_EQ(after.GetInt(30), 7);
}

TEST_F(PaintWindow, TheViewButtonsRunTheMainWindowsCommands) {
  TMDIChild *first = Open(Pattern(40, 30), QStringLiteral("a.bmp"));
  TMDIChild *second = Open(Pattern(40, 30), QStringLiteral("b.bmp"));
  ASSERT_TRUE(first && second);
  TSaiForm *w = Start();
  ASSERT_TRUE(w);
  auto button = [w](const char *name) { return w->findChild<QToolButton *>(QLatin1String(name)); };
  ASSERT_EQ(main->ActiveChild(), second);
  button("sbPrevious")->click();
  EXPECT_EQ(main->ActiveChild(), first);
  button("sbNext")->click();
  EXPECT_EQ(main->ActiveChild(), second);
  const int zoom = second->zoomIndex;
  button("sbZoomOut")->click();
  EXPECT_EQ(second->zoomIndex, zoom + 1);
  button("sbZoomIn")->click();
  EXPECT_EQ(second->zoomIndex, zoom);
  // Brightness and colour spread of the picture, to see each command's way.
  auto sums = [second] {
    const QImage img = PictureOf(second->image.get());
    long long light = 0, spread = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) {
        const QRgb c = img.pixel(x, y);
        light += qRed(c) + qGreen(c) + qBlue(c);
        spread += std::abs(qRed(c) - qGreen(c)) + std::abs(qGreen(c) - qBlue(c));
      }
    return std::pair{light, spread};
  };
  auto before = sums();
  button("sbGammaDown")->click();
  EXPECT_LT(sums().first, before.first);
  before = sums();
  button("sbGammaUp")->click();
  EXPECT_GT(sums().first, before.first);
  before = sums();
  button("sbSaturationDown")->click();
  EXPECT_LT(sums().second, before.second);
  before = sums();
  button("sbSaturationUp")->click();
  EXPECT_GT(sums().second, before.second);
  second->closeWithoutAsking = true;
  button("sbClose")->click();
  test_wait::Pump();
  EXPECT_EQ(main->Children().size(), 1);
}
