// The file menu of the main window: opening by name and by dialog, reload,
// deleting the source file, save and save-as, the new coloured sheet,
// closing windows, the options dialog and leaving the program.
#include "app/MDIChild.h"
#include "app/MainForm.h"
#include "app/Newimg.h"
#include "app/Option.h"
#include "app/SaveRules.h"

#include "image/Dib.h"
#include "image/ImageFile.h"
#include "image/Susie.h"
#include "platform/Settings.h"
#include "platform/UserDialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QImage>
#include <QMdiArea>
#include <QPointer>

using SaveRules::Writer;

namespace {

const QString kVelmir = QStringLiteral("VELMIR");
const QString kCannotRead = QStringLiteral("読込めないデータ形式です");
const QString kNotSavedYet = QStringLiteral("この画像はまだ保存されていません");
const QString kCannotSave = QStringLiteral("ファイルを保存できません");

// The save dialog keeps its filter between uses, as the form's dialog
// component did.
int saveFilterIndex = 1;

bool AskOk(QWidget *parent, const QString &caption, const QString &text) {
  return UserDialogs::Message(parent, caption, text, QMessageBox::Question,
                              QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

void SetClientSize(TMDIChild *child, int width, int height) {
  QWidget *client = child->widget();
  const QSize frame = client ? child->size() - client->size() : QSize(0, 0);
  child->resize(width + frame.width(), height + frame.height());
}

enum class SaveResult { Written, Refused, Failed };

// Writes the document's image in the given format, applying the JPEG rule;
// every refusal and failure is reported here.
SaveResult WriteDocument(QWidget *parent, TMDIChild *child, const QString &fileName,
                         Writer writer) {
  ImageFileKind kind = ImageFileKind::Unknown;
  switch (writer) {
  case Writer::Jpeg: {
    IMGKIT_IMAGEINFO info{};
    if (!Kit.ImgKitImageInfo(child->image.get(), &info)) break;
    const bool gray = info.kind == IMGKIT_KIND_MONO || info.kind == IMGKIT_KIND_GREY4 ||
                      info.kind == IMGKIT_KIND_GREY8;
    const QString refusal = SaveRules::JpegRefusal(info.bitCount, gray);
    if (!refusal.isEmpty()) {
      UserDialogs::Error(parent, refusal);
      return SaveResult::Refused;
    }
    kind = ImageFileKind::Jpeg;
    break;
  }
  case Writer::Bmp: kind = ImageFileKind::Bmp; break;
  case Writer::Tiff: kind = ImageFileKind::Tiff; break;
  case Writer::None: break;
  }
  // "KeepMetadata" 0 saves the picture alone, say before publishing a photo
  // with its GPS position.
  const PhotoMetadata *metadata = General.keepMetadata ? &child->metadata : nullptr;
  if (!SaveImageFileAs(fileName.toStdString(), child->image.get(), kind, JpegQuality, metadata)) {
    UserDialogs::Error(parent, kCannotSave);
    return SaveResult::Failed;
  }
  return SaveResult::Written;
}

// Closes a document window through its close query; when the query lets it
// go, it is destroyed at once. False when the user kept it.
bool CloseChild(TMDIChild *child) {
  QPointer<TMDIChild> guard(child);
  if (!child->close()) return false;
  delete guard.data();
  return true;
}

} // namespace

bool TMainForm::OpenImageFile(const QString &fileName) {
  const QString name = QDir::cleanPath(QFileInfo(fileName).absoluteFilePath());
  // Captions are compared without letter case, as file names are on the
  // system the program came from; the canonical path also catches the same
  // file reached through another spelling (links, "..").
  const QString canonical = QFileInfo(name).canonicalFilePath();
  for (TMDIChild *child : Children()) {
    const QString caption = child->Caption();
    bool same = caption.compare(name, Qt::CaseInsensitive) == 0;
    if (!same && !canonical.isEmpty() && !child->IsNewImage())
      same = QFileInfo(caption).canonicalFilePath() == canonical;
    if (same) {
      mdi_->setActiveSubWindow(child);
      child->setFocus();
      return true;
    }
  }

  TMDIChild *active = ActiveChild();
  const bool maximised = active && active->isMaximized();

  const QByteArray file = name.toUtf8();
  IMGKIT_FILEINFO probe{};
  const bool known = Kit.ImgKitFileType(file.constData(), &probe) != 0;
  TMDIChild *child = CreateChild(name);
  if (known) {
    if (maximised)
      child->showMaximized();
    else
      SetClientSize(child, probe.width, probe.height);
  }

  auto hidePanel = [this] {
    if (FileMess) FileMess->hide();
  };
  auto showPanel = [this] {
    if (!FileMess) return;
    FileMess->show();
    FileMess->raise();
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  };
  // The panel's layout keeps it centred over the frame.
  if (Kit.ImgKitFileType(file.constData(), &child->fileInfo)) showPanel();

  // The kit first, then the plug-ins; the panel shows while a plug-in that
  // claimed the file decodes it.
  bool fromPlugin = false;
  DibHandle loaded = ReadImageFile(file.toStdString(), &fromPlugin, showPanel);
  if (loaded && fromPlugin) {
    IMGKIT_IMAGEINFO info{};
    if (Kit.ImgKitImageInfo(loaded.get(), &info)) SetClientSize(child, info.width, info.height);
    child->bitCount = 24;
    child->fromPlugin = true;
  }
  if (!loaded || !MakeFullColour(loaded)) {
    hidePanel();
    child->closeWithoutAsking = true;
    delete child;
    UserDialogs::Error(this, kCannotRead);
    return false;
  }

  const bool damaged = !fromPlugin && LastReadDamaged();
  child->image = std::move(loaded);
  child->metadata = PhotoMetadata::Read(file.toStdString());
  child->displayProfile = DisplayProfile::FromIcc(child->metadata.IccProfile());
  child->zoomIndex = 2;
  child->ReadImageInfo();
  child->RefreshDisplay();
  child->RebuildPreview();
  hidePanel();
  if (damaged) UserDialogs::Inform(this, QString::fromUtf8(kDamagedPictureText));
  return true;
}

void TMainForm::FileOpenItemClick() {
  const QString folder = ReadSetting(QStringLiteral("LastOpenPath"), QString());
  const QString chosen =
      UserDialogs::OpenFileName(this, QStringLiteral("開く"), folder, SaveRules::OpenFilter());
  if (chosen.isEmpty()) return;

  // The size is taken by opening the file: one that cannot be opened counts
  // as missing.
  QFile f(chosen);
  if (!f.open(QIODevice::ReadOnly)) {
    UserDialogs::Inform(this, QStringLiteral("指定されたファイルは存在しません。"));
    return;
  }
  const qint64 size = f.size();
  f.close();
  if (size < 1) {
    UserDialogs::Inform(this, QStringLiteral("サイズが０のファイルは読み込みできません。"));
    return;
  }
  if (OpenImageFile(chosen)) {
    WriteSetting(QStringLiteral("LastOpenPath"), QFileInfo(chosen).absolutePath());
    UpdateMenuItems();
  }
}

void TMainForm::mReloadClick() {
  TMDIChild *child = ActiveChild();
  if (!child) return;
  if (child->IsNewImage()) {
    UserDialogs::Inform(this, kNotSavedYet);
    return;
  }
  if (!AskOk(this, kVelmir, QStringLiteral("編集中の画像は破棄されます。\nよろしいですか？")))
    return;
  const QString name = child->Caption();
  child->closeWithoutAsking = true;
  CloseChild(child);
  OpenImageFile(name);
  UpdateMenuItems();
}

void TMainForm::mDeleteFileClick() {
  TMDIChild *child = ActiveChild();
  if (!child) return;
  if (child->IsNewImage()) {
    UserDialogs::Inform(this, kNotSavedYet);
    return;
  }
  if (!AskOk(this, kVelmir,
             QStringLiteral("編集中画像の読込み元ファイルが削除されます。\nよろしいですか？")))
    return;
  const QString name = child->Caption();
  // Saying "deleted" for a file that is still there would mislead the user.
  if (!QFile::remove(name) && QFileInfo::exists(name)) {
    UserDialogs::Error(this, QStringLiteral("画像ファイルを削除できません"));
    return;
  }
  const QFileInfo info(name);
  const QString thumbnail =
      info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".sam");
  if (QFileInfo::exists(thumbnail)) QFile::remove(thumbnail);
  UserDialogs::Inform(this, QStringLiteral("画像ファイルを削除しました"));
}

void TMainForm::FileSaveItemClick() {
  TMDIChild *child = ActiveChild();
  if (!child) return;
  ReadJpegQuality();
  const QString name = child->Caption();
  const Writer writer = SaveRules::WriterByLastFour(name);
  if (child->IsNewImage() || writer == Writer::None) {
    FileSaveAsItemClick();
    return;
  }
  if (!AskOk(this, windowTitle(), QStringLiteral("上書保存されます。よろしいですか？"))) return;
  if (WriteDocument(this, child, name, writer) == SaveResult::Written) child->modificationCount = 0;
}

void TMainForm::FileSaveAsItemClick() {
  TMDIChild *child = ActiveChild();
  if (!child) return;
  ReadJpegQuality();
  const QString folder = ReadSetting(QStringLiteral("LastSavePath"), QString());
  const QString caption = child->Caption();
  saveFilterIndex = SaveRules::FilterIndexForCaption(caption, saveFilterIndex);
  const QString proposed = child->IsNewImage() ? SaveRules::ProposedNewName(folder)
                                               : QFileInfo(caption).completeBaseName();

  int filterIndex = saveFilterIndex;
  QString chosen = UserDialogs::SaveFileName(this, QStringLiteral("名前を付けて保存"), folder,
                                             proposed, SaveRules::SaveFilter(), &filterIndex);
  if (chosen.isEmpty()) return;
  saveFilterIndex = filterIndex;
  // A bare name from the dialog lies in the folder it was opened on.
  chosen =
      QDir::cleanPath(QFileInfo(folder.isEmpty() ? chosen : QDir(folder).absoluteFilePath(chosen))
                          .absoluteFilePath());
  chosen = SaveRules::WithDefaultExtension(chosen, filterIndex);

  const Writer writer = SaveRules::WriterByExtension(chosen);
  if (writer == Writer::None) {
    UserDialogs::Error(this, QStringLiteral("ファイル名拡張子が未対応のため保存できません"));
    return;
  }
  if (WriteDocument(this, child, chosen, writer) != SaveResult::Written) return;

  WriteSetting(QStringLiteral("LastSavePath"), QFileInfo(chosen).absolutePath());
  child->modificationCount = 0;
  child->SetCaption(chosen);
  const QByteArray file = chosen.toUtf8();
  child->fileInfo = IMGKIT_FILEINFO{};
  Kit.ImgKitFileType(file.constData(), &child->fileInfo);
}

void TMainForm::FileNewItemClick() {
  TNewImgForm dialog(this);
  if (dialog.exec() != QDialog::Accepted) return;

  bool tileMissing = false;
  const QImage sheet = MakeNewSheet(dialog.ImageWidth(), dialog.ImageHeight(), dialog.Colour(),
                                    dialog.Tile(), dialog.TileFile(), &tileMissing);
  if (tileMissing)
    UserDialogs::Message(this, kVelmir, QStringLiteral("画像が見つからないので埋込みは行いません"),
                         QMessageBox::Warning);
  DibHandle image = DibFromBitmap(sheet);
  if (!image) {
    // A sheet too large for memory: no empty window is left behind.
    UserDialogs::Error(this, QStringLiteral("画像を作成できません"));
    return;
  }

  TMDIChild *child = CreateChild(TMDIChild::kNewImageCaption);
  child->ShowNewPicture(std::move(image));
  UpdateMenuItems();
}

void TMainForm::FileCloseItemClick() {
  TMDIChild *child = ActiveChild();
  if (!child) return;
  CloseChild(child);
  UpdateMenuItems();
}

void TMainForm::mCloseAllClick() {
  CloseCancelled = false;
  const qsizetype count = Children().size();
  for (qsizetype i = 0; i < count; ++i) {
    mdi_->activatePreviousSubWindow();
    TMDIChild *child = ActiveChild();
    if (!child) {
      const QList<TMDIChild *> rest = Children();
      if (rest.isEmpty()) break;
      child = rest.last();
    }
    if (!CloseChild(child) || CloseCancelled) break;
  }
  UpdateMenuItems();
}

void TMainForm::mOptionClick() {
  ReadJpegQuality();
  // The dialog reads the general settings back from the file; values changed
  // since the start (the second toolbar row) must be there, or its OK would
  // write the old ones back.
  SaveGeneralSettings();
  TOptionForm dialog(this, ProgramFolder);
  dialog.ShowPage(QStringLiteral("JPEG"));
  dialog.exec();
  WriteJpegQuality();
}

void TMainForm::FileExitItemClick() { close(); }
