// Shared by the file and edit command tests: a main window with every dialog
// answered by the test, and small image files written byte by byte or
// through the kit.
#pragma once

#include "app/MDIChild.h"
#include "app/MainForm.h"
#include "forms/Waitmess.h"
#include "image/Dib.h"
#include "platform/Registry.h"
#include "platform/Settings.h"
#include "platform/UserDialogs.h"
#include "wait_util.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace fileops_test {

// A BMP file written byte by byte: `rows` are the picture's rows top first,
// unpadded; `palette` 0xRRGGBB entries.
inline QByteArray RawBmp(int width, int height, int bpp, const std::vector<uint32_t> &palette,
                         const std::vector<QByteArray> &rows) {
  const int stride = ((width * bpp + 31) / 32) * 4;
  const int offset = 14 + 40 + 4 * static_cast<int>(palette.size());
  QByteArray out;
  auto u16 = [&out](quint16 v) {
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
  };
  auto u32 = [&out](quint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
  };
  out.append("BM");
  u32(static_cast<quint32>(offset + stride * height));
  u32(0);
  u32(static_cast<quint32>(offset));
  u32(40);
  u32(static_cast<quint32>(width));
  u32(static_cast<quint32>(height));
  u16(1);
  u16(static_cast<quint16>(bpp));
  u32(0);
  u32(static_cast<quint32>(stride * height));
  u32(2835);
  u32(2835);
  u32(static_cast<quint32>(palette.size()));
  u32(0);
  for (uint32_t c : palette)
    u32(c & 0xffffffu);
  for (int y = height - 1; y >= 0; --y) {
    QByteArray row = rows[static_cast<size_t>(y)];
    row.resize(stride, '\0');
    out.append(row);
  }
  return out;
}

inline bool WriteFile(const QString &path, const QByteArray &bytes) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  return f.write(bytes) == bytes.size();
}

inline QByteArray ReadFile(const QString &path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A picture whose pixels differ, so that mix-ups show.
inline QImage Pattern(int width, int height) {
  QImage img(width, height, QImage::Format_RGB888);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      img.setPixel(x, y, qRgb(x * 40 % 256, y * 60 % 256, 100 + x));
  return img;
}

// The picture of an image handle as 32-bit RGB, for comparisons.
inline QImage PictureOf(IMGHANDLE h) {
  TMDIB dib(h);
  return BitmapFromDib(dib).convertToFormat(QImage::Format_RGB32);
}

// Writes a 24-bit BMP file through the kit (the kit must be loaded).
// The integer fields of a dialog's remembered record: the first `count`,
// or every field there is when count is -1; none without a record.
inline std::vector<int> StoredFields(const QString &name, int count = -1) {
  std::vector<int> out;
  CResumeDialog resume;
  if (resume.Load(name) != 0) return out;
  for (int i = 0; count < 0 ? !resume.GetText(i).isEmpty() : i < count; ++i)
    out.push_back(resume.GetInt(i));
  return out;
}

inline void StoreFields(const QString &name, const std::vector<int> &values) {
  CResumeDialog resume;
  for (int v : values)
    resume.AddInt(v);
  resume.Save(name);
}

// Clicks the dialog's button captioned `text`.
inline void ClickButton(QWidget *dialog, const QString &text) {
  for (QPushButton *b : dialog->findChildren<QPushButton *>())
    if (b->text() == text) return b->click();
  ADD_FAILURE() << "no button " << text.toStdString();
}

inline bool WriteKitBmp(const QString &path, const QImage &picture) {
  DibHandle dib = DibFromBitmap(picture);
  return dib && Kit.ImgKitBmpFileSave(path.toUtf8().constData(), dib.get(), "", "", 0) != 0;
}

// Runs `command`, which opens a modal dialog, and hands the dialog to `act`
// once it is up; `act` must close it. False when none came up.
using test_wait::WithModal;

// A main window whose dialogs are all answered by `answer` (by default: OK
// to messages, cancel to file dialogs); every request is kept.
class MainWindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    QFile::remove(Registry::FilePath());
    WriteSetting(QStringLiteral("UIMode"), QStringLiteral("NORMAL"));
    WriteSetting(QStringLiteral("ImageBrowser"), QStringLiteral("0"));
    UserDialogs::SetResponder([this](const UserDialogs::Request &r) {
      requests.push_back(r);
      if (answer) return answer(r);
      UserDialogs::Answer a;
      if (r.kind != UserDialogs::Kind::Message) a.accepted = false;
      return a;
    });
    main = new TMainForm;
    main->show();
    LoadImagingKit();
  }

  void TearDown() override {
    for (TMDIChild *c : main->Children())
      c->closeWithoutAsking = true;
    delete main;
    UserDialogs::SetResponder(nullptr);
    General.autoPaste = 0;
  }

  QString Path(const QString &name) const { return dir.path() + QLatin1Char('/') + name; }

  // The messages shown, in order.
  QStringList Messages() const {
    QStringList out;
    for (const auto &r : requests)
      if (r.kind == UserDialogs::Kind::Message) out << r.text;
    return out;
  }

  const UserDialogs::Request *LastOf(UserDialogs::Kind kind) const {
    for (auto it = requests.rbegin(); it != requests.rend(); ++it)
      if (it->kind == kind) return &*it;
    return nullptr;
  }

  QTemporaryDir dir;
  TMainForm *main = nullptr;
  std::vector<UserDialogs::Request> requests;
  std::function<UserDialogs::Answer(const UserDialogs::Request &)> answer;
};

// A main window with its wait window, as the program makes them, for the
// commands that change documents.
class DocumentTest : public MainWindowTest {
protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    if (!main->WaitMess) main->WaitMess = new TfWaitMess(main);
  }

  // A 24-bit document of `picture`, opened as the user would.
  TMDIChild *Open(const QImage &picture, const QString &name = QStringLiteral("doc.bmp")) {
    const QString path = Path(name);
    if (!WriteKitBmp(path, picture) || !main->OpenImageFile(path)) return nullptr;
    return main->ActiveChild();
  }
};

} // namespace fileops_test
