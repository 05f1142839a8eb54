// The scanning commands: choosing the device, scanning one image and
// scanning a series of pages, each scanned page a new document.
#include "app/MDIChild.h"
#include "app/MainForm.h"
#include "image/Dib.h"
#include "image/Kit.h"
#include "platform/Settings.h"
#include "platform/UserDialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>

#include <cstdlib>
#include <cstring>

namespace {

const QString kDeviceSetting = QStringLiteral("ScanDevice");
const QString kNoScanner = QStringLiteral("スキャナが見つかりません");
const QString kScanFailed = QStringLiteral("スキャナから画像を取込めませんでした");

// The work record with the device remembered in the settings.
IMGKIT_SCANWORK RememberedWork() {
  IMGKIT_SCANWORK work{};
  const QByteArray device = ReadSetting(kDeviceSetting, QString()).toUtf8();
  if (device.size() < static_cast<int>(sizeof work.device))
    std::memcpy(work.device, device.constData(), static_cast<size_t>(device.size()));
  work.mode = IMGKIT_SCAN_COLOUR;
  return work;
}

// Tells the user why nothing came; a stop by the user needs no word.
void ReportScanStatus(QWidget *parent, const IMGKIT_SCANWORK &work) {
  if (work.status == IMGKIT_SCANNED_NO_DEVICE) UserDialogs::Error(parent, kNoScanner);
  if (work.status == IMGKIT_SCANNED_FAILED) UserDialogs::Error(parent, kScanFailed);
}

// A private folder for the pages of one series: under the user's runtime
// folder when there is one, else the temporary folder. Empty on failure.
QString MakeScanFolder() {
  QString root = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (root.isEmpty() || !QFileInfo(root).isDir() || !QFileInfo(root).isWritable())
    root = QDir::tempPath();
  QByteArray pattern = QFile::encodeName(root + QStringLiteral("/velmir-scan-XXXXXX"));
  if (!mkdtemp(pattern.data())) return {};
  return QFile::decodeName(pattern);
}

void FitClientTo(TMDIChild *child, int width, int height) {
  QWidget *client = child->widget();
  const QSize frame = client ? child->size() - client->size() : QSize(0, 0);
  child->resize(width + frame.width(), height + frame.height());
}

} // namespace

void TMainForm::mTSelectClick() {
  IMGKIT_SCANWORK work = RememberedWork();
  if (Kit.ImgKitScanSelect(this, &work)) {
    WriteSetting(kDeviceSetting, QString::fromUtf8(work.device));
    return;
  }
  ReportScanStatus(this, work);
}

void TMainForm::mSScanClick() {
  IMGKIT_SCANWORK work = RememberedWork();
  DibHandle scanned(Kit.ImgKitScan(this, &work));
  if (!scanned) {
    ReportScanStatus(this, work);
    return;
  }
  TMDIChild *child = CreateChild(TMDIChild::kNewImageCaption);
  ShowAsNewDocument(child, std::move(scanned));
}

void TMainForm::mMScanClick() {
  const QString folder = MakeScanFolder();
  if (folder.isEmpty()) {
    UserDialogs::Error(this, QStringLiteral("作業用のフォルダを作れません"));
    return;
  }
  const QString base = folder + QStringLiteral("/vltemp");
  IMGKIT_SCANWORK work = RememberedWork();
  const int pages = Kit.ImgKitScanMulti(this, QFile::encodeName(base).constData(), &work);

  if (pages > 0 && FileMess) {
    FileMess->show();
    FileMess->raise();
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
  const QString bmp = base + QStringLiteral(".bmp");
  const QByteArray bmpName = QFile::encodeName(bmp);
  for (int i = 0; i < pages; ++i) {
    const QString page = base + QStringLiteral(".%1").arg(i, 3, 10, QLatin1Char('0'));
    QFile::remove(bmp);
    if (!QFile::rename(page, bmp)) continue;
    IMGKIT_FILEINFO info{};
    if (!Kit.ImgKitFileType(bmpName.constData(), &info)) {
      QFile::remove(bmp);
      continue;
    }
    TMDIChild *child = CreateChild(TMDIChild::kNewImageCaption);
    FitClientTo(child, info.width, info.height);
    child->fileInfo = info;
    DibHandle loaded(Kit.ImgKitFileLoad(bmpName.constData(), "", ""));
    QFile::remove(bmp);
    if (!loaded) {
      child->closeWithoutAsking = true;
      delete child;
      continue;
    }
    // A failed conversion keeps the page as it came.
    MakeFullColour(loaded);
    child->image = std::move(loaded);
    child->zoomIndex = 2;
    child->ReadImageInfo();
    child->RefreshDisplay();
    child->RebuildPreview();
    UpdateMenuItems();
  }
  if (FileMess) FileMess->hide();
  // The folder is this series' own: nothing else lives in it.
  QDir(folder).removeRecursively();
  UpdateMenuItems();
  if (pages == 0 || work.status != IMGKIT_SCANNED_OK) ReportScanStatus(this, work);
}
