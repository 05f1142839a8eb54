// The lighting dialog in its eleven modes, run through the main window's
// menu items and tool buttons as the user runs them: caption and panel,
// the preview following every control, OK with one edit-history entry, the
// remembered settings, the colour dialog and the two texture buttons.
#include "fileops_fixture.h"

#include "effects/Litening.h"
#include "effects/dialogs/LiteningForm.h"
#include "forms/ColourSwatch.h"
#include "forms/Waitmess.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

#include <ctime>
#include <functional>

using namespace fileops_test;

namespace {

struct ModeCase {
  LiteningMode mode;
  const char *handler, *menuItem, *button;
  const char *caption, *settings;
  int help;
  const char *panel;
};

const ModeCase kModes[] = {
    {LiteningMode::Lighting, "mLiteningClick", "mLitening", "tb20", "照明効果", "Lightenning", 56,
     "lighting"},
    {LiteningMode::FadeOut, "mFadeOutClick", "mFadeOut", "tb24", "フェイドアウト枠", "Lim1", 57,
     "frame"},
    {LiteningMode::Translucent, "mTransClick", "mTrans", "tb22", "半透明枠", "Lim2", 57, "frame"},
    {LiteningMode::Wave, "W1Click", "W1", "SpeedButton38", "波枠", "Lim3", 57, "frame"},
    {LiteningMode::DustSpot, "mSandSpotClick", "mSandSpot", "SpeedButton36", "ダストスポット",
     "Spot1", 60, "spot"},
    {LiteningMode::SoftSpot, "P1Click", "P1", "tb18", "ソフトスポット", "Spot2", 60, "spot"},
    {LiteningMode::WhiteSpot, "S2Click", "S2", "tb19", "ホワイトスポット", "Spot3", 60, "spot"},
    {LiteningMode::Noise, "mNoizClick", "mNoiz", "SpeedButton37", "ノイズ付加", "Noise", 60,
     "noise"},
    {LiteningMode::Texture, "mTexClick", "mTex", "SpeedButton39", "テクスチャー", "Texture", 61,
     "texture"},
    {LiteningMode::Bevel, "bButtonFrameClick", "bButtonFrame", "tb25", "立体枠", "Lim4", 57,
     "frame"},
    {LiteningMode::Ellipse, "C2Click", "C2", "tb23", "楕円枠", "Lim5", 57, "frame"},
};

constexpr unsigned kWhiteRef = 0xFFFFFF;

// Which panel the dialog shows, from the controls it has.
std::string PanelOf(const TLiteningForm &f) {
  std::string panels;
  if (f.rgLight && f.tbLightX && f.tbLightY && f.tbLightArea) panels += "lighting";
  if (f.tbFrameWidth) panels += "frame";
  if (f.tbSpotSize && f.tbSpotStrength) panels += "spot";
  if (f.rgNoise && f.tbNoise) panels += "noise";
  if (f.rgTexture && f.tbTexture) panels += "texture";
  return panels;
}

bool HasLabel(const QWidget *w, const QString &text) {
  for (const QLabel *l : w->findChildren<QLabel *>())
    if (l->text() == text) return true;
  return false;
}

// The same noise for every test.
QImage Noisy(int w, int h) {
  QImage img(w, h, QImage::Format_RGB888);
  uint32_t seed = 777;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      seed = seed * 1103515245u + 12345u;
      const int n = int(seed >> 16) % 80;
      img.setPixel(x, y, qRgb((x * 7 + n) % 256, (y * 5 + 2 * n) % 256, (x * y + n) % 256));
    }
  return img;
}

// A copy of `h` changed in place by `routine`.
QImage Changed(IMGHANDLE h, const std::function<bool(TMDIB &)> &routine) {
  DibHandle work(Kit.ImgKitCopy(h, "", ""));
  {
    TMDIB d(work.get());
    EXPECT_TRUE(routine(d));
  }
  return PictureOf(work.get());
}

// The routine a mode runs at the settings it has when nothing is stored.
std::function<bool(TMDIB &)> AtDefaults(LiteningMode m, uint32_t seed) {
  switch (m) {
  case LiteningMode::Lighting: return [](TMDIB &d) { return LightingEffect(d, 0, 50, 50, 50); };
  case LiteningMode::FadeOut: return [](TMDIB &d) { return FadeOutFrame(d, 255, 255, 255, 5); };
  case LiteningMode::Translucent:
    return [](TMDIB &d) { return TranslucentFrame(d, 0, 0, 0, 6, 5); };
  case LiteningMode::Wave: return [](TMDIB &d) { return WaveFrame(d, 255, 255, 255, 5, 5); };
  case LiteningMode::DustSpot: return [seed](TMDIB &d) { return DustSpot(d, 5, 3, seed); };
  case LiteningMode::SoftSpot: return [](TMDIB &d) { return SoftSpot(d, 5, 3); };
  case LiteningMode::WhiteSpot: return [seed](TMDIB &d) { return WhiteSpot(d, 5, 3, seed); };
  case LiteningMode::Noise: return [seed](TMDIB &d) { return AddNoise(d, 0, 4, seed); };
  case LiteningMode::Texture: return [seed](TMDIB &d) { return ApplyTexture(d, 0, 4, seed); };
  case LiteningMode::Bevel: return [](TMDIB &d) { return BevelFrame(d, 2, 8); };
  case LiteningMode::Ellipse: return [](TMDIB &d) { return EllipseFrame(d, 255, 255, 255, 5, 5); };
  }
  return {};
}

const std::vector<int> &StoredDefaults(LiteningMode m) {
  static const std::vector<int> lighting{0, 50, 50, 50}, lim1{kWhiteRef, kWhiteRef, 5},
      lim2{0, 0, 6, 5}, lim35{kWhiteRef, kWhiteRef, 5, 5}, spot{5, 3}, four{0, 4}, lim4{2, 8};
  switch (m) {
  case LiteningMode::Lighting: return lighting;
  case LiteningMode::FadeOut: return lim1;
  case LiteningMode::Translucent: return lim2;
  case LiteningMode::Wave:
  case LiteningMode::Ellipse: return lim35;
  case LiteningMode::Bevel: return lim4;
  case LiteningMode::Noise:
  case LiteningMode::Texture: return four;
  default: return spot;
  }
}

uint32_t Now() { return static_cast<uint32_t>(std::time(nullptr)); }

// True when `got` is what `routine` gives for one of the seconds from
// `first` to `last` (the clock seeds the random effects).
bool FromSomeSecond(const QImage &got, IMGHANDLE before, uint32_t first, uint32_t last,
                    const std::function<std::function<bool(TMDIB &)>(uint32_t)> &routine) {
  for (uint32_t s = first; s <= last; ++s)
    if (Changed(before, routine(s)) == got) return true;
  return false;
}

class LightingDialogs : public DocumentTest {
protected:
  // The shown preview is the source preview changed by `routine`.
  static void ExpectPreview(const TLiteningForm &form, const std::function<bool(TMDIB &)> &routine,
                            const char *what) {
    EXPECT_EQ(PictureOf(form.ShownPreview()), Changed(form.SourcePreview(), routine)) << what;
  }

  UserDialogs::Answer Colour(unsigned rgb, bool accepted = true) {
    UserDialogs::Answer a;
    a.colour = rgb;
    a.accepted = accepted;
    return a;
  }
};

} // namespace

TEST_F(LightingDialogs, EachModeOpensFromItsMenuItemAndButtonWithItsPanel) {
  TMDIChild *c = Open(Noisy(40, 30));
  ASSERT_TRUE(c);
  main->UpdateMenuItems(); // as the window's activation does
  for (const ModeCase &m : kModes) {
    for (const char *way : {m.menuItem, m.button}) {
      SCOPED_TRACE(way);
      QAction *action = main->Act(QString::fromLatin1(way));
      ASSERT_NE(action, nullptr);
      bool seen = false;
      ASSERT_TRUE(test_wait::WhileModal<TLiteningForm>(
          [action] { action->trigger(); },
          [&](TLiteningForm *f) {
            seen = true;
            EXPECT_EQ(f->windowTitle(), QString::fromUtf8(m.caption));
            EXPECT_EQ(f->Mode(), m.mode);
            EXPECT_EQ(f->HelpContext(), m.help);
            EXPECT_EQ(f->size(), QSize(398, 225));
            EXPECT_EQ(PanelOf(*f), m.panel);
            // The colour is no 3-D frame's; the second bar no fade-out's,
            // captioned by mode.
            const bool frame = std::string(m.panel) == "frame";
            EXPECT_EQ(f->bColour != nullptr, frame && m.mode != LiteningMode::Bevel);
            EXPECT_EQ(f->pColour != nullptr, f->bColour != nullptr);
            if (f->bColour) {
              EXPECT_EQ(f->bColour->text(), QStringLiteral("外枠の色指定"));
            }
            EXPECT_EQ(f->tbFrameLevel != nullptr, frame && m.mode != LiteningMode::FadeOut);
            EXPECT_EQ(HasLabel(f, QStringLiteral("透明度")),
                      m.mode == LiteningMode::Translucent || m.mode == LiteningMode::Ellipse);
            EXPECT_EQ(HasLabel(f, QStringLiteral("波長")), m.mode == LiteningMode::Wave);
            EXPECT_EQ(HasLabel(f, QStringLiteral("効果の強さ")), m.mode == LiteningMode::Bevel);
            EXPECT_EQ(HasLabel(f, QStringLiteral("外枠の幅")), frame);
            // At the defaults the preview is already the effect's (the
            // random ones excepted: they change with the clock).
            if (m.mode != LiteningMode::DustSpot && m.mode != LiteningMode::Noise) {
              ExpectPreview(*f, AtDefaults(m.mode, 0), m.caption);
            }
            ClickButton(f, QStringLiteral("キャンセル"));
          }));
      EXPECT_TRUE(seen);
    }
  }
  // Cancel everywhere: the document as it was.
  EXPECT_EQ(c->undoCount, 0);
  EXPECT_EQ(PictureOf(c->image.get()), Noisy(40, 30).convertToFormat(QImage::Format_RGB32));
  for (const ModeCase &m : kModes)
    EXPECT_TRUE(StoredFields(m.settings).empty()) << m.settings;
}

TEST_F(LightingDialogs, PanelTextsAreTheProgramsOwn) {
  TMDIChild *c = Open(Noisy(20, 20));
  ASSERT_TRUE(c);
  struct Texts {
    LiteningMode mode;
    std::vector<const char *> labels;
    std::vector<const char *> choices;
  };
  const Texts all[] = {
      {LiteningMode::Lighting,
       {"光源中心(X)", "光源中心(Y)", "照射範囲"},
       {"逆光", "ｽﾎﾟｯﾄﾗｲﾄ", "回り込み"}},
      {LiteningMode::SoftSpot, {"スポット径", "フィルターの強さ"}, {}},
      {LiteningMode::Noise, {"ノイズの強さ"}, {"ﾗﾝﾀﾞﾑﾉｲｽﾞ", "輝度ﾉｲｽﾞ", "ﾎﾜｲﾄﾉｲｽﾞ", "ﾌﾞﾗｯｸﾉｲｽﾞ"}},
      {LiteningMode::Texture,
       {"テクスチャーの強さ"},
       {"斜縞", "縦縞", "横縞", "絹目調小", "絹目調大", "布調斜縞"}},
  };
  for (const Texts &t : all) {
    TLiteningForm form(main, t.mode);
    form.Prepare(c);
    for (const char *label : t.labels)
      EXPECT_TRUE(HasLabel(&form, QString::fromUtf8(label))) << label;
    QButtonGroup *group =
        form.rgLight ? form.rgLight : (form.rgNoise ? form.rgNoise : form.rgTexture);
    if (t.choices.empty()) continue;
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(group->buttons().size(), static_cast<int>(t.choices.size()));
    for (size_t i = 0; i < t.choices.size(); ++i)
      EXPECT_EQ(group->button(static_cast<int>(i))->text(), QString::fromUtf8(t.choices[i]));
  }
  TLiteningForm lighting(main, LiteningMode::Lighting);
  lighting.Prepare(c);
  EXPECT_EQ(lighting.findChild<QWidget *>(QStringLiteral("rgLight"))->property("title").toString(),
            QStringLiteral("照明の種類"));
  EXPECT_EQ(lighting.tbLightArea->minimum(), 10);
  EXPECT_EQ(lighting.tbLightArea->maximum(), 100);
}

TEST_F(LightingDialogs, OkAppliesEachModeOnceWithItsProgressAndRemembersIt) {
  for (const ModeCase &m : kModes) {
    SCOPED_TRACE(m.caption);
    TMDIChild *c = Open(Noisy(36, 22), QStringLiteral("ok.bmp"));
    ASSERT_TRUE(c);
    DibHandle before(Kit.ImgKitCopy(c->image.get(), "", ""));
    const uint32_t first = Now();
    ASSERT_TRUE(test_wait::WithModal([&] { main->RunCommand(QString::fromLatin1(m.handler)); },
                                     [&](QWidget *w) { ClickButton(w, QStringLiteral("OK")); }));
    const uint32_t last = Now();
    EXPECT_TRUE(FromSomeSecond(PictureOf(c->image.get()), before.get(), first, last,
                               [&](uint32_t seed) { return AtDefaults(m.mode, seed); }));
    EXPECT_NE(PictureOf(c->image.get()), PictureOf(before.get()));
    EXPECT_EQ(c->undoCount, 1);
    EXPECT_EQ(main->WaitMess->ProgressBar->maximum(),
              m.mode == LiteningMode::SoftSpot ? 2 * 22 : 22);
    EXPECT_EQ(main->WaitMess->ProgressBar->value(), main->WaitMess->ProgressBar->maximum());
    EXPECT_FALSE(main->WaitMess->isVisible());
    EXPECT_EQ(StoredFields(m.settings), StoredDefaults(m.mode));
    c->Undo();
    EXPECT_EQ(PictureOf(c->image.get()), PictureOf(before.get()));
    c->closeWithoutAsking = true;
    c->close();
    test_wait::Pump();
  }
}

TEST_F(LightingDialogs, PreviewFollowsEveryControl) {
  TMDIChild *c = Open(Noisy(50, 40));
  ASSERT_TRUE(c);
  {
    TLiteningForm f(main, LiteningMode::Lighting);
    f.Prepare(c);
    f.rgLight->button(1)->click();
    ExpectPreview(
        f, [](TMDIB &d) { return LightingEffect(d, 1, 50, 50, 50); }, "kind");
    f.tbLightX->setValue(20);
    f.tbLightY->setValue(90);
    ExpectPreview(
        f, [](TMDIB &d) { return LightingEffect(d, 1, 20, 90, 50); }, "centre");
    f.tbLightArea->setValue(100);
    f.rgLight->button(2)->click();
    ExpectPreview(
        f, [](TMDIB &d) { return LightingEffect(d, 2, 20, 90, 100); }, "area");
    // Reset: the defaults again.
    ClickButton(&f, QStringLiteral("リセット"));
    EXPECT_EQ(f.rgLight->checkedId(), 0);
    EXPECT_EQ(f.tbLightX->value(), 50);
    ExpectPreview(
        f, [](TMDIB &d) { return LightingEffect(d, 0, 50, 50, 50); }, "reset");
  }
  {
    TLiteningForm f(main, LiteningMode::Wave);
    f.Prepare(c);
    f.tbFrameWidth->setValue(11);
    f.tbFrameLevel->setValue(0);
    ExpectPreview(
        f, [](TMDIB &d) { return WaveFrame(d, 255, 255, 255, 11, 0); }, "wave");
  }
  {
    TLiteningForm f(main, LiteningMode::Bevel);
    f.Prepare(c);
    f.tbFrameWidth->setValue(7);
    f.tbFrameLevel->setValue(1);
    ExpectPreview(
        f, [](TMDIB &d) { return BevelFrame(d, 7, 1); }, "bevel");
  }
  {
    TLiteningForm f(main, LiteningMode::SoftSpot);
    f.Prepare(c);
    f.tbSpotSize->setValue(3);
    f.tbSpotStrength->setValue(5);
    ExpectPreview(
        f, [](TMDIB &d) { return SoftSpot(d, 3, 5); }, "soft spot");
  }
  {
    TLiteningForm f(main, LiteningMode::WhiteSpot);
    f.Prepare(c);
    f.tbSpotStrength->setValue(1);
    ExpectPreview(
        f, [](TMDIB &d) { return WhiteSpot(d, 5, 1, 0); }, "white spot");
  }
  {
    TLiteningForm f(main, LiteningMode::Texture);
    f.Prepare(c);
    f.rgTexture->button(4)->click();
    f.tbTexture->setValue(6);
    ExpectPreview(
        f, [](TMDIB &d) { return ApplyTexture(d, 4, 6, 0); }, "texture");
  }
  {
    // The random ones at least change with their controls.
    TLiteningForm f(main, LiteningMode::Noise);
    f.Prepare(c);
    const QImage source = PictureOf(f.SourcePreview());
    f.rgNoise->button(3)->click();
    f.tbNoise->setValue(6);
    const uint32_t now = Now();
    EXPECT_TRUE(FromSomeSecond(
        PictureOf(f.ShownPreview()), f.SourcePreview(), now - 1, now,
        [](uint32_t seed) { return [seed](TMDIB &d) { return AddNoise(d, 3, 6, seed); }; }));
  }
}

TEST_F(LightingDialogs, SettingsComeBackFieldByFieldAndLim2KeepsTheDesignersValues) {
  TMDIChild *c = Open(Noisy(30, 20));
  ASSERT_TRUE(c);
  // Colours are stored red in the low byte.
  StoreFields("Lim3", {0x0000FF, 0x00FF00, 9, 2});
  {
    TLiteningForm f(main, LiteningMode::Wave);
    f.Prepare(c);
    EXPECT_EQ(f.SwatchColour(), 0xFF0000u);
    EXPECT_EQ(f.FrameColour(), 0x00FF00u);
    EXPECT_EQ(f.tbFrameWidth->value(), 9);
    EXPECT_EQ(f.tbFrameLevel->value(), 2);
    // The frame is drawn in the frame colour, not the swatch's.
    ExpectPreview(
        f, [](TMDIB &d) { return WaveFrame(d, 0, 255, 0, 9, 2); }, "stored");
    f.bOKClick();
  }
  EXPECT_EQ(StoredFields("Lim3"), (std::vector<int>{0x0000FF, 0x00FF00, 9, 2}));
  // A short record fills what it has.
  StoreFields("Lightenning", {2, 10});
  {
    TLiteningForm f(main, LiteningMode::Lighting);
    f.Prepare(c);
    EXPECT_EQ(f.rgLight->checkedId(), 2);
    EXPECT_EQ(f.tbLightX->value(), 10);
    EXPECT_EQ(f.tbLightY->value(), 50);
    EXPECT_EQ(f.tbLightArea->value(), 50);
  }
  // Nothing stored: the translucent frame keeps black, 6 and 5; the other
  // frames start white at 5.
  {
    TLiteningForm f(main, LiteningMode::Translucent);
    f.Prepare(c);
    EXPECT_EQ(f.FrameColour(), 0u);
    EXPECT_EQ(f.SwatchColour(), 0u);
    EXPECT_EQ(f.tbFrameWidth->value(), 6);
    EXPECT_EQ(f.tbFrameLevel->value(), 5);
    TLiteningForm e(main, LiteningMode::Ellipse);
    e.Prepare(c);
    EXPECT_EQ(e.FrameColour(), 0xFFFFFFu);
    EXPECT_EQ(e.tbFrameWidth->value(), 5);
    TLiteningForm b(main, LiteningMode::Bevel);
    b.Prepare(c);
    EXPECT_EQ(b.tbFrameWidth->value(), 2);
    EXPECT_EQ(b.tbFrameLevel->value(), 8);
  }
  // Stored spot settings are the three spots' own.
  StoreFields("Spot2", {7, 1});
  TLiteningForm soft(main, LiteningMode::SoftSpot), dust(main, LiteningMode::DustSpot);
  soft.Prepare(c);
  dust.Prepare(c);
  EXPECT_EQ(soft.tbSpotSize->value(), 7);
  EXPECT_EQ(soft.tbSpotStrength->value(), 1);
  EXPECT_EQ(dust.tbSpotSize->value(), 5);
  EXPECT_EQ(dust.tbSpotStrength->value(), 3);
}

TEST_F(LightingDialogs, ColourButtonPresetsTheSwatchAndRedrawsOnAChoice) {
  TMDIChild *c = Open(Noisy(30, 20));
  ASSERT_TRUE(c);
  TLiteningForm f(main, LiteningMode::Ellipse);
  f.Prepare(c);
  answer = [this](const UserDialogs::Request &r) {
    return r.kind == UserDialogs::Kind::Colour ? Colour(0, false) : UserDialogs::Answer{};
  };
  const QImage shown = PictureOf(f.ShownPreview());
  f.bColour->click();
  ASSERT_NE(LastOf(UserDialogs::Kind::Colour), nullptr);
  EXPECT_EQ(LastOf(UserDialogs::Kind::Colour)->colour, 0xFFFFFFu);
  EXPECT_EQ(f.FrameColour(), 0xFFFFFFu);
  EXPECT_EQ(PictureOf(f.ShownPreview()), shown);

  answer = [this](const UserDialogs::Request &) { return Colour(0x3366CC); };
  f.bColour->click();
  EXPECT_EQ(f.SwatchColour(), 0x3366CCu);
  EXPECT_EQ(f.FrameColour(), 0x3366CCu);
  EXPECT_EQ(f.pColour->palette().color(QPalette::Window), QColor(0x33, 0x66, 0xCC));
  ExpectPreview(
      f, [](TMDIB &d) { return EllipseFrame(d, 0x33, 0x66, 0xCC, 5, 5); }, "colour");
  const QImage want =
      Changed(c->image.get(), [](TMDIB &d) { return EllipseFrame(d, 0x33, 0x66, 0xCC, 5, 5); });
  f.bOKClick();
  EXPECT_EQ(PictureOf(c->image.get()), want);
  EXPECT_EQ(StoredFields("Lim5"), (std::vector<int>{0xCC6633, 0xCC6633, 5, 5}));
  // The next time the button starts from it.
  TLiteningForm again(main, LiteningMode::Ellipse);
  again.Prepare(c);
  again.bColour->click();
  EXPECT_EQ(LastOf(UserDialogs::Kind::Colour)->colour, 0x3366CCu);
}

TEST_F(LightingDialogs, TextureButtonsRunUnseenWithTheRememberedStrength) {
  // Their hints: a tooltip and no status text.
  EXPECT_EQ(main->Act(QStringLiteral("tb26"))->toolTip(), QStringLiteral("布調のテクスチャー化"));
  EXPECT_EQ(main->Act(QStringLiteral("tb27"))->toolTip(), QStringLiteral("絹目調のテクスチャー化"));
  EXPECT_TRUE(main->Act(QStringLiteral("tb26"))->statusTip().isEmpty());
  TMDIChild *c = Open(Noisy(33, 21));
  ASSERT_TRUE(c);
  StoreFields("Texture", {1, 6});
  DibHandle before(Kit.ImgKitCopy(c->image.get(), "", ""));
  const uint32_t first = Now();
  // No dialog comes up.
  EXPECT_FALSE(test_wait::WithModal([this] { main->ToolButtonClick(QStringLiteral("tb26")); },
                                    [](QWidget *w) { w->close(); }));
  const uint32_t last = Now();
  EXPECT_TRUE(
      FromSomeSecond(PictureOf(c->image.get()), before.get(), first, last, [](uint32_t seed) {
        return [seed](TMDIB &d) { return ApplyTexture(d, 5, 6, seed); };
      }));
  EXPECT_EQ(c->undoCount, 1);
  EXPECT_EQ(StoredFields("Texture"), (std::vector<int>{5, 6}));
  EXPECT_FALSE(main->WaitMess->isVisible());

  before.reset(Kit.ImgKitCopy(c->image.get(), "", ""));
  main->ToolButtonClick(QStringLiteral("tb27"));
  EXPECT_EQ(PictureOf(c->image.get()),
            Changed(before.get(), [](TMDIB &d) { return ApplyTexture(d, 3, 6, 0); }));
  EXPECT_EQ(c->undoCount, 2);
  EXPECT_EQ(StoredFields("Texture"), (std::vector<int>{3, 6}));
  // The texture dialog opens with the buttons' choice.
  ASSERT_TRUE(test_wait::WhileModal<TLiteningForm>(
      [this] { main->RunCommand(QStringLiteral("mTexClick")); },
      [](TLiteningForm *f) {
        EXPECT_EQ(f->rgTexture->checkedId(), 3);
        EXPECT_EQ(f->tbTexture->value(), 6);
        f->reject();
      }));
}

TEST_F(LightingDialogs, EnterIsOkAndEscapeCancels) {
  TMDIChild *c = Open(Noisy(24, 18));
  ASSERT_TRUE(c);
  const QImage before = PictureOf(c->image.get());
  ASSERT_TRUE(test_wait::WhileModal<TLiteningForm>(
      [this] { main->RunCommand(QStringLiteral("bButtonFrameClick")); },
      [](TLiteningForm *f) {
        f->tbFrameWidth->setValue(4);
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(f, &esc);
      }));
  EXPECT_EQ(PictureOf(c->image.get()), before);
  EXPECT_EQ(c->undoCount, 0);
  EXPECT_TRUE(StoredFields("Lim4").empty());
  ASSERT_TRUE(test_wait::WhileModal<TLiteningForm>(
      [this] { main->RunCommand(QStringLiteral("bButtonFrameClick")); },
      [](TLiteningForm *f) {
        f->tbFrameWidth->setValue(4);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(f, &enter);
      }));
  EXPECT_EQ(c->undoCount, 1);
  EXPECT_EQ(StoredFields("Lim4"), (std::vector<int>{4, 8}));
}
